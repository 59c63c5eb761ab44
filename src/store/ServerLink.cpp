#include "ServerLink.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QTimer>
#include <QVariant>
#include <dlfcn.h>
#include <libpq-fe.h>

namespace store {

ServerLink::ServerLink(pg_conn* conn, Notice onNotice, std::function<void()> onBatch)
    : m_conn(conn), m_onNotice(std::move(onNotice)), m_onBatch(std::move(onBatch))
{
    if (!QCoreApplication::instance())
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
    // A statement still being answered (the driver reads rows as they come)
    // must not have its input taken from under it.
    if (m_draining || PQtransactionStatus(m_conn) == PQTRANS_ACTIVE || PQisBusy(m_conn))
        return;
    m_draining = true;
    // A session the server ended: libpq has closed the socket, which must
    // not be watched any more (the next use of the database reconnects).
    if (!PQconsumeInput(m_conn) && PQstatus(m_conn) == CONNECTION_BAD && m_notifier)
        m_notifier->setEnabled(false);
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

pg_conn* libpqHandle(const QSqlDatabase& db)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0))
        return nullptr;
    auto* conn = *static_cast<PGconn* const*>(handle.data());
    // The handle is only ours to use when the driver's plugin resolves libpq
    // to the very functions this program calls.
    Dl_info plugin{};
    if (!conn || !dladdr(*reinterpret_cast<void* const*>(db.driver()), &plugin) || !plugin.dli_fname)
        return nullptr;
    void* library = dlopen(plugin.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
    if (!library)
        return nullptr;
    void* theirs = dlsym(library, "PQnotifies");
    dlclose(library);
    return theirs == reinterpret_cast<void*>(&PQnotifies) ? conn : nullptr;
}

bool connectionBroken(pg_conn* conn)
{
    return conn && PQstatus(conn) == CONNECTION_BAD;
}

bool transactionOpen(pg_conn* conn)
{
    if (!conn)
        return false;
    const PGTransactionStatusType status = PQtransactionStatus(conn);
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR;
}

} // namespace store
