// Cursor seeks against bare SQLite, side by side in one run, and the
// whole-table read behind the customer pick list, at 10,000, 100,000 and
// 400,000 customers.
//
// The shops are made once (see BenchShops.h) and reused by later runs.

#include "BenchShops.h"

#include "store/Database.h"
#include "store/Names.h"
#include "store/Queries.h"
#include "store/RecordCursor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>
#include <memory>
#include <random>
#include <sqlite3.h>

using namespace store::names;

namespace {

int customers(const benchmark::State& state)
{
    return int(state.range(0));
}

store::Database& shop(const benchmark::State& state)
{
    return bench::shop(customers(state));
}

// The same pseudo-random existing codes for every benchmark.
std::vector<QString> codes(int shopCustomers)
{
    std::mt19937 gen(42);
    std::vector<QString> out;
    for (int i = 0; i < 4096; ++i)
        out.push_back(QString::number(1 + gen() % unsigned(shopCustomers)));
    return out;
}

void scales(benchmark::internal::Benchmark* b)
{
    for (int customers : bench::shopScales())
        b->Arg(customers);
}

void BM_CursorSeek(benchmark::State& state)
{
    store::RecordCursor c(shop(state), tblClientes::Table);
    const std::vector<QString> keys = codes(customers(state));
    size_t i = 0;
    for (auto _ : state) {
        // What a window does for each lookup.
        c.refresh();
        c.setIndex(tblClientes::indCodigo);
        if (!c.seek(keys[i++ % keys.size()]))
            state.SkipWithError("code not found");
        benchmark::DoNotOptimize(c.text(tblClientes::Nome));
    }
}
BENCHMARK(BM_CursorSeek)->Apply(scales);

void BM_CursorSeekWithoutRefresh(benchmark::State& state)
{
    store::RecordCursor c(shop(state), tblClientes::Table);
    c.setIndex(tblClientes::indCodigo);
    const std::vector<QString> keys = codes(customers(state));
    size_t i = 0;
    for (auto _ : state) {
        if (!c.seek(keys[i++ % keys.size()]))
            state.SkipWithError("code not found");
        benchmark::DoNotOptimize(c.text(tblClientes::Nome));
    }
}
BENCHMARK(BM_CursorSeekWithoutRefresh)->Apply(scales);

void bareLookup(benchmark::State& state, const char* sql)
{
    const QByteArray path = QFile::encodeName(shop(state).filePath());
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        state.SkipWithError("cannot open the shop");
        sqlite3_close(db);
        return;
    }
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    std::vector<QByteArray> keys;
    for (const QString& k : codes(customers(state)))
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
BENCHMARK(BM_BareSqliteLookup)->Apply(scales);

// The bare lookup of the whole row, which is what a cursor has to read.
void BM_BareSqliteLookupWholeRow(benchmark::State& state)
{
    bareLookup(state, "SELECT Nome, rowid, * FROM tblClientes WHERE Codigo = ?");
}
BENCHMARK(BM_BareSqliteLookupWholeRow)->Apply(scales);

void BM_CustomerNames(benchmark::State& state)
{
    store::Database& db = shop(state);
    qsizetype names = 0;
    for (auto _ : state) {
        const QStringList list = store::customerNames(db);
        names = list.size();
        benchmark::DoNotOptimize(list.constData());
    }
    state.counters["names"] = double(names);
}
BENCHMARK(BM_CustomerNames)->Apply(scales)->Unit(benchmark::kMillisecond);

void BM_VideoTitles(benchmark::State& state)
{
    store::Database& db = shop(state);
    for (auto _ : state)
        benchmark::DoNotOptimize(store::videoTitles(db).size());
}
BENCHMARK(BM_VideoTitles)->Apply(scales)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    for (int customers : bench::shopScales())
        bench::shop(customers); // made before any timing starts
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    bench::closeShops();
    return 0;
}
