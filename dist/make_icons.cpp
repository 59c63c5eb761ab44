// Writes the program's icon as PNG files for the icon theme, drawn by the
// same code as the splash's emblem:
//
//   fenwarda_icons HICOLOR_FOLDER ICON_NAME SIZE...
//
// Each size goes to HICOLOR_FOLDER/SIZExSIZE/apps/ICON_NAME.png.

#include "app/AppInfo.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fputs("usage: fenwarda_icons HICOLOR_FOLDER ICON_NAME SIZE...\n", stderr);
        return 2;
    }
    for (const QString& text : args.mid(3)) {
        bool ok = false;
        const int size = text.toInt(&ok);
        if (!ok || size <= 0) {
            std::fprintf(stderr, "fenwarda_icons: not a size: %s\n", qPrintable(text));
            return 2;
        }
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(args[1]).arg(size);
        const QString file = QStringLiteral("%1/%2.png").arg(folder, args[2]);
        if (!QDir().mkpath(folder) || !app::logoPixmap(size).save(file, "PNG")) {
            std::fprintf(stderr, "fenwarda_icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
