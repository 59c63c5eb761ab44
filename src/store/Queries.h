#pragma once

#include <QStringList>
#include <vector>

namespace store {

class Database;

// Whole-table reads for the pick lists, in table order, in one statement
// each (a cursor walk row by row is too slow for a big shop).

// Each customer's Nome, then Dependente1..3: a column holding an empty text
// gives an empty item, a column holding no value gives none.
QStringList customerNames(Database& db);
// Every video's Nome (no value gives none).
QStringList videoTitles(Database& db);
// Every video's Codigo (no value gives none).
QStringList videoCodes(Database& db);

// Where a pick list comes from: the columns of one table whose values, row
// by row, are its items.
struct PickSource
{
    const char* table;
    QStringList columns;
};

enum class PickListKind { CustomerNames, VideoTitles, VideoCodes };
const PickSource& pickSource(PickListKind kind);

// The items of every row of source in table order, or of the one row
// rowid when it is not -1. rows, when given, gets each row that gave items:
// its rowid and how many.
struct RowItems
{
    qint64 rowid;
    int count;
};
void readPickItems(Database& db, const PickSource& source, QStringList& items, std::vector<RowItems>* rows,
                   qint64 rowid = -1);

} // namespace store
