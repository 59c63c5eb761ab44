#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <functional>
#include <memory>
#include <vector>

class QSqlQuery;
struct sqlite3_stmt;

namespace store {
class Database;
}

namespace counter {

// A service's statements, each prepared on its first use and kept for the
// life of the service: a counter repeats the same few lookups and writes
// all day. A reopened connection gets a fresh set. They run through SQLite
// itself where the connection allows (half the time of a QSqlQuery), else
// through Qt SQL. Every call throws StoreError on failure, what naming the
// operation.
class KeptStatements final
{
public:
    // The row a statement found.
    class Row
    {
    public:
        // No value gives a null QVariant.
        QVariant value(int column) const;
        // As value(), with no value read as an empty text.
        QString text(int column) const;

    private:
        friend class KeptStatements;
        sqlite3_stmt* m_direct = nullptr;
        const QSqlQuery* m_query = nullptr;
    };
    using Read = std::function<void(const Row&)>;

    explicit KeptStatements(store::Database& db);
    ~KeptStatements();
    KeptStatements(const KeptStatements&) = delete;
    KeptStatements& operator=(const KeptStatements&) = delete;

    // Runs the statement kept under key (preparing sql there first) with
    // values bound in order, and hands its first row, if any, to read.
    // False when there is none. No statement holds the file afterwards.
    bool first(size_t key, const QString& sql, const QVariantList& values, const Read& read,
               const QString& what);
    // As first, handing every row to read.
    void each(size_t key, const QString& sql, const QVariantList& values, const Read& read,
              const QString& what);
    // Runs a write kept under key; returns the rows it changed.
    int write(size_t key, const QString& sql, const QVariantList& values, const QString& what);

    store::Database& db() { return m_db; }

    // A key the operator typed or picked names no row when it is empty, or
    // when SQLite could not keep it as it is.
    static bool namesNothing(const QString& key);

private:
    struct Kept;
    Kept& kept(size_t key, const QString& sql, const QString& what);
    // Binds values and runs q through Qt SQL.
    void execute(QSqlQuery& q, const QVariantList& values, const QString& what);
    // Steps the statement once; the row, if any, goes to read.
    bool step(Kept& statement, const QVariantList& values, const Read& read, const QString& what,
              bool all = false);

    store::Database& m_db;
    quint64 m_serial = 0;
    std::vector<std::unique_ptr<Kept>> m_statements;
};

} // namespace counter
