#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace store {

class Database;

// One distinct combination of the grouping columns, with the rows that hold it.
struct Group
{
    QStringList key;     // the grouping columns' values; no value reads as an empty text
    QList<int> children; // positions in GroupedRows::rows, in table order
};

// A whole table read at one moment and grouped by some of its columns.
struct GroupedRows
{
    QString table;
    QStringList columns; // every column of the table, in table order
    QStringList by;      // the grouping columns, in the order asked
    QList<Group> groups; // in the order each combination first appears

    // A grouping column's value in a group, by column name.
    QString value(const Group& group, const QString& column) const;
    int rowCount() const { return int(packedRows.size()); }
    // Row i, columns in table order; a null QString is no value.
    QStringList row(int i) const;

    // Each row in one string (a big shop has millions of values): every
    // value is preceded by its length plus one in two characters, 0 for
    // no value.
    QList<QString> packedRows;
};

// Reads every row of table, in insertion order, in one statement, and groups
// the rows that agree in every column of by (an empty text and no value
// count as the same, as every reader prints them alike). Throws StoreError;
// a table or column not in the schema is a programming error (kind Other).
GroupedRows groupRows(Database& db, const QString& table, const QStringList& by);

} // namespace store
