// The rental window at 10,000, 100,000 and 400,000 customers (as many
// videos, one open note for every twenty customers): opening it,
// entering a video (lookup, slot, price, shelf count and the composing
// record committed), undoing one and saving a note, each through the real
// window.
//
// The shops are made once (see BenchShops.h) and copied afresh for every
// run, since saving adds notes.

#include "BenchShops.h"

#include "counter/ReturnDesk.h"
#include "counter/VideoStatus.h"
#include "platform/Formats.h"
#include "platform/widgets/MessageBox.h"
#include "rental/frmLocacao.h"
#include "returns/frmConsultaVideo.h"
#include "returns/frmDevolucao.h"
#include "store/Database.h"
#include "store/PendingNote.h"
#include "store/RecordCursor.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
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

void BM_OpenRentalWindow(benchmark::State& state)
{
    shop(state);
    int items = 0;
    for (auto _ : state) {
        auto* form = new frmLocacao(shop(state));
        form->show();
        QApplication::processEvents();
        items = form->findChild<QComboBox*>(QStringLiteral("cboClientes"))->count();
        state.PauseTiming();
        form->close();
        delete form;
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["names"] = items;
}

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

// The store's share of entering and undoing: both transactions alone.
void BM_TakeAndGiveBackStoreOnly(benchmark::State& state)
{
    store::PendingNote note(shop(state));
    int i = 0;
    for (auto _ : state) {
        const QString c = code(state, ++i);
        note.takeCopy(1, c);
        note.giveBack(1, c);
    }
}

void scales(benchmark::internal::Benchmark* b)
{
    for (int customers : bench::shopScales())
        b->Arg(customers);
}

// Names, then the case.
void scalesByCase(benchmark::internal::Benchmark* b)
{
    for (int customers : bench::shopScales())
        for (int c : {0, 1})
            b->Args({customers, c});
}

template <typename Window> void openWindow(benchmark::State& state)
{
    shop(state);
    for (auto _ : state) {
        auto* form = new Window(shop(state));
        form->show();
        QApplication::processEvents();
        state.PauseTiming();
        form->close();
        delete form;
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

void BM_OpenReturnWindow(benchmark::State& state)
{
    openWindow<frmDevolucao>(state);
}

void BM_OpenStatusQuery(benchmark::State& state)
{
    openWindow<frmConsultaVideo>(state);
}

// The status query's store time: a code found only in the sixteenth slot
// (case 0) or in no slot at all (case 1): all sixteen slot searches run.
void BM_StatusQueryStoreTime(benchmark::State& state)
{
    QString code = QStringLiteral("no-such-code");
    if (state.range(1) == 0) {
        QString others;
        for (int k = 0; k < 15; ++k)
            others +=
                QStringLiteral(" AND v.\"Codigo(15)\" NOT IN (SELECT \"Codigo(%1)\" FROM tblLocacao)").arg(k);
        QSqlQuery q(shop(state).connection());
        if (!q.exec(QStringLiteral("SELECT v.\"Codigo(15)\" FROM tblLocacao v WHERE v.\"Codigo(15)\" <> ''") +
                    others + QStringLiteral(" LIMIT 1")) ||
            !q.next()) {
            state.SkipWithError("no code stands only in the sixteenth slot");
            return;
        }
        code = q.value(0).toString();
    }
    counter::VideoStatus status(shop(state));
    for (auto _ : state) {
        const std::optional<QString> date = status.rentalDateOf(code);
        if (date.has_value() != (state.range(1) == 0))
            state.SkipWithError("wrong answer");
        benchmark::DoNotOptimize(date);
    }
}

// One return committed: shelf count, slot and (every other time) the
// note's deletion in one transaction.
void BM_BookReturn(benchmark::State& state)
{
    store::Database& db = shop(state);
    counter::ReturnDesk desk(db);
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString note = QStringLiteral("9%1").arg(++i, 6, 10, QLatin1Char('0'));
        QSqlQuery q(db.connection());
        q.prepare(QStringLiteral("INSERT INTO tblLocacao (Codigo, Data, \"Codigo(0)\", \"Codigo(1)\") "
                                 "VALUES (?, '08/12/2026', ?, ?)"));
        q.addBindValue(note);
        q.addBindValue(code(state, i));
        q.addBindValue(code(state, i + 1));
        q.exec();
        state.ResumeTiming();
        desk.book(note, code(state, i));
        desk.book(note, code(state, i + 1));
    }
    state.counters["returns_per_iteration"] = 2;
}

} // namespace

BENCHMARK(BM_OpenReturnWindow)->Apply(scales)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OpenStatusQuery)->Apply(scales)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_StatusQueryStoreTime)->Apply(scalesByCase)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BookReturn)->Apply(scales)->Unit(benchmark::kMillisecond)->Iterations(100);
BENCHMARK(BM_TakeAndGiveBackStoreOnly)->Apply(scales)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_OpenRentalWindow)->Apply(scales)->Unit(benchmark::kMillisecond)->Iterations(5);
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
