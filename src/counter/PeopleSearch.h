#pragma once

#include <QHash>
#include <QString>
#include <memory>
#include <optional>

namespace store {
class Database;
class RecordCursor;
} // namespace store

namespace counter {

// Finds a person by name, as an account holder or as one of the three
// dependants, in that order: a holder is found before any customer's
// dependant of the same name. The empty name names nobody, though many
// records hold empty dependants. Every call that reads throws StoreError.
class PeopleSearch final
{
public:
    enum class Role { Holder, Dependant };
    struct Person
    {
        Role role = Role::Holder;
        QHash<QString, QString> customer; // the holder's row, column -> text
    };

    explicit PeopleSearch(store::Database& db);
    ~PeopleSearch();
    PeopleSearch(const PeopleSearch&) = delete;
    PeopleSearch& operator=(const PeopleSearch&) = delete;

    // Opens the customers' table and re-reads it, so that a window learns
    // at once whether the file can be read.
    void refresh();
    std::optional<Person> find(const QString& name);

private:
    store::RecordCursor& customers();

    store::Database& m_db;
    std::unique_ptr<store::RecordCursor> m_customers; // opened on first use
};

} // namespace counter
