#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace store {
class Database;
class RecordCursor;
} // namespace store

namespace counter {

class KeptStatements;

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
        QString name;                     // as stored: the holder's or the dependant's
        QString code() const;             // the account's number
        QString holder() const;           // a dependant's holder; empty for a holder
    };

    // How a customer is shown where namesakes must be told apart: the name
    // with the account's number, or the name alone when no account is known
    // (a note of the version before the history).
    static QString withNumber(const QString& name, const QString& code);

    explicit PeopleSearch(store::Database& db);
    ~PeopleSearch();
    PeopleSearch(const PeopleSearch&) = delete;
    PeopleSearch& operator=(const PeopleSearch&) = delete;

    // Opens the customers' table and re-reads it, so that a window learns
    // at once whether the file can be read.
    void refresh();
    std::optional<Person> find(const QString& name);
    // Every person who bears one of names (the spellings of one name),
    // namesakes told apart by their accounts: the holders first, then the
    // dependants column by column, each in the order stored, so the first is
    // the one find() gives for the first name.
    QList<Person> findAll(const QStringList& names);

private:
    store::RecordCursor& customers();

    store::Database& m_db;
    std::unique_ptr<store::RecordCursor> m_customers; // opened on first use
    std::unique_ptr<KeptStatements> m_statements;
};

} // namespace counter
