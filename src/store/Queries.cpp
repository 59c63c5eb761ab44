#include "Queries.h"

#include "Database.h"
#include "Schema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <sqlite3.h>

namespace store {

using namespace names;

namespace {

const PickSource CustomerNames{
    tblClientes::Table,
    {tblClientes::Nome, tblClientes::Dependente1, tblClientes::Dependente2, tblClientes::Dependente3},
    true};
const PickSource VideoTitles{tblVideos::Table, {tblVideos::Nome}, true};
const PickSource VideoCodes{tblVideos::Table, {tblVideos::Codigo}};
const PickSource RentalNoteCodes{tblLocacao::Table, {tblLocacao::Codigo}};

QString pickSql(const PickSource& source, bool oneRow)
{
    QStringList columns{QStringLiteral("rowid")};
    for (const QString& c : source.columns)
        columns.append(quoted(c));
    return QStringLiteral("SELECT %1 FROM %2 %3")
        .arg(columns.join(QLatin1String(", ")), quoted(source.table),
             oneRow ? QLatin1String("WHERE rowid = ?") : QLatin1String("ORDER BY rowid"));
}

// Stops at the first character that is not a blank, so a name costs one look.
bool isBlank(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.isSpace(); });
}

void addRow(std::vector<RowItems>* rows, qint64 rowid, int count)
{
    if (rows && count > 0)
        rows->push_back({rowid, count});
}

// The pick lists run to hundreds of thousands of names, so they are read
// through SQLite itself rather than one QVariant per value, when the
// driver runs the same SQLite as this program.
void readDirect(Database& db, sqlite3* raw, const QString& sql, qint64 rowid, const PickSource& source,
                const std::function<void(QStringView)>& onItem, std::vector<RowItems>* rows)
{
    sqlite3_stmt* stmt = nullptr;
    const QByteArray text = sql.toUtf8();
    int rc = sqlite3_prepare_v2(raw, text.constData(), int(text.size()), &stmt, nullptr);
    if (rc == SQLITE_OK && rowid >= 0)
        rc = sqlite3_bind_int64(stmt, 1, rowid);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(stmt);
    const int columns = int(source.columns.size());
    for (; rc == SQLITE_ROW; rc = sqlite3_step(stmt)) {
        int count = 0;
        for (int i = 1; i <= columns; ++i) {
            if (sqlite3_column_type(stmt, i) == SQLITE_NULL)
                continue;
            // The file keeps UTF-8: Qt decodes it faster than SQLite would.
            const auto* chars = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
            const int bytes = sqlite3_column_bytes(stmt, i);
            QString item = bytes > 0 ? QString::fromUtf8(chars, bytes) : QStringLiteral("");
            if (source.namesOnly && isBlank(item))
                continue;
            onItem(item);
            ++count;
        }
        addRow(rows, sqlite3_column_int64(stmt, 0), count);
    }
    if (rc != SQLITE_DONE) {
        sqlite3_finalize(stmt);
        db.failDirect(QStringLiteral("ler a lista"));
    }
    sqlite3_finalize(stmt);
}

void readThroughQt(Database& db, const QString& sql, qint64 rowid, const PickSource& source,
                   const std::function<void(QStringView)>& onItem, std::vector<RowItems>* rows)
{
    QSqlQuery q(db.connection());
    q.setForwardOnly(!db.isServer());
    if (!q.prepare(sql))
        db.fail(q.lastError(), QStringLiteral("ler a lista"));
    if (rowid >= 0)
        q.addBindValue(rowid);
    if (!q.exec())
        db.fail(q.lastError(), QStringLiteral("ler a lista"));
    const int columns = int(source.columns.size());
    while (q.next()) {
        int count = 0;
        for (int i = 1; i <= columns; ++i) {
            if (q.isNull(i))
                continue;
            QString item = q.value(i).toString();
            if (source.namesOnly && isBlank(item))
                continue;
            onItem(item);
            ++count;
        }
        addRow(rows, q.value(0).toLongLong(), count);
    }
    if (q.lastError().isValid())
        db.fail(q.lastError(), QStringLiteral("ler a lista"));
}

QStringList readAll(Database& db, const PickSource& source)
{
    QStringList out;
    readPickItems(db, source, out, nullptr);
    return out;
}

} // namespace

void forEachValue(Database& db, const QString& sql, int columns,
                  const std::function<void(int column, QStringView value)>& onValue)
{
    const QString what = QStringLiteral("ler a tabela");
    sqlite3* raw = db.directHandle();
    if (!raw) {
        QSqlQuery q(db.connection());
        q.setForwardOnly(!db.isServer());
        if (!q.exec(sql))
            db.fail(q.lastError(), what);
        while (q.next()) {
            for (int i = 0; i < columns; ++i) {
                const QString value = q.value(i).toString();
                onValue(i, q.isNull(i)      ? QStringView()
                           : value.isNull() ? QStringView(u"")
                                            : QStringView(value));
            }
        }
        if (q.lastError().isValid())
            db.fail(q.lastError(), what);
        return;
    }

    sqlite3_stmt* stmt = nullptr;
    const QByteArray text = sql.toUtf8();
    int rc = sqlite3_prepare_v2(raw, text.constData(), int(text.size()), &stmt, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(stmt);
    for (; rc == SQLITE_ROW; rc = sqlite3_step(stmt)) {
        for (int i = 0; i < columns; ++i) {
            if (sqlite3_column_type(stmt, i) == SQLITE_NULL) {
                onValue(i, QStringView());
                continue;
            }
            const auto* chars = static_cast<const char16_t*>(sqlite3_column_text16(stmt, i));
            const int bytes = sqlite3_column_bytes16(stmt, i);
            // An empty text stays an empty (not null) view.
            onValue(i, chars ? QStringView(chars, bytes / 2) : QStringView(u""));
        }
    }
    if (rc != SQLITE_DONE) {
        sqlite3_finalize(stmt);
        db.failDirect(what);
    }
    sqlite3_finalize(stmt);
}

void readPickItems(Database& db, const PickSource& source, const std::function<void(QStringView)>& onItem,
                   std::vector<RowItems>* rows, qint64 rowid)
{
    const QString sql = pickSql(source, rowid >= 0);
    if (sqlite3* raw = db.directHandle())
        readDirect(db, raw, sql, rowid, source, onItem, rows);
    else
        readThroughQt(db, sql, rowid, source, onItem, rows);
}

void readPickItems(Database& db, const PickSource& source, QStringList& items, std::vector<RowItems>* rows,
                   qint64 rowid)
{
    readPickItems(
        db, source, [&](QStringView item) { items.append(item.toString()); }, rows, rowid);
}

const PickSource& pickSource(PickListKind kind)
{
    switch (kind) {
    case PickListKind::CustomerNames:
        return CustomerNames;
    case PickListKind::VideoTitles:
        return VideoTitles;
    case PickListKind::VideoCodes:
        break;
    }
    return VideoCodes;
}

QStringList customerNames(Database& db)
{
    return readAll(db, CustomerNames);
}

QStringList videoTitles(Database& db)
{
    return readAll(db, VideoTitles);
}

QStringList videoCodes(Database& db)
{
    return readAll(db, VideoCodes);
}

QStringList rentalNoteCodes(Database& db)
{
    return readAll(db, RentalNoteCodes);
}

} // namespace store
