#include "NewRecordWindow.h"

#include "Fields.h"
#include "LeaveChecks.h"
#include "MessageBox.h"
#include "RecordFields.h"
#include "SaveOrNew.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

void NewRecordWindow::startFlow(Flow flow)
{
    m_flow = std::move(flow);
    QLineEdit* txtData = addDate(DateRole::Registration, m_flow.dateLabel);
    m_buttons = new SaveOrNew(this, grid().layout(), fields().nextRow(), 3);

    QWidget* last = fields().setTabOrder(nullptr);
    setTabOrder(last, m_buttons->cmdSalvar);
    setTabOrder(m_buttons->cmdSalvar, txtData);
    setTabOrder(txtData, m_buttons->cmdNovo);

    for (const Key& key : std::as_const(m_flow.keys))
        leaveChecks().add(fields().field(key.column), [this, key] { return leaveKey(key); });
    connect(m_buttons->cmdSalvar, &QPushButton::clicked, this, &NewRecordWindow::save);
    connect(m_buttons->cmdNovo, &QPushButton::clicked, this, &NewRecordWindow::startOver);
    finishSetup();

    guarded([this] { service().open(); });
    firstKey()->setFocus();
}

QWidget* NewRecordWindow::firstKey() const
{
    return fields().field(m_flow.keys.first().column);
}

bool NewRecordWindow::leaveKey(const Key& key)
{
    const QString text = platform::fieldText(fields().field(key.column));
    std::optional<counter::Record> holder;
    return TaskWindow::leaveKey(
        [&] {
            holder = service().holder(key.column, text);
            return holder.has_value();
        },
        [&] { showDuplicate(*holder); }, key.next);
}

void NewRecordWindow::showDuplicate(const counter::Record& record)
{
    MessageBox::information(this, QString::fromUtf8(SystemInfoTitle), m_flow.duplicate);
    showRecord(record);
    m_buttons->offerNew();
}

void NewRecordWindow::save()
{
    // An access key clicks without leaving the field being typed in: leave
    // it first, as a click would. A duplicate found there offers Novo instead.
    if (!leaveChecks().leaveFocused() || !m_buttons->cmdSalvar->isEnabled())
        return;
    if (const auto missing = service().missing(readRecord())) {
        explain({counter::RecordService::Outcome::Missing, missing->column}, m_flow.duplicate);
        return;
    }
    if (!fields().readyToStore(this))
        return;

    // The service checks the keys again right before writing: the fields
    // may have changed since they were left, or never been left at all. A
    // taken key keeps what was typed and sends the operator to the field.
    counter::RecordService::Outcome outcome;
    if (!guarded([&] { outcome = service().add(readRecord()); }))
        return;
    if (outcome.status != counter::RecordService::Outcome::Done) {
        explain(outcome, m_flow.duplicate);
        return;
    }

    if (askForAnother(m_flow.another)) {
        clearFields();
        firstKey()->setFocus();
    }
}

void NewRecordWindow::startOver()
{
    clearFields();
    m_buttons->offerSave();
    firstKey()->setFocus();
}
