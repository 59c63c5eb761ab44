#pragma once

#include "platform/widgets/TaskWindow.h"

class claFenwaurda;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace store {
class RecordCursor;
}

// Shows one video's catalogue record, looked up by its title as the
// operator leaves the title field. Reads only.
class frmConVideo : public TaskWindow
{
    Q_OBJECT
public:
    explicit frmConVideo(store::Database& db, QWidget* parent = nullptr);

private:
    bool leaveVideo();
    void clearDisplay();
    void clearQuery();
    store::RecordCursor& videos();

    claFenwaurda* m_autoComplete;
    QComboBox* m_cboVideo;
    QLineEdit* m_txtCodigo;
    QLineEdit* m_txtGenero;
    QLineEdit* m_txtQTDE;
    QLineEdit* m_txtLocal;
    QLineEdit* m_txtValor;
    QPushButton* m_cmdOk;
};
