// Opening the query windows on a 100,000-customer, 100,000-video shop, and
// the store time of the lookups that run when a field is left.
//
// The shop is made once in FENWARDA_BENCH_SHOP (default: the folder
// bench_store uses) and reused by later runs.

#include "ShopGenerator.h"

#include "customers/frmConClientes.h"
#include "platform/Formats.h"
#include "platform/widgets/MessageBox.h"
#include "store/Database.h"
#include "store/RecordCursor.h"
#include "videos/frmConVideo.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int ShopSize = 100000;

store::Database& shop()
{
    static std::unique_ptr<store::Database> db = [] {
        QString folder = qEnvironmentVariable("FENWARDA_BENCH_SHOP");
        if (folder.isEmpty())
            folder = QDir::temp().filePath(QStringLiteral("fenwarda-bench-shop-%1").arg(ShopSize));
        QDir().mkpath(folder);
        if (!QFile::exists(store::Database::filePath(folder)))
            bench::generateShop(folder, {ShopSize, ShopSize, ShopSize / 5});
        auto d = std::make_unique<store::Database>(folder);
        d->open();
        return d;
    }();
    return *db;
}

template <typename Window> void openWindow(benchmark::State& state, const char* combo)
{
    store::Database& db = shop();
    int items = 0;
    for (auto _ : state) {
        auto* window = new Window(db);
        window->show();
        QApplication::processEvents();
        items = window->template findChild<QComboBox*>(QString::fromUtf8(combo))->count();
        state.PauseTiming();
        delete window;
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["list_items"] = items;
}

void BM_OpenCustomerQuery(benchmark::State& state)
{
    openWindow<frmConClientes>(state, "cboCliente");
}
void BM_OpenVideoQuery(benchmark::State& state)
{
    openWindow<frmConVideo>(state, "cboVideo");
}

// The slowest lookup on leaving the customer query's combo: a name found
// only as a third dependant, after three seeks that miss.
void BM_CustomerNameLookupWorstCase(benchmark::State& state)
{
    store::Database& db = shop();
    store::RecordCursor probe(db, QStringLiteral("tblClientes"));
    QString name;
    for (probe.moveFirst(); !probe.atEnd() && name.isEmpty(); probe.moveNext())
        name = probe.text(QStringLiteral("Dependente3"));

    store::RecordCursor c(db, QStringLiteral("tblClientes"));
    for (auto _ : state) {
        bool found = false;
        for (const char* index : {"indNome", "indDependente1", "indDependente2", "indDependente3"}) {
            c.refresh();
            c.setIndex(QString::fromUtf8(index));
            if (c.seek(name)) {
                found = true;
                break;
            }
        }
        benchmark::DoNotOptimize(c.text(QStringLiteral("Nome")));
        if (!found)
            state.SkipWithError("the dependant was not found");
    }
}

void BM_VideoTitleLookup(benchmark::State& state)
{
    store::Database& db = shop();
    store::RecordCursor c(db, QStringLiteral("tblVideos"));
    c.refresh();
    c.moveFirst();
    for (int i = 0; i < ShopSize / 2 && !c.atEnd(); ++i)
        c.moveNext();
    const QString title = c.text(QStringLiteral("Nome"));
    for (auto _ : state) {
        c.refresh();
        c.setIndex(QStringLiteral("indNome"));
        if (!c.seek(title))
            state.SkipWithError("the title was not found");
        benchmark::DoNotOptimize(c.text(QStringLiteral("Valor")));
    }
}

} // namespace

BENCHMARK(BM_OpenCustomerQuery)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OpenVideoQuery)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CustomerNameLookupWorstCase)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VideoTitleLookup)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    platform::setAppLocale(QLocale(QLocale::Portuguese, QLocale::Brazil));
    MessageBox::setTestMode(true);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
