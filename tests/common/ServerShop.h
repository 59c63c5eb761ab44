#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUrl>
#include <QUrlQuery>

// Shops on a PostgreSQL server for the tests that run against one as well as
// against the file. The server is named by the environment:
//   FENWARDA_TEST_SERVER       the address of its maintenance database, say
//                              postgresql://fenwarda@/postgres?host=/run/dir&port=54329
//   FENWARDA_TEST_SERVER_FILE  a file holding that address (what ctest sets:
//                              the server starts only once the tests are
//                              configured, so its address is known only then)
// Each test process gets a database of its own, fenwarda_t_<pid>, so that
// tests may run side by side on one server.

// Runs sql on db, its values bound in order, and stops the test on failure.
// A server prepares queries only, so a statement without values (a CREATE)
// is run as it is.
inline QSqlQuery runSql(QSqlDatabase db, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery q(db);
    bool ok = values.isEmpty() ? q.exec(sql) : q.prepare(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!values.isEmpty())
        ok = ok && q.exec();
    if (!ok)
        qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    return q;
}

namespace serverShopDetail {

inline QString maintenanceAddress()
{
    const QString address = qEnvironmentVariable("FENWARDA_TEST_SERVER");
    if (!address.isEmpty())
        return address;
    const QString fileName = qEnvironmentVariable("FENWARDA_TEST_SERVER_FILE");
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("no test server address in %s: %s", qPrintable(fileName), qPrintable(file.errorString()));
    const QString read = QString::fromUtf8(file.readAll()).trimmed();
    if (read.isEmpty())
        qFatal("no test server address in %s", qPrintable(fileName));
    return read;
}

// The database the address names, where databases are made and dropped.
inline QString maintenanceDatabase()
{
    const QString path = QUrl(maintenanceAddress()).path(QUrl::FullyDecoded).mid(1);
    return path.isEmpty() ? QStringLiteral("postgres") : path;
}

inline QString databaseName()
{
    return QStringLiteral("fenwarda_t_%1").arg(QCoreApplication::applicationPid());
}

// The address of database on the server of address: the same user, host
// and port, another path.
inline QString addressOf(const QString& address, const QString& database)
{
    QUrl url(address);
    url.setPath(u'/' + database);
    return url.toString(QUrl::FullyEncoded);
}

// Runs statements, one by one outside any transaction, on database of the
// server; the connection is gone again on return. A failure ends the test
// process unless mayFail, which only warns.
inline bool run(const QString& database, const QStringList& statements, bool mayFail = false)
{
    const QString name = QStringLiteral("fenwarda-test-server");
    bool ok = true;
    {
        const QUrl url(maintenanceAddress());
        const QUrlQuery query(url);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        const QString socketFolder = query.queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded);
        db.setHostName(socketFolder.isEmpty() ? url.host() : socketFolder);
        const QString port = query.queryItemValue(QStringLiteral("port"));
        db.setPort(port.isEmpty() ? url.port(5432) : port.toInt());
        db.setUserName(url.userName(QUrl::FullyDecoded));
        db.setPassword(url.password(QUrl::FullyDecoded));
        db.setDatabaseName(database);
        QString failure;
        if (!db.open()) {
            failure = db.lastError().text();
        } else {
            // Not the notices of IF EXISTS and CASCADE in the tests' output.
            QStringList all{QStringLiteral("SET client_min_messages = warning")};
            all += statements;
            for (const QString& sql : all) {
                QSqlQuery q(db);
                if (!q.exec(sql)) {
                    failure = sql + QStringLiteral(": ") + q.lastError().text();
                    break;
                }
            }
        }
        db.close();
        if (!failure.isEmpty()) {
            ok = false;
            if (!mayFail)
                qFatal("test server, database %s: %s", qPrintable(database), qPrintable(failure));
            qWarning("test server, database %s: %s", qPrintable(database), qPrintable(failure));
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

// At the end of the process: whatever is still connected to the process's
// database is cut off, and the database goes.
inline void dropDatabase()
{
    run(maintenanceDatabase(),
        {QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(databaseName())}, true);
}

} // namespace serverShopDetail

// True when the tests are to run against a server as well as the file.
inline bool serverTestsWanted()
{
    return !qEnvironmentVariableIsEmpty("FENWARDA_TEST_SERVER") ||
           !qEnvironmentVariableIsEmpty("FENWARDA_TEST_SERVER_FILE");
}

// The address of the process's own database on the test server, emptied of
// every table (a new shop). The first call makes the database, in place of
// one a killed process of the same id may have left, and has it dropped when
// the application ends.
inline QString freshServerShop()
{
    using namespace serverShopDetail;
    static bool made = false;
    const QString database = databaseName();
    if (!made) {
        run(maintenanceDatabase(), {QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(database),
                                    QStringLiteral("CREATE DATABASE %1").arg(database)});
        qAddPostRoutine(dropDatabase);
        made = true;
    }
    run(database, {QStringLiteral("DROP SCHEMA public CASCADE"), QStringLiteral("CREATE SCHEMA public")});
    return addressOf(maintenanceAddress(), database);
}
