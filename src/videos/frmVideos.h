#pragma once

#include "VideoFields.h"
#include "lookup/claFenwaurda.h"
#include "platform/widgets/NewRecordWindow.h"

// Registers new videos. The code is looked up as the operator leaves it: a
// free code starts a new row, a taken one shows the stored video and offers
// a fresh start through Novo.
class frmVideos final : public NewRecordWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmVideos)

public:
    explicit frmVideos(store::Database& db, QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    VideoFields* const m_fields =
        new VideoFields(this, grid(), leaveChecks(), VideoFields::TypePlace::BeforePrice);
    claFenwaurda* const m_autoComplete = new claFenwaurda(this);
};
