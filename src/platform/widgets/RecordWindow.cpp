#include "RecordWindow.h"

#include "Fields.h"
#include "MessageBox.h"
#include "RecordFields.h"
#include "platform/Formats.h"
#include "store/Names.h"

#include <QLabel>
#include <QLineEdit>

namespace {

// The registration date; the video table names its own alike.
const QString& DataColumn = store::names::tblClientes::Data;

} // namespace

RecordWindow::RecordWindow(store::Database& db, const QString& title,
                           std::unique_ptr<counter::RecordService> service, QWidget* parent)
    : TaskWindow(db, title, parent), m_grid(this), m_service(std::move(service))
{
}

RecordWindow::~RecordWindow() = default;

QLineEdit* RecordWindow::addDate(DateRole role, const char* label)
{
    m_dateRole = role;
    if (role == DateRole::Registration) {
        m_txtData = platform::namedLineEdit(this, "txtData");
        m_txtData->setReadOnly(true);
    } else {
        m_txtData = displayField(this, "txtData");
    }
    if (!label)
        m_txtData->setAccessibleName(QStringLiteral("Data do cadastro"));
    // Top right, the label next to the date.
    for (QLabel* l : m_grid.add({{m_txtData, label, 0, label ? 2 : 3, 1, 1800}}))
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_txtData->setText(platform::todayText());
    return m_txtData;
}

void RecordWindow::clearFields()
{
    m_fields->clear();
    if (m_txtData && m_dateRole == DateRole::Registration)
        m_txtData->setText(platform::todayText());
}

void RecordWindow::showRecord(const counter::Record& record)
{
    m_fields->show(record);
    if (m_txtData && m_dateRole == DateRole::Registration)
        m_txtData->setText(record.value(DataColumn).toString());
}

counter::Record RecordWindow::readRecord() const
{
    counter::Record record = m_fields->read();
    if (m_txtData && m_dateRole == DateRole::Registration)
        record.insert(DataColumn, m_txtData->text());
    return record;
}

void RecordWindow::explain(const counter::RecordService::Outcome& outcome, const QString& taken)
{
    using Outcome = counter::RecordService::Outcome;
    QWidget* field = m_fields->field(outcome.column);
    switch (outcome.status) {
    case Outcome::Done:
    case Outcome::Gone:
        return;
    case Outcome::Missing:
        // The service found it empty: the message names it as the rule does.
        for (const counter::Required& r : m_service->rules().required) {
            if (r.column == outcome.column)
                sayRequired(field, r.name);
        }
        return;
    case Outcome::Taken:
        MessageBox::information(this, QString::fromUtf8(SystemInfoTitle), taken);
        break;
    case Outcome::Refused:
        // The fields say why where the value is typed.
        break;
    }
    field->setFocus();
}
