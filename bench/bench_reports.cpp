// The three reports as the operator meets them, at 10,000, 100,000 and
// 400,000 customers: the program started on a copy of the shop, its main
// window up, the report's menu entry chosen. Each measure runs in a fresh
// process (this program again, with --child), so that nothing of an earlier
// report is warm in it:
//   BM_FirstPage  from the menu entry to the preview's first page painted;
//   BM_SavePdf    the whole report saved as a PDF file, from that preview.
// Time is wall time in the child; the counters give its CPU time, the
// pages, the time the rest of the table then takes to be read while the
// window answers (read_ms), and the whole program's peak resident memory
// (VmHWM): before the report (base_MB), with the report open and its table
// read (open_MB) and after the PDF (peak_MB).
//
// The shops are made once in FENWARDA_BENCH_SHOP (default: the temporary
// directory) and reused; the children work on a copy, as the program writes
// to its data file when it starts.

#include "BenchShops.h"
#include "ProgramStart.h"

#include "app/Application.h"
#include "app/Startup.h"
#include "app/frmMenu.h"
#include "platform/widgets/MessageBox.h"
#include "reports/DataReport.h"
#include "reports/ReportPreview.h"
#include "store/Database.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <functional>
#include <optional>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const char* const Reports[] = {"mnuRelClientes", "mnuRelVideos", "mnuRelLocVideo"};

QString shopFolder(int customers)
{
    QString base = qEnvironmentVariable("FENWARDA_BENCH_SHOP");
    if (base.isEmpty())
        base = QDir::temp().path();
    return QDir(base).filePath(QStringLiteral("fenwarda-bench-shop-%1c").arg(customers));
}

// The process's peak resident memory in MB.
double peakMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    return -1;
}

// User and system CPU time of the process so far, in ms.
double cpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

void waitFor(const std::function<bool()>& done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 120000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

// The child: starts the program on a copy of the shop, opens the report and
// prints what it measured on one line.
int child(char** argv)
{
    const QString entry = QString::fromLatin1(argv[2]);
    const int customers = QByteArray(argv[3]).toInt();
    const bool pdf = QByteArray(argv[4]) == "pdf";
    QTemporaryDir copy;
    if (!QFile::copy(store::Database::filePath(shopFolder(customers)),
                     store::Database::filePath(copy.path())))
        return 2;

    int appArgc = 1;
    Application app(appArgc, argv);
    Startup::configure(app);
    MessageBox::setTestMode(true);
    Startup startup(copy.path());
    startup.setQuitFunction([] {});
    bool shown = false;
    QObject::connect(&startup, &Startup::menuShown, [&] { shown = true; });
    // No need to sit out the splash's seconds once the file is open.
    QObject::connect(&startup, &Startup::databaseReady, [&] {
        QTimer::singleShot(0, [&] {
            if (startup.splash())
                startup.splash()->close();
        });
    });
    if (!startup.start())
        return 3;
    // The file opens once the splash has been painted.
    if (startup.splash())
        startup.splash()->grab();
    waitFor([&] { return shown; });
    if (!shown)
        return 4;
    // What the program does in the background after its window shows
    // (reading the pick lists, indexing them) settles before the report is
    // chosen: its processor time is not the report's.
    QElapsedTimer settle;
    settle.start();
    waitFor([&] { return settle.elapsed() > 2000; });
    bench::settle(*startup.database());
    const double base = peakMb();

    frmMenu& menu = *startup.menu();
    QAction* action = menu.findChild<QAction*>(entry);
    if (!action)
        return 5;
    QElapsedTimer clock;
    double cpu = cpuMs();
    clock.start();
    action->trigger();
    auto* preview = qobject_cast<ReportPreview*>(menu.reportWindows().value(0));
    if (!preview)
        return 6;
    preview->grab(); // the first page painted
    const double firstMs = clock.nsecsElapsed() / 1e6;
    const double firstCpu = cpuMs() - cpu;
    // The rest of the table read in the background, the page count shown.
    const QElapsedTimer sinceFirst = clock;
    waitFor([&] { return preview->report().isComplete(); });
    const double readMs = sinceFirst.nsecsElapsed() / 1e6 - firstMs;
    const double open = peakMb();

    double pdfMs = 0, pdfCpu = 0, pdfMb = 0;
    int pages = 0;
    if (pdf) {
        const QString path = copy.filePath(QStringLiteral("report.pdf"));
        cpu = cpuMs();
        clock.restart();
        if (!preview->savePdf(path))
            return 7;
        pdfMs = clock.nsecsElapsed() / 1e6;
        pdfCpu = cpuMs() - cpu;
        pdfMb = QFile(path).size() / 1048576.0;
        pages = preview->report().pageCount();
    }
    std::printf("RESULT %f %f %f %f %f %f %f %f %d %f\n", firstMs, firstCpu, base, open, pdfMs, pdfCpu, pdfMb,
                peakMb(), pages, readMs);
    std::fflush(stdout);
    // The program's clean exit (the day's backup) is not what is measured.
    _exit(0);
}

struct Result
{
    double firstMs, firstCpu, base, open, pdfMs, pdfCpu, pdfMb, peak;
    int pages;
    double readMs;
};

std::optional<Result> runChild(const char* entry, int customers, bool pdf, QString* error)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QCoreApplication::applicationFilePath(),
            {QStringLiteral("--child"), QString::fromLatin1(entry), QString::number(customers),
             QString::fromLatin1(pdf ? "pdf" : "first")});
    if (!p.waitForFinished(600000) || p.exitCode() != 0) {
        *error = QStringLiteral("child failed: exit %1").arg(p.exitCode());
        return std::nullopt;
    }
    for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
        if (!line.startsWith("RESULT "))
            continue;
        Result r{};
        if (std::sscanf(line.constData(), "RESULT %lf %lf %lf %lf %lf %lf %lf %lf %d %lf", &r.firstMs,
                        &r.firstCpu, &r.base, &r.open, &r.pdfMs, &r.pdfCpu, &r.pdfMb, &r.peak, &r.pages,
                        &r.readMs) == 10)
            return r;
    }
    *error = QStringLiteral("child gave no result");
    return std::nullopt;
}

void ensureShop(int customers)
{
    // Made here only when missing; an existing shop is only ever copied.
    if (!QFile::exists(store::Database::filePath(shopFolder(customers))))
        bench::shop(customers);
}

void BM_FirstPage(benchmark::State& state)
{
    const char* entry = Reports[state.range(0)];
    const int customers = int(state.range(1));
    ensureShop(customers);
    double cpu = 0, base = 0, open = 0, read = 0;
    for (auto _ : state) {
        QString error;
        const auto r = runChild(entry, customers, false, &error);
        if (!r) {
            state.SkipWithError(qPrintable(error));
            return;
        }
        state.SetIterationTime(r->firstMs / 1e3);
        cpu += r->firstCpu;
        base = std::max(base, r->base);
        open = std::max(open, r->open);
        read += r->readMs;
    }
    state.counters["cpu_ms"] = cpu / state.iterations();
    state.counters["base_MB"] = base;
    state.counters["open_MB"] = open;
    state.counters["read_ms"] = read / state.iterations();
    state.SetLabel(entry);
}

void BM_SavePdf(benchmark::State& state)
{
    const char* entry = Reports[state.range(0)];
    const int customers = int(state.range(1));
    ensureShop(customers);
    for (auto _ : state) {
        QString error;
        const auto r = runChild(entry, customers, true, &error);
        if (!r) {
            state.SkipWithError(qPrintable(error));
            return;
        }
        state.SetIterationTime(r->pdfMs / 1e3);
        state.counters["cpu_ms"] = r->pdfCpu;
        state.counters["pages"] = r->pages;
        state.counters["pdf_MB"] = r->pdfMb;
        state.counters["open_MB"] = r->open;
        state.counters["peak_MB"] = r->peak;
    }
    state.SetLabel(entry);
}

void scales(benchmark::internal::Benchmark* b)
{
    for (int report = 0; report < 3; ++report)
        for (int customers : bench::shopScales())
            b->Args({report, customers});
}

BENCHMARK(BM_FirstPage)->Apply(scales)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SavePdf)->Apply(scales)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 5 && QByteArray(argv[1]) == "--child")
        return child(argv);
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    bench::closeShops();
    return 0;
}
