#pragma once

#include "lookup/claFenwaurda.h"
#include "platform/widgets/TaskWindow.h"

#include <memory>

namespace counter {
class ReturnDesk;
}
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Books returns one copy at a time: the operator picks a note, then one of
// its open videos, and confirms with OK. The copy goes back on the shelf,
// the slot is freed, and the note goes once its last video is back.
class frmDevolucao final : public TaskWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmDevolucao)
public:
    explicit frmDevolucao(store::Database& db, QWidget* parent = nullptr);
    ~frmDevolucao() override;

private:
    void buildLayout();
    bool leaveNote();
    bool leaveVideo();
    void bookReturn();
    void reprint();
    void showOpenVideos(const QStringList& codes);
    // Says whether the video chosen is past due, and by how many days.
    void showLateness();

    std::unique_ptr<counter::ReturnDesk> m_desk;
    claFenwaurda* const m_autoComplete = new claFenwaurda(this);
    QLineEdit* m_txtData = nullptr;
    QLabel* m_lblData = nullptr;
    QLabel* m_lblCliente = nullptr; // the note's customer, with the account's number
    QComboBox* m_cboCodigo = nullptr;
    QComboBox* m_cboCodigoVideo = nullptr;
    QLabel* m_lblnome = nullptr;
    QLabel* m_lbl = nullptr;
    QLabel* m_lblAtraso = nullptr;
    QPushButton* m_cmdOk = nullptr;
    QPushButton* m_cmdReimprimir = nullptr;
    QString m_note;  // the note found last
    QString m_video; // the video that passed its check, until returned
};
