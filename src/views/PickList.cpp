#include "PickList.h"

#include "store/StoreError.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSqlError>
#include <QSqlQuery>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>

namespace views {

using store::RowItems;

void PickList::RowCounts::assign(const std::vector<RowItems>& rows)
{
    m_rowids.resize(rows.size());
    m_counts.resize(rows.size());
    m_tree.assign(rows.size() + 1, 0);
    for (size_t i = 0; i < rows.size(); ++i) {
        m_rowids[i] = rows[i].rowid;
        m_counts[i] = rows[i].count;
        // Linear Fenwick build: each node hands its sum on to its parent.
        const size_t node = i + 1;
        m_tree[node] += rows[i].count;
        const size_t parent = node + (node & (~node + 1));
        if (parent < m_tree.size())
            m_tree[parent] += m_tree[node];
    }
}

qsizetype PickList::RowCounts::find(qint64 rowid) const
{
    return std::lower_bound(m_rowids.begin(), m_rowids.end(), rowid) - m_rowids.begin();
}

bool PickList::RowCounts::holds(qsizetype at, qint64 rowid) const
{
    return at < qsizetype(m_rowids.size()) && m_rowids[size_t(at)] == rowid;
}

int PickList::RowCounts::itemsBefore(qsizetype at) const
{
    int sum = 0;
    for (size_t node = size_t(at); node > 0; node &= node - 1)
        sum += m_tree[node];
    return sum;
}

void PickList::RowCounts::add(qsizetype at, int delta)
{
    for (size_t node = size_t(at) + 1; node < m_tree.size(); node += node & (~node + 1))
        m_tree[node] += delta;
}

void PickList::RowCounts::setCount(qsizetype at, int count)
{
    add(at, count - m_counts[size_t(at)]);
    m_counts[size_t(at)] = count;
}

// A row that no longer gives items keeps its place with none, so a new row
// only ever comes at the end, where it costs no more than a change.
void PickList::RowCounts::insert(qsizetype at, qint64 rowid, int count)
{
    if (at == qsizetype(m_rowids.size())) {
        m_rowids.push_back(rowid);
        m_counts.push_back(count);
        const size_t node = m_tree.size();
        const size_t low = node & (~node + 1);
        m_tree.push_back(count + itemsBefore(qsizetype(node - 1)) - itemsBefore(qsizetype(node - low)));
        return;
    }
    // A rowid below the last one known (written by hand): placed by a new sum.
    std::vector<RowItems> rows;
    rows.reserve(m_rowids.size() + 1);
    for (size_t i = 0; i < m_rowids.size(); ++i) {
        if (qsizetype(i) == at)
            rows.push_back({rowid, count});
        rows.push_back({m_rowids[i], m_counts[i]});
    }
    assign(rows);
}

PickList::PickList(store::Database& db, store::PickListKind kind)
    : m_db(db), m_kind(kind), m_source(store::pickSource(kind))
{
    connect(&m_loadWatcher, &QFutureWatcherBase::finished, this, [this] {
        if (m_load.isValid() && m_load.isFinished())
            takeLoaded();
    });
}

namespace {

// The lists are read one after the other, the first asked for first: read
// side by side they would share the processor and all be late.
QThreadPool* loadPool()
{
    static QPointer<QThreadPool> pool;
    if (!pool) {
        pool = new QThreadPool(QCoreApplication::instance());
        pool->setMaxThreadCount(1);
    }
    return pool;
}

PickList& keptList(store::Database& db, store::PickListKind kind)
{
    for (const auto& watcher : db.watchers()) {
        auto* known = dynamic_cast<PickList*>(watcher.get());
        if (known && known->kind() == kind)
            return *known;
    }
    return static_cast<PickList&>(db.keepWatcher(std::make_unique<PickList>(db, kind)));
}

} // namespace

PickList& pickList(store::Database& db, store::PickListKind kind)
{
    PickList& list = keptList(db, kind);
    list.refresh();
    return list;
}

PickList& loadPickList(store::Database& db, store::PickListKind kind)
{
    PickList& list = keptList(db, kind);
    list.loadInBackground();
    return list;
}

void PickList::rowWritten(const char* table, qint64 rowid)
{
    if ((!m_stale || loading()) && m_source.table == QLatin1String(table))
        m_written.insert(rowid);
}

void PickList::loadInBackground()
{
    if (loading() || !m_stale || !m_db.watchesWrites())
        return;
    // Rows written from now on are read again once the list is in.
    m_dataVersion = dataVersion();
    m_written.clear();
    m_loadTold = true;
    const QString folder = m_db.folder();
    const store::PickSource* source = &m_source;
    m_load = QtConcurrent::run(loadPool(), [folder, source] {
        Read read;
        try {
            // Qt SQL connections belong to the thread that opens them.
            store::Database reader(folder, store::Database::Access::ReadOnly);
            store::readPickItems(
                reader, *source, [&](QStringView item) { read.items.append(item); }, &read.rows);
            read.ok = true;
        } catch (const store::StoreError&) {
            // refresh() reads it again, and reports the file.
        } catch (const std::bad_alloc&) {
        }
        return read;
    });
    m_loadWatcher.setFuture(m_load);
}

void PickList::takeLoaded()
{
    m_load.waitForFinished();
    Read read = m_load.result();
    m_load = QFuture<Read>();
    if (!read.ok || !m_loadTold) {
        emit loadEnded(false);
        return; // still stale: refresh() reads the whole list
    }
    m_rows.assign(read.rows);
    m_stale = false;
    setItems(std::move(read.items));
    emit loaded();
    emit loadEnded(true);
}

// Changes committed by any other connection since the last look.
qint64 PickList::dataVersion()
{
    return m_db.dataVersion();
}

// Another counter's new customer or video shows at once, row by row.
void PickList::noticesTold()
{
    if (loading() || m_stale || m_written.isEmpty() || m_db.inTransaction())
        return;
    try {
        refresh();
    } catch (const store::StoreError&) {
        // The next use reads the list again and reports the server.
        m_stale = true;
    }
}

void PickList::refresh()
{
    if (loading())
        takeLoaded();
    const qint64 version = dataVersion();
    // Without the connection's own write notices every refresh reads all.
    if (!m_db.watchesWrites() || version != m_dataVersion)
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
    CompactTexts items;
    std::vector<RowItems> rows;
    store::readPickItems(
        m_db, m_source, [&](QStringView item) { items.append(item); }, &rows);
    m_rows.assign(rows);
    m_written.clear();
    m_stale = false;
    setItems(std::move(items));
}

void PickList::setItems(CompactTexts items)
{
    beginResetModel();
    m_texts = std::move(items);
    endResetModel();
}

QStringList PickList::stringList() const
{
    QStringList out;
    out.reserve(m_texts.size());
    for (qsizetype i = 0; i < m_texts.size(); ++i)
        out.append(m_texts.at(i).toString());
    return out;
}

int PickList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_texts.size());
}

QVariant PickList::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_texts.size() ||
        (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return m_texts.at(index.row()).toString();
}

// Replaces the items of one row by what the file holds now; only the items
// that differ change, so a list that follows the model changes no more.
void PickList::applyRow(qint64 rowid)
{
    QStringList now;
    store::readPickItems(m_db, m_source, now, nullptr, rowid);
    const qsizetype at = m_rows.find(rowid);
    const bool known = m_rows.holds(at, rowid);
    const int first = m_rows.itemsBefore(at);
    const int before = known ? m_rows.count(at) : 0;
    const int after = int(now.size());
    for (int i = 0; i < std::min(before, after); ++i) {
        if (m_texts.at(first + i) == now.at(i))
            continue;
        m_texts.replace(first + i, now.at(i));
        emit dataChanged(index(first + i), index(first + i), {Qt::DisplayRole, Qt::EditRole});
    }
    if (after > before) {
        beginInsertRows(QModelIndex(), first + before, first + after - 1);
        m_texts.insert(first + before, now.mid(before));
        endInsertRows();
    } else if (after < before) {
        beginRemoveRows(QModelIndex(), first + after, first + before - 1);
        m_texts.remove(first + after, before - after);
        endRemoveRows();
    }
    if (known)
        m_rows.setCount(at, after);
    else if (after > 0)
        m_rows.insert(at, rowid, after);
}

} // namespace views
