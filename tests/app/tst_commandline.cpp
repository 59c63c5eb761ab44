#include "app/CommandLine.h"
#include "platform/ProgramDir.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using app::TerminalRequest;

namespace {

const QString Hint = QStringLiteral("Use \"fenwarda --help\" para ver as opções.\n");

} // namespace

// The help and version texts and the installed copy are checked on the real
// program by tests/install.
class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void request_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<TerminalRequest>("request");
        QTest::addColumn<QString>("unknown");
        const auto row = [](const char* name, const QStringList& arguments, TerminalRequest request,
                            const QString& unknown = {}) {
            QTest::newRow(name) << QStringList{"fenwarda"} + arguments << request << unknown;
        };
        row("none", {}, TerminalRequest::None);
        row("Qt's own", {"-platform", "offscreen", "-reverse", "--style=fusion", "-qwindowtitle", "--help"},
            TerminalRequest::None);
        row("Qt's, value missing", {"-display"}, TerminalRequest::None);
        row("-h after Qt's", {"-style", "fusion", "-h"}, TerminalRequest::Help);
        row("first wins", {"--version", "--help"}, TerminalRequest::Version);
        row("unknown first wins", {"--bogus", "--help"}, TerminalRequest::Unknown, "--bogus");
        row("unknown after Qt's", {"-style", "fusion", "-x"}, TerminalRequest::Unknown, "-x");
        row("value where Qt takes none", {"-reverse=1"}, TerminalRequest::Unknown, "-reverse=1");
        row("no value where Qt needs one", {"-qmljsdebugger"}, TerminalRequest::Unknown, "-qmljsdebugger");
        row("lone dash", {"-"}, TerminalRequest::Unknown, "-");
        row("a file", {"Fenwaurda.mdb"}, TerminalRequest::Unknown, "Fenwaurda.mdb");
        QTest::newRow("program name") << QStringList{"--help"} << TerminalRequest::None << QString();
        row("server, value after", {"--servidor", "postgresql://a@b/c", "-reverse"}, TerminalRequest::None);
        row("server, empty: the file", {"--servidor="}, TerminalRequest::None);
        row("server, value missing", {"--servidor"}, TerminalRequest::Unknown, "--servidor");
        row("server, not an address", {"--servidor", "loja"}, TerminalRequest::Unknown, "--servidor loja");
        row("copy", {"--copiar-para-servidor=postgres://b/c"}, TerminalRequest::CopyToServer);
        row("copy needs a server", {"--copiar-para-servidor="}, TerminalRequest::Unknown,
            "--copiar-para-servidor=");
    }

    // What the program opens: the address given, the file for an empty one.
    void dataOptions()
    {
        app::DataOptions options;
        QCOMPARE(app::terminalRequest({"fenwarda", "--servidor=postgresql://a@b/c"}, nullptr, &options),
                 TerminalRequest::None);
        QVERIFY(options.serverGiven);
        QCOMPARE(options.server, "postgresql://a@b/c");
        options = {};
        QCOMPARE(app::terminalRequest({"fenwarda", "--servidor", ""}, nullptr, &options),
                 TerminalRequest::None);
        QVERIFY(options.serverGiven);
        QVERIFY(options.server.isEmpty());
        options = {};
        QCOMPARE(app::terminalRequest({"fenwarda", "--copiar-para-servidor", "postgresql://x/y"}, nullptr,
                                      &options),
                 TerminalRequest::CopyToServer);
        QVERIFY(!options.serverGiven);
        QCOMPARE(options.copyTo, "postgresql://x/y");
        QVERIFY(app::terminalText(TerminalRequest::Unknown, "/loja", "--servidor")
                    .startsWith("fenwarda: falta o endereço do servidor"));
        QVERIFY(app::terminalText(TerminalRequest::Help, "/loja", {}, "postgresql://u:segredo@b/c")
                    .endsWith("Servidor de dados (Configurações): postgresql://u@b/c\n"));
    }

    void request()
    {
        QFETCH(QStringList, arguments);
        QFETCH(TerminalRequest, request);
        QFETCH(QString, unknown);
        QString found;
        QCOMPARE(app::terminalRequest(arguments, &found), request);
        QCOMPARE(found, unknown);
        QCOMPARE(app::terminalText(request, "/loja").contains("Arquivo de dados: /loja/Fenwaurda.mdb\n"),
                 request == TerminalRequest::Help);
        QCOMPARE(app::terminalStatus(request), request == TerminalRequest::Unknown ? 2 : 0);
    }

    // The program itself, with no window system to open a window on: an
    // argument it does not know is told on stderr before any window is tried.
    void programRefusesUnknownArgument_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("platform"); // empty: unset
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("--bogus") << QStringList{"--bogus"} << QString() << 2 << QString()
                                 << "fenwarda: opção desconhecida: --bogus\n" + Hint;
        QTest::newRow("-x, xcb") << QStringList{"-x"} << "xcb" << 2 << QString()
                                 << "fenwarda: opção desconhecida: -x\n" + Hint;
        QTest::newRow("after Qt's own") << QStringList{"-style", "fusion", "--bogus"} << "xcb" << 2
                                        << QString() << "fenwarda: opção desconhecida: --bogus\n" + Hint;
        QTest::newRow("a file") << QStringList{"loja.mdb"} << QString() << 2 << QString()
                                << "fenwarda: argumento inesperado: loja.mdb\n" + Hint;
        QTest::newRow("--version") << QStringList{"--version", "--bogus"} << QString() << 0
                                   << QStringLiteral("Fenwarda de Vídeo 1.0.0\n") << QString();
    }

    void programRefusesUnknownArgument()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, platform);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/fenwarda");
        QVERIFY2(QFileInfo(program).isExecutable(), qPrintable(program));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        if (!platform.isEmpty())
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(program, arguments);
        QVERIFY(process.waitForFinished(60000));
        const QString stderrText = QString::fromUtf8(process.readAllStandardError());
        // A window tried without a display ends in Qt's abort, not in a status.
        QVERIFY2(process.exitStatus() == QProcess::NormalExit, qPrintable(stderrText));
        QCOMPARE(process.exitCode(), status);
        QCOMPARE(stderrText, err);
        QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()), out);
    }

    // Only the program's own desktop entry marks it installed.
    void otherEntry()
    {
        QStandardPaths::setTestModeEnabled(true);
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath("bin") && QDir(root.path()).mkpath("share/applications"));
        QFile entry(root.filePath("share/applications/other.desktop"));
        QVERIFY(entry.open(QIODevice::WriteOnly));
        QVERIFY(!platform::isInstalled(root.filePath("bin")));
        QCOMPARE(platform::dataDirFor(root.filePath("bin")), root.filePath("bin"));
        QCOMPARE(platform::dataDirFor(root.filePath("missing")),
                 QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
