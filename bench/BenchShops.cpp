#include "BenchShops.h"

#include "ShopGenerator.h"

#include "store/Database.h"
#include "store/ServerAddress.h"
#include "store/ServerCopy.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUrl>
#include <cstdio>
#include <map>
#include <memory>

namespace bench {

namespace {

struct Open
{
    std::unique_ptr<QTemporaryDir> copy;
    std::unique_ptr<store::Database> db;
};

std::map<std::pair<int, bool>, Open>& shops()
{
    static std::map<std::pair<int, bool>, Open> all;
    return all;
}

// FENWARDA_BENCH_SERVER: the maintenance database's address of a server
// that holds the shops instead of the files.
QString benchServer()
{
    return qEnvironmentVariable("FENWARDA_BENCH_SERVER");
}

// The same server, database name.
QString onServer(const QString& name)
{
    QUrl url(benchServer());
    url.setPath(u'/' + name);
    return url.toString();
}

// Runs sql on the maintenance database; false on failure.
bool maintain(const QString& sql)
{
    bool ok = false;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("bench-maintain"));
        store::configureServer(db, benchServer());
        ok = db.open() && QSqlQuery(db).exec(sql);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench-maintain"));
    return ok;
}

// The shop of the file folder on the server, copied once; a writable one is
// a fresh database made from it (the server copies a database whole).
QString serverShop(const QString& folder, int customers, bool writable)
{
    const QString name = QStringLiteral("fenwarda_bench_%1c").arg(customers);
    if (maintain(QStringLiteral("CREATE DATABASE %1").arg(name))) {
        try {
            std::fprintf(stderr, "Copying the %d-customer shop to the server...\n", customers);
            // A shop made by an older version is brought up to date first.
            store::Database(folder).open();
            store::copyToServer(folder, onServer(name));
        } catch (const store::StoreError& e) {
            maintain(QStringLiteral("DROP DATABASE %1").arg(name));
            qFatal("%s", qPrintable(e.message()));
        }
    }
    if (!writable)
        return onServer(name);
    const QString copy = name + QStringLiteral("_w");
    maintain(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(copy));
    if (!maintain(QStringLiteral("CREATE DATABASE %1 TEMPLATE %2").arg(copy, name)))
        qFatal("no writable copy of %s on the server (is it in use?)", qPrintable(name));
    return onServer(copy);
}

} // namespace

const std::vector<int>& shopScales()
{
    // The server's figures are asked at 100,000 customers.
    static const std::vector<int> customers =
        benchServer().isEmpty() ? std::vector<int>{10000, 100000, 400000} : std::vector<int>{100000};
    return customers;
}

store::Database& shop(int customers, bool writable)
{
    Open& open = shops()[{customers, writable}];
    if (open.db)
        return *open.db;
    QString base = qEnvironmentVariable("FENWARDA_BENCH_SHOP");
    if (base.isEmpty())
        base = QDir::temp().path();
    const QString folder = QDir(base).filePath(QStringLiteral("fenwarda-bench-shop-%1c").arg(customers));
    QDir().mkpath(folder);
    if (!QFile::exists(store::Database::filePath(folder)))
        generateShop(folder, {customers, customers, customers / 20});
    QString use = folder;
    if (!benchServer().isEmpty()) {
        // The server copies a database only while nobody is connected to it;
        // the shop read so far opens again when next used.
        if (writable)
            if (auto it = shops().find({customers, false}); it != shops().end() && it->second.db)
                it->second.db->close();
        use = serverShop(folder, customers, writable);
    } else if (writable) {
        open.copy = std::make_unique<QTemporaryDir>();
        use = open.copy->path();
        QFile::copy(store::Database::filePath(folder), store::Database::filePath(use));
    }
    open.db = std::make_unique<store::Database>(use);
    open.db->open();
    return *open.db;
}

void closeShops()
{
    shops().clear();
}

} // namespace bench
