#include "PeopleSearch.h"

#include "store/Names.h"
#include "store/RecordCursor.h"
#include "store/Schema.h"

namespace counter {

using namespace store::names;

PeopleSearch::PeopleSearch(store::Database& db) : m_db(db) {}

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
        for (const QString& column : store::table(tblClientes::Table)->columns)
            person.customer.insert(column, row.text(column));
        return person;
    }
    return std::nullopt;
}

} // namespace counter
