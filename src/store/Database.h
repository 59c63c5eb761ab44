#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

class QSqlDatabase;
class QSqlError;
struct sqlite3;
struct sqlite3_stmt;
struct pg_conn;

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
    // After the rows written by other counters of a server were told: a
    // good moment to show them.
    virtual void noticesTold() {}
};

class ServerLink;

// The one data file, Fenwaurda.mdb, in a given folder. Opening a missing
// file creates it with its tables; an existing file is only ever checked,
// never replaced or emptied (an empty one is refused, not taken for a new
// shop). A read-only connection (the reports' own) never creates the file
// and cannot write to it. The files are owner-only.
//
// Given a server's address instead of a folder (isServerAddress), the same
// tables live in a PostgreSQL database shared by several counters: an empty
// database gets them on first use, one of ours is checked as the file is.
// Each counter writes one transaction at a time, as with the file.
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
    // The folder, or the server's address: what a second connection to the
    // same shop is made with.
    QString folder() const { return m_folder; }
    // On a server a query is read whole when run (never row by row with
    // setForwardOnly): the driver loses the rest of a statement still being
    // read when another runs on the connection, as a walk or a report's two
    // cursors do.
    bool isServer() const { return m_server; }
    // The name this counter's composing note goes under on a server (the
    // machine and login, numbered when another copy of the program has it);
    // empty for the file, which one counter alone uses. Opens first.
    QString counterName();
    // Whether the counter of that name has ended on the server (a crash
    // left its copies): its lock is then held until the transaction ends,
    // so that it cannot come back meanwhile. Always false for the file.
    bool counterGone(const QString& name);
    // Server: hands the notices of rows written, this counter's and the
    // others', to the watchers now.
    void takeNotices();
    // Changes another connection made that the watchers may not have been
    // told of: each time it differs, a list must be read whole again.
    qint64 dataVersion();
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
    // The server's connection was found broken: whatever was begun on it
    // has ended there, and the next use connects again.
    bool connectionLost() const { return m_lost; }
    void close();

    // The open connection; opens it first. Throws StoreError.
    QSqlDatabase connection();

    // Changes each time the connection is opened, so that a cursor can tell
    // its prepared statements belong to a connection since closed.
    // Call open() first: a server connection found broken while no writes
    // are under way is replaced there, with a new serial.
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
    // Starts writes that belong together; the file and the server alike
    // let one counter write at a time, so that what it read in the
    // transaction stays true until it commits. Throws StoreError.
    void begin();
    // The writes begun have been committed or rolled back.
    void writesEnded() { m_writing = false; }
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
    void openServer();
    void checkServerSchema(QSqlDatabase& db);
    void takeCounterName(QSqlDatabase& db);
    void addSearchIndexes(QSqlDatabase& db);
    void serverNotice(const QByteArray& table, qint64 rowid);
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
    bool m_server = false;
    pg_conn* m_pg = nullptr;
    std::unique_ptr<ServerLink> m_link;
    QString m_counterName;
    // The server's connection was found broken: the next use reconnects.
    mutable bool m_lost = false;
    // Between begin() and writesEnded(): a broken connection is never
    // replaced quietly then, or the rest of the writes would go on alone.
    bool m_writing = false;
    // Updates are told by the columns they change (the pre-update hook of
    // SQLite, where the library has it); otherwise every row written is.
    bool m_byColumn = false;
};

// What to bind for value: any QString, even a null one, is a text, as
// SQLite's own binding takes it; Qt's drivers would bind a null one as no
// value.
QVariant boundValue(const QVariant& value);

} // namespace store
