// The shell: splash, main window with its menu, About box and start-up.

#include "OutsideReader.h"
#include "WindowTest.h"
#include "app/AppInfo.h"
#include "app/Startup.h"
#include "app/Tasks.h"
#include "app/frmAbertura.h"
#include "app/frmMenu.h"
#include "app/frmSobre.h"
#include "counter/Search.h"
#include "customers/frmConClientes.h"
#include "lookup/ListIndex.h"
#include "platform/widgets/MessageBox.h"
#include "store/Backup.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/StoreError.h"
#include "views/PickList.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/mount.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

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
    {"mnuCadastro", "Cadas&tro", "sep2", nullptr, ""},
    {"mnuCadastro", "Cadas&tro", "mnuConfiguracoes", "C&onfigurações", ""},
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
    {"mnuConsultas", "Consult&as", "sep21", nullptr, ""},
    {"mnuConsultas", "Consult&as", "mnuConAtraso", "Locações em &Atraso", ""},
    {"mnuRelatorio", "&Relatórios", "mnuRelClientes", "Clientes", ""},
    {"mnuRelatorio", "&Relatórios", "mnuRelVideos", "Videos em Estoque", ""},
    {"mnuRelatorio", "&Relatórios", "mnuRelLocVideo", "Locação de Vídeo Pendente", ""},
    {"mnuRelatorio", "&Relatórios", "mnuRelAtraso", "Locações em Atraso", ""},
    {"mnuRelatorio", "&Relatórios", "mnuRelMovimento", "Movimento do Dia", ""},
    {"mnuAjuda", "A&juda", "mnuManual", "&Manual", "F1"},
    {"mnuAjuda", "A&juda", "sep30", nullptr, ""},
    {"mnuAjuda", "A&juda", "mnuSobre", "&Sobre", "Ctrl+S"},
};

const char* const TaskEntries[] = {"mnuClientes",    "mnuVídeos",        "mnuModCliente", "mnuModVideo",
                                   "mnuLocacao",     "mnuDevolucao",     "mnuconVideo",   "mnuConVídeos",
                                   "mnuConClientes", "mnuConfiguracoes", "mnuConAtraso",  "mnuRelMovimento"};
const char* const ReportEntries[] = {"mnuRelClientes", "mnuRelVideos", "mnuRelLocVideo", "mnuRelAtraso"};

void checkBoldArial(QLabel* label, qreal points)
{
    QCOMPARE(label->font().family(), QStringLiteral("Arial"));
    QVERIFY(label->font().bold());
    QCOMPARE(label->font().pointSizeF(), points);
}

// Helpers check with QVERIFY too: the test function stops once one failed.
#define CHECKED(call)                                                                                        \
    do {                                                                                                     \
        call;                                                                                                \
        if (QTest::currentTestFailed())                                                                      \
            return;                                                                                          \
    } while (false)

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

// Closes an open task window and checks the main window is usable again.
void closeTask(frmMenu& menu, QPointer<QWidget> task)
{
    QVERIFY(task);
    task->close();
    QTRY_VERIFY(!task);
    QVERIFY(menu.isEnabled());
}

// A bare window titled after the entry that builds it.
QWidget* titledWindow(const char* name)
{
    auto* w = new QWidget;
    w->setWindowTitle(u(name));
    return w;
}

// A small tmpfs mounted for one test: a disk that really fills up.
struct SmallDisk
{
    explicit SmallDisk(const QString& where) : path(where)
    {
        mounted = QDir().mkpath(path) &&
                  ::mount("tmpfs", QFile::encodeName(path).constData(), "tmpfs", 0, "size=512k") == 0;
    }
    ~SmallDisk()
    {
        if (mounted)
            ::umount2(QFile::encodeName(path).constData(), MNT_DETACH);
    }
    // Fills the disk but for room bytes.
    void fillBut(qint64 room)
    {
        const int fd = ::open(QFile::encodeName(path + u"/filler"_s).constData(), O_WRONLY | O_CREAT, 0600);
        const QByteArray block(4096, 'f');
        off_t size = 0;
        for (qsizetype chunk : {block.size(), qsizetype(1)}) {
            for (ssize_t n; (n = ::write(fd, block.constData(), size_t(chunk))) > 0;)
                size += n;
        }
        if (fd < 0 || errno != ENOSPC || ::ftruncate(fd, size - room) != 0 || ::close(fd) != 0)
            qFatal("cannot fill %s", qPrintable(path));
    }
    void empty() { QFile::remove(path + u"/filler"_s); }
    QString path;
    bool mounted = false;
};

// A closed data file in folder holding one customer.
void makeShop(const QString& folder)
{
    store::Database db(folder);
    QSqlQuery q(db.connection());
    if (!q.exec(u"INSERT INTO tblClientes (Codigo, Nome) VALUES ('1', 'Ana')"_s))
        qFatal("makeShop");
}

int customers(const QString& folder)
{
    store::Database db(folder);
    QSqlQuery q(db.connection());
    return q.exec(u"SELECT COUNT(*) FROM tblClientes"_s) && q.next() ? q.value(0).toInt() : -1;
}

} // namespace

class tst_shell : public WindowTest
{
    Q_OBJECT

private slots:
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
        // The timer runs from load, before the splash is shown.
        QTimer* timer = splashTimer(splash);
        QVERIFY(timer);
        QCOMPARE(timer->interval(), 3000);
        QVERIFY(timer->isSingleShot());
        QVERIFY(timer->isActive());
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

    void splashEndsAfterThreeSeconds()
    {
        // The clock starts before the splash's timer, so it reads at least
        // as much as the timer has run.
        QElapsedTimer clock;
        clock.start();
        frmAbertura splash;
        SplashCount count(splash);
        // A precise single shot of 3000 ms never fires early, however busy
        // the machine; how late it fires under load is not this test's matter.
        QTimer* timer = splashTimer(splash);
        QCOMPARE(timer->timerType(), Qt::PreciseTimer);
        QVERIFY(timer->isSingleShot());
        QCOMPARE(timer->interval(), 3000);
        splash.show();
        QCOMPARE(count.opened, 0);
        QVERIFY(splash.isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(count.opened, 1, 60000);
        QVERIFY2(clock.elapsed() >= 3000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!splash.isVisible());
        QVERIFY(!splashTimer(splash)->isActive());
    }

    // A key sent as an event, a key typed, or a click on the named widget.
    void splashEndsAtKeyOrClick_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("widget");
        QTest::addColumn<QPoint>("at"); // null: the middle
        const auto send = [](const char* tag, Qt::Key key, const QString& text) {
            QTest::newRow(tag) << u"send"_s << int(key) << text << QByteArray() << QPoint();
        };
        send("letter", Qt::Key_A, u"a"_s);
        send("digit", Qt::Key_5, u"5"_s);
        send("space", Qt::Key_Space, u" "_s);
        send("Enter", Qt::Key_Return, u"\r"_s);
        send("keypad Enter", Qt::Key_Enter, u"\r"_s);
        send("Escape", Qt::Key_Escape, u"\x1b"_s);
        // Some platforms send Enter and Escape without a text.
        send("Enter, no text", Qt::Key_Return, QString());
        send("Escape, no text", Qt::Key_Escape, QString());
        QTest::newRow("typed key") << u"type"_s << int(Qt::Key_X) << QString() << QByteArray() << QPoint();
        QTest::newRow("click on frame") << u"click"_s << 0 << QString() << "Frame1"_ba << QPoint(10, 10);
        QTest::newRow("click on title") << u"click"_s << 0 << QString() << "lblProductName"_ba << QPoint();
    }

    void splashEndsAtKeyOrClick()
    {
        QFETCH(QString, how);
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(QByteArray, widget);
        QFETCH(QPoint, at);
        frmAbertura splash;
        SplashCount count(splash);
        showAndFocus(&splash);
        if (how == u"send"_s) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
            QApplication::sendEvent(&splash, &press);
        } else if (how == u"type"_s) {
            QTest::keyClick(&splash, 'x');
        } else {
            QTest::mouseClick(child<QWidget>(&splash, widget.constData()), Qt::LeftButton, {}, at);
        }
        QCOMPARE(count.opened, 1);
        QVERIFY(!splash.isVisible());
        QVERIFY(!splashTimer(splash)->isActive());
    }

    void splashIgnoresKeysWithoutCharacter()
    {
        frmAbertura splash;
        SplashCount count(splash);
        showAndFocus(&splash);
        for (Qt::Key key : {Qt::Key_Shift, Qt::Key_Control, Qt::Key_F1, Qt::Key_Left, Qt::Key_PageDown})
            QTest::keyClick(&splash, key);
        // Delete types nothing, though X11 sends it with the DEL character.
        QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, QStringLiteral("\x7f"));
        QApplication::sendEvent(&splash, &del);
        QCOMPARE(count.opened, 0);
        QVERIFY(splash.isVisible());
        QVERIFY(splashTimer(splash)->isActive());
    }

    void splashOpensMainWindowOnceWhateverComesFirst_data()
    {
        QTest::addColumn<QString>("events");
        QTest::newRow("key, timer") << u"kt"_s;
        QTest::newRow("click, timer") << u"ct"_s;
        QTest::newRow("key, key, timer") << u"kkt"_s;
        QTest::newRow("key, click, timer") << u"kct"_s;
        QTest::newRow("click, key, click") << u"ckc"_s;
        QTest::newRow("timer, key, click") << u"tkc"_s;
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
                QKeyEvent press(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, u"q"_s);
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
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, u"\r"_s);
        QApplication::sendEvent(splash, &press);
        // Once the start's list reads are done.
        QTRY_COMPARE(menuShown.count(), 1);
        QVERIFY(startup.menu()->isVisible());
        QCOMPARE(startup.menu()->windowTitle(), u("Fenwarda de Vídeo"));
        QTRY_VERIFY(!splash); // unloaded, timer and all
        QTest::qWait(250);
        QCOMPARE(menuShown.count(), 1);
        QVERIFY(MessageBox::shown().isEmpty());
    }

    // A file from before the search gets its indexes at the first start,
    // built apart from the interface while the splash waits for them.
    void olderFileGetsItsSearchAtStart()
    {
        QTemporaryDir dir;
        makeShop(dir.path());
        {
            store::Database db(dir.path());
            QSqlQuery q(db.connection());
            for (const char* sql :
                 {"DROP TRIGGER PeopleSearch_insert", "DROP TRIGGER PeopleSearch_update",
                  "DROP TRIGGER PeopleSearch_delete", "DROP TRIGGER VideoSearch_insert",
                  "DROP TRIGGER VideoSearch_update", "DROP TRIGGER VideoSearch_delete",
                  "DROP TABLE PeopleSearch", "DROP TABLE VideoSearch", "PRAGMA user_version = 3"})
                QVERIFY2(q.exec(QString::fromUtf8(sql)), sql);
        }
        Startup startup(dir.path());
        QSignalSpy menuShown(&startup, &Startup::menuShown);
        QVERIFY(startup.start());
        QPointer<frmAbertura> splash = startup.splash();
        QTRY_VERIFY(startup.database());
        // The splash waited: still up, its end held for the start's reads.
        QVERIFY(splash && splash->isVisible());
        store::Database& db = *startup.database();
        QSqlQuery q(db.connection());
        QVERIFY(q.exec(u"PRAGMA user_version"_s) && q.next());
        QCOMPARE(q.value(0).toInt(), store::SchemaVersion);
        q.finish();
        QVERIFY(counter::Search::indexesMatchTables(db));
        QCOMPARE(counter::Search(db).people(u"ana"_s).size(), 1);
        splash->finish();
        QTRY_COMPARE(menuShown.count(), 1);
        QVERIFY(MessageBox::shown().isEmpty());
    }

    // The splash closed by the window system while the indexes are built:
    // the main window still comes, once, when the file is ready.
    void splashClosedDuringTheUpgrade()
    {
        QTemporaryDir dir;
        {
            store::Database db(dir.path());
            QSqlQuery q(db.connection());
            QVERIFY(
                q.exec(u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
                       "INSERT INTO tblClientes (Codigo, Nome, Dependente1) SELECT i, 'Ana ' || i, 'Rui ' || "
                       "i FROM n"_s));
            for (const char* sql :
                 {"DROP TRIGGER PeopleSearch_insert", "DROP TRIGGER PeopleSearch_update",
                  "DROP TRIGGER PeopleSearch_delete", "DROP TABLE PeopleSearch", "PRAGMA user_version = 3"})
                QVERIFY2(q.exec(QString::fromUtf8(sql)), sql);
        }
        Startup startup(dir.path());
        QSignalSpy menuShown(&startup, &Startup::menuShown);
        QVERIFY(startup.start());
        QPointer<frmAbertura> splash = startup.splash();
        // Runs in the first turn of the event loop once the build started.
        connect(&startup, &Startup::splashPainted, this, [&] {
            QTimer::singleShot(0, this, [&] {
                if (splash)
                    splash->close();
            });
        });
        QTRY_COMPARE(menuShown.count(), 1);
        QVERIFY(startup.menu()->isVisible());
        QVERIFY(counter::Search::indexesMatchTables(*startup.database()));
        QTest::qWait(100);
        QCOMPARE(menuShown.count(), 1);
    }

    // However the splash ends, the main window shows once the start's list
    // reads are in: the first window opens on them at once.
    void startupShowsMainWindowWithListsRead_data()
    {
        QTest::addColumn<QChar>("end"); // key, click or timer
        QTest::newRow("key") << QChar(u'k');
        QTest::newRow("click") << QChar(u'c');
        QTest::newRow("timer's end") << QChar(u't');
    }

    void startupShowsMainWindowWithListsRead()
    {
        QFETCH(QChar, end);
        QTemporaryDir dir;
        {
            store::Database db(dir.path());
            QSqlQuery q(db.connection());
            QVERIFY(q.exec(u"INSERT INTO tblClientes (Codigo, Nome, Dependente1) VALUES "
                           "('1', 'Ana', 'Beto'), ('2', 'Caio', '')"_s));
            QVERIFY(
                q.exec(u"INSERT INTO tblVideos (Codigo, Nome) VALUES ('10', 'Alien'), ('11', 'Brazil')"_s));
        }
        Startup startup(dir.path());
        QSignalSpy menuShown(&startup, &Startup::menuShown);
        bool listsWhenShown = false;
        const QAbstractItemModel* listModel = nullptr;
        connect(&startup, &Startup::menuShown, this, [&] {
            // Every list kept by the database is in.
            int lists = 0;
            listsWhenShown = true;
            for (const auto& watcher : startup.database()->watchers()) {
                auto* list = dynamic_cast<views::PickList*>(watcher.get());
                if (!list)
                    continue;
                ++lists;
                if (list->kind() == store::PickListKind::CustomerNames)
                    listModel = list;
                // Its type-ahead prepared: its index built or being built.
                const bool prepared = !list->findChildren<lookup_detail::ListIndex*>().isEmpty();
                listsWhenShown = listsWhenShown && !list->loading() && list->rowCount() > 0 && prepared;
            }
            listsWhenShown = listsWhenShown && lists == 3;
        });
        QVERIFY(startup.start());
        QPointer<frmAbertura> splash = startup.splash();
        // The splash ends as soon as the file is open, the reads just begun.
        bool heldMeanwhile = false;
        connect(&startup, &Startup::databaseReady, this, [&] {
            QTimer::singleShot(0, this, [&] {
                if (end == u't') {
                    splash->finish(); // what Timer1 calls
                } else if (end == u'k') {
                    QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, u" "_s);
                    QApplication::sendEvent(splash, &press);
                } else {
                    QTest::mouseClick(child<QFrame>(splash, "Frame1"), Qt::LeftButton, {}, QPoint(5, 5));
                }
                // The interface answers while the lists are read.
                heldMeanwhile = splash && splash->isVisible() && menuShown.isEmpty();
            });
        });
        QTRY_COMPARE(menuShown.count(), 1);
        QVERIFY(heldMeanwhile);
        QVERIFY(listsWhenShown);
        QVERIFY(!splash || !splash->isVisible());

        // A query window opened now finds its list there, nothing left to read.
        frmConClientes query(*startup.database());
        query.show();
        auto* combo = child<QComboBox>(&query, "cboCliente");
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->itemText(0), u"Ana"_s);
        QCOMPARE(combo->model(), listModel);
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

    // No room at all stops the lock; a few KB stop SQLite's journal. Either
    // way the operator reads that the disk is full, and the file is as it was.
    void startupSaysDiskIsFull_data()
    {
        QTest::addColumn<bool>("tmpfs"); // a real full disk; else a file size limit
        QTest::addColumn<qint64>("room");
        QTest::newRow("no room, size limit") << false << qint64(0);
        QTest::newRow("a few KB, size limit") << false << qint64(8192);
        QTest::newRow("no room, full tmpfs") << true << qint64(0);
        QTest::newRow("a few KB, full tmpfs") << true << qint64(8192);
    }

    void startupSaysDiskIsFull()
    {
        QFETCH(bool, tmpfs);
        QFETCH(qint64, room);
        QTemporaryDir dir;
        SmallDisk disk(dir.filePath(u"disk"_s));
        if (tmpfs && !disk.mounted)
            QSKIP("mounting a small tmpfs is not permitted here; the size limit rows take the same path");
        const QString folder = tmpfs ? disk.path : dir.path();
        makeShop(folder);
        const QString file = store::Database::filePath(folder);
        const QByteArray before = bytesOf(file);
        {
            Startup startup(folder);
            std::optional<FileSizeLimit> limit;
            if (tmpfs)
                disk.fillBut(room);
            else
                limit.emplace(room);
            if (startup.start()) {
                QTRY_VERIFY(startup.database());
                startup.splash()->finish();
                QTRY_COMPARE(MessageBox::shown().size(), 1);
            }
            // Without room for the lock the program stops before the splash.
            QCOMPARE(!startup.splash() && !startup.menu(), room == 0);
        }
        disk.empty();
        QCOMPARE(MessageBox::shown().size(), 1);
        const QString text = MessageBox::shown().first().text;
        QVERIFY2(text.startsWith(u"Não há espaço livre no disco para gravar no arquivo de dados "_s + file) &&
                     text.contains(u"O disco está cheio"_s) &&
                     text.contains(u"O arquivo de dados não foi alterado"_s),
                 qPrintable(text));
        QCOMPARE(bytesOf(file), before);
        QCOMPARE(customers(folder), 1);
    }

    // The clean exit keeps a checked copy; one that fails is told (see tst_backup).
    void cleanExitKeepsBackup()
    {
        QTemporaryDir dir;
        makeShop(dir.path());
        Startup startup(dir.path());
        int quits = 0;
        startup.setQuitFunction([&quits] { ++quits; });
        QVERIFY(startup.start());
        QTRY_VERIFY(startup.database());
        startup.splash()->finish();
        startup.menu()->endProgram();
        QCOMPARE(quits, 1);
        const QStringList copies = store::backups(dir.path());
        QCOMPARE(copies.size(), 1);
        QVERIFY(store::isGoodCopy(copies.first()));
        QVERIFY(MessageBox::shown().isEmpty());
    }

    // A report reads through a connection of its own; the program's locks
    // on the file stay, so another program reading the file neither deletes
    // the journal nor misses what the program saves afterwards.
    void reportKeepsTheFileLocks()
    {
        frmMenu& menu = openMenu();
        shop->exec(u"INSERT INTO tblClientes (Codigo, Nome, CPF) VALUES ('1', 'Ana', '1')"_s);
        entry(menu, "mnuRelClientes")->trigger();
        QCOMPARE(menu.reportWindows().size(), 1);
        QCOMPARE(MessageBox::shown().size(), 0);
        QCOMPARE(customersSeenFromOutside(shop->folder()), 1);
        shop->exec(u"INSERT INTO tblClientes (Codigo, Nome, CPF) VALUES ('2', 'Bia', '2')"_s);
        QVERIFY(QFile::exists(shop->db().filePath() + "-wal"));
        QCOMPARE(customersSeenFromOutside(shop->folder()), 2);
    }

    // A file that exists but holds no shop is reported with the newest good
    // backup and left byte for byte, its backups too; only a missing file is
    // a new shop.
    void startupLeavesUnusableFileAlone_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("message"); // empty: a new shop, nothing said at start
        QTest::newRow("missing") << u"missing"_s << QString();
        QTest::newRow("0 bytes") << u"empty"_s << u"está vazio (0 bytes)"_s;
        QTest::newRow("empty SQLite, user_version 0")
            << u"sqlite 0"_s << u"não contém nenhuma das tabelas do programa"_s;
        QTest::newRow("empty SQLite, user_version 99")
            << u"sqlite 99"_s << u"não contém nenhuma das tabelas do programa"_s;
        QTest::newRow("garbage") << u"garbage"_s << u"não é um arquivo deste programa"_s;
        QTest::newRow("damaged") << u"damaged"_s << u"está danificado"_s;
    }

    void startupLeavesUnusableFileAlone()
    {
        QFETCH(QString, state);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString file = store::Database::filePath(dir.path());
        QString backup;
        {
            store::Database db(dir.path());
            QSqlQuery q(db.connection());
            for (int i = 0; i < 300; ++i)
                QVERIFY(q.exec(u"INSERT INTO tblClientes (Codigo, Nome) VALUES ('%1', 'Cliente')"_s.arg(i)));
            backup = store::keepBackup(db, QDate::currentDate());
        }
        const QByteArray backupBytes = bytesOf(backup);
        if (state == u"damaged"_s) {
            damagePages(file);
        } else {
            QVERIFY(QFile::remove(file));
            if (state.startsWith(u"sqlite"_s)) {
                QSqlDatabase other = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"other"_s);
                other.setDatabaseName(file);
                QVERIFY(other.open());
                QSqlQuery q(other);
                QVERIFY(q.exec(u"CREATE TABLE t (a)"_s) && q.exec(u"DROP TABLE t"_s));
                QVERIFY(q.exec(u"PRAGMA user_version = %1"_s.arg(state.section(' ', 1))));
                other.close();
            } else if (state != u"missing"_s) {
                QFile f(file);
                QVERIFY(f.open(QIODevice::WriteOnly));
                f.write(state == u"garbage"_s ? QByteArray(8192, 'x') : QByteArray());
            }
            QSqlDatabase::removeDatabase(u"other"_s);
        }
        const QByteArray before = bytesOf(file);
        {
            Startup startup(dir.path());
            int quits = 0;
            startup.setQuitFunction([&quits] { ++quits; });
            QVERIFY(startup.start());
            QTRY_VERIFY(startup.database());
            // Nothing shows before the splash has gone; the program goes on.
            QVERIFY(MessageBox::shown().isEmpty());
            startup.splash()->finish();
            // At once, or once the start's list reads are done.
            QTRY_VERIFY(startup.menu()->isVisible() && startup.menu()->isEnabled());
            if (message.isEmpty()) {
                QTest::qWait(0);
                QCOMPARE(MessageBox::shown().size(), 0);
            } else {
                QTRY_COMPARE(MessageBox::shown().size(), 1);
                const QString text = MessageBox::shown().first().text;
                QVERIFY2(text.contains(message) && text.contains(file) &&
                             text.contains(u"A cópia de segurança mais recente em bom estado é "_s + backup),
                         qPrintable(text));
            }
            MessageBox::clearShown();
            startup.menu()->endProgram();
            QCOMPARE(quits, 1);
        }
        if (message.isEmpty()) {
            QCOMPARE(customers(dir.path()), 0);
            // A new, empty shop's copy does not push out the copy of the shop.
            QCOMPARE(MessageBox::shown().size(), 1);
            QVERIFY2(MessageBox::shown().first().text.contains(u"está vazio"_s),
                     qPrintable(MessageBox::shown().first().text));
        } else {
            QCOMPARE(MessageBox::shown().size(), 0);
            QCOMPARE(bytesOf(file), before);
        }
        QCOMPARE(store::backups(dir.path()), QStringList{backup});
        QCOMPARE(bytesOf(backup), backupBytes);
    }

    // A lock left empty by a copy killed while writing it never stops the
    // program: no live copy holds it.
    void startupTakesOverAnEmptyLock()
    {
        QTemporaryDir dir;
        makeShop(dir.path());
        QFile lock(store::Database::filePath(dir.path()) + u".lock"_s);
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.close();
        Startup startup(dir.path());
        QVERIFY(startup.start());
        QVERIFY(MessageBox::shown().isEmpty());
        QVERIFY(startup.splash());
        QVERIFY(lock.size() > 0);
    }

    // After the warning about a damaged file nothing more is written to it:
    // a save is refused with the reason, the exit keeps no copy of it and
    // claims nothing.
    void damagedFileIsOnlyRead()
    {
        QTemporaryDir dir;
        const QString file = store::Database::filePath(dir.path());
        {
            store::Database db(dir.path());
            QSqlQuery q(db.connection());
            for (int i = 0; i < 300; ++i)
                QVERIFY(q.exec(u"INSERT INTO tblClientes (Codigo, Nome) VALUES ('%1', 'Cliente')"_s.arg(i)));
            store::keepBackup(db, QDate(2025, 3, 10));
        }
        {
            // The last page holds customers: the videos still read, the check fails.
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadWrite) && f.size() > 8 * 4096 && f.seek(f.size() - 4096));
            f.write(QByteArray(4096, 'Z'));
        }
        const QByteArray before = bytesOf(file);
        Startup startup(dir.path());
        int quits = 0;
        startup.setQuitFunction([&quits] { ++quits; });
        QVERIFY(startup.start());
        QTRY_VERIFY(startup.database());
        startup.splash()->finish();
        QTRY_COMPARE(MessageBox::shown().size(), 1);
        const QString warning = MessageBox::shown().first().text;
        MessageBox::clearShown();

        entry(*startup.menu(), "mnuVídeos")->trigger();
        QWidget* videos = startup.menu()->currentTask();
        QVERIFY(videos);
        child<QLineEdit>(videos, "txtCodigo")->setText(u"77"_s);
        child<QLineEdit>(videos, "txtVideo")->setText(u"Tubarão"_s);
        child<QLineEdit>(videos, "txtQTDE")->setText(u"2"_s);
        child<QComboBox>(videos, "cboGenero")->setEditText(u"Terror"_s);
        child<QLineEdit>(videos, "txtValor")->setText(u"R$ 2,00"_s);
        MessageBox::setNextAnswer(QMessageBox::Yes);
        child<QAbstractButton>(videos, "cmdSalvar")->click();
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY2(MessageBox::shown().first().text.contains(u"não grava mais nele"_s) &&
                     MessageBox::shown().first().text.contains(u"Nada foi gravado"_s),
                 qPrintable(MessageBox::shown().first().text));
        MessageBox::clearShown();
        videos->close();

        startup.menu()->endProgram();
        QCOMPARE(quits, 1);
        QCOMPARE(MessageBox::shown().size(), 0);
        QCOMPARE(store::backups(dir.path()).size(), 1);
        QCOMPARE(bytesOf(file), before);
        QVERIFY2(warning.contains(u"está danificado"_s) &&
                     warning.contains(u"só para consultas e relatórios"_s),
                 qPrintable(warning));
    }

    // Every window opened on a file that cannot be used says so once.
    void unusableFileIsReportedOncePerWindow_data()
    {
        QTest::addColumn<QString>("entryName");
        for (const char* name : TaskEntries)
            QTest::newRow(name) << u(name);
        for (const char* name : ReportEntries)
            QTest::newRow(name) << u(name);
    }

    void unusableFileIsReportedOncePerWindow()
    {
        QFETCH(QString, entryName);
        MenuFixture f;
        QFile file(f.db.filePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(8192, 'x'));
        file.close();
        registerTasks(f.menu);
        showAndFocus(&f.menu);
        f.menu.entry(entryName)->trigger();
        // A window that reads beside it (the late notes) says so when its
        // read ends.
        QTRY_COMPARE(MessageBox::shown().size(), 1);
        QVERIFY2(MessageBox::shown().first().text.contains(u"não é um arquivo deste programa"_s),
                 qPrintable(MessageBox::shown().first().text));
        if (QPointer<QWidget> task = f.menu.currentTask())
            CHECKED(closeTask(f.menu, task));
    }

    // ---- main window and menu -----------------------------------------

    void menuBarMatchesTable()
    {
        MenuFixture f;
        QCOMPARE(f.menu.windowTitle(), u("Fenwarda de Vídeo"));
        // One line a row: menu, its caption, entry, caption (separators have none), shortcut.
        const auto line = [](const QString& menu, const QString& menuCaption, const QString& entry,
                             const QString& caption, const QString& shortcut) {
            return QStringList{menu, menuCaption, entry, caption, shortcut}.join(u" | "_s);
        };
        QStringList expected;
        for (const MenuRow& r : MenuTable)
            expected.append(line(u(r.menu), u(r.menuCaption), u(r.entry),
                                 r.caption ? u(r.caption) : u"<separator>"_s, u(r.shortcut)));
        QStringList actual;
        for (QAction* barEntry : f.menu.menuBar()->actions()) {
            QMenu* menu = barEntry->menu();
            QVERIFY(menu);
            QVERIFY2(!menu->actions().isEmpty(), qPrintable(menu->objectName()));
            for (QAction* a : menu->actions()) {
                actual.append(line(menu->objectName(), menu->title(), a->objectName(),
                                   a->isSeparator() ? u"<separator>"_s : a->text(),
                                   a->shortcut().toString(QKeySequence::PortableText)));
                QVERIFY2(a->isVisible(), qPrintable(a->objectName()));
                QCOMPARE(f.menu.entry(a->objectName()), a);
            }
        }
        QCOMPARE(actual, expected);
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
                return titledWindow(name);
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
            CHECKED(closeTask(f.menu, task));
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
        CHECKED(closeTask(f.menu, task));
    }

    void menuDoesNotRespondWhileTaskOpen()
    {
        MenuFixture f;
        int built = 0;
        f.menu.setTaskFactory(u"mnuClientes"_s, [&built](store::Database&) {
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
        for (const char* name : {"mnuClientes", "mnuSobre", "mnuSair"})
            entry(f.menu, name)->trigger();
        QTest::keyClick(&f.menu, Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(built, 1);
        QCOMPARE(f.menu.currentTask(), task.data());
        QCOMPARE(f.quits, 0);
        QVERIFY(task->isVisible());

        CHECKED(closeTask(f.menu, task));
        showAndFocus(&f.menu);
        QTest::keyClick(&f.menu, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(built, 2);
        f.menu.currentTask()->close();
    }

    void storeErrorWhileBuildingWindowIsReported()
    {
        MenuFixture f;
        f.menu.setTaskFactory(u"mnuLocacao"_s, [](store::Database&) -> QWidget* {
            throw store::StoreError(store::StoreError::Kind::Damaged, u"Arquivo danificado."_s);
        });
        entry(f.menu, "mnuLocacao")->trigger();
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown().first().text, u"Arquivo danificado."_s);
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
        CHECKED(closeTask(f.menu, about));
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
            f.menu.setReportFactory(u(name), [name](store::Database&) { return titledWindow(name); });
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
        CHECKED(closeTask(f.menu, f.menu.currentTask()));
        QCOMPARE(f.menu.reportWindows().size(), 2);
    }

    void sairEndsProgramWithoutQuestions()
    {
        MenuFixture f;
        f.menu.setReportFactory(u"mnuRelVideos"_s, [](store::Database&) { return new QWidget; });
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

    void closingMainWindowEndsProgram_data()
    {
        QTest::addColumn<bool>("withTask");
        QTest::newRow("no task open") << false;
        QTest::newRow("task open") << true;
    }

    void closingMainWindowEndsProgram()
    {
        QFETCH(bool, withTask);
        MenuFixture f;
        f.menu.show();
        QPointer<QWidget> task = withTask ? new QWidget : nullptr;
        if (withTask) {
            f.menu.openTask(task);
            // While a task window is open the close request only brings it
            // forward: what it holds must not be thrown away.
            QVERIFY(!f.menu.close());
            QCOMPARE(f.quits, 0);
            QVERIFY(task && task->isVisible());
            QVERIFY(f.menu.isVisible());
            delete task.data();
        }
        QVERIFY(f.menu.close());
        QCOMPARE(f.quits, 1);
        QVERIFY(!f.menu.isVisible());
        QVERIFY(MessageBox::shown().isEmpty());
    }
};

int main(int argc, char** argv)
{
    // The other program of the file-lock check.
    if (argc == 3 && qstrcmp(argv[1], "--count-child") == 0) {
        QCoreApplication app(argc, argv);
        return countChildMain(QString::fromLocal8Bit(argv[2]));
    }
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    tst_shell test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_shell.moc"
