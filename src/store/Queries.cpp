#include "Queries.h"

#include "Database.h"

#include <QSqlError>
#include <QSqlQuery>

namespace store {

namespace {

// Appends every non-NULL value of the selected columns, row by row.
void collect(Database& db, const QString& sql, int columns, QStringList& out)
{
    QSqlQuery q(db.connection());
    q.setForwardOnly(true);
    if (!q.exec(sql))
        db.fail(q.lastError(), QStringLiteral("ler a lista"));
    while (q.next()) {
        for (int i = 0; i < columns; ++i) {
            if (!q.isNull(i))
                out.append(q.value(i).toString());
        }
    }
    if (q.lastError().isValid())
        db.fail(q.lastError(), QStringLiteral("ler a lista"));
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

} // namespace store
