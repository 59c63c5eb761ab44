#include "ModifyRecordWindow.h"

#include "Fields.h"
#include "LeaveChecks.h"
#include "MessageBox.h"
#include "RecordFields.h"
#include "SaveOrNew.h"

#include <QLineEdit>
#include <QPushButton>

void ModifyRecordWindow::startFlow(Flow flow)
{
    m_flow = std::move(flow);
    m_cmdSalvar = recordButton(this, "cmdSalvar", "&Editar");
    m_cmdNovo = recordButton(this, "cmdNovo", "E&xcluir");
    const int row = fields().nextRow();
    grid().add({{m_cmdSalvar, nullptr, row, 2}, {m_cmdNovo, nullptr, row, 3}});

    QWidget* last = fields().setTabOrder(nullptr);
    setTabOrder(last, m_cmdSalvar);
    setTabOrder(m_cmdSalvar, m_cmdNovo);
    if (date())
        setTabOrder(m_cmdNovo, date());

    leaveChecks().add(keyField(), [this] { return lookUp(); });
    connect(m_cmdSalvar, &QPushButton::clicked, this, &ModifyRecordWindow::storeChanges);
    connect(m_cmdNovo, &QPushButton::clicked, this, &ModifyRecordWindow::deleteRecord);
    finishSetup();

    guarded([this] { service().open(); });
    keyField()->setFocus();
}

QWidget* ModifyRecordWindow::keyField() const
{
    return fields().field(service().keyColumn());
}

bool ModifyRecordWindow::lookUp()
{
    // Whatever was shown is dropped: the lookup re-reads the table.
    m_showing = false;
    const QString key = platform::fieldText(keyField());
    std::optional<counter::Record> found;
    if (!guarded([&] { found = service().find(key); }))
        return false;
    if (!found) {
        MessageBox::information(this, m_flow.notFoundTitle, m_flow.notFound);
        if (auto* edit = qobject_cast<QLineEdit*>(keyField()))
            edit->clear();
        return false;
    }
    // Nothing of the record shown before may stay on screen.
    clearFields();
    showRecord(*found);
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
    MessageBox::information(this, QString::fromUtf8(SystemInfoTitle), m_flow.noneShown);
    keyField()->setFocus();
    return false;
}

void ModifyRecordWindow::finish(const counter::RecordService::Outcome& outcome)
{
    if (outcome.status == counter::RecordService::Outcome::Gone)
        MessageBox::information(this, m_flow.notFoundTitle, m_flow.notFound);
    clearFields();
    m_showing = false;
    keyField()->setFocus();
}

void ModifyRecordWindow::storeChanges()
{
    if (!mayAct() || !fields().readyToStore(this))
        return;
    counter::RecordService::Outcome outcome;
    if (!guarded([&] { outcome = service().change(m_shownKey, readRecord()); }))
        return;
    using Outcome = counter::RecordService::Outcome;
    if (outcome.status == Outcome::Taken || outcome.status == Outcome::Refused)
        explain(outcome, m_flow.taken.value(outcome.column));
    else
        finish(outcome);
}

void ModifyRecordWindow::deleteRecord()
{
    if (!mayAct())
        return;
    if (!MessageBox::question(this, QStringLiteral("Pergunta de Exclusão de Registro"),
                              m_flow.askDelete + platform::fieldText(m_flow.name)))
        return;
    counter::RecordService::Outcome outcome;
    if (guarded([&] { outcome = service().remove(m_shownKey); }))
        finish(outcome);
}
