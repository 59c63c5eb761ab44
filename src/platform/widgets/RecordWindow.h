#pragma once

#include "FormGrid.h"
#include "TaskWindow.h"
#include "counter/RecordService.h"

#include <memory>

class RecordFields;

// Base of the windows that register, change or delete the records of one
// table through a field set: the window's grid, the table's service, the
// optional date field and the three acts on the fields. Every decision on a
// record is the service's.
class RecordWindow : public TaskWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecordWindow)
protected:
    // The title of the flows' own messages.
    static constexpr const char* SystemInfoTitle = "Informação do Sistema";

    RecordWindow(store::Database& db, const QString& title, std::unique_ptr<counter::RecordService> service,
                 QWidget* parent);
    ~RecordWindow() override;

    FormGrid& grid() { return m_grid; }
    counter::RecordService& service() { return *m_service; }
    const counter::RecordService& service() const { return *m_service; }
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
    void clearFields();
    // A record into the fields, with a registration date.
    void showRecord(const counter::Record& record);
    // The fields as a record, with a registration date.
    counter::Record readRecord() const;
    // Tells the operator why the service did not store: a required field
    // left empty is named; the field at fault gets the focus. taken is the
    // message for a unique value another record holds.
    void explain(const counter::RecordService::Outcome& outcome, const QString& taken);

private:
    FormGrid m_grid;
    const std::unique_ptr<counter::RecordService> m_service;
    RecordFields* m_fields = nullptr;
    QLineEdit* m_txtData = nullptr;
    DateRole m_dateRole = DateRole::Today;
};
