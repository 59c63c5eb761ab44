#pragma once

#include "Database.h"
#include "Queries.h"

#include <QSet>
#include <QStringListModel>
#include <vector>

namespace store {

class Database;

// One pick list of the shop (every customer's names, every video's title
// or code), read once per run and kept current as records are stored,
// changed or deleted: bringing it up to date reads only the rows written
// since, and changes only their items. Owned by the database.
class PickList : public QStringListModel
{
public:
    PickList(Database& db, PickListKind kind);

    // Reads the rows written since the last call (all of them the first
    // time, or when what was written cannot be told). Throws StoreError.
    void refresh();

    // From the database: a row of table was written on its connection.
    void rowWritten(const char* table, qint64 rowid);
    // What was written cannot be told (the connection was closed).
    void forget() { m_stale = true; }

private:
    void reload();
    void applyRow(qint64 rowid);
    qint64 dataVersion();

    Database& m_db;
    const PickSource& m_source;
    std::vector<RowItems> m_rows; // the rows that give items, in table order
    QSet<qint64> m_written;
    bool m_stale = true;
    qint64 m_dataVersion = -1;
};

} // namespace store
