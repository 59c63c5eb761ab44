#pragma once

#include <QByteArray>
#include <QObject>
#include <functional>

struct pg_conn;
class QSqlDatabase;
class QSqlError;
class QSocketNotifier;
class QTimer;

namespace store {

// The server's notices of rows written, on a connection of Qt's PostgreSQL
// driver: LISTEN there, then each notice ("table rowid") is handed over as
// it arrives, and at once when asked (before a list is trusted).
class ServerLink final : public QObject
{
    Q_OBJECT

public:
    using Notice = std::function<void(const QByteArray& table, qint64 rowid)>;

    // conn must outlive the link. onNotice gets each notice, onBatch runs
    // after those taken together.
    ServerLink(pg_conn* conn, Notice onNotice, std::function<void()> onBatch);
    ~ServerLink() override;

    // Takes every notice already come; none while a statement runs.
    void drain();

private:
    pg_conn* m_conn;
    Notice m_onNotice;
    std::function<void()> m_onBatch;
    QSocketNotifier* m_notifier = nullptr;
    QTimer* m_timer = nullptr;
    bool m_draining = false;
};

// Whether the plugin holding db's driver resolves symbol to ours, the
// very function this program calls: only then may a handle of the driver
// be used by this program's own copy of the library.
bool driverShares(const QSqlDatabase& db, const char* symbol, const void* ours);

// The driver's libpq connection, when the driver links the same libpq as
// this program; nullptr otherwise.
pg_conn* libpqHandle(const QSqlDatabase& db);
// Whether libpq has found the connection broken.
bool connectionBroken(pg_conn* conn);
// The same, after reading (without waiting) whatever the server sent to an
// idle connection, such as the end of a session it closed.
bool connectionGone(pg_conn* conn);
// Whether a transaction is open (or failed and not yet ended).
bool transactionOpen(pg_conn* conn);

// The server's advisory lock classes: the one writer at a time (key 0),
// and each counter's name (key: the name's hashtext).
constexpr int WriterLock = 0x46570001;
constexpr int CounterLock = 0x46570002;

// A new serial for an opened connection (Database::openSerial).
quint64 nextOpenSerial();

class StoreError;
// A failed statement on the server as the operator reads it; server is
// the address shown, what names the operation.
StoreError serverErrorFor(const QSqlError& error, const QString& server, const QString& what);

} // namespace store
