#include "app/CommandLine.h"
#include "platform/ProgramDir.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using app::TerminalRequest;

// The texts themselves and the installed copy are checked on the real
// program by tests/install.
class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void request_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<TerminalRequest>("request");
        QTest::newRow("none") << QStringList{"fenwarda"} << TerminalRequest::None;
        QTest::newRow("Qt's own") << QStringList{"fenwarda", "-platform", "offscreen"}
                                  << TerminalRequest::None;
        QTest::newRow("-h") << QStringList{"fenwarda", "-style", "fusion", "-h"} << TerminalRequest::Help;
        QTest::newRow("first wins") << QStringList{"fenwarda", "--version", "--help"}
                                    << TerminalRequest::Version;
        QTest::newRow("program name") << QStringList{"--help"} << TerminalRequest::None;
    }

    void request()
    {
        QFETCH(QStringList, arguments);
        QFETCH(TerminalRequest, request);
        QCOMPARE(app::terminalRequest(arguments), request);
        QCOMPARE(app::terminalText(request, "/loja").contains("Arquivo de dados: /loja/Fenwaurda.mdb\n"),
                 request == TerminalRequest::Help);
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
