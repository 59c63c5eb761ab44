#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class QSqlDatabase;
class QSqlError;
struct sqlite3;
struct sqlite3_stmt;

namespace store {

// Told of each row written on a database's connection (a view kept current
// row by row), and when what was written can no longer be told.
class WriteWatcher
{
public:
    virtual ~WriteWatcher() = default;
    virtual void rowWritten(const char* table, qint64 rowid) = 0;
    virtual void forget() = 0;
    // What the watcher shows: a row of watchedTable() is told when it is
    // added or deleted, or when an update changes one of watchedColumns()
    // (any column when there are none). No table: every row written.
    virtual QString watchedTable() const { return {}; }
    virtual QStringList watchedColumns() const { return {}; }
};

// The one data file, Fenwaurda.mdb, in a given folder. Opening a missing
// file creates it with its tables; an existing file is only ever checked,
// never replaced or emptied (an empty one is refused, not taken for a new
// shop). A read-only connection (the reports' own) never creates the file
// and cannot write to it. The files are owner-only.
class Database final
{
public:
    static constexpr const char* FileName = "Fenwaurda.mdb";

    enum class Access { ReadWrite, ReadOnly };

    explicit Database(const QString& folder, Access access = Access::ReadWrite);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    static QString filePath(const QString& folder);
    QString filePath() const { return filePath(m_folder); }
    QString folder() const { return m_folder; }
    Access access() const { return m_access; }

    // From now on the file is only read: the connection reopens read-only
    // and every write is refused with message (say, a file found damaged,
    // which must not be written to). Closes the connection.
    void refuseWrites(const QString& message);
    // True for a read-only connection or once writes are refused.
    bool writesRefused() const { return m_access == Access::ReadOnly || !m_refusal.isEmpty(); }

    // Opens (and on first use creates) the file; does nothing when open.
    // Throws StoreError with a message naming the problem.
    void open();
    bool isOpen() const;
    void close();

    // The open connection; opens it first. Throws StoreError.
    QSqlDatabase connection();

    // Changes each time the connection is opened, so that a cursor can tell
    // its prepared statements belong to a connection since closed.
    quint64 openSerial() const { return m_serial; }

    // The connection's own SQLite handle when Qt's driver runs the very
    // SQLite library this program links; nullptr otherwise, and everything
    // then goes through Qt SQL. Opens the connection first.
    sqlite3* directHandle();
    // A statement prepared on the direct handle (which must be there), kept
    // until finalizeDirect or, at the latest, until the connection closes.
    // Throws StoreError.
    sqlite3_stmt* prepareDirect(const QString& sql);
    void finalizeDirect(sqlite3_stmt* statement);
    // The direct handle's last error as a StoreError.
    [[noreturn]] void failDirect(const QString& what) const;
    // Whether the rows written on the connection are told to the watchers.
    // When some were written untold, every watcher is told to forget.
    bool watchesWrites();
    // Whether a transaction is open on the connection (direct path only).
    bool inTransaction() const;
    // Turns the direct path off (before open), to test the Qt SQL one.
    void setDirectAllowed(bool allowed) { m_directAllowed = allowed; }

    // Keeps watcher for the whole life of the database and tells it of the
    // rows written from now on.
    WriteWatcher& keepWatcher(std::unique_ptr<WriteWatcher> watcher);
    const std::vector<std::unique_ptr<WriteWatcher>>& watchers() const { return m_watchers; }

    // Turns a failed statement into a StoreError with an operator message;
    // what names the operation, for the messages that have no better words.
    [[noreturn]] void fail(const QSqlError& error, const QString& what) const;

private:
    void createFile();
    void checkSchema(QSqlDatabase& db);
    void upgradeSchema(QSqlDatabase& db);
    void drop();
    static void rowWritten(void* self, int operation, const char* database, const char* table, qint64 rowid);
    static void rowChanging(void* self, sqlite3* handle, int operation, const char* database,
                            const char* table, qint64 oldRowid, qint64 newRowid);
    void resolveWatch(size_t watcher);

    // What a watcher is told of, with its columns as positions in the table.
    struct Watch
    {
        QByteArray table;
        std::vector<int> columns;
    };

    QString m_folder;
    Access m_access;
    QString m_refusal;
    QString m_connectionName;
    QString m_openKey; // the file's canonical path while a connection is there
    quint64 m_serial = 0;
    std::vector<sqlite3_stmt*> m_directStatements;
    sqlite3* m_direct = nullptr;
    // The connection's count of changed rows as the write notices tell it.
    qint64 m_noticed = 0;
    // A search index was written since the count was last compared.
    bool m_searchWritten = false;
    bool m_directAllowed = true;
    std::vector<std::unique_ptr<WriteWatcher>> m_watchers;
    std::vector<Watch> m_watches; // one for each watcher
    // Updates are told by the columns they change (the pre-update hook of
    // SQLite, where the library has it); otherwise every row written is.
    bool m_byColumn = false;
};

} // namespace store
