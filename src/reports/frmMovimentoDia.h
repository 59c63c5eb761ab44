#pragma once

#include "platform/widgets/TaskWindow.h"

#include <QDate>
#include <functional>

class QLineEdit;
class QPushButton;

// Asks for the days of "Movimento do Dia" (today by default) and opens
// the report on them.
class frmMovimentoDia final : public TaskWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmMovimentoDia)
public:
    // open shows the report from one date to another; it throws StoreError
    // when the file cannot be read.
    using Opener = std::function<void(const QDate& from, const QDate& to)>;
    frmMovimentoDia(store::Database& db, Opener open, QWidget* parent = nullptr);

private:
    void confirm();

    Opener m_open;
    QLineEdit* m_txtDe = nullptr;
    QLineEdit* m_txtAte = nullptr;
    QPushButton* m_cmdOk = nullptr;
    QPushButton* m_cmdCancelar = nullptr;
};
