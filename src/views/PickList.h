#pragma once

#include "store/Database.h"
#include "store/Queries.h"

#include <QSet>
#include <QStringListModel>
#include <vector>

namespace views {

// One pick list of the shop (every customer's names, every video's title
// or code), read once per run and kept current as records are stored,
// changed or deleted: bringing it up to date reads only the rows written
// since, and changes only their items. Kept by the database it reads.
class PickList final : public QStringListModel, public store::WriteWatcher
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PickList)
public:
    PickList(store::Database& db, store::PickListKind kind);

    store::PickListKind kind() const { return m_kind; }

    // Reads the rows written since the last call (all of them the first
    // time, or when what was written cannot be told). Throws StoreError.
    void refresh();

    // From the database: a row of table was written on its connection.
    void rowWritten(const char* table, qint64 rowid) override;
    // What was written cannot be told (the connection was closed).
    void forget() override { m_stale = true; }

private:
    void reload();
    void applyRow(qint64 rowid);
    qint64 dataVersion();

    store::Database& m_db;
    const store::PickListKind m_kind;
    const store::PickSource& m_source;
    std::vector<store::RowItems> m_rows; // the rows that give items, in table order
    QSet<qint64> m_written;
    bool m_stale = true;
    qint64 m_dataVersion = -1;
};

// The database's pick list of kind, brought up to date; the same object for
// the whole life of the database. Throws StoreError.
PickList& pickList(store::Database& db, store::PickListKind kind);

} // namespace views
