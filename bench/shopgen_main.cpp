// fenwarda_shopgen FOLDER N [NOTES]: a made-up shop of N customers, N videos
// and NOTES open rental notes (N/5 by default), for trying the program and
// the benchmarks on a big file.

#include "ShopGenerator.h"

#include "store/StoreError.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool okN = args.size() >= 3;
    bench::ShopSize size;
    if (okN)
        size.customers = args.at(2).toInt(&okN);
    bool okNotes = true;
    size.notes = args.size() >= 4 ? args.at(3).toInt(&okNotes) : size.customers / 5;
    if (!okN || !okNotes || size.customers < 0 || size.notes < 0 || args.size() > 4) {
        std::fprintf(stderr, "usage: fenwarda_shopgen FOLDER N [NOTES]\n");
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
    std::printf("%d customers, %d videos, %d notes in %.2f s\n", size.customers, size.videos, size.notes,
                double(timer.elapsed()) / 1000.0);
    return 0;
}
