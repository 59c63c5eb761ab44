#include "CommandLine.h"

#include "AppInfo.h"
#include "store/Database.h"

namespace app {

TerminalRequest terminalRequest(const QStringList& arguments)
{
    for (const QString& arg : arguments.mid(1)) {
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h"))
            return TerminalRequest::Help;
        if (arg == QLatin1String("--version") || arg == QLatin1String("-v"))
            return TerminalRequest::Version;
    }
    return TerminalRequest::None;
}

QString terminalText(TerminalRequest request, const QString& dataFolder)
{
    const QString version = applicationTitle() + QLatin1Char(' ') + versionNumber() + QLatin1Char('\n');
    switch (request) {
    case TerminalRequest::None:
        return {};
    case TerminalRequest::Version:
        return version;
    case TerminalRequest::Help:
        return version + QStringLiteral("O balcão de uma locadora de vídeo.\n"
                                        "\n"
                                        "Uso: fenwarda [opção]\n"
                                        "\n"
                                        "Sem opção, abre o programa.\n"
                                        "  -h, --help     mostra esta ajuda e sai\n"
                                        "  -v, --version  mostra a versão e sai\n"
                                        "\n"
                                        "Arquivo de dados: %1\n")
                             .arg(store::Database::filePath(dataFolder));
    }
    return {};
}

} // namespace app
