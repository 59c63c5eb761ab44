#pragma once

#include "CompactTexts.h"
#include "store/Database.h"
#include "store/Queries.h"

#include <QAbstractListModel>
#include <QFuture>
#include <QFutureWatcher>
#include <QSet>
#include <vector>

namespace views {

// One pick list of the shop (every customer's names, every video's title
// or code), read once per run and kept current as records are stored,
// changed or deleted: bringing it up to date reads only the rows written
// since, and changes only their items. Kept by the database it reads.
class PickList final : public QAbstractListModel, public store::WriteWatcher, public KeepsCompactTexts
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PickList)
public:
    PickList(store::Database& db, store::PickListKind kind);

    store::PickListKind kind() const { return m_kind; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // The items as they stand, for a reader that wants no QVariant each.
    const CompactTexts& texts() const override { return m_texts; }
    // Every item, as a list of its own.
    QStringList stringList() const;

    // Reads the rows written since the last call (all of them the first
    // time, or when what was written cannot be told). Throws StoreError.
    void refresh();

    // Starts reading the whole list in the background, on a connection of
    // the reading thread's own, unless it is read already or being read:
    // the list is there when loaded() is emitted, or at the next refresh()
    // (which waits for the read). Rows written meanwhile are read again then.
    void loadInBackground();
    bool loading() const { return m_load.isValid(); }

signals:
    // A read started by loadInBackground() is in the list.
    void loaded();
    // A read started by loadInBackground() has ended, in the list or not
    // (then the next refresh() reads it).
    void loadEnded(bool inList);

public:
    // From the database: a row of table was written on its connection.
    void rowWritten(const char* table, qint64 rowid) override;
    void noticesTold() override;
    // What was written cannot be told (the connection was closed).
    void forget() override
    {
        m_stale = true;
        m_loadTold = false;
    }
    // Only the listed columns matter: a shelf count changed by a rental is
    // not a change of the list.
    QString watchedTable() const override { return m_source.table; }
    QStringList watchedColumns() const override { return m_source.columns; }

private:
    struct Read
    {
        CompactTexts items;
        std::vector<store::RowItems> rows;
        bool ok = false;
    };
    void takeLoaded();

    // The rows of the table as the list knows them, in table order, with how
    // many items each gives; the items before a row are summed in log time,
    // so that bringing one row up to date costs the same in any catalogue.
    class RowCounts
    {
    public:
        void assign(const std::vector<store::RowItems>& rows);
        // The position of rowid, or where it would go.
        qsizetype find(qint64 rowid) const;
        bool holds(qsizetype at, qint64 rowid) const;
        int count(qsizetype at) const { return m_counts[size_t(at)]; }
        // How many items the rows before position at give.
        int itemsBefore(qsizetype at) const;
        void setCount(qsizetype at, int count);
        void insert(qsizetype at, qint64 rowid, int count);

    private:
        void add(qsizetype at, int delta);
        std::vector<qint64> m_rowids;
        std::vector<int> m_counts;
        std::vector<int> m_tree; // Fenwick sums of m_counts, from 1
    };

    void reload();
    void setItems(CompactTexts items);
    void applyRow(qint64 rowid);
    qint64 dataVersion();

    store::Database& m_db;
    const store::PickListKind m_kind;
    const store::PickSource& m_source;
    CompactTexts m_texts;
    RowCounts m_rows;
    QSet<qint64> m_written;
    bool m_stale = true;
    qint64 m_dataVersion = -1;
    QFuture<Read> m_load;
    QFutureWatcher<Read> m_loadWatcher;
    // No write went untold while the background read ran.
    bool m_loadTold = false;
};

// The database's pick list of kind, brought up to date; the same object for
// the whole life of the database. Throws StoreError.
PickList& pickList(store::Database& db, store::PickListKind kind);
// The same list, its first read started in the background (see
// PickList::loadInBackground); for the program's start.
PickList& loadPickList(store::Database& db, store::PickListKind kind);

} // namespace views
