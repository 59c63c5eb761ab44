// Opening the query windows, and the store time of the lookups that run when
// a field is left, at 10,000, 100,000 and 400,000 customers (and as many
// videos).
//
// The shops are made once (see BenchShops.h) and reused by later runs.

#include "BenchShops.h"
#include "ProgramStart.h"

#include "app/Startup.h"
#include "app/frmAbertura.h"
#include "customers/frmConClientes.h"
#include "lookup/ListIndex.h"
#include "lookup/LookupCombo.h"
#include "platform/Formats.h"
#include "platform/widgets/MessageBox.h"
#include "rental/frmLocacao.h"
#include "store/Database.h"
#include "store/Names.h"
#include "store/RecordCursor.h"
#include "videos/frmConVideo.h"
#include "views/PickList.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <benchmark/benchmark.h>
#include <memory>
#include <type_traits>

using namespace store::names;

namespace {

// Again: a later opening (the first, untimed, has read the pick lists, and
// they are kept for the run, as in the program). AfterSplash: the first
// opening of the run, when the main window shows after the whole splash,
// the start having done its reads meanwhile. SplashSkipped: the same, with
// the splash ended by a key at once: it stays up until the start's lists
// are read (counters splash_ms and lists_in_ms). NoListRead: the first opening on
// a connection that has read no list at all.
enum class Opening { Again, AfterSplash, SplashSkipped, NoListRead };

// Whether the start's three lists are in (their indexes perhaps not yet).
bool listsIn(store::Database& db)
{
    int in = 0;
    for (const auto& watcher : db.watchers())
        if (auto* list = dynamic_cast<views::PickList*>(watcher.get()); list && !list->loading())
            ++in;
    return in == 3;
}

// The splash: up for msecs, and then for as long as the start holds it
// (its reads not done). How long it was up, and when the lists were in, in
// milliseconds.
std::pair<qint64, qint64> splash(int msecs, store::Database& db, const StartReads* reads)
{
    QElapsedTimer timer;
    timer.start();
    qint64 in = -1;
    while (timer.elapsed() < msecs ||
           (reads && !reads->isDone() && timer.elapsed() < Startup::LongestHoldMilliseconds)) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        if (in < 0 && listsIn(db))
            in = timer.elapsed();
    }
    return {timer.elapsed(), in < 0 ? timer.elapsed() : in};
}

// The time from the window's construction until it is on screen with its
// lists, and whether the index of the combo's list was ready then.
template <typename Window> void openWindow(benchmark::State& state, const char* combo, Opening opening)
{
    const int customers = int(state.range(0));
    // The rental window may write (copies a crash left out go back): a copy.
    const bool writes = std::is_same_v<Window, frmLocacao>;
    store::Database& shop = bench::shop(customers, writes);
    int items = 0;
    int ready = 0;
    qint64 splashMs = 0;
    qint64 listsMs = 0;
    const auto openOnce = [&](store::Database& db, bool timed) {
        auto* window = new Window(db);
        window->show();
        QApplication::processEvents();
        if (timed)
            state.PauseTiming();
        auto* box = window->template findChild<QComboBox*>(QString::fromUtf8(combo));
        items = box->count();
        ready +=
            lookup_detail::ListIndex::of(box->model(), box->modelColumn(), box->rootModelIndex())->ready();
        delete window;
        QApplication::processEvents();
        if (timed)
            state.ResumeTiming();
    };
    if (opening == Opening::Again)
        openOnce(shop, false);
    ready = 0;
    for (auto _ : state) {
        if (opening == Opening::Again) {
            openOnce(shop, true);
            continue;
        }
        state.PauseTiming();
        auto db = std::make_unique<store::Database>(shop.folder());
        db->open();
        std::unique_ptr<StartReads> reads;
        if (opening != Opening::NoListRead) {
            reads = bench::programStart(*db);
            const auto [up, in] = splash(
                opening == Opening::AfterSplash ? frmAbertura::SplashMilliseconds : 0, *db, reads.get());
            splashMs += up;
            listsMs += in;
        }
        state.ResumeTiming();
        openOnce(*db, true);
        state.PauseTiming();
        bench::settle(*db);
        reads.reset();
        db.reset();
        state.ResumeTiming();
    }
    state.counters["list_items"] = items;
    state.counters["index_ready"] = double(ready) / double(state.iterations());
    if (opening == Opening::AfterSplash || opening == Opening::SplashSkipped) {
        state.counters["splash_ms"] = double(splashMs) / double(state.iterations());
        state.counters["lists_in_ms"] = double(listsMs) / double(state.iterations());
    }
}

#define OPENINGS(name, Window, combo)                                                                        \
    void BM_Open##name(benchmark::State& state)                                                              \
    {                                                                                                        \
        openWindow<Window>(state, combo, Opening::Again);                                                    \
    }                                                                                                        \
    void BM_Open##name##ColdAfterSplash(benchmark::State& state)                                             \
    {                                                                                                        \
        openWindow<Window>(state, combo, Opening::AfterSplash);                                              \
    }                                                                                                        \
    void BM_Open##name##ColdSplashSkipped(benchmark::State& state)                                           \
    {                                                                                                        \
        openWindow<Window>(state, combo, Opening::SplashSkipped);                                            \
    }                                                                                                        \
    void BM_Open##name##ColdNoListRead(benchmark::State& state)                                              \
    {                                                                                                        \
        openWindow<Window>(state, combo, Opening::NoListRead);                                               \
    }

OPENINGS(CustomerQuery, frmConClientes, "cboCliente")
OPENINGS(VideoQuery, frmConVideo, "cboVideo")
OPENINGS(Rental, frmLocacao, "cboClientes")

// The rental window opened again after the day's rentals and returns have
// changed the shelf counts of that many videos: the lists are kept as they
// are, with their index.
void BM_OpenRentalAfterShelfChanges(benchmark::State& state)
{
    const int customers = int(state.range(0));
    const int changes = int(state.range(1));
    store::Database& db = bench::shop(customers, true);
    int kept = 0;
    const auto open = [&](bool timed) {
        auto* window = new frmLocacao(db);
        window->show();
        QApplication::processEvents();
        if (timed)
            state.PauseTiming();
        for (const char* name : {"cboClientes", "cbo1"}) {
            auto* box = window->findChild<QComboBox*>(QString::fromUtf8(name));
            kept += timed && box &&
                    lookup_detail::ListIndex::of(box->model(), box->modelColumn(), box->rootModelIndex())
                        ->ready();
        }
        delete window;
        QApplication::processEvents();
        if (timed)
            state.ResumeTiming();
    };
    open(false);
    // The indexes of the lists, as the start leaves them.
    for (auto kind : {store::PickListKind::CustomerNames, store::PickListKind::VideoCodes}) {
        views::PickList& list = views::pickList(db, kind);
        lookup_detail::ListIndex::of(&list, 0, QModelIndex())->waitUntilReady(120000);
    }
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++round;
        {
            QSqlQuery q(db.connection());
            q.exec(QStringLiteral("UPDATE tblVideos SET QTDE = QTDE + %1 WHERE rowid IN "
                                  "(SELECT rowid FROM tblVideos ORDER BY rowid LIMIT %2)")
                       .arg(round % 2 ? 1 : -1)
                       .arg(changes));
        }
        state.ResumeTiming();
        open(true);
    }
    state.counters["index_kept"] = double(kept) / double(2 * state.iterations());
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

#define OPENING_BENCH(name)                                                                                  \
    BENCHMARK(BM_Open##name)->Apply(scales)->Unit(benchmark::kMillisecond)->Iterations(5);                   \
    BENCHMARK(BM_Open##name##ColdAfterSplash)->Apply(scales)->Unit(benchmark::kMillisecond)->Iterations(3);  \
    BENCHMARK(BM_Open##name##ColdSplashSkipped)                                                              \
        ->Apply(scales)                                                                                      \
        ->Unit(benchmark::kMillisecond)                                                                      \
        ->Iterations(3);                                                                                     \
    BENCHMARK(BM_Open##name##ColdNoListRead)->Apply(scales)->Unit(benchmark::kMillisecond)->Iterations(3);

OPENING_BENCH(CustomerQuery)
OPENING_BENCH(VideoQuery)
OPENING_BENCH(Rental)
BENCHMARK(BM_OpenRentalAfterShelfChanges)
    ->Apply([](benchmark::internal::Benchmark* b) {
        for (int customers : bench::shopScales())
            for (int changes : {1000, 2000, 2500})
                b->Args({customers, changes});
    })
    ->Unit(benchmark::kMillisecond)
    ->Iterations(4);
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
