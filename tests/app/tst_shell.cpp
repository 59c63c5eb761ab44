// The shell: splash, main window with its menu, About box and start-up.

#include "TestSupport.h"
#include "app/AppInfo.h"
#include "app/Startup.h"
#include "app/frmAbertura.h"
#include "app/frmMenu.h"
#include "app/frmSobre.h"
#include "platform/widgets/MessageBox.h"
#include "store/Database.h"
#include "store/StoreError.h"

#include <QAbstractButton>
#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

QString u(const char* text)
{
    return QString::fromUtf8(text);
}

struct SplashCount
{
    explicit SplashCount(frmAbertura& splash)
    {
        QObject::connect(&splash, &frmAbertura::finished, [this] { ++opened; });
    }
    int opened = 0;
};

QTimer* splashTimer(frmAbertura& splash)
{
    return splash.findChild<QTimer*>(QStringLiteral("Timer1"));
}

struct MenuRow
{
    const char* menu;
    const char* menuCaption;
    const char* entry; // separators are "sep..."
    const char* caption;
    const char* shortcut; // portable text, "" for none
};

// The menu bar, top to bottom and left to right.
const MenuRow MenuTable[] = {
    {"mnuCadastro", "Cadas&tro", "mnuClientes", "&Clientes", "Ctrl+C"},
    {"mnuCadastro", "Cadas&tro", "sep10", nullptr, ""},
    {"mnuCadastro", "Cadas&tro", "mnuVídeos", "V&ideos", "Ctrl+I"},
    {"mnuCadastro", "Cadas&tro", "sep1", nullptr, ""},
    {"mnuCadastro", "Cadas&tro", "mnuSair", "Sair do &Programa", "Ctrl+P"},
    {"mnuMod", "&Modificar ou Excluir", "mnuModCliente", "Clientes", ""},
    {"mnuMod", "&Modificar ou Excluir", "sep87", nullptr, ""},
    {"mnuMod", "&Modificar ou Excluir", "mnuModVideo", "Vídeos", ""},
    {"mnuMovimento", "Movime&nto", "mnuLocacao", "&Locação de Vídeos", "Ctrl+L"},
    {"mnuMovimento", "Movime&nto", "sep11", nullptr, ""},
    {"mnuMovimento", "Movime&nto", "mnuDevolucao", "&Devolução de Vídeos", "Ctrl+D"},
    {"mnuConsultas", "Consult&as", "mnuconVideo", "&Vídeos", "Ctrl+V"},
    {"mnuConsultas", "Consult&as", "sep20", nullptr, ""},
    {"mnuConsultas", "Consult&as", "mnuConVídeos", "L&ocação de Videos", "Ctrl+O"},
    {"mnuConsultas", "Consult&as", "sep12", nullptr, ""},
    {"mnuConsultas", "Consult&as", "mnuConClientes", "Cli&entes", "Ctrl+E"},
    {"mnuRelatorio", "&Relatórios", "mnuRelClientes", "Clientes", ""},
    {"mnuRelatorio", "&Relatórios", "mnuRelVideos", "Videos em Estoque", ""},
    {"mnuRelatorio", "&Relatórios", "mnuRelLocVideo", "Locação de Vídeo Pendente", ""},
    {"mnuAjuda", "A&juda", "mnuSobre", "&Sobre", "Ctrl+S"},
};

const char* const TaskEntries[] = {"mnuClientes", "mnuVídeos",    "mnuModCliente",
                                   "mnuModVideo", "mnuLocacao",   "mnuDevolucao",
                                   "mnuconVideo", "mnuConVídeos", "mnuConClientes"};
const char* const ReportEntries[] = {"mnuRelClientes", "mnuRelVideos", "mnuRelLocVideo"};

void checkBoldArial(QLabel* label, qreal points)
{
    QCOMPARE(label->font().family(), QStringLiteral("Arial"));
    QVERIFY(label->font().bold());
    QCOMPARE(label->font().pointSizeF(), points);
}

} // namespace

class tst_shell : public QObject
{
    Q_OBJECT

private:
    // A main window over a data file that is never opened: the shell itself
    // does not touch the data.
    struct MenuFixture
    {
        QTemporaryDir dir;
        store::Database db{dir.path()};
        frmMenu menu{db};
        int quits = 0;
        MenuFixture()
        {
            menu.setQuitFunction([this] { ++quits; });
        }
    };

    QAction* entry(frmMenu& menu, const char* name)
    {
        QAction* action = menu.findChild<QAction*>(u(name));
        if (!action)
            qFatal("no entry %s", name);
        return action;
    }

private slots:
    void init()
    {
        MessageBox::setTestMode(true);
        MessageBox::clearShown();
    }

    // ---- splash -------------------------------------------------------

    void splashShowsTitlePlatformAndVersion()
    {
        frmAbertura splash;
        auto* name = child<QLabel>(&splash, "lblProductName");
        auto* platformLabel = child<QLabel>(&splash, "lblPlatform");
        auto* version = child<QLabel>(&splash, "lblVersion");
        QCOMPARE(name->text(), u("Fenwarda de Vídeo"));
        QCOMPARE(platformLabel->text(), u("Windows 95/98/ME/XP"));
        QCOMPARE(version->text(), u("Version 1.0.0"));
        QCOMPARE(app::splashVersionText(), u("Version 1.0.0"));
        checkBoldArial(name, 24);
        checkBoldArial(platformLabel, 12);
        checkBoldArial(version, 12);
        QVERIFY(!child<QLabel>(&splash, "imgLogo")->pixmap().isNull());
        QVERIFY(splash.windowTitle().isEmpty());
        QVERIFY(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
    }

    void splashFrameCoversWindow()
    {
        frmAbertura splash;
        splash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        auto* frame = child<QFrame>(&splash, "Frame1");
        QCOMPARE(frame->geometry(), splash.rect());
        QVERIFY(qAbs(splash.width() - 480) <= 20);
        QVERIFY(qAbs(splash.height() - 273) <= 20);
        // Every label and the logo lie inside the window.
        for (const char* name : {"imgLogo", "lblProductName", "lblPlatform", "lblVersion"}) {
            QWidget* w = child<QWidget>(&splash, name);
            const QRect r(w->mapTo(&splash, QPoint(0, 0)), w->size());
            QVERIFY2(splash.rect().contains(r), name);
            QVERIFY2(w->isVisible(), name);
        }
    }

    void splashTimerRunsFromLoad()
    {
        frmAbertura splash;
        QTimer* timer = splashTimer(splash);
        QVERIFY(timer);
        QCOMPARE(timer->interval(), 3000);
        QVERIFY(timer->isSingleShot());
        QVERIFY(timer->isActive());
    }

    void splashEndsAfterThreeSeconds()
    {
        frmAbertura splash;
        SplashCount count(splash);
        QElapsedTimer clock;
        clock.start();
        splash.show();
        QTest::qWait(2500);
        QCOMPARE(count.opened, 0);
        QVERIFY(splash.isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(count.opened, 1, 2000);
        QVERIFY(clock.elapsed() >= 2900);
        QVERIFY(!splash.isVisible());
        QVERIFY(!splashTimer(splash)->isActive());
    }

    void splashEndsAtCharacterKey_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::newRow("letter") << int(Qt::Key_A) << QStringLiteral("a");
        QTest::newRow("digit") << int(Qt::Key_5) << QStringLiteral("5");
        QTest::newRow("space") << int(Qt::Key_Space) << QStringLiteral(" ");
        QTest::newRow("Enter") << int(Qt::Key_Return) << QStringLiteral("\r");
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << QStringLiteral("\r");
        QTest::newRow("Escape") << int(Qt::Key_Escape) << QStringLiteral("\x1b");
        // Some platforms send Enter and Escape without a text.
        QTest::newRow("Enter, no text") << int(Qt::Key_Return) << QString();
        QTest::newRow("Escape, no text") << int(Qt::Key_Escape) << QString();
    }

    void splashEndsAtCharacterKey()
    {
        QFETCH(int, key);
        QFETCH(QString, text);
        frmAbertura splash;
        SplashCount count(splash);
        showAndFocus(&splash);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(&splash, &press);
        QCOMPARE(count.opened, 1);
        QVERIFY(!splash.isVisible());
        QVERIFY(!splashTimer(splash)->isActive());
    }

    void splashEndsAtTypedKey()
    {
        frmAbertura splash;
        SplashCount count(splash);
        showAndFocus(&splash);
        QTest::keyClick(&splash, 'x');
        QCOMPARE(count.opened, 1);
        QVERIFY(!splash.isVisible());
    }

    void splashIgnoresKeysWithoutCharacter()
    {
        frmAbertura splash;
        SplashCount count(splash);
        showAndFocus(&splash);
        for (Qt::Key key : {Qt::Key_Shift, Qt::Key_Control, Qt::Key_F1, Qt::Key_Left, Qt::Key_PageDown})
            QTest::keyClick(&splash, key);
        QCOMPARE(count.opened, 0);
        QVERIFY(splash.isVisible());
        QVERIFY(splashTimer(splash)->isActive());
    }

    void splashEndsAtClickOnFrame()
    {
        frmAbertura splash;
        SplashCount count(splash);
        showAndFocus(&splash);
        QTest::mouseClick(child<QFrame>(&splash, "Frame1"), Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(count.opened, 1);
        QVERIFY(!splash.isVisible());
    }

    void splashEndsAtClickOnItsTexts()
    {
        frmAbertura splash;
        SplashCount count(splash);
        showAndFocus(&splash);
        QTest::mouseClick(child<QLabel>(&splash, "lblProductName"), Qt::LeftButton);
        QCOMPARE(count.opened, 1);
    }

    void splashOpensMainWindowOnceWhateverComesFirst_data()
    {
        QTest::addColumn<QString>("events");
        QTest::newRow("key, timer") << QStringLiteral("kt");
        QTest::newRow("click, timer") << QStringLiteral("ct");
        QTest::newRow("key, key, timer") << QStringLiteral("kkt");
        QTest::newRow("key, click, timer") << QStringLiteral("kct");
        QTest::newRow("click, key, click") << QStringLiteral("ckc");
        QTest::newRow("timer, key, click") << QStringLiteral("tkc");
    }

    void splashOpensMainWindowOnceWhateverComesFirst()
    {
        QFETCH(QString, events);
        frmAbertura splash;
        SplashCount count(splash);
        splashTimer(splash)->setInterval(60);
        showAndFocus(&splash);
        for (QChar e : events) {
            if (e == 'k') {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, QStringLiteral("q"));
                QApplication::sendEvent(&splash, &press);
            } else if (e == 'c') {
                QTest::mouseClick(child<QFrame>(&splash, "Frame1"), Qt::LeftButton, {}, QPoint(5, 5));
            } else {
                QTest::qWait(200);
            }
            QCOMPARE(count.opened, 1);
        }
        QTest::qWait(150);
        QCOMPARE(count.opened, 1);
    }

    // ---- start-up -----------------------------------------------------

    void startupShowsSplashThenMainWindowOnce()
    {
        QTemporaryDir dir;
        Startup startup(dir.path());
        QSignalSpy menuShown(&startup, &Startup::menuShown);
        QSignalSpy painted(&startup, &Startup::splashPainted);
        QVERIFY(startup.start());
        QPointer<frmAbertura> splash = startup.splash();
        QVERIFY(splash);
        QVERIFY(splash->isVisible());
        QVERIFY(!startup.menu() || !startup.menu()->isVisible());
        // The data file is opened only once the splash is on screen.
        QVERIFY(!startup.database());
        QTRY_COMPARE(painted.count(), 1);
        QTRY_VERIFY(startup.database());
        QVERIFY(startup.database()->isOpen());
        QVERIFY(QFile::exists(store::Database::filePath(dir.path())));
        QVERIFY(startup.menu() && !startup.menu()->isVisible());
        // Qt's own buttons speak Portuguese.
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), u("Cancelar"));

        splashTimer(*splash)->setInterval(100);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(splash, &press);
        QCOMPARE(menuShown.count(), 1);
        QVERIFY(startup.menu()->isVisible());
        QCOMPARE(startup.menu()->windowTitle(), u("Fenwarda de Vídeo"));
        QTRY_VERIFY(!splash); // unloaded, timer and all
        QTest::qWait(250);
        QCOMPARE(menuShown.count(), 1);
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void startupRefusesSecondCopy()
    {
        QTemporaryDir dir;
        Startup first(dir.path());
        QVERIFY(first.start());
        Startup second(dir.path());
        QVERIFY(!second.start());
        QVERIFY(!second.splash());
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown().first().title, u("Fenwarda de Vídeo"));
        QVERIFY(!MessageBox::shown().first().text.isEmpty());
        QCOMPARE(MessageBox::shown().first().icon, QMessageBox::Warning);
    }

    void startupReportsUnusableDataFileAndGoesOn()
    {
        QTemporaryDir dir;
        {
            QFile junk(store::Database::filePath(dir.path()));
            QVERIFY(junk.open(QIODevice::WriteOnly));
            junk.write(QByteArray(4096, 'x'));
        }
        Startup startup(dir.path());
        QVERIFY(startup.start());
        QTRY_VERIFY(startup.database());
        // Nothing shows before the splash has gone.
        QVERIFY(MessageBox::shown().isEmpty());
        startup.splash()->finish();
        QVERIFY(startup.menu()->isVisible());
        QTRY_COMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown().first().title, u("Erro no Arquivo de Dados"));
        QVERIFY(!MessageBox::shown().first().text.isEmpty());
        QVERIFY(startup.menu()->isEnabled());
        // The file is left as it was.
        QFile file(store::Database::filePath(dir.path()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray(4096, 'x'));
    }

    // ---- main window and menu -----------------------------------------

    void menuBarMatchesTable()
    {
        MenuFixture f;
        QCOMPARE(f.menu.windowTitle(), u("Fenwarda de Vídeo"));
        QList<QAction*> seen;
        const QList<QAction*> bar = f.menu.menuBar()->actions();
        int row = 0;
        int menuIndex = 0;
        const int rows = int(std::size(MenuTable));
        while (row < rows) {
            QVERIFY2(menuIndex < bar.size(), "fewer menus than expected");
            QMenu* menu = bar.at(menuIndex++)->menu();
            QVERIFY(menu);
            const char* menuName = MenuTable[row].menu;
            QCOMPARE(menu->objectName(), u(menuName));
            QCOMPARE(menu->title(), u(MenuTable[row].menuCaption));
            const QList<QAction*> items = menu->actions();
            int item = 0;
            for (; row < rows && qstrcmp(MenuTable[row].menu, menuName) == 0; ++row, ++item) {
                const MenuRow& r = MenuTable[row];
                QVERIFY2(item < items.size(), r.entry);
                QAction* a = items.at(item);
                QCOMPARE(a->objectName(), u(r.entry));
                QCOMPARE(a->isSeparator(), r.caption == nullptr);
                if (r.caption)
                    QCOMPARE(a->text(), u(r.caption));
                QCOMPARE(a->shortcut().toString(QKeySequence::PortableText), u(r.shortcut));
                QVERIFY(a->isVisible());
                QCOMPARE(f.menu.entry(u(r.entry)), a);
            }
            QCOMPARE(items.size(), item);
        }
        QCOMPARE(bar.size(), menuIndex);
    }

    void entriesWithoutWindowAreDisabled()
    {
        MenuFixture f;
        for (const char* name : TaskEntries)
            QVERIFY2(!entry(f.menu, name)->isEnabled(), name);
        for (const char* name : ReportEntries)
            QVERIFY2(!entry(f.menu, name)->isEnabled(), name);
        QVERIFY(entry(f.menu, "mnuSobre")->isEnabled());
        QVERIFY(entry(f.menu, "mnuSair")->isEnabled());
        // A disabled entry opens nothing.
        entry(f.menu, "mnuClientes")->trigger();
        QVERIFY(!f.menu.currentTask());
        QVERIFY(f.menu.isEnabled());
    }

    void everyTaskEntryOpensItsWindowAndDisablesMainWindow()
    {
        MenuFixture f;
        showAndFocus(&f.menu);
        for (const char* name : TaskEntries) {
            QString built;
            f.menu.setTaskFactory(u(name), [&built, name](store::Database&) {
                built = u(name);
                auto* w = new QWidget;
                w->setWindowTitle(u(name));
                return w;
            });
            QAction* a = entry(f.menu, name);
            QVERIFY2(a->isEnabled(), name);
            a->trigger();
            QCOMPARE(built, u(name));
            QPointer<QWidget> task = f.menu.currentTask();
            QVERIFY2(task, name);
            QCOMPARE(task->windowTitle(), u(name));
            QVERIFY(task->isVisible());
            QVERIFY(task->isWindow());
            QCOMPARE(task->windowModality(), Qt::NonModal);
            QVERIFY(task->isEnabled());
            QVERIFY(!f.menu.isEnabled());
            QVERIFY(!f.menu.menuBar()->isEnabled());
            task->close();
            QTRY_VERIFY(!task);
            QVERIFY(f.menu.isEnabled());
        }
    }

    void openTaskDisablesUntilTheWindowCloses()
    {
        MenuFixture f;
        f.menu.show();
        // Given with the main window as parent: still a window of its own
        // that stays usable while the main window is disabled.
        QPointer<QWidget> task = new QWidget(&f.menu);
        f.menu.openTask(task);
        QVERIFY(task->isWindow());
        QVERIFY(task->isVisible());
        QVERIFY(task->isEnabled());
        QVERIFY(task->testAttribute(Qt::WA_DeleteOnClose));
        QVERIFY(!f.menu.isEnabled());
        QTest::qWait(50);
        QVERIFY(!f.menu.isEnabled());
        task->close();
        QTRY_VERIFY(!task);
        QVERIFY(f.menu.isEnabled());
    }

    void menuDoesNotRespondWhileTaskOpen()
    {
        MenuFixture f;
        int built = 0;
        f.menu.setTaskFactory(QStringLiteral("mnuClientes"), [&built](store::Database&) {
            ++built;
            return new QWidget;
        });
        showAndFocus(&f.menu);
        QTest::keyClick(&f.menu, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(built, 1);
        QPointer<QWidget> task = f.menu.currentTask();
        QVERIFY(task);
        QVERIFY(!f.menu.isEnabled());

        // Neither the entries, the shortcuts nor "Sair" do anything now.
        QApplication::setActiveWindow(&f.menu);
        QTest::keyClick(&f.menu, Qt::Key_C, Qt::ControlModifier);
        QTest::keyClick(&f.menu, Qt::Key_S, Qt::ControlModifier);
        entry(f.menu, "mnuClientes")->trigger();
        entry(f.menu, "mnuSobre")->trigger();
        entry(f.menu, "mnuSair")->trigger();
        QTest::keyClick(&f.menu, Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(built, 1);
        QCOMPARE(f.menu.currentTask(), task.data());
        QCOMPARE(f.quits, 0);
        QVERIFY(task->isVisible());

        task->close();
        QTRY_VERIFY(!task);
        QVERIFY(f.menu.isEnabled());
        showAndFocus(&f.menu);
        QTest::keyClick(&f.menu, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(built, 2);
        f.menu.currentTask()->close();
    }

    void storeErrorWhileBuildingWindowIsReported()
    {
        MenuFixture f;
        f.menu.setTaskFactory(QStringLiteral("mnuLocacao"), [](store::Database&) -> QWidget* {
            throw store::StoreError(store::StoreError::Kind::Damaged, QStringLiteral("Arquivo danificado."));
        });
        entry(f.menu, "mnuLocacao")->trigger();
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown().first().text, QStringLiteral("Arquivo danificado."));
        QVERIFY(f.menu.isEnabled());
        QVERIFY(!f.menu.currentTask());
    }

    void aboutBoxOpensFromMenu()
    {
        MenuFixture f;
        showAndFocus(&f.menu);
        QTest::keyClick(&f.menu, Qt::Key_S, Qt::ControlModifier);
        QPointer<QWidget> about = f.menu.currentTask();
        QVERIFY(about);
        QVERIFY(qobject_cast<frmSobre*>(about));
        QCOMPARE(about->windowTitle(), u("Sobre o Programa"));
        QVERIFY(about->isVisible());
        QVERIFY(!f.menu.isEnabled());
        about->close();
        QTRY_VERIFY(!about);
        QVERIFY(f.menu.isEnabled());
    }

    void aboutBoxTexts()
    {
        frmSobre about;
        QCOMPARE(about.windowTitle(), u("Sobre o Programa"));
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        const QList<QLabel*> labels = about.findChildren<QLabel*>();
        auto find = [&](const QString& text) -> QLabel* {
            for (QLabel* l : labels)
                if (l->text() == text)
                    return l;
            return nullptr;
        };
        QLabel* name = find(u("Fenwarda de Vídeo"));
        QLabel* platformLabel = find(u("Windows 95/98/ME/XP"));
        QLabel* version = find(u("Versão: 1.0.0"));
        QVERIFY(name && platformLabel && version);
        checkBoldArial(name, 18);
        checkBoldArial(platformLabel, 15.75);
        checkBoldArial(version, 12);
        QVERIFY(!child<QLabel>(&about, "imgLogo")->pixmap().isNull());
        QCOMPARE(child<QFrame>(&about, "Frame1")->isVisible(), true);
        QVERIFY(about.findChildren<QAbstractButton*>().isEmpty());
    }

    void reportsLeaveMainWindowEnabled()
    {
        MenuFixture f;
        for (const char* name : ReportEntries)
            f.menu.setReportFactory(u(name), [name](store::Database&) {
                auto* w = new QWidget;
                w->setWindowTitle(u(name));
                return w;
            });
        showAndFocus(&f.menu);
        entry(f.menu, "mnuRelClientes")->trigger();
        entry(f.menu, "mnuRelVideos")->trigger();
        QVERIFY(f.menu.isEnabled());
        QVERIFY(!f.menu.currentTask());
        const QList<QWidget*> reports = f.menu.reportWindows();
        QCOMPARE(reports.size(), 2);
        for (QWidget* r : reports)
            QVERIFY(r->isVisible());

        // A task window opens beside them; the reports stay usable.
        f.menu.openTask(new QWidget);
        QVERIFY(!f.menu.isEnabled());
        for (QWidget* r : reports)
            QVERIFY(r->isVisible() && r->isEnabled());
        QPointer<QWidget> task = f.menu.currentTask();
        task->close();
        QTRY_VERIFY(!task);
        QVERIFY(f.menu.isEnabled());
        QCOMPARE(f.menu.reportWindows().size(), 2);
    }

    void sairEndsProgramWithoutQuestions()
    {
        MenuFixture f;
        f.menu.setReportFactory(QStringLiteral("mnuRelVideos"), [](store::Database&) { return new QWidget; });
        showAndFocus(&f.menu);
        entry(f.menu, "mnuRelVideos")->trigger();
        QPointer<QWidget> report = f.menu.reportWindows().value(0);
        QVERIFY(report);
        QSignalSpy ending(&f.menu, &frmMenu::programEnding);
        QTest::keyClick(&f.menu, Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(f.quits, 1);
        QCOMPARE(ending.count(), 1);
        QVERIFY(!report);
        QVERIFY(MessageBox::shown().isEmpty());
        // Ending twice asks for nothing more.
        entry(f.menu, "mnuSair")->trigger();
        QCOMPARE(f.quits, 1);
    }

    void closingMainWindowEndsProgramAndClosesTask()
    {
        MenuFixture f;
        f.menu.show();
        QPointer<QWidget> task = new QWidget;
        f.menu.openTask(task);
        QVERIFY(f.menu.close());
        QCOMPARE(f.quits, 1);
        QVERIFY(!task);
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void closingMainWindowEndsProgram()
    {
        MenuFixture f;
        f.menu.show();
        QVERIFY(f.menu.close());
        QCOMPARE(f.quits, 1);
        QVERIFY(!f.menu.isVisible());
    }
};

QTEST_MAIN(tst_shell)
#include "tst_shell.moc"
