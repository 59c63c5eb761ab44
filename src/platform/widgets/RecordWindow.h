#pragma once

#include "FormGrid.h"
#include "TaskWindow.h"

class RecordFields;

// Base of the windows that register, change or delete the records of one
// table through a field set: the window's grid, its cursor on the table, the
// optional date field and the three acts on the fields.
class RecordWindow : public TaskWindow
{
    Q_OBJECT
protected:
    RecordWindow(store::Database& db, const QString& title, const QString& table, QWidget* parent);

    FormGrid& grid() { return m_grid; }
    store::RecordCursor& records();
    // The window's field set, made on grid() right after this base.
    void setFields(RecordFields* fields) { m_fields = fields; }
    RecordFields& fields() const { return *m_fields; }

    enum class DateRole {
        Registration, // shown and written as Data; today's date for a new record
        Today,        // today's date, display only, never written
    };
    // The date field txtData at the top right, showing today's date; label
    // null for none.
    QLineEdit* addDate(DateRole role, const char* label);
    QLineEdit* date() const { return m_txtData; }

    // Empties the fields; a registration date shows today again.
    void ClearFields();
    // The current row into the fields, with a registration date.
    void ShowRecord();
    // Writes the fields, with a registration date, into a new row or over
    // the current one, and stores the row.
    enum class Into { NewRow, CurrentRow };
    void StoreRecord(Into into);

private:
    const QString m_table;
    FormGrid m_grid;
    RecordFields* m_fields = nullptr;
    QLineEdit* m_txtData = nullptr;
    DateRole m_dateRole = DateRole::Today;
};
