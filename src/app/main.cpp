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
    if (const auto request = app::terminalRequest(arguments); request != app::TerminalRequest::None) {
        // No window system: the answer must work on a bare terminal.
        QCoreApplication core(argc, argv);
        Startup::configureNames();
        const QString text = app::terminalText(request, platform::dataDirFor(platform::programDir()));
        std::fputs(text.toLocal8Bit().constData(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }

    Application app(argc, argv);
    Startup::configure(app);
    Startup startup(platform::dataDir());
    if (!startup.start())
        return 1;
    return app.exec();
}
