#pragma once

#include "Names.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace store {

// 1: the four tables. 2: adds the program's own PendingCopies. 3: adds the
// history, NoteHistory and RentedVideos, and the shop's Settings. 4: adds
// the search indexes PeopleSearch and VideoSearch. 5: PendingCopies by
// counter (Estacao), for counters sharing a server.
constexpr int SchemaVersion = 5;
// The version that brought the search indexes, slow to build on a big file.
constexpr int SearchSchemaVersion = 4;

struct IndexDef
{
    QString name;   // the name the windows use: "indCodigo"
    QString column; // the one column it covers
    bool unique;
};

struct TableDef
{
    QString name;
    QStringList columns; // in table order
    QList<IndexDef> indexes;
    // The statements cursors run, made once.
    QString rowSql;   // one row by rowid
    QString firstSql; // the first row in table order
    QString walkSql;  // every row after a rowid, in table order
    QString deleteSql;
    QString countSql;
    QStringList seekSql; // seekStatement() of each index, in their order

    // "tblVideos" + "indCodigo" -> "tblVideos_indCodigo": SQLite keeps one
    // namespace for index names and the same index name serves three tables.
    QString fileIndexName(const QString& index) const { return name + '_' + index; }
    std::optional<IndexDef> index(const QString& name) const;
    // Position of the index in indexes, or -1.
    int indexPosition(const QString& name) const;
    bool hasColumn(const QString& column) const { return columns.contains(column); }
};

const QList<TableDef>& tables();
// nullptr for a name that is not one of the four tables.
const TableDef* table(const QString& name);

// The statements that create every table and index of an empty file.
QStringList createStatements();
// The statements that add the program's own tables (any file version).
QStringList ownTableStatements();
// The statements that bring the program's own tables of a file of version
// from up to date, after ownTableStatements: the notes open in an older
// file get their history from what tblLocacao holds, and the search
// indexes every customer and video.
QStringList upgradeStatements(int from);

// The full-text table search over the given columns of the table content,
// reading its texts from there (nothing copied), words matched without
// their accents or case.
QString searchTableStatement(const QString& search, const QString& content, const QStringList& columns);

// The statements that create every table of an empty server database, with
// the same names and texts as the file: each of the four tables gets the
// row number the file keeps by itself (rowid), texts compare byte by byte
// as in the file, the search runs without full-text tables, and every
// write of a row that a list shows is told to the other counters
// (NotifyChannel). Ends by recording the version in VersionTable.
QStringList serverCreateStatements();
// A text column as the server's search compares it: lower case, the
// accents of Latin letters taken off. The same expression is indexed.
QString serverFolded(const QString& column);
// The indexes that let the server's search read only the rows that may
// match (trigrams of the folded names and titles), where the server has
// pg_trgm; without them it reads the table, with the same answers.
QStringList serverSearchIndexStatements();
inline const QString NotifyChannel = QStringLiteral("fenwarda");
inline const QString VersionTable = QStringLiteral("SchemaVersion");

// Quotes a schema name for SQL ("Video-1" -> "\"Video-1\"").
QString quoted(const QString& name);

// "SELECT rowid, <every column> FROM <table>", the row shape cursors read.
QString selectColumns(const TableDef& table);
// The statement a cursor seeks with: the first row, in insertion order,
// whose indexed column equals the one bound value.
QString seekStatement(const TableDef& table, const IndexDef& index);

} // namespace store
