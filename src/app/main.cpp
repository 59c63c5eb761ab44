#include "Application.h"
#include "CommandLine.h"
#include "CopyCommand.h"
#include "Startup.h"
#include "counter/Station.h"
#include "platform/ProgramDir.h"

#include <cstdio>

int main(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QString unknown;
    app::DataOptions data;
    if (const auto request = app::terminalRequest(arguments, &unknown, &data);
        request != app::TerminalRequest::None) {
        // No window system: the answer must work on a bare terminal.
        QCoreApplication core(argc, argv);
        Startup::configureNames();
        if (request == app::TerminalRequest::CopyToServer)
            return copyToServerCommand(platform::dataDirFor(platform::programDir()), data.copyTo, stdout);
        const bool complaint = request == app::TerminalRequest::Unknown;
        const QString text = app::terminalText(request, platform::dataDirFor(platform::programDir()), unknown,
                                               counter::savedServer());
        std::FILE* out = complaint ? stderr : stdout;
        std::fputs(text.toLocal8Bit().constData(), out);
        // An answer that did not reach its reader is a failure.
        if (std::fflush(out) != 0 && !complaint)
            return 1;
        return app::terminalStatus(request);
    }

    Application app(argc, argv);
    Startup::configure(app);
    // The command line wins over this workstation's saved choice.
    const QString server = data.serverGiven ? data.server : counter::savedServer();
    Startup startup(server.isEmpty() ? platform::dataDir() : server);
    if (!startup.start())
        return 1;
    return app.exec();
}
