#include "PeopleSearch.h"

#include "KeptStatements.h"
#include "store/Names.h"
#include "store/RecordCursor.h"
#include "store/Schema.h"

namespace counter {

using namespace store::names;

PeopleSearch::PeopleSearch(store::Database& db) : m_db(db), m_statements(std::make_unique<KeptStatements>(db))
{
}

PeopleSearch::~PeopleSearch() = default;

store::RecordCursor& PeopleSearch::customers()
{
    // Opened when first needed, so that a file that failed once is tried
    // again on the next search.
    if (!m_customers)
        m_customers = std::make_unique<store::RecordCursor>(m_db, tblClientes::Table);
    return *m_customers;
}

void PeopleSearch::refresh()
{
    customers().refresh();
}

std::optional<PeopleSearch::Person> PeopleSearch::find(const QString& name)
{
    store::RecordCursor& row = customers();
    for (const QString& index : tblClientes::NameIndexes) {
        if (!row.find(index, name))
            continue;
        Person person;
        person.role = &index == &tblClientes::NameIndexes.front() ? Role::Holder : Role::Dependant;
        person.name = name;
        for (const QString& column : store::table(tblClientes::Table)->columns)
            person.customer.insert(column, row.text(column));
        return person;
    }
    return std::nullopt;
}

QList<PeopleSearch::Person> PeopleSearch::findAll(const QStringList& names)
{
    // One kept statement per name column; equal names sit in its index in
    // the order stored.
    static const std::array<QString, 4> sql = [] {
        const QStringList columns = store::table(tblClientes::Table)->columns;
        QStringList quotedColumns;
        for (const QString& column : columns)
            quotedColumns.append(store::quoted(column));
        std::array<QString, 4> all;
        for (size_t i = 0; i < all.size(); ++i)
            all[i] = QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ? ORDER BY rowid")
                         .arg(quotedColumns.join(QStringLiteral(", ")), store::quoted(tblClientes::Table),
                              store::quoted(tblClientes::NameColumns[i]));
        return all;
    }();
    const QStringList columns = store::table(tblClientes::Table)->columns;
    QList<Person> people;
    for (size_t i = 0; i < tblClientes::NameColumns.size(); ++i) {
        for (const QString& name : names) {
            if (KeptStatements::namesNothing(name))
                continue;
            m_statements->each(
                i, sql[i], {name},
                [&](const KeptStatements::Row& r) {
                    Person person;
                    person.role = i == 0 ? Role::Holder : Role::Dependant;
                    person.name = name;
                    for (qsizetype c = 0; c < columns.size(); ++c)
                        person.customer.insert(columns.at(c), r.text(int(c)));
                    people.append(person);
                },
                QStringLiteral("buscar na tabela %1").arg(tblClientes::Table));
        }
    }
    return people;
}

QString PeopleSearch::withNumber(const QString& name, const QString& code)
{
    return code.isEmpty() ? name : QStringLiteral("%1 (nº %2)").arg(name, code);
}

QString PeopleSearch::Person::code() const
{
    return customer.value(tblClientes::Codigo);
}

QString PeopleSearch::Person::holder() const
{
    return role == Role::Holder ? QString() : customer.value(tblClientes::Nome);
}

} // namespace counter
