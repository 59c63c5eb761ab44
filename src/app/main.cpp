#include "Application.h"
#include "CommandLine.h"
#include "Startup.h"
#include "platform/ProgramDir.h"

#include <cstdio>

int main(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QString unknown;
    if (const auto request = app::terminalRequest(arguments, &unknown);
        request != app::TerminalRequest::None) {
        // No window system: the answer must work on a bare terminal.
        QCoreApplication core(argc, argv);
        Startup::configureNames();
        const bool complaint = request == app::TerminalRequest::Unknown;
        const QString text =
            app::terminalText(request, platform::dataDirFor(platform::programDir()), unknown);
        std::FILE* out = complaint ? stderr : stdout;
        std::fputs(text.toLocal8Bit().constData(), out);
        // An answer that did not reach its reader is a failure.
        if (std::fflush(out) != 0 && !complaint)
            return 1;
        return app::terminalStatus(request);
    }

    Application app(argc, argv);
    Startup::configure(app);
    Startup startup(platform::dataDir());
    if (!startup.start())
        return 1;
    return app.exec();
}
