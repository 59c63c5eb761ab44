#pragma once

#include "lookup/QueryWindow.h"

#include <memory>

class QLineEdit;

namespace counter {
class VideoStatus;
}

// Tells whether a video is out: "Locado" with the date of the note that
// holds it, or "Não Locado". Reads only.
class frmConsultaVideo final : public QueryWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmConsultaVideo)
public:
    explicit frmConsultaVideo(store::Database& db, QWidget* parent = nullptr);
    ~frmConsultaVideo() override;

private:
    bool lookUp() override;
    void clearResults() override;

    std::unique_ptr<counter::VideoStatus> m_status;
    QLineEdit* m_txtVideo = nullptr;
    QLineEdit* m_txtQTDE = nullptr;
    QLineEdit* m_txtSituacao = nullptr;
    QLineEdit* m_txtData = nullptr;
    QLineEdit* m_txtLocal = nullptr;
    QLineEdit* m_txtCliente = nullptr; // who has it out, with the account's number
};
