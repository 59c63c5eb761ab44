#include "PickList.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>

namespace views {

using store::RowItems;

namespace {

// Past this many rows written, one read of the whole table is quicker.
constexpr qsizetype RereadLimit = 2000;

} // namespace

PickList::PickList(store::Database& db, store::PickListKind kind)
    : m_db(db), m_kind(kind), m_source(store::pickSource(kind))
{
}

PickList& pickList(store::Database& db, store::PickListKind kind)
{
    PickList* list = nullptr;
    for (const auto& watcher : db.watchers()) {
        auto* known = dynamic_cast<PickList*>(watcher.get());
        if (known && known->kind() == kind)
            list = known;
    }
    if (!list)
        list = &static_cast<PickList&>(db.keepWatcher(std::make_unique<PickList>(db, kind)));
    list->refresh();
    return *list;
}

void PickList::rowWritten(const char* table, qint64 rowid)
{
    if (!m_stale && m_source.table == QLatin1String(table))
        m_written.insert(rowid);
}

// Changes committed by any other connection since the last look.
qint64 PickList::dataVersion()
{
    QSqlQuery q(m_db.connection());
    if (!q.exec(QStringLiteral("PRAGMA data_version")) || !q.next())
        m_db.fail(q.lastError(), QStringLiteral("ler a lista"));
    return q.value(0).toLongLong();
}

void PickList::refresh()
{
    const qint64 version = dataVersion();
    // Without the connection's own write notices every refresh reads all.
    if (!m_db.watchesWrites() || version != m_dataVersion || m_written.size() > RereadLimit)
        m_stale = true;
    m_dataVersion = version;
    if (m_stale)
        return reload();
    QList<qint64> rowids(m_written.cbegin(), m_written.cend());
    std::sort(rowids.begin(), rowids.end());
    // Rows read inside a transaction are read again once it has ended,
    // committed or rolled back.
    if (!m_db.inTransaction())
        m_written.clear();
    for (qint64 rowid : std::as_const(rowids))
        applyRow(rowid);
}

void PickList::reload()
{
    QStringList items;
    std::vector<RowItems> rows;
    store::readPickItems(m_db, m_source, items, &rows);
    m_rows = std::move(rows);
    m_written.clear();
    m_stale = false;
    setStringList(items);
}

// Replaces the items of one row by what the file holds now; only the items
// that differ change, so a list that follows the model changes no more.
void PickList::applyRow(qint64 rowid)
{
    QStringList now;
    store::readPickItems(m_db, m_source, now, nullptr, rowid);
    const auto at = std::lower_bound(m_rows.begin(), m_rows.end(), rowid,
                                     [](const RowItems& r, qint64 id) { return r.rowid < id; });
    const bool known = at != m_rows.end() && at->rowid == rowid;
    int first = 0;
    for (auto it = m_rows.begin(); it != at; ++it)
        first += it->count;
    const int before = known ? at->count : 0;
    const int after = int(now.size());
    for (int i = 0; i < std::min(before, after); ++i)
        if (data(index(first + i), Qt::EditRole).toString() != now.at(i))
            setData(index(first + i), now.at(i));
    if (after > before) {
        insertRows(first + before, after - before);
        for (int i = before; i < after; ++i)
            setData(index(first + i), now.at(i));
    } else if (after < before) {
        removeRows(first + after, before - after);
    }
    if (known && after > 0)
        at->count = after;
    else if (known)
        m_rows.erase(at);
    else if (after > 0)
        m_rows.insert(at, {rowid, after});
}

} // namespace views
