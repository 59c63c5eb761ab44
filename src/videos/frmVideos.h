#pragma once

#include "platform/widgets/TaskWindow.h"

class claFenwaurda;
class QLineEdit;
class QPushButton;
class SaveOrNew;
class VideoFields;

namespace store {
class RecordCursor;
}

// Registers new videos. The code is looked up as the operator leaves it: a
// free code starts a new row, a taken one shows the stored video and offers
// a fresh start through Novo.
class frmVideos : public TaskWindow
{
    Q_OBJECT
public:
    explicit frmVideos(store::Database& db, QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ClearFields();
    void ShowVideo();
    void WriteVideo();

    void showDuplicate();
    void save();
    void startOver();
    // Whether a stored video already has the typed code; the cursor then
    // stands on that video.
    bool codeTaken();
    store::RecordCursor& videos();

    VideoFields* m_fields;
    claFenwaurda* m_autoComplete;
    QLineEdit* m_txtData;
    SaveOrNew* m_buttons;
};
