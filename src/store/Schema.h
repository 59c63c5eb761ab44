#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace store {

constexpr int SchemaVersion = 1;

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

    // "tblVideos" + "indCodigo" -> "tblVideos_indCodigo": SQLite keeps one
    // namespace for index names and the same index name serves three tables.
    QString fileIndexName(const QString& index) const { return name + '_' + index; }
    std::optional<IndexDef> index(const QString& name) const;
    bool hasColumn(const QString& column) const { return columns.contains(column); }
};

const QList<TableDef>& tables();
// nullptr for a name that is not one of the four tables.
const TableDef* table(const QString& name);

// The statements that create every table and index of an empty file.
QStringList createStatements();

// Quotes a schema name for SQL ("Video-1" -> "\"Video-1\"").
QString quoted(const QString& name);

// "SELECT rowid, <every column> FROM <table>", the row shape cursors read.
QString selectColumns(const TableDef& table);
// The statement a cursor seeks with: the first row, in insertion order,
// whose indexed column equals the one bound value.
QString seekStatement(const TableDef& table, const IndexDef& index);

} // namespace store
