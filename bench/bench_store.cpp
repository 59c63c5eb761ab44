// Cursor seeks against bare SQLite on a 100,000-customer shop, and the
// whole-table read behind the customer pick list.
//
// The shop is made once in FENWARDA_BENCH_SHOP (default: a folder in the
// temporary directory) and reused by later runs.

#include "ShopGenerator.h"

#include "store/Database.h"
#include "store/Queries.h"
#include "store/RecordCursor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>
#include <memory>
#include <random>
#include <sqlite3.h>

namespace {

constexpr int ShopCustomers = 100000;

QString shopFolder()
{
    const QString env = qEnvironmentVariable("FENWARDA_BENCH_SHOP");
    return env.isEmpty() ? QDir::temp().filePath(QStringLiteral("fenwarda-bench-shop-%1").arg(ShopCustomers))
                         : env;
}

store::Database& shop()
{
    static std::unique_ptr<store::Database> db = [] {
        const QString folder = shopFolder();
        QDir().mkpath(folder);
        if (!QFile::exists(store::Database::filePath(folder)))
            bench::generateShop(folder, {ShopCustomers, ShopCustomers, ShopCustomers / 5});
        auto d = std::make_unique<store::Database>(folder);
        d->open();
        return d;
    }();
    return *db;
}

// The same pseudo-random existing codes for every benchmark.
std::vector<QString> codes()
{
    std::mt19937 gen(42);
    std::vector<QString> out;
    for (int i = 0; i < 4096; ++i)
        out.push_back(QString::number(1 + gen() % ShopCustomers));
    return out;
}

void BM_CursorSeek(benchmark::State& state)
{
    store::RecordCursor c(shop(), QStringLiteral("tblClientes"));
    const std::vector<QString> keys = codes();
    size_t i = 0;
    for (auto _ : state) {
        // What a window does for each lookup.
        c.refresh();
        c.setIndex(QStringLiteral("indCodigo"));
        if (!c.seek(keys[i++ % keys.size()]))
            state.SkipWithError("code not found");
        benchmark::DoNotOptimize(c.text(QStringLiteral("Nome")));
    }
}
BENCHMARK(BM_CursorSeek);

void BM_CursorSeekWithoutRefresh(benchmark::State& state)
{
    store::RecordCursor c(shop(), QStringLiteral("tblClientes"));
    c.setIndex(QStringLiteral("indCodigo"));
    const std::vector<QString> keys = codes();
    size_t i = 0;
    for (auto _ : state) {
        if (!c.seek(keys[i++ % keys.size()]))
            state.SkipWithError("code not found");
        benchmark::DoNotOptimize(c.text(QStringLiteral("Nome")));
    }
}
BENCHMARK(BM_CursorSeekWithoutRefresh);

void bareLookup(benchmark::State& state, const char* sql)
{
    const QByteArray path = QFile::encodeName(shop().filePath());
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        state.SkipWithError("cannot open the shop");
        sqlite3_close(db);
        return;
    }
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    std::vector<QByteArray> keys;
    for (const QString& k : codes())
        keys.push_back(k.toUtf8());
    size_t i = 0;
    for (auto _ : state) {
        const QByteArray& key = keys[i++ % keys.size()];
        sqlite3_bind_text(stmt, 1, key.constData(), int(key.size()), SQLITE_STATIC);
        if (sqlite3_step(stmt) != SQLITE_ROW)
            state.SkipWithError("code not found");
        benchmark::DoNotOptimize(sqlite3_column_text(stmt, 0));
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
}

void BM_BareSqliteLookup(benchmark::State& state)
{
    bareLookup(state, "SELECT Nome FROM tblClientes WHERE Codigo = ?");
}
BENCHMARK(BM_BareSqliteLookup);

// The bare lookup of the whole row, which is what a cursor has to read.
void BM_BareSqliteLookupWholeRow(benchmark::State& state)
{
    bareLookup(state, "SELECT Nome, rowid, * FROM tblClientes WHERE Codigo = ?");
}
BENCHMARK(BM_BareSqliteLookupWholeRow);

void BM_CustomerNames(benchmark::State& state)
{
    store::Database& db = shop();
    qsizetype names = 0;
    for (auto _ : state) {
        const QStringList list = store::customerNames(db);
        names = list.size();
        benchmark::DoNotOptimize(list.constData());
    }
    state.counters["names"] = double(names);
}
BENCHMARK(BM_CustomerNames)->Unit(benchmark::kMillisecond);

void BM_VideoTitles(benchmark::State& state)
{
    store::Database& db = shop();
    for (auto _ : state)
        benchmark::DoNotOptimize(store::videoTitles(db).size());
}
BENCHMARK(BM_VideoTitles)->Unit(benchmark::kMillisecond);

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
