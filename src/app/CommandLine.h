#pragma once

#include <QString>
#include <QStringList>

namespace app {

// What the command line asks of the terminal, without any window.
enum class TerminalRequest { None, Help, Version, Unknown, CopyToServer };

// The shop's data as the command line names it: --servidor ADDRESS (an
// empty one: the data file, whatever the settings say), and the server a
// --copiar-para-servidor ADDRESS copies the data file to.
struct DataOptions
{
    bool serverGiven = false;
    QString server;
    QString copyTo;
};

// Looks at the program's arguments (argv, the program's name first) for
// --help/-h, --version/-v, or an argument that is neither ours nor one of
// Qt's own options (-platform, -style...); the first one found wins. Qt's
// options and their values are left to Qt. For Unknown, *unknown (when
// given) receives the argument.
// --servidor and --copiar-para-servidor take their value as the next
// argument or after "="; a value missing, or one that is not a server's
// address, is Unknown. options, when given, receives them.
TerminalRequest terminalRequest(const QStringList& arguments, QString* unknown = nullptr,
                                DataOptions* options = nullptr);

// The text printed for a request; the help names the data folder, the
// complaint about an unknown argument names that argument.
QString terminalText(TerminalRequest request, const QString& dataFolder, const QString& unknown = {},
                     const QString& savedServer = {});

// The exit status for a request: 2 for a command line not understood, as
// other command-line programs do; 0 otherwise.
int terminalStatus(TerminalRequest request);

} // namespace app
