// fenwarda_shopgen FOLDER N [NOTES] [--history H]: a made-up shop of N
// customers, N videos and NOTES open rental notes (N/5 by default), for
// trying the program and the benchmarks on a big file; with --history, H
// settled notes over two years of history before them.

#include "ShopGenerator.h"

#include "store/StoreError.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    int history = 0;
    bool okHistory = true;
    if (const qsizetype at = args.indexOf(QStringLiteral("--history")); at > 0) {
        okHistory = at + 1 < args.size();
        if (okHistory)
            history = args.at(at + 1).toInt(&okHistory);
        args.remove(at, okHistory ? 2 : 1);
    }
    bool okN = args.size() >= 3;
    bench::ShopSize size;
    if (okN)
        size.customers = args.at(2).toInt(&okN);
    bool okNotes = true;
    size.notes = args.size() >= 4 ? args.at(3).toInt(&okNotes) : size.customers / 5;
    size.historyNotes = history;
    if (!okN || !okNotes || !okHistory || size.customers < 0 || size.notes < 0 || history < 0 ||
        args.size() > 4) {
        std::fprintf(stderr, "usage: fenwarda_shopgen FOLDER N [NOTES] [--history H]\n");
        return 2;
    }
    size.videos = size.customers;

    QElapsedTimer timer;
    timer.start();
    try {
        bench::generateShop(args.at(1), size);
    } catch (const store::StoreError& e) {
        std::fprintf(stderr, "%s\n", e.message().toUtf8().constData());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::printf("%d customers, %d videos, %d notes, %d in the history in %.2f s\n", size.customers,
                size.videos, size.notes, size.historyNotes, double(timer.elapsed()) / 1000.0);
    return 0;
}
