#include "Grouping.h"

#include "Queries.h"
#include "Schema.h"
#include "StoreError.h"

#include <QHash>

namespace store {

namespace {

void pack(QString& out, QStringView value)
{
    const quint32 mark = value.isNull() ? 0 : quint32(value.size()) + 1;
    out.append(QChar(char16_t(mark >> 16)));
    out.append(QChar(char16_t(mark & 0xffff)));
    out.append(value);
}

// The value packed at `at` (a null view for no value); moves at past it.
QStringView unpack(const QString& packed, qsizetype& at)
{
    const quint32 mark = quint32(packed.at(at).unicode()) << 16 | packed.at(at + 1).unicode();
    at += 2;
    if (!mark)
        return QStringView();
    const QStringView value = QStringView(packed).mid(at, mark - 1);
    at += mark - 1;
    // An empty text read back must not look like no value.
    return value.isEmpty() ? QStringView(u"") : value;
}

} // namespace

QString GroupedRows::value(const Group& group, const QString& column) const
{
    const qsizetype i = by.indexOf(column);
    return i < 0 ? QString() : group.key.at(i);
}

QStringList GroupedRows::row(int i) const
{
    QStringList out;
    const QString& packed = packedRows.at(i);
    for (qsizetype at = 0; at < packed.size();)
        out.append(unpack(packed, at).toString());
    return out;
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
    QHash<QString, int> groupOf;
    QString row;
    QList<qsizetype> starts(width);
    forEachValue(db, sql, width, [&](int column, QStringView value) {
        starts[column] = row.size();
        pack(row, value);
        if (column + 1 < width)
            return;
        // No value and an empty text make the same key.
        QString key;
        for (int k : keyColumns) {
            qsizetype at = starts[k];
            const QStringView v = unpack(row, at);
            pack(key, v.isNull() ? QStringView(u"") : v);
        }
        const int position = int(out.packedRows.size());
        auto found = groupOf.constFind(key);
        if (found == groupOf.cend()) {
            groupOf.insert(key, int(out.groups.size()));
            Group g;
            for (int k : keyColumns) {
                qsizetype at = starts[k];
                const QStringView v = unpack(row, at);
                g.key.append(v.isNull() ? QString(QLatin1String("")) : v.toString());
            }
            g.children.append(position);
            out.groups.append(std::move(g));
        } else {
            out.groups[*found].children.append(position);
        }
        const qsizetype size = row.size();
        out.packedRows.append(std::move(row));
        row = QString();
        row.reserve(size);
    });
    return out;
}

} // namespace store
