#include "CommandLine.h"

#include "AppInfo.h"
#include "store/Database.h"

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

TerminalRequest terminalRequest(const QStringList& arguments, QString* unknown)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
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
    return TerminalRequest::None;
}

QString terminalText(TerminalRequest request, const QString& dataFolder, const QString& unknown)
{
    const QString version = applicationTitle() + QLatin1Char(' ') + versionNumber() + QLatin1Char('\n');
    switch (request) {
    case TerminalRequest::None:
        return {};
    case TerminalRequest::Version:
        return version;
    case TerminalRequest::Unknown:
        return (unknown.startsWith(QLatin1Char('-')) ? QStringLiteral("fenwarda: opção desconhecida: %1\n")
                                                     : QStringLiteral("fenwarda: argumento inesperado: %1\n"))
                   .arg(unknown) +
               QStringLiteral("Use \"fenwarda --help\" para ver as opções.\n");
    case TerminalRequest::Help:
        return version + QStringLiteral("O balcão de uma locadora de vídeo.\n"
                                        "\n"
                                        "Uso: fenwarda [opção]\n"
                                        "\n"
                                        "Sem opção, abre o programa.\n"
                                        "  -h, --help     mostra esta ajuda e sai\n"
                                        "  -v, --version  mostra a versão e sai\n"
                                        "Aceita também as opções do Qt, como -platform e -style.\n"
                                        "\n"
                                        "Arquivo de dados: %1\n")
                             .arg(store::Database::filePath(dataFolder));
    }
    return {};
}

int terminalStatus(TerminalRequest request)
{
    return request == TerminalRequest::Unknown ? 2 : 0;
}

} // namespace app
