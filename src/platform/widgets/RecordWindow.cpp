#include "RecordWindow.h"

#include "Fields.h"
#include "RecordFields.h"
#include "platform/Formats.h"
#include "store/Names.h"
#include "store/RecordCursor.h"

#include <QLabel>
#include <QLineEdit>

namespace {

// The registration date; the video table names its own alike.
const QString& DataColumn = store::names::tblClientes::Data;

} // namespace

RecordWindow::RecordWindow(store::Database& db, const QString& title, const QString& table, QWidget* parent)
    : TaskWindow(db, title, parent), m_table(table), m_grid(this)
{
}

store::RecordCursor& RecordWindow::records()
{
    return cursor(m_table);
}

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

void RecordWindow::ClearFields()
{
    m_fields->clear();
    if (m_txtData && m_dateRole == DateRole::Registration)
        m_txtData->setText(platform::todayText());
}

void RecordWindow::ShowRecord()
{
    const store::RecordCursor& row = records();
    m_fields->show(row);
    if (m_txtData && m_dateRole == DateRole::Registration)
        m_txtData->setText(row.text(DataColumn));
}

void RecordWindow::StoreRecord(Into into)
{
    store::RecordCursor& row = records();
    if (into == Into::NewRow)
        row.addNew();
    else
        row.edit();
    if (m_txtData && m_dateRole == DateRole::Registration)
        row.setValue(DataColumn, m_txtData->text());
    m_fields->write(row);
    row.update();
}
