#pragma once

#include <QStringList>

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
// Every rental note's Codigo (no value gives none).
QStringList rentalNoteCodes(Database& db);

} // namespace store
