// One keystroke in a lookup combo of 10,000, 100,000 and 400,000 customer
// names, delivered through the real event path (QTest::keyClick: shortcut
// override, key press, key release). Each case reports the median and the
// 99th percentile of single keystrokes as counters; resetting the field
// between keystrokes is not timed.
//
// Run with QT_QPA_PLATFORM=offscreen.

#include "lookup/LookupCombo.h"
#include "lookup/claFenwaurda.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QStringListModel>
#include <QtTest>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int ListSize = 400000;

QStringList customerNames()
{
    const QStringList first{
        "Maria",    "José",     "Ana",      "João",     "Antônio",  "Francisco", "Carlos",    "Paulo",
        "Pedro",    "Lucas",    "Luiz",     "Marcos",   "Luís",     "Gabriel",   "Rafael",    "Daniel",
        "Marcelo",  "Bruno",    "Eduardo",  "Felipe",   "Raimundo", "Rodrigo",   "Manoel",    "Mateus",
        "André",    "Fernando", "Fábio",    "Leonardo", "Gustavo",  "Guilherme", "Márcio",    "Tiago",
        "Adriana",  "Juliana",  "Márcia",   "Fernanda", "Patrícia", "Aline",     "Sandra",    "Camila",
        "Amanda",   "Bruna",    "Jéssica",  "Letícia",  "Júlia",    "Luciana",   "Vanessa",   "Mariana",
        "Gabriela", "Vera",     "Vitória",  "Larissa",  "Cláudia",  "Beatriz",   "Luana",     "Rita",
        "Sônia",    "Renata",   "Eliane",   "Josefa",   "Simone",   "Natália",   "Cristina",  "Conceição",
        "Regina",   "Érica",    "Ângela",   "Célia",    "Débora",   "Yasmin",    "Otávio",    "Ígor",
        "Ulisses",  "Heitor",   "Caio",     "Vinícius", "Sérgio",   "Wagner",    "Zilda",     "Kátia",
        "Nélson",   "Osvaldo",  "Quitéria", "Xavier",   "Benedito", "Dalva",     "Edson",     "Geraldo",
        "Hélio",    "Irene",    "Jair",     "Lourdes",  "Nair",     "Odete",     "Rosângela", "Tânia",
        "Valéria",  "Wilson",   "Zélia",    "Çaíque"};
    const QStringList surnames{
        "Silva",     "Santos",    "Oliveira", "Souza",   "Rodrigues", "Ferreira", "Alves",      "Pereira",
        "Lima",      "Gomes",     "Costa",    "Ribeiro", "Martins",   "Carvalho", "Almeida",    "Lopes",
        "Soares",    "Fernandes", "Vieira",   "Barbosa", "Rocha",     "Dias",     "Nascimento", "Andrade",
        "Moreira",   "Nunes",     "Marques",  "Machado", "Mendes",    "Freitas",  "Cardoso",    "Ramos",
        "Gonçalves", "Santana",   "Teixeira", "Araújo",  "Pinto",     "Correia",  "Cavalcanti", "Brandão",
        "Magalhães", "Conceição", "Assunção", "Falcão",  "Leão",      "Simões",   "Guimarães",  "Peçanha",
        "Monteiro",  "Moura",     "Batista",  "Campos",  "Cardim",    "Cunha",    "Farias",     "Medeiros",
        "Miranda",   "Nogueira",  "Pacheco",  "Queiroz", "Reis",      "Sampaio",  "Tavares",    "Xavier"};
    QStringList names;
    names.reserve(ListSize);
    for (const QString& f : first)
        for (const QString& m : surnames)
            for (const QString& l : surnames)
                if (m != l && names.size() < ListSize)
                    names << f + ' ' + m + ' ' + l;
    // Customers are listed in the order they were registered, not by name.
    std::mt19937 random(4711);
    std::shuffle(names.begin(), names.end(), random);
    return names;
}

struct LongList
{
    QComboBox combo;
    claFenwaurda lookup;
    QStringList names;

    explicit LongList(int size) : names(customerNames().mid(0, size))
    {
        combo.setEditable(true);
        combo.addItems(names);
        combo.setCurrentIndex(-1);
        combo.show();
        if (names.size() != size)
            qFatal("the name generator made %d names", int(names.size()));
        lookup.AttachTo(&combo);
        // The cases below time keystrokes on a ready index, except the ones
        // about list changes.
        if (!lookup.waitForIndex(120000))
            qFatal("the index was not built");
    }

    QLineEdit* edit() { return combo.lineEdit(); }

    // Puts item row in the field with the part after typed selected, as a
    // completion leaves it.
    void show(int row, int typed)
    {
        combo.setCurrentIndex(row);
        const int length = int(edit()->text().size());
        edit()->setSelection(typed, length - typed);
    }
};

// One list per size, made when first asked for; main() drops them before
// the application goes.
std::map<int, std::unique_ptr<LongList>> g_lists;

LongList& longList(const benchmark::State& state)
{
    std::unique_ptr<LongList>& list = g_lists[int(state.range(0))];
    if (!list)
        list = std::make_unique<LongList>(int(state.range(0)));
    return *list;
}

// Times single keystrokes; prepare() puts the field back before each one.
void timeKeystrokes(benchmark::State& state, const std::function<void()>& prepare,
                    const std::function<void()>& keystroke)
{
    std::vector<double> ns;
    for (auto _ : state) {
        prepare();
        const auto start = std::chrono::steady_clock::now();
        keystroke();
        const auto stop = std::chrono::steady_clock::now();
        const double elapsed = std::chrono::duration<double>(stop - start).count();
        state.SetIterationTime(elapsed);
        ns.push_back(elapsed * 1e9);
    }
    if (ns.empty())
        return;
    std::sort(ns.begin(), ns.end());
    state.counters["median_ns"] = ns[ns.size() / 2];
    state.counters["p99_ns"] = ns[std::min(ns.size() - 1, ns.size() * 99 / 100)];
    state.counters["max_ns"] = ns.back();
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

// The operator goes on typing the name that is already suggested.
void BM_PrefixContinuesTheSuggestion(benchmark::State& state)
{
    LongList& c = longList(state);
    const int size = int(c.names.size());
    const int row = size / 2;
    const QString name = c.names.at(row);
    const char next = name.at(3).toLower().toLatin1();
    timeKeystrokes(
        state, [&] { c.show(row, 3); }, [&] { QTest::keyClick(&c.combo, next); });
    if (c.combo.currentIndex() != row)
        state.SkipWithError("the suggestion did not stay");
}

// A first letter shared by a tenth of the list, typed over a suggestion that
// no nearby row begins with: the longest prefix search there is.
void BM_PrefixJumpsFarAway(benchmark::State& state)
{
    LongList& c = longList(state);
    const int row = rowFarFrom(c.names, QChar('M'));
    timeKeystrokes(
        state,
        [&] {
            c.show(row, 0);
            c.edit()->selectAll();
        },
        [&] { QTest::keyClick(&c.combo, 'm'); });
    if (!c.edit()->text().startsWith('M'))
        state.SkipWithError("no M name was found");
}

// Backspace over the highlighted part: an exact search that finds nothing,
// so the key reaches the control.
void BM_BackspaceOverTheHighlight(benchmark::State& state)
{
    LongList& c = longList(state);
    const int size = int(c.names.size());
    const int row = size / 3;
    timeKeystrokes(
        state, [&] { c.show(row, 5); }, [&] { QTest::keyClick(&c.combo, Qt::Key_Backspace); });
    if (c.edit()->text() != c.names.at(row).left(5))
        state.SkipWithError("Backspace did not reach the control");
}

// Backspace at the end of a full name that is an item: found, key discarded.
void BM_BackspaceToAnItem(benchmark::State& state)
{
    LongList& c = longList(state);
    const int size = int(c.names.size());
    const int row = size / 4;
    const QString name = c.names.at(row);
    timeKeystrokes(
        state,
        [&] {
            c.combo.setCurrentIndex(-1);
            c.edit()->setText(name + 'x');
            c.edit()->end(false);
        },
        [&] { QTest::keyClick(&c.combo, Qt::Key_Backspace); });
    if (c.combo.currentIndex() != row || c.edit()->text() != name)
        state.SkipWithError("the item was not selected");
}

// A character that no item continues with.
void BM_NoMatch(benchmark::State& state)
{
    LongList& c = longList(state);
    const int size = int(c.names.size());
    const int row = size / 5;
    timeKeystrokes(
        state, [&] { c.show(row, 5); }, [&] { QTest::keyClick(&c.combo, '#'); });
    if (c.edit()->text() != c.names.at(row).left(5) + '#')
        state.SkipWithError("the key did not reach the control");
}

// First keystroke after one item changed: the index is being built again
// in the background, so the keystroke scans the list.
void BM_FirstKeystrokeAfterAListChange(benchmark::State& state)
{
    LongList& c = longList(state);
    const int size = int(c.names.size());
    const int row = size / 6;
    const QString name = c.names.at(row);
    bool changed = false;
    timeKeystrokes(
        state,
        [&] {
            // Alternates the text: setting the same text is no change.
            changed = !changed;
            c.combo.setItemText(row, changed ? name + '.' : name);
            c.combo.setCurrentIndex(-1);
        },
        [&] { QTest::keyClick(&c.combo, 'q'); });
    c.combo.setItemText(row, name);
}

// First keystroke right after a window has filled the whole list, before
// any event loop has run: the index is not there yet. 'q' finds a name
// near the top; '#' matches nothing, so the whole list is scanned.
void BM_FirstKeystrokeAfterTheListIsSet(benchmark::State& state)
{
    LongList& c = longList(state);
    const char key = char(state.range(1));
    timeKeystrokes(
        state,
        [&] {
            c.combo.clear();
            c.combo.addItems(c.names);
            c.combo.setCurrentIndex(-1);
            if (c.lookup.indexReady())
                state.SkipWithError("the index was ready before the keystroke");
        },
        [&] { QTest::keyClick(&c.combo, key); });
    const QString text = c.edit()->text();
    if (key == '#' ? text != "#" : !text.startsWith(QChar(key).toUpper()))
        state.SkipWithError("wrong completion");
}

// The focus comes back to a combo whose list has not changed (another
// combo of the window had it): the type-ahead is attached to it again.
void BM_AttachAgain(benchmark::State& state)
{
    LongList& c = longList(state);
    QComboBox other;
    other.setEditable(true);
    other.addItems({"ANA", "BRUNO"});
    timeKeystrokes(
        state, [&] { c.lookup.AttachTo(&other); }, [&] { c.lookup.AttachTo(&c.combo); });
    if (!c.lookup.indexReady())
        state.SkipWithError("the index was not ready after attaching again");
}

// A window opens on a pick list kept for the run: a new combo shows the
// list, a new type-ahead is attached to it and the first key is typed.
void BM_FirstKeystrokeAfterAWindowOpens(benchmark::State& state)
{
    LongList& c = longList(state);
    QStringListModel kept(c.names);
    {
        // The first window of the run indexes the list.
        QComboBox first;
        setLookupItems(&first, &kept);
        claFenwaurda lookup;
        lookup.AttachTo(&first);
        lookup.waitForIndex(120000);
    }
    std::unique_ptr<QComboBox> combo;
    std::unique_ptr<claFenwaurda> lookup;
    timeKeystrokes(
        state,
        [&] {
            lookup.reset();
            // Made as the windows make theirs.
            combo.reset(makeLookupCombo(nullptr, "cboNames", nullptr));
            combo->show();
        },
        [&] {
            setLookupItems(combo.get(), &kept);
            lookup = std::make_unique<claFenwaurda>();
            lookup->AttachTo(combo.get());
            QTest::keyClick(combo.get(), 'q');
        });
    if (!combo->lineEdit()->text().startsWith('Q'))
        state.SkipWithError("wrong completion");
    lookup.reset();
    combo.reset();
}

void scales(benchmark::internal::Benchmark* b)
{
    for (int names : {10000, 100000, ListSize})
        b->Arg(names);
}

} // namespace

BENCHMARK(BM_PrefixContinuesTheSuggestion)->Apply(scales)->UseManualTime()->Iterations(2000);
BENCHMARK(BM_PrefixJumpsFarAway)->Apply(scales)->UseManualTime()->Iterations(2000);
BENCHMARK(BM_BackspaceOverTheHighlight)->Apply(scales)->UseManualTime()->Iterations(2000);
BENCHMARK(BM_BackspaceToAnItem)->Apply(scales)->UseManualTime()->Iterations(2000);
BENCHMARK(BM_NoMatch)->Apply(scales)->UseManualTime()->Iterations(2000);
BENCHMARK(BM_AttachAgain)->Apply(scales)->UseManualTime()->Iterations(200);
BENCHMARK(BM_FirstKeystrokeAfterAWindowOpens)->Apply(scales)->UseManualTime()->Iterations(200);
BENCHMARK(BM_FirstKeystrokeAfterAListChange)
    ->Apply(scales)
    ->UseManualTime()
    ->Iterations(200)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstKeystrokeAfterTheListIsSet)
    ->ArgsProduct({{10000, 100000, ListSize}, {'q', '#'}})
    ->UseManualTime()
    ->Iterations(30)
    ->Unit(benchmark::kMillisecond);

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
    // The combos go before the application.
    g_lists.clear();
    return 0;
}
