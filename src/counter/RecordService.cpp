#include "RecordService.h"

#include "store/RecordCursor.h"
#include "store/Schema.h"
#include "store/StoreError.h"
#include "store/Transaction.h"

namespace counter {

RecordService::RecordService(store::Database& db, Rules rules) : m_db(db), m_rules(std::move(rules))
{
    Q_ASSERT(!m_rules.unique.isEmpty());
}

RecordService::~RecordService() = default;

store::RecordCursor& RecordService::cursor()
{
    if (!m_cursor)
        m_cursor = std::make_unique<store::RecordCursor>(m_db, m_rules.table);
    return *m_cursor;
}

void RecordService::open()
{
    cursor().refresh();
}

const Unique& RecordService::unique(const QString& column) const
{
    for (const Unique& u : m_rules.unique) {
        if (u.column == column)
            return u;
    }
    throw store::StoreError(store::StoreError::Kind::Other,
                            QStringLiteral("A coluna %1 não é única.").arg(column));
}

bool RecordService::seek(const Unique& u, const QString& value)
{
    // A taken key is sought as typed, an empty one too; an optional value
    // left empty names no record.
    return u.optional ? cursor().find(u.index, value) : cursor().lookUp(u.index, value);
}

Record RecordService::current() const
{
    Record record;
    for (const QString& column : store::table(m_rules.table)->columns)
        record.insert(column, m_cursor->value(column));
    return record;
}

std::optional<Record> RecordService::holder(const QString& column, const QString& value)
{
    if (!seek(unique(column), value))
        return std::nullopt;
    return current();
}

std::optional<Record> RecordService::find(const QString& key)
{
    if (!cursor().find(m_rules.unique.first().index, key))
        return std::nullopt;
    return current();
}

std::optional<Required> RecordService::missing(const Record& record) const
{
    for (const Required& r : m_rules.required) {
        if (record.value(r.column).toString().isEmpty())
            return r;
    }
    return std::nullopt;
}

std::optional<QString> RecordService::refused(const Record& record) const
{
    Q_UNUSED(record);
    return std::nullopt;
}

Record RecordService::stored(Record record) const
{
    for (const Unique& u : m_rules.unique) {
        const auto it = record.find(u.column);
        if (u.optional && it != record.end() && it->toString().isEmpty())
            *it = QVariant();
    }
    return record;
}

std::optional<QString> RecordService::takenColumn(const Record& record, const std::optional<QString>& own)
{
    for (const Unique& u : m_rules.unique) {
        if (!record.contains(u.column))
            continue;
        if (seek(u, record.value(u.column).toString()) && (!own || cursor().text(keyColumn()) != *own))
            return u.column;
    }
    return std::nullopt;
}

void RecordService::write(const Record& record)
{
    for (auto it = record.begin(); it != record.end(); ++it)
        cursor().setValue(it.key(), it.value());
    cursor().update();
}

RecordService::Outcome RecordService::add(const Record& record)
{
    if (const auto r = missing(record))
        return {Outcome::Missing, r->column};
    if (const auto column = refused(record))
        return {Outcome::Refused, *column};
    store::Transaction transaction(m_db);
    if (const auto column = takenColumn(record, std::nullopt))
        return {Outcome::Taken, *column};
    cursor().addNew();
    write(stored(record));
    transaction.commit();
    return {};
}

RecordService::Outcome RecordService::change(const QString& key, const Record& record)
{
    if (const auto column = refused(record))
        return {Outcome::Refused, *column};
    store::Transaction transaction(m_db);
    if (const auto column = takenColumn(record, key))
        return {Outcome::Taken, *column};
    if (!cursor().find(m_rules.unique.first().index, key))
        return {Outcome::Gone, keyColumn()};
    cursor().edit();
    write(stored(record));
    transaction.commit();
    return {};
}

RecordService::Outcome RecordService::remove(const QString& key)
{
    store::Transaction transaction(m_db);
    if (!cursor().find(m_rules.unique.first().index, key))
        return {Outcome::Gone, keyColumn()};
    cursor().remove();
    transaction.commit();
    return {};
}

} // namespace counter
