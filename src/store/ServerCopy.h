#pragma once

#include <QList>
#include <QString>
#include <functional>

namespace store {

// The rows of one table, in the file and on the server alike once copied.
struct CopiedTable
{
    QString table;
    qint64 rows = 0;
};

struct CopyResult
{
    QList<CopiedTable> tables; // in the order they were copied
    qint64 rows = 0;           // all of them
};

// Told now and then of the rows copied so far, of the total.
using CopyProgress = std::function<void(qint64 done, qint64 total)>;

// Copies the shop of the data file in folder (the four tables, the history,
// the composing notes and the settings) into the empty database of the
// server at address, in one transaction of the server: the tables are made
// there, every row copied with its row number, the numbering set past the
// copied rows, the counts of every table compared with the file's, and
// only then committed. On any failure nothing is left on the server. The
// file is only read, in one read transaction, so the copy is of one moment
// of the shop. A database that already holds tables is refused, and so is
// a file of another version of the program (opening it would change it).
// Throws StoreError with a message for the operator.
CopyResult copyToServer(const QString& folder, const QString& address, const CopyProgress& progress = {});

} // namespace store
