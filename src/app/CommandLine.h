#pragma once

#include <QString>
#include <QStringList>

namespace app {

// What the command line asks of the terminal, without any window.
enum class TerminalRequest { None, Help, Version };

// Looks at the program's arguments (argv, the program's name first) for
// --help/-h or --version/-v; the first one found wins. Anything else is left
// to Qt, which takes its own options (-platform, -style...).
TerminalRequest terminalRequest(const QStringList& arguments);

// The text printed for a request; the help names the data folder.
QString terminalText(TerminalRequest request, const QString& dataFolder);

} // namespace app
