#include "ServerAddress.h"

#include <QSqlDatabase>
#include <QUrl>
#include <QUrlQuery>

namespace store {

bool isServerAddress(const QString& where)
{
    return where.startsWith(QLatin1String("postgresql://")) || where.startsWith(QLatin1String("postgres://"));
}

bool configureServer(QSqlDatabase& db, const QString& address)
{
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || !isServerAddress(address))
        return false;
    QString base = url.path(QUrl::FullyDecoded);
    if (base.startsWith(u'/'))
        base.remove(0, 1);
    QString host = url.host(QUrl::FullyDecoded);
    int port = url.port(-1);
    QString user = url.userName(QUrl::FullyDecoded);
    QString password = url.password(QUrl::FullyDecoded);
    QStringList options;
    // A dead server must not freeze the counter for long.
    bool timeout = false;
    const QUrlQuery query(url);
    for (const auto& [key, value] : query.queryItems(QUrl::FullyDecoded)) {
        if (key == QLatin1String("host"))
            host = value;
        else if (key == QLatin1String("port"))
            port = value.toInt();
        else if (key == QLatin1String("user"))
            user = value;
        else if (key == QLatin1String("password"))
            password = value;
        else if (key == QLatin1String("dbname"))
            base = value;
        else {
            // libpq's own options: nothing typed may add another.
            if (value.contains(u';') || key.contains(u';') || key.contains(u'='))
                return false;
            options.append(key + u'=' + value);
            timeout = timeout || key == QLatin1String("connect_timeout");
        }
    }
    if (!timeout)
        options.append(QStringLiteral("connect_timeout=5"));
    db.setDatabaseName(base);
    db.setHostName(host);
    if (port > 0)
        db.setPort(port);
    db.setUserName(user);
    db.setPassword(password);
    db.setConnectOptions(options.join(u';'));
    return true;
}

QString shownAddress(const QString& address)
{
    QUrl url(address);
    if (!url.isValid())
        return address;
    url.setPassword(QString());
    QUrlQuery query(url);
    query.removeAllQueryItems(QStringLiteral("password"));
    url.setQuery(query);
    return url.toString();
}

} // namespace store
