#pragma once

#include <QString>
#include <QVariantList>
#include <memory>
#include <vector>

class QSqlQuery;

namespace store {
class Database;
}

namespace counter {

// A service's statements, each prepared on its first use and kept for the
// life of the service: a counter repeats the same few lookups and writes
// all day. A reopened connection gets a fresh set.
class KeptStatements final
{
public:
    explicit KeptStatements(store::Database& db);
    ~KeptStatements();
    KeptStatements(const KeptStatements&) = delete;
    KeptStatements& operator=(const KeptStatements&) = delete;

    // Binds values in order to the statement kept under key (preparing sql
    // there first) and runs it. The caller reads it and calls finish(), so
    // that no statement holds the file between calls. Throws StoreError,
    // what naming the operation.
    QSqlQuery& run(size_t key, const QString& sql, const QVariantList& values, const QString& what);
    // Reads the statement's next row; false at the end, StoreError on failure.
    bool next(QSqlQuery& query, const QString& what);

    store::Database& db() { return m_db; }

    // A column of the current row as a text; no value reads as an empty text.
    static QString text(const QSqlQuery& query, int column);
    // A key the operator typed or picked names no row when it is empty, or
    // when SQLite could not keep it as it is.
    static bool namesNothing(const QString& key);

private:
    store::Database& m_db;
    quint64 m_serial = 0;
    std::vector<std::unique_ptr<QSqlQuery>> m_statements;
};

} // namespace counter
