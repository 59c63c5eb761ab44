#include "app/CommandLine.h"
#include "platform/ProgramDir.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using app::TerminalRequest;

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void request_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<TerminalRequest>("request");
        QTest::newRow("none") << QStringList{"fenwarda"} << TerminalRequest::None;
        QTest::newRow("Qt's own") << QStringList{"fenwarda", "-platform", "offscreen"}
                                  << TerminalRequest::None;
        QTest::newRow("--help") << QStringList{"fenwarda", "--help"} << TerminalRequest::Help;
        QTest::newRow("-h") << QStringList{"fenwarda", "-style", "fusion", "-h"} << TerminalRequest::Help;
        QTest::newRow("--version") << QStringList{"fenwarda", "--version"} << TerminalRequest::Version;
        QTest::newRow("first wins") << QStringList{"fenwarda", "-v", "--help"} << TerminalRequest::Version;
        QTest::newRow("program name") << QStringList{"--help"} << TerminalRequest::None;
    }

    void request()
    {
        QFETCH(QStringList, arguments);
        QFETCH(TerminalRequest, request);
        QCOMPARE(app::terminalRequest(arguments), request);
    }

    void texts()
    {
        const QString version = QStringLiteral("Fenwarda de Vídeo " FENWARDA_VERSION "\n");
        QCOMPARE(app::terminalText(TerminalRequest::Version, "/x"), version);
        const QString help = app::terminalText(TerminalRequest::Help, "/var/loja");
        QVERIFY(help.startsWith(version));
        QVERIFY(help.contains("  -v, --version  mostra a versão e sai\n"));
        QVERIFY(help.endsWith("\nArquivo de dados: /var/loja/Fenwaurda.mdb\n"));
        QVERIFY(app::terminalText(TerminalRequest::None, "/x").isEmpty());
    }

    // The data stays beside a program run from its own folder and goes to the
    // per-user folder for an installed one, whoever may write to /usr/bin.
    void dataFolder_data()
    {
        QTest::addColumn<QString>("desktopEntry");
        QTest::addColumn<bool>("installed");
        QTest::newRow("build folder") << QString() << false;
        QTest::newRow("installed") << QStringLiteral("share/applications/" FENWARDA_APP_ID ".desktop")
                                   << true;
        QTest::newRow("another entry") << QStringLiteral("share/applications/other.desktop") << false;
    }

    void dataFolder()
    {
        QFETCH(QString, desktopEntry);
        QFETCH(bool, installed);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString bin = root.filePath("bin");
        QVERIFY(QDir().mkpath(bin));
        if (!desktopEntry.isEmpty()) {
            QVERIFY(QDir(root.path()).mkpath(QFileInfo(desktopEntry).path()));
            QFile entry(root.filePath(desktopEntry));
            QVERIFY(entry.open(QIODevice::WriteOnly));
        }
        const QString perUser = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QCOMPARE(platform::isInstalled(bin), installed);
        QCOMPARE(platform::dataDirFor(bin), installed ? perUser : bin);
        QCOMPARE(platform::dataDirFor(root.filePath("missing")), perUser);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
