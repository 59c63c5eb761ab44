#include "ModifyRecordWindow.h"

#include "Fields.h"
#include "LeaveChecks.h"
#include "MessageBox.h"
#include "RecordFields.h"
#include "store/RecordCursor.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

const QString SystemInfo = QStringLiteral("Informação do Sistema");

QPushButton* button(QWidget* window, const char* name, const char* caption)
{
    auto* b = new QPushButton(QString::fromUtf8(caption), window);
    b->setObjectName(QString::fromUtf8(name));
    return b;
}

} // namespace

void ModifyRecordWindow::startFlow(Flow flow)
{
    m_flow = std::move(flow);
    m_cmdSalvar = button(this, "cmdSalvar", "&Editar");
    m_cmdNovo = button(this, "cmdNovo", "E&xcluir");
    const int row = fields().nextRow();
    grid().add({{m_cmdSalvar, nullptr, row, 2}, {m_cmdNovo, nullptr, row, 3}});

    QWidget* last = fields().setTabOrder(nullptr);
    setTabOrder(last, m_cmdSalvar);
    setTabOrder(m_cmdSalvar, m_cmdNovo);
    if (date())
        setTabOrder(m_cmdNovo, date());

    leaveChecks().add(m_flow.key, [this] { return lookUp(); });
    connect(m_cmdSalvar, &QPushButton::clicked, this, &ModifyRecordWindow::storeChanges);
    connect(m_cmdNovo, &QPushButton::clicked, this, &ModifyRecordWindow::deleteRecord);
    finishSetup();

    guarded([this] { records().refresh(); });
    m_flow.key->setFocus();
}

bool ModifyRecordWindow::lookUp()
{
    // Whatever was shown is dropped: the lookup re-reads the table.
    m_showing = false;
    const QString key = platform::fieldText(m_flow.key);
    bool found = false;
    if (!guarded([&] {
            found = records().find(m_flow.keyIndex, key);
            if (found)
                records().edit();
        }))
        return false;
    if (!found) {
        MessageBox::information(this, m_flow.notFound, m_flow.notFoundTitle);
        if (auto* edit = qobject_cast<QLineEdit*>(m_flow.key))
            edit->clear();
        return false;
    }
    // Nothing of the record shown before may stay on screen.
    ClearFields();
    ShowRecord();
    m_shownKey = key;
    m_showing = true;
    m_flow.next->setFocus();
    return true;
}

bool ModifyRecordWindow::mayAct()
{
    // An access key clicks without leaving the field being typed in: leave
    // it first, as a click would.
    if (!leaveChecks().leaveFocused())
        return false;
    if (m_showing)
        return true;
    MessageBox::information(this, m_flow.noneShown, SystemInfo);
    m_flow.key->setFocus();
    return false;
}

bool ModifyRecordWindow::findShown()
{
    return records().find(m_flow.keyIndex, m_shownKey);
}

void ModifyRecordWindow::startAgain()
{
    ClearFields();
    m_showing = false;
    m_flow.key->setFocus();
}

void ModifyRecordWindow::storeChanges()
{
    if (!mayAct() || !fields().readyToStore(this))
        return;
    const Unique* taken = nullptr;
    bool gone = false;
    const bool stored = guarded([&] {
        // A unique value that another record holds is refused here, with the
        // field named, rather than by the store's key.
        for (const Unique& u : std::as_const(m_flow.unique)) {
            const QString text = platform::fieldText(u.field);
            const bool found = u.optional ? records().find(u.index, text) : records().lookUp(u.index, text);
            if (found && records().text(m_flow.keyColumn) != m_shownKey) {
                taken = &u;
                return;
            }
        }
        gone = !findShown();
        if (!gone)
            StoreRecord(Into::CurrentRow);
    });
    if (!stored)
        return;
    if (taken) {
        MessageBox::information(this, taken->taken, SystemInfo);
        taken->field->setFocus();
        return;
    }
    if (gone)
        MessageBox::information(this, m_flow.notFound, m_flow.notFoundTitle);
    startAgain();
}

void ModifyRecordWindow::deleteRecord()
{
    if (!mayAct())
        return;
    if (!MessageBox::question(this, m_flow.askDelete + platform::fieldText(m_flow.name),
                              QStringLiteral("Pergunta de Exclusão de Registro")))
        return;
    bool gone = false;
    if (!guarded([&] {
            gone = !findShown();
            if (!gone)
                records().remove();
        }))
        return;
    if (gone)
        MessageBox::information(this, m_flow.notFound, m_flow.notFoundTitle);
    startAgain();
}
