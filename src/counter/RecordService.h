#pragma once

#include <QList>
#include <QString>
#include <QVariantMap>
#include <memory>
#include <optional>

namespace store {
class Database;
class RecordCursor;
} // namespace store

namespace counter {

// A record as a window reads and shows it: column name -> value. A column
// left out is not written; a null value stores no value.
using Record = QVariantMap;

// A field a record is not registered without.
struct Required
{
    QString column;
    QString name; // as the required-field message names it
};

// A column no two records share, sought through its unique index.
struct Unique
{
    QString column;
    QString index;
    // An optional value: left empty it is no value at all, never taken.
    bool optional = false;
};

// Registers, changes and deletes the records of one table under their field
// rules. Every write is one transaction that checks the unique columns again
// right before it, so no two records ever share a key. Throws StoreError.
class RecordService
{
public:
    struct Rules
    {
        QString table;
        QList<Unique> unique;     // the first is the record's key
        QList<Required> required; // in the order the operator is told
    };

    struct Outcome
    {
        enum Status {
            Done,
            Taken,   // another record holds the unique column
            Missing, // a required column is empty
            Refused, // the column's value breaks its rule
            Gone,    // the record is no longer on file
        };
        Status status = Done;
        QString column; // the column at fault
    };

    RecordService(store::Database& db, Rules rules);
    virtual ~RecordService();
    Q_DISABLE_COPY_MOVE(RecordService)

    const Rules& rules() const { return m_rules; }
    // Opens the table now, so that a file that fails says so when the
    // window opens rather than at the first lookup.
    void open();
    const QString& keyColumn() const { return m_rules.unique.first().column; }

    // The record that holds value in the unique column, read afresh.
    std::optional<Record> holder(const QString& column, const QString& value);
    // The record of the key; an empty key names none.
    std::optional<Record> find(const QString& key);

    // The first required column record leaves empty.
    std::optional<Required> missing(const Record& record) const;
    // The first column whose value the table's rules refuse.
    virtual std::optional<QString> refused(const Record& record) const;

    // A new record, complete and with every unique value free.
    Outcome add(const Record& record);
    // The record of key takes record's columns; its unique values must stay
    // its own. The required columns are not asked again here: the record
    // was complete when registered.
    Outcome change(const QString& key, const Record& record);
    Outcome remove(const QString& key);

protected:
    // The record as it is stored: an empty optional unique value is no
    // value, which the unique index admits for any number of records.
    virtual Record stored(Record record) const;

private:
    store::RecordCursor& cursor();
    const Unique& unique(const QString& column) const;
    bool seek(const Unique& u, const QString& value);
    Record current() const;
    // A unique column of record that a record other than the one keyed own
    // holds (any record without own).
    std::optional<QString> takenColumn(const Record& record, const std::optional<QString>& own);
    void write(const Record& record);

    store::Database& m_db;
    const Rules m_rules;
    // Opened on first use: a file that failed as the window opened is tried again.
    std::unique_ptr<store::RecordCursor> m_cursor;
};

} // namespace counter
