// The clean exit's backup and the start's page check on a scale-S shop
// (100,000 customers, 100,000 videos, 20,000 open notes).
//
// The shop is made once in FENWARDA_BENCH_BACKUP_SHOP (default: a folder in
// the temporary folder of its own, since each run leaves a backup beside it).

#include "ShopGenerator.h"
#include "store/Backup.h"
#include "store/Database.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int ShopCustomers = 100000;

store::Database& shop()
{
    static std::unique_ptr<store::Database> db = [] {
        const QString env = qEnvironmentVariable("FENWARDA_BENCH_BACKUP_SHOP");
        const QString folder =
            env.isEmpty()
                ? QDir::temp().filePath(QStringLiteral("fenwarda-bench-backup-%1").arg(ShopCustomers))
                : env;
        QDir().mkpath(folder);
        if (!QFile::exists(store::Database::filePath(folder)))
            bench::generateShop(folder, {ShopCustomers, ShopCustomers, ShopCustomers / 5});
        auto d = std::make_unique<store::Database>(folder);
        d->open();
        return d;
    }();
    return *db;
}

void BM_KeepBackup(benchmark::State& state)
{
    store::Database& db = shop();
    for (auto _ : state)
        benchmark::DoNotOptimize(store::keepBackup(db, QDate(2025, 3, 10)));
    state.counters["data_MB"] = double(QFileInfo(db.filePath()).size()) / 1e6;
}
BENCHMARK(BM_KeepBackup)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_CheckWhole(benchmark::State& state)
{
    store::Database& db = shop();
    for (auto _ : state)
        store::checkWhole(db);
}
BENCHMARK(BM_CheckWhole)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    shop(); // make the shop before any timing starts
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
