#include "NewRecordWindow.h"

#include "Fields.h"
#include "LeaveChecks.h"
#include "MessageBox.h"
#include "RecordFields.h"
#include "SaveOrNew.h"
#include "store/RecordCursor.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString SystemInfo = QStringLiteral("Informação do Sistema");

} // namespace

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
        leaveChecks().add(key.field, [this, key] { return leaveKey(key); });
    connect(m_buttons->cmdSalvar, &QPushButton::clicked, this, &NewRecordWindow::save);
    connect(m_buttons->cmdNovo, &QPushButton::clicked, this, &NewRecordWindow::startOver);
    finishSetup();

    guarded([this] { records().refresh(); });
    m_flow.keys.first().field->setFocus();
}

bool NewRecordWindow::keyTaken(const Key& key)
{
    const QString text = platform::fieldText(key.field);
    return key.optional ? records().find(key.index, text) : records().lookUp(key.index, text);
}

bool NewRecordWindow::leaveKey(const Key& key)
{
    // Only the last key left free starts the new row; it stays pending
    // until Salvar stores it.
    const bool last = key.field == m_flow.keys.last().field;
    return TaskWindow::leaveKey([this, key] { return keyTaken(key); }, [this] { showDuplicate(); }, key.next,
                                last ? records().tableName() : QString());
}

void NewRecordWindow::showDuplicate()
{
    MessageBox::information(this, m_flow.duplicate, SystemInfo);
    ShowRecord();
    m_buttons->offerNew();
}

void NewRecordWindow::save()
{
    // An access key clicks without leaving the field being typed in: leave
    // it first, as a click would. A duplicate found there offers Novo instead.
    if (!leaveChecks().leaveFocused() || !m_buttons->cmdSalvar->isEnabled())
        return;
    for (const Required& r : std::as_const(m_flow.required)) {
        if (!requireFilled({{r.field, platform::fieldText(r.field), r.name}}))
            return;
    }
    if (!fields().readyToStore(this))
        return;

    // The keys are checked again right before writing: the fields may have
    // changed since they were left, or never been left at all. A taken key
    // keeps what was typed and sends the operator to the field.
    QWidget* taken = nullptr;
    const bool stored = guarded([&] {
        for (const Key& key : std::as_const(m_flow.keys)) {
            if (keyTaken(key)) {
                taken = key.field;
                return;
            }
        }
        StoreRecord(Into::NewRow);
    });
    if (!stored)
        return;
    if (taken) {
        MessageBox::information(this, m_flow.duplicate, SystemInfo);
        taken->setFocus();
        return;
    }

    if (askForAnother(m_flow.another)) {
        ClearFields();
        m_flow.keys.first().field->setFocus();
    }
}

void NewRecordWindow::startOver()
{
    ClearFields();
    m_buttons->offerSave();
    m_flow.keys.first().field->setFocus();
}
