#include "BenchShops.h"

#include "ShopGenerator.h"

#include "store/Database.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
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

} // namespace

const std::vector<int>& shopScales()
{
    static const std::vector<int> customers{10000, 100000, 400000};
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
    if (writable) {
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
