#pragma once

#include <QStringList>
#include <functional>

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

// Each customer's Nome, then Dependente1..3: a column holding an empty text
// gives an empty item, a column holding no value gives none.
QStringList customerNames(Database& db);
// Every video's Nome (no value gives none).
QStringList videoTitles(Database& db);
// Every video's Codigo (no value gives none).
QStringList videoCodes(Database& db);
// Every rental note's Codigo (no value gives none).
QStringList rentalNoteCodes(Database& db);

} // namespace store
