#include "ServerLink.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QThread>
#include <QTimer>
#include <QVariant>
#include <dlfcn.h>
#include <libpq-fe.h>

namespace store {

ServerLink::ServerLink(pg_conn* conn, Notice onNotice, std::function<void()> onBatch)
    : m_conn(conn), m_onNotice(std::move(onNotice)), m_onBatch(std::move(onBatch))
{
    // Only the interface thread's connection waits for notices.
    if (!QCoreApplication::instance() || QThread::currentThread() != QCoreApplication::instance()->thread())
        return;
    const int socket = PQsocket(m_conn);
    if (socket >= 0) {
        m_notifier = new QSocketNotifier(socket, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &ServerLink::drain);
    }
    // Notices read by the driver along with a statement's answer wait in
    // libpq, where the socket no longer tells of them.
    m_timer = new QTimer(this);
    m_timer->setInterval(250);
    connect(m_timer, &QTimer::timeout, this, &ServerLink::drain);
    m_timer->start();
}

ServerLink::~ServerLink() = default;

void ServerLink::drain()
{
    // The driver reads every answer whole before it returns, so between
    // statements the input is free to take.
    if (m_draining)
        return;
    m_draining = true;
    // A connection the server closed stays readable for ever: stop looking
    // until the store opens a new one.
    if (!PQconsumeInput(m_conn) || PQstatus(m_conn) == CONNECTION_BAD) {
        if (m_notifier)
            m_notifier->setEnabled(false);
        if (m_timer)
            m_timer->stop();
        m_draining = false;
        return;
    }
    bool any = false;
    while (PGnotify* notice = PQnotifies(m_conn)) {
        const QByteArray payload(notice->extra);
        PQfreemem(notice);
        const int space = payload.lastIndexOf(' ');
        bool ok = false;
        const qint64 rowid = space > 0 ? payload.mid(space + 1).toLongLong(&ok) : 0;
        if (ok) {
            m_onNotice(payload.left(space), rowid);
            any = true;
        }
    }
    m_draining = false;
    if (any && m_onBatch)
        m_onBatch();
}

bool driverShares(const QSqlDatabase& db, const char* symbol, const void* ours)
{
    // The driver's virtual table lies in the plugin.
    Dl_info plugin{};
    if (!dladdr(*reinterpret_cast<void* const*>(db.driver()), &plugin) || !plugin.dli_fname)
        return false;
    void* library = dlopen(plugin.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
    if (!library)
        return false;
    const void* theirs = dlsym(library, symbol);
    dlclose(library);
    return theirs == ours;
}

pg_conn* libpqHandle(const QSqlDatabase& db)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0))
        return nullptr;
    auto* conn = *static_cast<PGconn* const*>(handle.data());
    return conn && driverShares(db, "PQnotifies", reinterpret_cast<const void*>(&PQnotifies)) ? conn
                                                                                              : nullptr;
}

bool connectionBroken(pg_conn* conn)
{
    return conn && PQstatus(conn) == CONNECTION_BAD;
}

bool connectionGone(pg_conn* conn)
{
    if (!conn)
        return false;
    // What the server sent while nobody asked (its farewell, then the end)
    // is read without waiting: a closed connection then says so.
    // One read takes the farewell (after which libpq counts the connection
    // busy with it), the next finds the end.
    for (int read = 0; read < 3 && PQstatus(conn) == CONNECTION_OK; ++read)
        if (!PQconsumeInput(conn))
            break;
    return PQstatus(conn) == CONNECTION_BAD;
}

bool transactionOpen(pg_conn* conn)
{
    if (!conn)
        return false;
    const PGTransactionStatusType status = PQtransactionStatus(conn);
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR;
}

} // namespace store
