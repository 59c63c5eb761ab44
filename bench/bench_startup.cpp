// Time from process start to the splash on screen, with a large data file.
//
//   bench_startup [RUNS] [FOLDER]
//
// Without FOLDER a temporary shop with 100,000 customers (5,000 videos, 2,000
// open notes) is generated. Each run starts a fresh process that goes through
// the same start-up as the program (Startup::configure, Startup::start) and
// reports, on the system's monotonic clock, when the splash was first painted
// and when the data file was open. The parent reads the clock just before
// starting the process, so fork, exec, dynamic loading and Qt's own start are
// all counted.

#include "ShopGenerator.h"
#include "app/Startup.h"

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

qint64 monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

int child(int argc, char* argv[], const QString& folder)
{
    QApplication app(argc, argv);
    Startup::configure(app);
    Startup startup(folder);
    QObject::connect(&startup, &Startup::splashPainted,
                     [] { std::printf("splash %lld\n", static_cast<long long>(monotonicNs())); });
    QObject::connect(&startup, &Startup::databaseReady, [&app] {
        std::printf("database %lld\n", static_cast<long long>(monotonicNs()));
        std::fflush(stdout);
        QTimer::singleShot(0, &app, [&app] { app.exit(0); });
    });
    if (!startup.start())
        return 1;
    return app.exec();
}

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v.at(v.size() / 2);
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc >= 3 && qstrcmp(argv[1], "--child") == 0)
        return child(argc, argv, QString::fromLocal8Bit(argv[2]));

    QCoreApplication app(argc, argv);
    const int runs = argc >= 2 ? QString::fromLocal8Bit(argv[1]).toInt() : 10;
    QTemporaryDir temp;
    QString folder = argc >= 3 ? QString::fromLocal8Bit(argv[2]) : QString();
    if (folder.isEmpty()) {
        folder = temp.path();
        std::printf("generating 100000 customers in %s\n", qPrintable(folder));
        bench::generateShop(folder, {100000, 5000, 2000});
    }

    QList<double> splash, database;
    for (int run = 0; run < runs; ++run) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const qint64 t0 = monotonicNs();
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), folder});
        if (!p.waitForFinished(30000) || p.exitCode() != 0) {
            std::fprintf(stderr, "run %d failed\n", run);
            return 1;
        }
        const QStringList lines = QString::fromLocal8Bit(p.readAllStandardOutput()).split('\n');
        for (const QString& line : lines) {
            const QStringList parts = line.split(' ');
            if (parts.size() != 2)
                continue;
            const double ms = (parts.at(1).toLongLong() - t0) / 1e6;
            (parts.at(0) == QLatin1String("splash") ? splash : database).append(ms);
        }
    }
    if (splash.size() != runs || database.size() != runs) {
        std::fprintf(stderr, "missing timings\n");
        return 1;
    }
    std::printf("runs: %d\n", runs);
    std::printf("process start -> splash painted:   median %.1f ms, min %.1f, max %.1f\n", median(splash),
                *std::min_element(splash.begin(), splash.end()),
                *std::max_element(splash.begin(), splash.end()));
    std::printf("process start -> data file open:   median %.1f ms, min %.1f, max %.1f\n", median(database),
                *std::min_element(database.begin(), database.end()),
                *std::max_element(database.begin(), database.end()));
    return 0;
}
