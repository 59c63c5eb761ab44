#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

namespace store {

class Database;

// Daily copies of the data file, kept beside it as
// "Fenwaurda-copia-AAAA-MM-DD.mdb", the newest KeptBackups days.
constexpr int KeptBackups = 7;

QString backupFileName(const QDate& day);

// Copies the open data file to the day's backup (replacing an earlier copy
// of the same day), checks the copy and drops copies older than the newest
// KeptBackups. A copy is put in place only once checked, so a failure leaves
// the earlier copies as they were. Returns the copy's path; throws StoreError.
QString keepBackup(Database& db, const QDate& day);

// The backups in folder, newest first.
QStringList backups(const QString& folder);

// True when the file at path is whole and holds the program's tables.
bool isGoodCopy(const QString& path);

// The newest backup in folder that is good, or an empty text.
QString newestGoodBackup(const QString& folder);

// What to tell the operator about a damaged data file in folder: the newest
// good backup and how to go back to it, or that there is none.
QString backupAdvice(const QString& folder);

// Checks every page of the open data file (SQLite's quick_check); throws a
// StoreError of kind Damaged naming the file when it is not whole.
void checkWhole(Database& db);

} // namespace store
