#include "KeptStatements.h"

#include "store/Database.h"
#include "store/RecordCursor.h"

#include <QSqlError>
#include <QSqlQuery>
#include <sqlite3.h>

namespace counter {

struct KeptStatements::Kept
{
    sqlite3_stmt* direct = nullptr;
    std::unique_ptr<QSqlQuery> query;
};

KeptStatements::KeptStatements(store::Database& db) : m_db(db) {}

KeptStatements::~KeptStatements()
{
    // Statements of a connection since closed went with it.
    if (m_serial != m_db.openSerial())
        return;
    for (const auto& statement : m_statements)
        if (statement && statement->direct)
            m_db.finalizeDirect(statement->direct);
}

KeptStatements::Kept& KeptStatements::kept(size_t key, const QString& sql, const QString& what)
{
    const QSqlDatabase connection = m_db.connection(); // opens it, with a new serial
    if (m_serial != m_db.openSerial()) {
        m_statements.clear();
        m_serial = m_db.openSerial();
    }
    if (m_statements.size() <= key)
        m_statements.resize(key + 1);
    std::unique_ptr<Kept>& slot = m_statements[key];
    if (!slot) {
        auto statement = std::make_unique<Kept>();
        if (m_db.directHandle()) {
            statement->direct = m_db.prepareDirect(sql);
        } else {
            statement->query = std::make_unique<QSqlQuery>(connection);
            statement->query->setForwardOnly(!m_db.isServer());
            if (!statement->query->prepare(sql))
                m_db.fail(statement->query->lastError(), what);
        }
        slot = std::move(statement);
    }
    return *slot;
}

void KeptStatements::execute(QSqlQuery& q, const QVariantList& values, const QString& what)
{
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, store::boundValue(values.at(i)));
    if (!q.exec()) {
        const QSqlError error = q.lastError();
        q.finish();
        m_db.fail(error, what);
    }
}

bool KeptStatements::step(Kept& statement, const QVariantList& values, const Read& read, const QString& what,
                          bool all)
{
    if (sqlite3_stmt* s = statement.direct) {
        int rc = SQLITE_OK;
        for (int i = 0; i < values.size() && rc == SQLITE_OK; ++i) {
            const QVariant& v = values.at(i);
            if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int) {
                rc = sqlite3_bind_int64(s, i + 1, v.toLongLong());
            } else {
                // Bound as Qt binds it: a null text as an empty one.
                const QString* text = static_cast<const QString*>(v.constData());
                rc = v.typeId() == QMetaType::QString && !text->isNull()
                         ? sqlite3_bind_text16(s, i + 1, text->utf16(), int(text->size() * 2), SQLITE_STATIC)
                         : sqlite3_bind_text16(s, i + 1, v.toString().utf16(), -1, SQLITE_TRANSIENT);
            }
        }
        if (rc == SQLITE_OK)
            rc = sqlite3_step(s);
        const bool found = rc == SQLITE_ROW;
        while (rc == SQLITE_ROW && read) {
            Row row;
            row.m_direct = s;
            read(row);
            rc = all ? sqlite3_step(s) : SQLITE_DONE;
        }
        // Reset at once: a statement left open would hold its read snapshot.
        sqlite3_reset(s);
        sqlite3_clear_bindings(s);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            m_db.failDirect(what);
        return found;
    }
    QSqlQuery& q = *statement.query;
    execute(q, values, what);
    const bool found = q.isSelect() && q.next();
    for (bool more = found; more && read; more = all && q.next()) {
        Row row;
        row.m_query = &q;
        read(row);
    }
    const QSqlError error = q.lastError();
    q.finish();
    if (error.isValid())
        m_db.fail(error, what);
    return found;
}

bool KeptStatements::first(size_t key, const QString& sql, const QVariantList& values, const Read& read,
                           const QString& what)
{
    return step(kept(key, sql, what), values, read, what);
}

void KeptStatements::each(size_t key, const QString& sql, const QVariantList& values, const Read& read,
                          const QString& what)
{
    step(kept(key, sql, what), values, read, what, true);
}

int KeptStatements::write(size_t key, const QString& sql, const QVariantList& values, const QString& what)
{
    Kept& statement = kept(key, sql, what);
    if (statement.direct) {
        step(statement, values, {}, what);
        return sqlite3_changes(m_db.directHandle());
    }
    QSqlQuery& q = *statement.query;
    execute(q, values, what);
    const int changed = q.numRowsAffected();
    q.finish();
    return changed;
}

QVariant KeptStatements::Row::value(int column) const
{
    if (m_query)
        return m_query->value(column);
    // As the cursor reads a row.
    switch (sqlite3_column_type(m_direct, column)) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(m_direct, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_direct, column));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(m_direct, column)),
                                   sqlite3_column_bytes(m_direct, column)));
    default: {
        const auto* chars = static_cast<const QChar*>(sqlite3_column_text16(m_direct, column));
        const int size = sqlite3_column_bytes16(m_direct, column) / 2;
        return QVariant(size > 0 ? QString(chars, size) : QStringLiteral(""));
    }
    }
}

QString KeptStatements::Row::text(int column) const
{
    if (m_direct && sqlite3_column_type(m_direct, column) == SQLITE_TEXT) {
        const auto* chars = static_cast<const QChar*>(sqlite3_column_text16(m_direct, column));
        const int size = sqlite3_column_bytes16(m_direct, column) / 2;
        return size > 0 ? QString(chars, size) : QStringLiteral("");
    }
    const QVariant v = value(column);
    return v.isNull() ? QString() : v.toString();
}

bool KeptStatements::namesNothing(const QString& key)
{
    return key.isEmpty() || !store::unstorableText(key).isEmpty();
}

} // namespace counter
