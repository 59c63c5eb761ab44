#pragma once

#include "platform/widgets/NewRecordWindow.h"

class claFenwaurda;
class VideoFields;

// Registers new videos. The code is looked up as the operator leaves it: a
// free code starts a new row, a taken one shows the stored video and offers
// a fresh start through Novo.
class frmVideos : public NewRecordWindow
{
    Q_OBJECT
public:
    explicit frmVideos(store::Database& db, QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    VideoFields* m_fields;
    claFenwaurda* m_autoComplete;
};
