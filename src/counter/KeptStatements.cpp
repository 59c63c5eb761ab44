#include "KeptStatements.h"

#include "store/Database.h"
#include "store/RecordCursor.h"

#include <QSqlError>
#include <QSqlQuery>

namespace counter {

KeptStatements::KeptStatements(store::Database& db) : m_db(db) {}

KeptStatements::~KeptStatements() = default;

QSqlQuery& KeptStatements::run(size_t key, const QString& sql, const QVariantList& values,
                               const QString& what)
{
    const QSqlDatabase connection = m_db.connection(); // opens it, with a new serial
    if (m_serial != m_db.openSerial()) {
        m_statements.clear();
        m_serial = m_db.openSerial();
    }
    if (m_statements.size() <= key)
        m_statements.resize(key + 1);
    std::unique_ptr<QSqlQuery>& slot = m_statements[key];
    if (!slot) {
        auto q = std::make_unique<QSqlQuery>(connection);
        q->setForwardOnly(true);
        if (!q->prepare(sql))
            m_db.fail(q->lastError(), what);
        slot = std::move(q);
    }
    QSqlQuery& q = *slot;
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    if (!q.exec()) {
        const QSqlError error = q.lastError();
        q.finish();
        m_db.fail(error, what);
    }
    return q;
}

bool KeptStatements::next(QSqlQuery& query, const QString& what)
{
    if (query.next())
        return true;
    const QSqlError error = query.lastError();
    query.finish();
    if (error.isValid())
        m_db.fail(error, what);
    return false;
}

QString KeptStatements::text(const QSqlQuery& query, int column)
{
    return query.isNull(column) ? QString() : query.value(column).toString();
}

bool KeptStatements::namesNothing(const QString& key)
{
    return key.isEmpty() || !store::unstorableText(key).isEmpty();
}

} // namespace counter
