// The shop's day at 100,000 customers with two years of history (500,000
// settled notes, 5,000 open): opening "Locações em Atraso" and the days of
// "Movimento do Dia", the first page of both reports on screen, and a
// customer's history as the customer query reads it.
//
// The shop is made once in FENWARDA_BENCH_SHOP (default: the temporary
// directory) by fenwarda_shopgen with --history, and reused; the runs work
// on a copy.

#include "ShopGenerator.h"

#include "app/Application.h"
#include "app/Startup.h"
#include "counter/History.h"
#include "counter/Overdue.h"
#include "overdue/frmAtraso.h"
#include "platform/widgets/MessageBox.h"
#include "reports/ReportWindows.h"
#include "reports/datFenwarda.h"
#include "reports/frmMovimentoDia.h"
#include "reports/rptAtraso.h"
#include "reports/rptMovimento.h"
#include "store/Database.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <functional>
#include <memory>
#include <random>

namespace {

constexpr int Customers = 100000;
constexpr int OpenNotes = 5000;
constexpr int HistoryNotes = 500000;

QString shopFolder()
{
    QString base = qEnvironmentVariable("FENWARDA_BENCH_SHOP");
    if (base.isEmpty())
        base = QDir::temp().path();
    return QDir(base).filePath(QStringLiteral("fenwarda-history-shop-%1c-%2open-%3hist")
                                   .arg(Customers)
                                   .arg(OpenNotes)
                                   .arg(HistoryNotes));
}

std::unique_ptr<QTemporaryDir> copy;
std::unique_ptr<store::Database> db;

// A copy of the shop, made (and the shop itself, the first time) on first
// use; closed by main before the application ends.
store::Database& shop()
{
    if (!db) {
        copy = std::make_unique<QTemporaryDir>();
        const QString folder = shopFolder();
        if (!QFile::exists(store::Database::filePath(folder))) {
            QDir().mkpath(folder);
            bench::generateShop(folder, {Customers, Customers, OpenNotes, HistoryNotes});
        }
        QFile::copy(store::Database::filePath(folder), store::Database::filePath(copy->path()));
        db = std::make_unique<store::Database>(copy->path());
        db->open();
    }
    return *db;
}

// Until the window is on screen; filled is, where given, until what it
// reads beside it is shown too (counter "filled_ms").
template <typename Make>
void openWindow(benchmark::State& state, const Make& make, const std::function<bool(QWidget*)>& filled = {})
{
    store::Database& db = shop();
    double filledMs = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        QWidget* window = make(db);
        window->show();
        QApplication::processEvents();
        state.PauseTiming();
        while (filled && !filled(window))
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        filledMs += clock.nsecsElapsed() / 1e6;
        delete window;
        QApplication::processEvents();
        state.ResumeTiming();
    }
    if (filled)
        state.counters["filled_ms"] = filledMs / double(state.iterations());
}

void BM_OpenOverdueWindow(benchmark::State& state)
{
    openWindow(
        state, [](store::Database& db) { return new frmAtraso(db); },
        [](QWidget* window) {
            return window->findChild<QPushButton*>(QStringLiteral("cmdAtualizar"))->isEnabled();
        });
}

// The rule behind both: every open note past due, as at now.
void BM_OverdueRule(benchmark::State& state)
{
    store::Database& db = shop();
    counter::Overdue overdue(db);
    qint64 notes = 0;
    for (auto _ : state)
        notes += overdue.notes(QDateTime::currentDateTime()).size();
    state.counters["notes"] = benchmark::Counter(double(notes), benchmark::Counter::kAvgIterations);
}

void BM_OpenDayMovementDays(benchmark::State& state)
{
    openWindow(state, [](store::Database& db) {
        return new frmMovimentoDia(db, [](const QDate&, const QDate&) {});
    });
}

// From the menu entry to the first page painted in the preview; the data
// environment kept between reports, as the program keeps it.
template <typename Make> void firstPage(benchmark::State& state, const Make& make)
{
    store::Database& db = shop();
    ReportWindows reports;
    int pages = 0;
    for (auto _ : state) {
        QWidget* preview = make(reports, db);
        preview->show();
        QApplication::processEvents();
        state.PauseTiming();
        delete preview;
        QApplication::processEvents();
        state.ResumeTiming();
        ++pages;
    }
    state.counters["previews"] = pages;
}

void BM_FirstPageOverdue(benchmark::State& state)
{
    firstPage(state, [](ReportWindows& reports, store::Database& db) { return reports.open<rptAtraso>(db); });
}

// Days of movement ending on the history's last full day before the open notes.
void BM_FirstPageDayMovement(benchmark::State& state)
{
    const QDate to = QDate(bench::HistoryEndYear, bench::HistoryEndMonth, bench::HistoryEndDay).addDays(-20);
    const QDate from = to.addDays(-int(state.range(0)) + 1);
    firstPage(state, [&](ReportWindows& reports, store::Database& db) {
        return reports.open(QStringLiteral("rptMovimento"), db, [&](std::shared_ptr<datFenwarda> env) {
            return std::make_unique<rptMovimento>(std::move(env), from, to);
        });
    });
}

// A customer's history as the customer query asks for it: the account and
// the names on it, for customers picked at random.
void BM_CustomerHistory(benchmark::State& state)
{
    store::Database& db = shop();
    std::mt19937 pick(7);
    counter::History history(db);
    qint64 lines = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString code = QString::number(1 + int(pick() % Customers));
        QStringList names;
        QSqlQuery q(db.connection());
        q.prepare(QStringLiteral(
            "SELECT Nome, Dependente1, Dependente2, Dependente3 FROM tblClientes WHERE Codigo = ?"));
        q.addBindValue(code);
        q.exec();
        if (q.next())
            for (int k = 0; k < 4; ++k)
                names.append(q.value(k).toString());
        state.ResumeTiming();
        lines += history.customerHistory(code, names).size();
    }
    state.counters["lines"] = benchmark::Counter(double(lines), benchmark::Counter::kAvgIterations);
}

} // namespace

BENCHMARK(BM_OverdueRule)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenOverdueWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenDayMovementDays)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstPageOverdue)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstPageDayMovement)->Arg(1)->Arg(31)->Arg(710)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CustomerHistory)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    Startup::configure(app);
    MessageBox::setTestMode(true);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    db.reset();
    copy.reset();
    return 0;
}
