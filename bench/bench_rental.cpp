// The rental window at 10,000, 100,000 and 400,000 customers (as many
// videos, one open note for every twenty customers): opening it (the first
// opening of a run apart from later ones), entering a video (lookup, slot,
// price, shelf count and the composing record committed), undoing one and
// saving a note, each through the real window; and opening the return
// window and the status query. The services alone, against bare SQLite,
// are in bench_store.
//
// The shops are made once (see BenchShops.h) and copied afresh for every
// run, since saving adds notes.

#include "BenchShops.h"
#include "ProgramStart.h"

#include "platform/Formats.h"
#include "platform/widgets/MessageBox.h"
#include "rental/frmLocacao.h"
#include "returns/frmConsultaVideo.h"
#include "returns/frmDevolucao.h"
#include "store/Database.h"
#include "views/PickList.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

int customers(const benchmark::State& state)
{
    return int(state.range(0));
}

store::Database& shop(const benchmark::State& state)
{
    return bench::shop(customers(state), true);
}

QString code(const benchmark::State& state, int i)
{
    return QString::number(1000 + (i * 7919) % customers(state));
}

// Leaves a combo with text in it, as Enter does.
void enter(frmLocacao* form, const char* combo, const QString& text)
{
    auto* box = form->findChild<QComboBox*>(QString::fromLatin1(combo));
    box->setFocus();
    box->setEditText(text);
    QTest::keyClick(box, Qt::Key_Return);
}

struct OpenWindow
{
    explicit OpenWindow(const benchmark::State& state)
        : form(new frmLocacao(shop(state))), name(customer(state))
    {
        form->show();
        QApplication::setActiveWindow(form);
        QApplication::processEvents();
        enter(form, "cboClientes", name);
    }
    ~OpenWindow()
    {
        form->close();
        delete form;
    }
    // A holder half way down the list.
    static QString customer(const benchmark::State& state)
    {
        auto* probe = new frmLocacao(shop(state));
        const QString n =
            probe->findChild<QComboBox*>(QStringLiteral("cboClientes"))->itemText(customers(state) * 2);
        probe->close();
        delete probe;
        return n;
    }
    QPushButton* button(const char* name) { return form->findChild<QPushButton*>(QString::fromLatin1(name)); }
    frmLocacao* form;
    QString name;
};

// Return in the code field, the focus already there with a code typed:
// lookup, slot, price, shelf count and composing record committed. Slot 1
// stays filled, so that undoing the new slot between rounds keeps the focus
// away from the customer list.
void BM_EnterVideo(benchmark::State& state)
{
    OpenWindow w(state);
    enter(w.form, "cbo1", code(state, 0));
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto* box = w.form->findChild<QComboBox*>(QStringLiteral("cbo1"));
        box->setFocus();
        box->setEditText(code(state, ++i));
        state.ResumeTiming();
        QTest::keyClick(box, Qt::Key_Return);
        state.PauseTiming();
        if (w.form->findChild<QLabel*>(QStringLiteral("lblCodigo1"))->text() != code(state, i))
            state.SkipWithError("the video did not reach slot 2");
        w.button("cmdDesfazer")->click();
        state.ResumeTiming();
    }
}

// Undoing slot 2: the copy back, the value lowered, the focus on the button.
void BM_UndoVideo(benchmark::State& state)
{
    OpenWindow w(state);
    enter(w.form, "cbo1", code(state, 0));
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        enter(w.form, "cbo1", code(state, ++i));
        state.ResumeTiming();
        w.button("cmdDesfazer")->click();
    }
}

// Undoing slot 1 sends the focus to the customer list, whose type-ahead is
// attached again.
void BM_UndoLastVideo(benchmark::State& state)
{
    OpenWindow w(state);
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        enter(w.form, "cbo1", code(state, ++i));
        state.ResumeTiming();
        w.button("cmdDesfazer")->click();
    }
}

void BM_SaveNote(benchmark::State& state)
{
    OpenWindow w(state);
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        enter(w.form, "cboClientes", w.name);
        enter(w.form, "cbo1", code(state, ++i));
        enter(w.form, "cbo1", code(state, ++i));
        MessageBox::setNextAnswer(QMessageBox::No);
        state.ResumeTiming();
        w.button("cmdSalvar")->click();
    }
}

void scales(benchmark::internal::Benchmark* b)
{
    for (int customers : bench::shopScales())
        b->Arg(customers);
}

// Again: one opening comes first, untimed, and the pick lists are then
// kept for the run, as in the program. FirstInTheRun: every opening is the
// first on a fresh connection and reads the lists. FirstAfterStart: the
// same, after the pick lists were read as the program's start reads them
// under the splash.
enum class Opening { Again, FirstInTheRun, FirstAfterStart };

template <typename Window> void openWindow(benchmark::State& state, const char* combo, Opening opening)
{
    store::Database& kept = shop(state);
    int items = 0;
    const auto openOnce = [&](store::Database& db, bool timed) {
        auto* form = new Window(db);
        form->show();
        QApplication::processEvents();
        items = form->template findChild<QComboBox*>(QString::fromLatin1(combo))->count();
        if (timed)
            state.PauseTiming();
        form->close();
        delete form;
        QApplication::processEvents();
        if (timed)
            state.ResumeTiming();
    };
    if (opening == Opening::Again)
        openOnce(kept, false);
    for (auto _ : state) {
        if (opening == Opening::Again) {
            openOnce(kept, true);
            continue;
        }
        state.PauseTiming();
        auto db = std::make_unique<store::Database>(kept.folder());
        // As the program starts: the lists read in the background while the
        // splash is up, which stays until they are in; their indexes may
        // still be under way when the window opens.
        std::unique_ptr<StartReads> reads;
        if (opening == Opening::FirstAfterStart) {
            db->open();
            reads = bench::programStart(*db);
            while (reads && !reads->isDone())
                QApplication::processEvents(QEventLoop::WaitForMoreEvents);
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
}

void BM_OpenRentalWindow(benchmark::State& state)
{
    openWindow<frmLocacao>(state, "cboClientes", Opening::Again);
}
void BM_OpenRentalWindowFirstInTheRun(benchmark::State& state)
{
    openWindow<frmLocacao>(state, "cboClientes", Opening::FirstInTheRun);
}
void BM_OpenRentalWindowFirstAfterStart(benchmark::State& state)
{
    openWindow<frmLocacao>(state, "cboClientes", Opening::FirstAfterStart);
}

void BM_OpenReturnWindow(benchmark::State& state)
{
    openWindow<frmDevolucao>(state, "cboCodigo", Opening::Again);
}

void BM_OpenStatusQuery(benchmark::State& state)
{
    openWindow<frmConsultaVideo>(state, "cboVideo", Opening::Again);
}
void BM_OpenStatusQueryFirstInTheRun(benchmark::State& state)
{
    openWindow<frmConsultaVideo>(state, "cboVideo", Opening::FirstInTheRun);
}

} // namespace

BENCHMARK(BM_OpenRentalWindow)->Apply(scales)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OpenRentalWindowFirstInTheRun)->Apply(scales)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenRentalWindowFirstAfterStart)->Apply(scales)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenReturnWindow)->Apply(scales)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OpenStatusQuery)->Apply(scales)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OpenStatusQueryFirstInTheRun)->Apply(scales)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_EnterVideo)->Apply(scales)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_UndoVideo)->Apply(scales)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_UndoLastVideo)->Apply(scales)->Unit(benchmark::kMillisecond)->Iterations(100);
BENCHMARK(BM_SaveNote)->Apply(scales)->Unit(benchmark::kMillisecond)->Iterations(200);

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
    bench::closeShops();
    return 0;
}
