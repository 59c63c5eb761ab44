// Opening the query windows, and the store time of the lookups that run when
// a field is left, at 10,000, 100,000 and 400,000 customers (and as many
// videos).
//
// The shops are made once (see BenchShops.h) and reused by later runs.

#include "BenchShops.h"

#include "customers/frmConClientes.h"
#include "platform/Formats.h"
#include "platform/widgets/MessageBox.h"
#include "store/Database.h"
#include "store/Names.h"
#include "store/RecordCursor.h"
#include "videos/frmConVideo.h"
#include "views/PickList.h"

#include <QApplication>
#include <QComboBox>
#include <benchmark/benchmark.h>
#include <memory>

using namespace store::names;

namespace {

// Again: one opening comes first, untimed, and the pick list is then kept
// for the run, as in the program. FirstInTheRun: every opening is the first
// on a fresh connection and reads the list. FirstAfterStart: the same, after
// the pick lists were read as the program's start reads them under the
// splash.
enum class Opening { Again, FirstInTheRun, FirstAfterStart };

template <typename Window> void openWindow(benchmark::State& state, const char* combo, Opening opening)
{
    const int customers = int(state.range(0));
    bench::shop(customers);
    int items = 0;
    const auto openOnce = [&](store::Database& db, bool timed) {
        auto* window = new Window(db);
        window->show();
        QApplication::processEvents();
        items = window->template findChild<QComboBox*>(QString::fromUtf8(combo))->count();
        if (timed)
            state.PauseTiming();
        delete window;
        QApplication::processEvents();
        if (timed)
            state.ResumeTiming();
    };
    if (opening == Opening::Again)
        openOnce(bench::shop(customers), false);
    for (auto _ : state) {
        if (opening == Opening::Again) {
            openOnce(bench::shop(customers), true);
            continue;
        }
        state.PauseTiming();
        auto db = std::make_unique<store::Database>(bench::shop(customers).folder());
        // What the program's start does while the splash is up.
        if (opening == Opening::FirstAfterStart)
            for (auto kind : {store::PickListKind::CustomerNames, store::PickListKind::VideoTitles,
                              store::PickListKind::VideoCodes})
                views::pickList(*db, kind);
        state.ResumeTiming();
        openOnce(*db, true);
        state.PauseTiming();
        db.reset();
        state.ResumeTiming();
    }
    state.counters["list_items"] = items;
}

void BM_OpenCustomerQuery(benchmark::State& state)
{
    openWindow<frmConClientes>(state, "cboCliente", Opening::Again);
}
void BM_OpenCustomerQueryFirstInTheRun(benchmark::State& state)
{
    openWindow<frmConClientes>(state, "cboCliente", Opening::FirstInTheRun);
}
void BM_OpenCustomerQueryFirstAfterStart(benchmark::State& state)
{
    openWindow<frmConClientes>(state, "cboCliente", Opening::FirstAfterStart);
}
void BM_OpenVideoQuery(benchmark::State& state)
{
    openWindow<frmConVideo>(state, "cboVideo", Opening::Again);
}
void BM_OpenVideoQueryFirstInTheRun(benchmark::State& state)
{
    openWindow<frmConVideo>(state, "cboVideo", Opening::FirstInTheRun);
}
void BM_OpenVideoQueryFirstAfterStart(benchmark::State& state)
{
    openWindow<frmConVideo>(state, "cboVideo", Opening::FirstAfterStart);
}

// The slowest lookup on leaving the customer query's combo: a name found
// only as a third dependant, so the three seeks before it miss; in a shop
// where every such name is also found earlier, a name found nowhere (four
// seeks that miss).
void BM_CustomerNameLookupWorstCase(benchmark::State& state)
{
    store::Database& db = bench::shop(int(state.range(0)));
    store::RecordCursor probe(db, tblClientes::Table);
    store::RecordCursor check(db, tblClientes::Table);
    QString name;
    for (probe.moveFirst(); !probe.atEnd() && name.isEmpty(); probe.moveNext()) {
        const QString candidate = probe.text(tblClientes::Dependente3);
        bool onlyThird = !candidate.isEmpty();
        for (int i = 0; i < 3 && onlyThird; ++i)
            onlyThird = !check.lookUp(tblClientes::NameIndexes.at(i), candidate);
        if (onlyThird)
            name = candidate;
    }
    const bool inTheShop = !name.isEmpty();
    if (!inTheShop)
        name = QStringLiteral("Nome Que Não Está Na Loja");

    store::RecordCursor c(db, tblClientes::Table);
    int seeks = 0;
    for (auto _ : state) {
        bool found = false;
        seeks = 0;
        for (const QString& index : tblClientes::NameIndexes) {
            ++seeks;
            if (c.lookUp(index, name)) {
                found = true;
                break;
            }
        }
        if (found != inTheShop)
            state.SkipWithError("the name was not looked up as expected");
        if (found)
            benchmark::DoNotOptimize(c.text(tblClientes::Nome));
    }
    state.counters["seeks"] = seeks;
    state.counters["found"] = inTheShop;
}

// The lookup on leaving the video query's combo, for a title half way down
// the table.
void BM_VideoTitleLookup(benchmark::State& state)
{
    store::Database& db = bench::shop(int(state.range(0)));
    store::RecordCursor c(db, tblVideos::Table);
    const int half = c.count() / 2;
    c.moveFirst();
    for (int i = 0; i < half && !c.atEnd(); ++i)
        c.moveNext();
    if (c.atEnd()) {
        state.SkipWithError("the shop has no videos");
        return;
    }
    const QString title = c.text(tblVideos::Nome);
    for (auto _ : state) {
        if (!c.lookUp(tblVideos::indNome, title))
            state.SkipWithError("the title was not found");
        benchmark::DoNotOptimize(c.text(tblVideos::Valor));
    }
}

void scales(benchmark::internal::Benchmark* b)
{
    for (int customers : bench::shopScales())
        b->Arg(customers);
}

} // namespace

BENCHMARK(BM_OpenCustomerQuery)->Apply(scales)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OpenCustomerQueryFirstInTheRun)->Apply(scales)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenCustomerQueryFirstAfterStart)->Apply(scales)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenVideoQuery)->Apply(scales)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OpenVideoQueryFirstInTheRun)->Apply(scales)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenVideoQueryFirstAfterStart)->Apply(scales)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CustomerNameLookupWorstCase)->Apply(scales)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VideoTitleLookup)->Apply(scales)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    platform::setAppLocale(QLocale(QLocale::Portuguese, QLocale::Brazil));
    MessageBox::setTestMode(true);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    bench::closeShops();
    return 0;
}
