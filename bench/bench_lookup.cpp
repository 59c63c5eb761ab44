// One keystroke in the customer combo, on the shop's own list of names
// (10,000, 100,000 and 400,000 customers: up to 1.6 million names, empty
// dependants left out as the program leaves them out), delivered through the
// real event path (QTest::keyClick: shortcut override, key press, key
// release). Each case reports the median and the 99th percentile of single
// keystrokes as counters; putting the field back between keystrokes is not
// timed.
//
// Three groups: every kind of key on a ready index; every kind of key before
// the index of the list is ready (the list has just been replaced whole);
// and the keystrokes that come after something else: a window opening after
// the program's start, a change of the list.
//
// Run with QT_QPA_PLATFORM=offscreen and FENWARDA_BENCH_SHOP.

#include "BenchShops.h"
#include "ProgramStart.h"

#include "app/Startup.h"
#include "app/frmAbertura.h"
#include "lookup/ListIndex.h"
#include "lookup/LookupCombo.h"
#include "lookup/claFenwaurda.h"
#include "platform/TextFold.h"
#include "store/Database.h"
#include "views/PickList.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSqlQuery>
#include <QStringListModel>
#include <QtTest>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using store::PickListKind;

// A combo made as the windows make theirs, showing a list.
struct Field
{
    std::unique_ptr<QComboBox> combo{makeLookupCombo(nullptr, "cboCliente", nullptr)};
    claFenwaurda lookup;

    explicit Field(QAbstractItemModel* list)
    {
        setLookupItems(combo.get(), list);
        combo->show();
        lookup.attachTo(combo.get());
    }
    QLineEdit* edit() const { return combo->lineEdit(); }
    // Puts item row in the field with the part after typed selected, as a
    // completion leaves it.
    void show(int row, int typed)
    {
        combo->setCurrentIndex(row);
        const int length = int(edit()->text().size());
        edit()->setSelection(typed, length - typed);
    }
};

// The shop's list of names, and a copy of it in a model that can be
// replaced whole, to time keys before its index is ready.
struct Names
{
    QStringList names;
    QStringListModel fresh;
    std::unique_ptr<Field> ready;
    std::unique_ptr<Field> before;

    explicit Names(int customers)
    {
        views::PickList& list = views::pickList(bench::shop(customers), PickListKind::CustomerNames);
        names = list.stringList();
        ready = std::make_unique<Field>(&list);
        if (!ready->lookup.waitForIndex(120000))
            qFatal("the index was not built");
        fresh.setStringList(names);
        before = std::make_unique<Field>(&fresh);
    }
    // A list just replaced: its index is not even started (no event loop
    // has run since).
    Field& notReady(benchmark::State& state)
    {
        fresh.setStringList(names);
        if (before->lookup.indexReady())
            state.SkipWithError("the index was ready before the keystroke");
        return *before;
    }
};

std::map<int, std::unique_ptr<Names>> g_names;

Names& names(const benchmark::State& state)
{
    std::unique_ptr<Names>& n = g_names[int(state.range(0))];
    if (!n)
        n = std::make_unique<Names>(int(state.range(0)));
    return *n;
}

// The time this thread ran, apart from the time the machine gave others.
double threadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

void percentiles(benchmark::State& state, std::vector<double>& ns, const std::string& prefix)
{
    if (ns.empty())
        return;
    std::sort(ns.begin(), ns.end());
    state.counters[prefix + "median_ns"] = ns[ns.size() / 2];
    state.counters[prefix + "p99_ns"] = ns[std::min(ns.size() - 1, ns.size() * 99 / 100)];
    state.counters[prefix + "max_ns"] = ns.back();
}

// Wall time and thread CPU time of each keystroke.
struct Samples
{
    std::vector<double> wall;
    std::vector<double> cpu;
    std::chrono::steady_clock::time_point start;
    double cpuStart = 0;

    void begin()
    {
        cpuStart = threadCpuSeconds();
        start = std::chrono::steady_clock::now();
    }
    double end()
    {
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        cpu.push_back((threadCpuSeconds() - cpuStart) * 1e9);
        wall.push_back(elapsed * 1e9);
        return elapsed;
    }
    void report(benchmark::State& state)
    {
        percentiles(state, wall, "");
        percentiles(state, cpu, "cpu_");
    }
};

// Times single keystrokes; prepare() puts the field back before each one.
void timeKeystrokes(benchmark::State& state, const std::function<void()>& prepare,
                    const std::function<void()>& keystroke)
{
    Samples samples;
    for (auto _ : state) {
        prepare();
        samples.begin();
        keystroke();
        state.SetIterationTime(samples.end());
    }
    samples.report(state);
}

// The row that starts the longest stretch of the list (in list order,
// wrapping) whose names do not begin with initial: typed over it, the
// search has to look far beyond the current item.
int rowFarFrom(const QStringList& names, QChar initial)
{
    const int n = int(names.size());
    int best = 0;
    int bestGap = -1;
    for (int row = 0; row < n; ++row) {
        int gap = 0;
        while (gap < n && !names.at((row + gap) % n).startsWith(initial, Qt::CaseInsensitive))
            ++gap;
        if (gap > bestGap) {
            bestGap = gap;
            best = row;
        }
        row += gap;
    }
    return best;
}

// A row whose name has a prefix of length typed shared by the most other
// names of the list: Backspace there is the longest exact search by prefix.
int rowOfACommonName(const QStringList& names)
{
    QHash<QString, int> count;
    for (const QString& name : names)
        ++count[name.left(5).toCaseFolded()];
    int best = 0;
    for (int row = 0; row < names.size(); ++row)
        if (names.at(row).size() > 6 && count.value(names.at(row).left(5).toCaseFolded()) >
                                            count.value(names.at(best).left(5).toCaseFolded()))
            best = row;
    return best;
}

enum Key {
    Continue,
    JumpFar,
    BackspaceOverHighlight,
    BackspaceToItem,
    DeleteToItem,
    NoMatch,
    TypedJoao,
    TypedConceicao
};

// One kind of key, on a ready index or before it is ready.
void key(benchmark::State& state, Key kind, bool indexReady)
{
    Names& n = names(state);
    const int size = int(n.names.size());
    Field* f = n.ready.get();
    const auto field = [&]() -> Field& {
        if (!indexReady)
            f = &n.notReady(state);
        return *f;
    };
    switch (kind) {
    case Continue: {
        // The operator goes on typing the name that is suggested.
        const int row = size / 2;
        const char next = n.names.at(row).at(3).toLower().toLatin1();
        timeKeystrokes(
            state, [&] { field().show(row, 3); }, [&] { QTest::keyClick(f->combo.get(), next); });
        if (f->combo->currentIndex() != row)
            state.SkipWithError("the suggestion did not stay");
        break;
    }
    case JumpFar: {
        // A first letter shared by many, typed over a suggestion that no
        // nearby row begins with.
        const int row = rowFarFrom(n.names, QChar('M'));
        timeKeystrokes(
            state,
            [&] {
                field().show(row, 0);
                f->edit()->selectAll();
            },
            [&] { QTest::keyClick(f->combo.get(), 'm'); });
        if (!f->edit()->text().startsWith('M'))
            state.SkipWithError("no M name was found");
        break;
    }
    case BackspaceOverHighlight: {
        // An exact search for the typed part of a common name: nothing
        // equals it, so the key reaches the control.
        const int row = rowOfACommonName(n.names);
        timeKeystrokes(
            state, [&] { field().show(row, 5); },
            [&] { QTest::keyClick(f->combo.get(), Qt::Key_Backspace); });
        if (f->edit()->text() != n.names.at(row).left(5))
            state.SkipWithError("Backspace did not reach the control");
        break;
    }
    case BackspaceToItem:
    case DeleteToItem: {
        // A whole name with one more character after (Backspace) or before
        // the caret (Delete): the name is found and the key discarded.
        const int row = size / 4;
        const QString name = n.names.at(row);
        const bool back = kind == BackspaceToItem;
        timeKeystrokes(
            state,
            [&] {
                Field& g = field();
                g.combo->setCurrentIndex(-1);
                g.edit()->setText(name + 'x');
                g.edit()->setCursorPosition(int(name.size()) + (back ? 1 : 0));
            },
            [&] { QTest::keyClick(f->combo.get(), back ? Qt::Key_Backspace : Qt::Key_Delete); });
        if (f->edit()->text() != name ||
            f->combo->itemText(f->combo->currentIndex()).compare(name, Qt::CaseInsensitive) != 0)
            state.SkipWithError("the name was not selected");
        break;
    }
    case TypedJoao:
    case TypedConceicao: {
        // A name typed without its accents, one key after another from an
        // empty field: each key searches the whole list from the top (no
        // suggestion to stay on), and finds the accented name.
        const QString word = kind == TypedJoao ? QStringLiteral("joao") : QStringLiteral("conceicao");
        int typed = 0;
        bool found = true;
        // Whether the last key found a name that begins with what was typed.
        const auto check = [&] {
            const QString now = word.left((typed - 1) % word.size() + 1);
            found = found && platform::foldedText(f->edit()->text()).startsWith(now);
        };
        timeKeystrokes(
            state,
            [&] {
                if (typed > 0)
                    check();
                Field& g = field();
                g.combo->setCurrentIndex(-1);
                g.edit()->setText(word.left(typed % word.size()));
            },
            [&] {
                QTest::keyClick(f->combo.get(), word.at(typed % word.size()).toLatin1());
                ++typed;
            });
        check();
        if (!found || f->combo->currentIndex() < 0)
            state.SkipWithError("the accented name was not found");
        break;
    }
    case NoMatch: {
        const int row = size / 5;
        timeKeystrokes(
            state, [&] { field().show(row, 5); }, [&] { QTest::keyClick(f->combo.get(), '#'); });
        if (f->edit()->text() != n.names.at(row).left(5) + '#')
            state.SkipWithError("the key did not reach the control");
        break;
    }
    }
}

#define KEY_CASES(name, kind)                                                                                \
    void BM_##name(benchmark::State& state)                                                                  \
    {                                                                                                        \
        key(state, kind, true);                                                                              \
    }                                                                                                        \
    void BM_##name##BeforeTheIndex(benchmark::State& state)                                                  \
    {                                                                                                        \
        key(state, kind, false);                                                                             \
    }

KEY_CASES(PrefixContinuesTheSuggestion, Continue)
KEY_CASES(PrefixJumpsFarAway, JumpFar)
KEY_CASES(BackspaceOverTheHighlight, BackspaceOverHighlight)
KEY_CASES(BackspaceToAnItem, BackspaceToItem)
KEY_CASES(DeleteToAnItem, DeleteToItem)
KEY_CASES(NoMatch, NoMatch)
KEY_CASES(AccentsAsideJoao, TypedJoao)
KEY_CASES(AccentsAsideConceicao, TypedConceicao)

// The event loop runs as long as the splash is up, and no longer: msecs,
// and then for as long as the start holds it (its lists not yet in).
void splash(int msecs, const StartReads* reads)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < msecs ||
           (reads && !reads->isDone() && timer.elapsed() < Startup::LongestHoldMilliseconds))
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

// The first window of the run, opened when the main window shows (after
// the whole splash, or when a key ended it and the lists are in): a combo is given the
// customer list, the type-ahead attached, and the first key typed, with
// whatever index there is then (nothing waits for it).
void firstKeystrokeAfterAWindowOpens(benchmark::State& state, int splashMsecs)
{
    const int customers = int(state.range(0));
    const QString folder = bench::shop(customers).folder();
    Samples samples;
    int ready = 0;
    for (auto _ : state) {
        auto db = std::make_unique<store::Database>(folder);
        db->open();
        auto reads = bench::programStart(*db);
        splash(splashMsecs, reads.get());
        views::PickList& list = views::pickList(*db, PickListKind::CustomerNames);
        auto combo = std::unique_ptr<QComboBox>(makeLookupCombo(nullptr, "cboCliente", nullptr));
        combo->show();
        setLookupItems(combo.get(), &list);
        claFenwaurda lookup;
        lookup.attachTo(combo.get());
        ready += lookup.indexReady() ? 1 : 0;
        samples.begin();
        QTest::keyClick(combo.get(), 'q');
        state.SetIterationTime(samples.end());
        if (!combo->lineEdit()->text().startsWith('Q', Qt::CaseInsensitive))
            state.SkipWithError("wrong completion");
        lookup.attachTo(nullptr);
        combo.reset();
        bench::settle(*db);
        reads.reset();
        db.reset();
    }
    samples.report(state);
    state.counters["index_ready"] = double(ready) / double(state.iterations());
}

void BM_FirstKeystrokeAfterAWindowOpens(benchmark::State& state)
{
    firstKeystrokeAfterAWindowOpens(state, frmAbertura::SplashMilliseconds);
}
void BM_FirstKeystrokeAfterAWindowOpensSplashSkipped(benchmark::State& state)
{
    firstKeystrokeAfterAWindowOpens(state, 0);
}

// A customer's empty dependant gets a name (or loses it again): the
// windows' own pick list is brought up to date, as a window does when it
// opens, and the first key is typed in a combo that shows it. Timed: the
// update and the key.
void BM_FirstKeystrokeAfterAListChange(benchmark::State& state)
{
    const int customers = int(state.range(0));
    store::Database& db = bench::shop(customers, true);
    views::PickList& list = views::pickList(db, PickListKind::CustomerNames);
    Field f(&list);
    if (!f.lookup.waitForIndex(120000)) {
        state.SkipWithError("the index was not built");
        return;
    }
    qint64 rowid = -1;
    {
        QSqlQuery q(db.connection());
        q.exec(QStringLiteral("SELECT rowid FROM \"tblClientes\" WHERE \"Dependente3\" IS NULL OR \"Dependente3\" = '' "
                              "LIMIT 1 OFFSET %1")
                   .arg(customers / 2));
        if (q.next())
            rowid = q.value(0).toLongLong();
    }
    if (rowid < 0) {
        state.SkipWithError("no customer with an empty dependant");
        return;
    }
    const QString original = [&] {
        QSqlQuery q(db.connection());
        q.exec(QStringLiteral("SELECT \"Dependente3\" FROM \"tblClientes\" WHERE rowid = %1").arg(rowid));
        return q.next() ? q.value(0).toString() : QString();
    }();
    bool named = false;
    int kept = 0;
    Samples samples;
    for (auto _ : state) {
        named = !named;
        {
            QSqlQuery q(db.connection());
            q.prepare(QStringLiteral("UPDATE \"tblClientes\" SET \"Dependente3\" = ? WHERE rowid = ?"));
            q.addBindValue(named ? QStringLiteral("Quirino Bancado") : original);
            q.addBindValue(rowid);
            q.exec();
        }
        f.combo->setCurrentIndex(-1);
        f.edit()->clear();
        samples.begin();
        views::pickList(db, PickListKind::CustomerNames);
        kept += f.lookup.indexReady() ? 1 : 0;
        QTest::keyClick(f.combo.get(), 'q');
        state.SetIterationTime(samples.end());
    }
    // Which run was the slowest (the first, or any).
    state.counters["slowest_run"] =
        double(std::max_element(samples.wall.begin(), samples.wall.end()) - samples.wall.begin());
    samples.report(state);
    state.counters["index_kept"] = double(kept) / double(state.iterations());
}

void scales(benchmark::internal::Benchmark* b)
{
    for (int customers : bench::shopScales())
        b->Arg(customers);
}

} // namespace

#define KEY_BENCH(name)                                                                                      \
    BENCHMARK(BM_##name)->Apply(scales)->UseManualTime()->Iterations(2000);                                  \
    BENCHMARK(BM_##name##BeforeTheIndex)->Apply(scales)->UseManualTime()->Iterations(300);

KEY_BENCH(PrefixContinuesTheSuggestion)
KEY_BENCH(PrefixJumpsFarAway)
KEY_BENCH(BackspaceOverTheHighlight)
KEY_BENCH(BackspaceToAnItem)
KEY_BENCH(DeleteToAnItem)
KEY_BENCH(NoMatch)
KEY_BENCH(AccentsAsideJoao)
KEY_BENCH(AccentsAsideConceicao)
BENCHMARK(BM_FirstKeystrokeAfterAWindowOpens)->Apply(scales)->UseManualTime()->Iterations(3);
BENCHMARK(BM_FirstKeystrokeAfterAWindowOpensSplashSkipped)->Apply(scales)->UseManualTime()->Iterations(3);
BENCHMARK(BM_FirstKeystrokeAfterAListChange)->Apply(scales)->UseManualTime()->Iterations(100);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The combos go before the lists, and the lists with the shops.
    g_names.clear();
    bench::closeShops();
    return 0;
}
