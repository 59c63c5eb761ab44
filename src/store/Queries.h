#pragma once

#include <QStringList>
#include <functional>
#include <vector>

namespace store {

class Database;

// Runs sql and hands each value of the first columns of every row to
// onValue, row by row: a null view for a column holding no value, an empty
// one for an empty text; a view lasts only for the call. Reads through
// SQLite itself, since the whole tables of a big shop run to millions of
// values. Throws StoreError.
void forEachValue(Database& db, const QString& sql, int columns,
                  const std::function<void(int column, QStringView value)>& onValue);

// Whole-table reads for the pick lists, in table order, in one statement
// each (a cursor walk row by row is too slow for a big shop).

// Each customer's Nome, then Dependente1..3, leaving out every name that is
// empty or only blanks (a customer without dependants gives one item).
QStringList customerNames(Database& db);
// Every video's Nome, leaving out empty and blank ones.
QStringList videoTitles(Database& db);
// Every video's Codigo (no value gives none).
QStringList videoCodes(Database& db);
// Every rental note's Codigo (no value gives none).
QStringList rentalNoteCodes(Database& db);

// Where a pick list comes from: the columns of one table whose values, row
// by row, are its items.
struct PickSource
{
    QString table;
    QStringList columns;
    // A list of names: a value that is empty or only blanks gives no item
    // (it would show as a blank row nobody can pick). Codes keep every value.
    bool namesOnly = false;
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
// The same, each item handed to onItem as it is read.
void readPickItems(Database& db, const PickSource& source, const std::function<void(QStringView)>& onItem,
                   std::vector<RowItems>* rows, qint64 rowid = -1);

} // namespace store
