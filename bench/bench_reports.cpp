// The three reports on a scale-S shop (100,000 customers, 100,000 videos,
// 20,000 open notes): time until the first page is on screen, time to save
// the whole report as a PDF file, and the process's peak memory meanwhile.
//
// The shop is made once in FENWARDA_BENCH_SHOP (default: the folder
// bench_store uses) and reused by later runs.

#include "BenchShops.h"

#include "platform/Formats.h"
#include "platform/widgets/MessageBox.h"
#include "reports/DataReport.h"
#include "reports/ReportPreview.h"
#include "reports/ReportWindows.h"
#include "reports/rptClientes.h"
#include "reports/rptLocacao.h"
#include "reports/rptVideos.h"
#include "store/Database.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// The shared scale-S shop: 100,000 customers, as many videos, 20,000 notes.
store::Database& shop()
{
    return bench::shop(100000);
}

// The process's peak resident memory in MB since the last reset.
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

void resetPeak()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

template <typename Report> QWidget* openReport(ReportWindows& windows)
{
    QWidget* window = windows.open<Report>(shop());
    window->show();
    // The first page painted: what the operator sees when the window opens.
    window->grab();
    return window;
}

template <typename Report> void BM_FirstPage(benchmark::State& state)
{
    shop();
    resetPeak();
    ReportWindows windows;
    int pages = 0;
    for (auto _ : state) {
        QWidget* window = openReport<Report>(windows);
        state.PauseTiming();
        pages = static_cast<ReportPreview*>(window)->report().pageCount();
        delete window;
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["pages"] = pages;
    state.counters["peak_MB"] = peakMb();
}

template <typename Report> void BM_SavePdf(benchmark::State& state)
{
    shop();
    resetPeak();
    ReportWindows windows;
    auto* window = static_cast<ReportPreview*>(openReport<Report>(windows));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    for (auto _ : state) {
        if (!window->savePdf(path))
            state.SkipWithError("the PDF was not written");
    }
    state.counters["pages"] = window->report().pageCount();
    state.counters["pdf_MB"] = QFile(path).size() / 1048576.0;
    state.counters["peak_MB"] = peakMb();
    delete window;
}

BENCHMARK(BM_FirstPage<rptClientes>)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FirstPage<rptVideos>)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FirstPage<rptLocacao>)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SavePdf<rptClientes>)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SavePdf<rptVideos>)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SavePdf<rptLocacao>)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

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
