#include "Transaction.h"

#include "Database.h"

#include <QSqlError>
#include <QSqlQuery>

namespace store {

Transaction::Transaction(Database& db) : m_db(db)
{
    m_db.begin();
}

Transaction::~Transaction()
{
    // A connection lost on the way rolled back on the server: connecting
    // again here would only fail a second time, out of a destructor.
    if (m_done || !m_db.isOpen() || m_db.connectionLost()) {
        m_db.writesEnded();
        return;
    }
    QSqlQuery q(m_db.connection());
    q.exec(QStringLiteral("ROLLBACK"));
    m_db.writesEnded();
}

void Transaction::commit()
{
    if (m_done)
        return;
    m_done = true;
    QSqlQuery q(m_db.connection());
    if (!q.exec(QStringLiteral("COMMIT"))) {
        const QSqlError error = q.lastError();
        QSqlQuery(m_db.connection()).exec(QStringLiteral("ROLLBACK"));
        m_db.writesEnded();
        m_db.fail(error, QStringLiteral("concluir a gravação"));
    }
    m_db.writesEnded();
}

} // namespace store
