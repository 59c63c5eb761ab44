#pragma once

#include "platform/widgets/TaskWindow.h"

#include <memory>

class claFenwaurda;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace store {
class RentalStatus;
}

// Tells whether a video is out: "Locado" with the date of the note that
// holds it, or "Não Locado". Reads only.
class frmConsultaVideo final : public TaskWindow
{
    Q_OBJECT
public:
    explicit frmConsultaVideo(store::Database& db, QWidget* parent = nullptr);
    ~frmConsultaVideo() override;

private:
    bool leaveVideo();
    void clearResults();
    void clearQuery();

    claFenwaurda* m_autoComplete;
    std::unique_ptr<store::RentalStatus> m_status;
    QComboBox* m_cboVideo = nullptr;
    QPushButton* m_cmdOk = nullptr;
    QLineEdit* m_txtVideo = nullptr;
    QLineEdit* m_txtQTDE = nullptr;
    QLineEdit* m_txtSituacao = nullptr;
    QLineEdit* m_txtData = nullptr;
    QLineEdit* m_txtLocal = nullptr;
};
