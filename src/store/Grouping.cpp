#include "Grouping.h"

#include "Queries.h"
#include "Schema.h"
#include "StoreError.h"

#include <QHash>

namespace store {

QString GroupedRows::value(const Group& group, const QString& column) const
{
    const qsizetype i = by.indexOf(column);
    return i < 0 ? QString() : group.key.at(i);
}

GroupedRows groupRows(Database& db, const QString& tableName, const QStringList& by)
{
    const TableDef* t = table(tableName);
    if (!t)
        throw StoreError(StoreError::Kind::Other, QStringLiteral("Tabela desconhecida: %1").arg(tableName));
    QList<int> keyColumns;
    for (const QString& c : by) {
        if (!t->hasColumn(c))
            throw StoreError(StoreError::Kind::Other,
                             QStringLiteral("Coluna desconhecida: %1.%2").arg(tableName, c));
        keyColumns.append(int(t->columns.indexOf(c)));
    }

    GroupedRows out;
    out.table = t->name;
    out.columns = t->columns;
    out.by = by;

    QStringList cols;
    for (const QString& c : t->columns)
        cols.append(quoted(c));
    const QString sql = QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                            .arg(cols.join(QLatin1String(", ")), quoted(t->name));

    const int width = int(t->columns.size());
    QHash<QStringList, int> groupOf;
    QStringList row;
    row.reserve(width);
    forEachValue(db, sql, width, [&](int column, QString value) {
        row.append(std::move(value));
        if (column + 1 < width)
            return;
        QStringList key;
        key.reserve(keyColumns.size());
        for (int k : keyColumns) {
            const QString& v = row.at(k);
            key.append(v.isNull() ? QString(QLatin1String("")) : v);
        }
        const int position = int(out.rows.size());
        auto found = groupOf.constFind(key);
        if (found == groupOf.cend()) {
            groupOf.insert(key, int(out.groups.size()));
            out.groups.append(Group{std::move(key), {position}});
        } else {
            out.groups[*found].children.append(position);
        }
        out.rows.append(std::move(row));
        row = QStringList();
        row.reserve(width);
    });
    return out;
}

} // namespace store
