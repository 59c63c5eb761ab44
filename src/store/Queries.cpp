#include "Queries.h"

#include "Database.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <sqlite3.h>

namespace store {

void forEachValue(Database& db, const QString& sql, int columns,
                  const std::function<void(int column, QStringView value)>& onValue)
{
    const QString what = QStringLiteral("ler a tabela");
    QSqlDatabase connection = db.connection();
    const QVariant handle = connection.driver()->handle();
    sqlite3* raw = handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0
                       ? *static_cast<sqlite3* const*>(handle.data())
                       : nullptr;
    if (!raw) {
        QSqlQuery q(connection);
        q.setForwardOnly(true);
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
        const QSqlError error(QString::fromUtf8(sqlite3_errmsg(raw)), QString(), QSqlError::StatementError,
                              QString::number(sqlite3_extended_errcode(raw)));
        sqlite3_finalize(stmt);
        db.fail(error, what);
    }
    sqlite3_finalize(stmt);
}

namespace {

// Appends every non-NULL value of the selected columns, row by row.
void collect(Database& db, const QString& sql, int columns, QStringList& out)
{
    forEachValue(db, sql, columns, [&out](int, QStringView value) {
        if (!value.isNull())
            out.append(value.toString());
    });
}

} // namespace

QStringList customerNames(Database& db)
{
    QStringList out;
    collect(db,
            QStringLiteral("SELECT \"Nome\", \"Dependente1\", \"Dependente2\", \"Dependente3\" FROM "
                           "\"tblClientes\" ORDER BY rowid"),
            4, out);
    return out;
}

QStringList videoTitles(Database& db)
{
    QStringList out;
    collect(db, QStringLiteral("SELECT \"Nome\" FROM \"tblVideos\" ORDER BY rowid"), 1, out);
    return out;
}

QStringList videoCodes(Database& db)
{
    QStringList out;
    collect(db, QStringLiteral("SELECT \"Codigo\" FROM \"tblVideos\" ORDER BY rowid"), 1, out);
    return out;
}

QStringList rentalNoteCodes(Database& db)
{
    QStringList out;
    collect(db, QStringLiteral("SELECT \"Codigo\" FROM \"tblLocacao\" ORDER BY rowid"), 1, out);
    return out;
}

} // namespace store
