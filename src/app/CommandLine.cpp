#include "CommandLine.h"

#include "AppInfo.h"
#include "store/Database.h"
#include "store/ServerAddress.h"

namespace app {

namespace {

// Qt's own options, as its application classes take them out of argv before
// the program sees them. Qt reads "--name" as "-name".
enum class Value { None, Next, NextOrEquals, Equals };
struct QtOption
{
    const char* name;
    Value value;
};
constexpr QtOption QtOptions[] = {
    {"platform", Value::Next},
    {"platformpluginpath", Value::Next},
    {"platformtheme", Value::Next},
    {"plugin", Value::Next},
    {"qwindowgeometry", Value::Next},
    {"qwindowicon", Value::Next},
    {"qwindowtitle", Value::Next},
    {"session", Value::Next},
    {"style", Value::NextOrEquals},
    {"stylesheet", Value::NextOrEquals},
    {"qmljsdebugger", Value::Equals},
    {"reverse", Value::None},
    {"widgetcount", Value::None},
    // The X11 window system's.
    {"display", Value::Next},
    {"geometry", Value::Next},
    {"title", Value::Next},
    {"icon", Value::Next},
    {"name", Value::Next},
    {"visual", Value::Next},
    {"nograb", Value::None},
    {"dograb", Value::None},
    {"sync", Value::None},
};

// How many arguments a Qt option at arg takes (itself and its value), or 0
// when arg is not one.
int qtOptionLength(const QString& arg)
{
    if (!arg.startsWith(QLatin1Char('-')))
        return 0;
    QString name = arg.mid(arg.startsWith(QLatin1String("--")) ? 2 : 1);
    const qsizetype equals = name.indexOf(QLatin1Char('='));
    const bool joined = equals >= 0;
    if (joined)
        name.truncate(equals);
    for (const QtOption& option : QtOptions) {
        if (name != QLatin1String(option.name))
            continue;
        switch (option.value) {
        case Value::None:
            return joined ? 0 : 1;
        case Value::Next:
            return joined ? 0 : 2;
        case Value::NextOrEquals:
            return joined ? 1 : 2;
        case Value::Equals:
            return joined ? 1 : 0;
        }
    }
    return 0;
}

} // namespace

TerminalRequest terminalRequest(const QStringList& arguments, QString* unknown, DataOptions* options)
{
    DataOptions found;
    bool copy = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        const QString server = QStringLiteral("--servidor");
        const QString copyTo = QStringLiteral("--copiar-para-servidor");
        const bool isServer = arg == server || arg.startsWith(server + u'=');
        const bool isCopy = arg == copyTo || arg.startsWith(copyTo + u'=');
        if (isServer || isCopy) {
            const QString& name = isServer ? server : copyTo;
            const bool joined = arg.size() > name.size();
            if (!joined && i + 1 >= arguments.size()) {
                if (unknown)
                    *unknown = arg;
                return TerminalRequest::Unknown;
            }
            const QString value = joined ? arg.mid(name.size() + 1) : arguments.at(++i);
            // An empty --servidor is the data file; a copy needs a server.
            if ((isCopy || !value.isEmpty()) && !store::isServerAddress(value)) {
                if (unknown)
                    *unknown = joined ? arg : name + u' ' + value;
                return TerminalRequest::Unknown;
            }
            if (isServer) {
                found.serverGiven = true;
                found.server = value;
            } else {
                found.copyTo = value;
                copy = true;
            }
            continue;
        }
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h"))
            return TerminalRequest::Help;
        if (arg == QLatin1String("--version") || arg == QLatin1String("-v"))
            return TerminalRequest::Version;
        if (const int length = qtOptionLength(arg)) {
            i += length - 1; // a value missing at the end is Qt's to ignore
            continue;
        }
        if (unknown)
            *unknown = arg;
        return TerminalRequest::Unknown;
    }
    if (options)
        *options = found;
    return copy ? TerminalRequest::CopyToServer : TerminalRequest::None;
}

QString terminalText(TerminalRequest request, const QString& dataFolder, const QString& unknown,
                     const QString& savedServer)
{
    const QString version = applicationTitle() + QLatin1Char(' ') + versionNumber() + QLatin1Char('\n');
    switch (request) {
    case TerminalRequest::None:
    case TerminalRequest::CopyToServer:
        return {};
    case TerminalRequest::Version:
        return version;
    case TerminalRequest::Unknown:
        if (unknown.startsWith(QLatin1String("--servidor")) ||
            unknown.startsWith(QLatin1String("--copiar-para-servidor")))
            return QStringLiteral("fenwarda: falta o endereço do servidor, na forma "
                                  "postgresql://usuário@servidor/banco: %1\n")
                       .arg(unknown) +
                   QStringLiteral("Use \"fenwarda --help\" para ver as opções.\n");
        return (unknown.startsWith(QLatin1Char('-')) ? QStringLiteral("fenwarda: opção desconhecida: %1\n")
                                                     : QStringLiteral("fenwarda: argumento inesperado: %1\n"))
                   .arg(unknown) +
               QStringLiteral("Use \"fenwarda --help\" para ver as opções.\n");
    case TerminalRequest::Help:
        return version +
               QStringLiteral("O balcão de uma locadora de vídeo.\n"
                              "\n"
                              "Uso: fenwarda [opção]\n"
                              "\n"
                              "Sem opção, abre o programa.\n"
                              "  -h, --help     mostra esta ajuda e sai\n"
                              "  -v, --version  mostra a versão e sai\n"
                              "  --servidor postgresql://usuário@servidor/banco\n"
                              "                 usa os dados da loja num servidor PostgreSQL,\n"
                              "                 que várias estações compartilham; vazio\n"
                              "                 (--servidor=) usa o arquivo de dados\n"
                              "  --copiar-para-servidor postgresql://usuário@servidor/banco\n"
                              "                 copia a loja do arquivo de dados para um banco\n"
                              "                 vazio do servidor e sai; o arquivo não muda\n"
                              "Aceita também as opções do Qt, como -platform e -style.\n"
                              "\n"
                              "Arquivo de dados: %1\n")
                   .arg(store::Database::filePath(dataFolder)) +
               (savedServer.isEmpty() ? QString()
                                      : QStringLiteral("Servidor de dados (Configurações): %1\n")
                                            .arg(store::shownAddress(savedServer)));
    }
    return {};
}

int terminalStatus(TerminalRequest request)
{
    return request == TerminalRequest::Unknown ? 2 : 0;
}

} // namespace app
