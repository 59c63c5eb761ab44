// The whole program under SIGKILL. A child process runs the program's own
// start-up and main menu and works through its windows (rents, undoes, saves,
// returns, registers customers and videos, ends the day with its backup),
// telling the parent after each finished step. It dies just before a write
// reaches the files, at a point chosen from a fixed seed: during the start-up,
// the day's work or the exit and its backup. The parent checks that nothing
// was lost, and checks again once the next copy of the program has started.

#include "TestSupport.h"
#include "app/Application.h"
#include "app/Startup.h"
#include "app/frmAbertura.h"
#include "app/frmMenu.h"
#include "counter/Search.h"
#include "platform/print/LinePrinter.h"
#include "platform/widgets/MessageBox.h"
#include "store/Backup.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <csignal>
#include <cstdio>
#include <random>
#include <sqlite3.h>

namespace {

constexpr int Videos = 12;
constexpr int Copies = 6;
// The sanitizer build runs fewer (FENWARDA_CRASH_KILLS): each child start
// there is several times slower, and memory errors show on the same paths.
int killCount()
{
    bool ok = false;
    const int n = qEnvironmentVariableIntValue("FENWARDA_CRASH_KILLS", &ok);
    return ok && n > 0 ? n : 200;
}
constexpr quint32 Seed = 20261208;

QString videoCode(int i)
{
    return QString::number(500 + i);
}

void report(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// ---- the child's death ------------------------------------------------

// Where the child is in a run of the program.
enum class Phase { Start, Work, Exit, None };

// SIGKILL just before the n-th write of the target phase reaches the files.
// Start and exit count in the first run of the program only, and the child
// dies at the end of that phase when it writes less; the work goes on from
// one run to the next until the n-th write.
struct KillSwitch
{
    static inline Phase target = Phase::None;
    static inline int writesLeft = 0;
    static inline Phase now = Phase::None;
    static inline bool firstRun = true;

    static bool counts() { return now == target && (firstRun || now == Phase::Work); }
    static void write()
    {
        if (counts() && --writesLeft == 0)
            ::raise(SIGKILL);
    }
    static void enter(Phase phase) { now = phase; }
    static void leave()
    {
        if (counts() && now != Phase::Work)
            ::raise(SIGKILL);
        if (now == Phase::Exit)
            firstRun = false;
        now = Phase::None;
    }
};

// An SQLite file system over the real one that tells the kill switch of
// every write, sync, truncation and deletion before passing it on. Every
// connection of the child, Qt's included, goes through it.
sqlite3_vfs* realVfs = nullptr;
sqlite3_vfs countingVfs;
sqlite3_io_methods countingMethods[3];

struct CountingFile
{
    sqlite3_file base;
    sqlite3_file* real;
};

sqlite3_file* realFile(sqlite3_file* file)
{
    return reinterpret_cast<CountingFile*>(file)->real;
}

template <auto Member, typename... Args> int pass(sqlite3_file* file, Args... args)
{
    sqlite3_file* real = realFile(file);
    return (real->pMethods->*Member)(real, args...);
}

template <auto Member, typename... Args> int passWrite(sqlite3_file* file, Args... args)
{
    KillSwitch::write();
    return pass<Member>(file, args...);
}

int countingOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags)
{
    auto* counting = reinterpret_cast<CountingFile*>(file);
    counting->real = reinterpret_cast<sqlite3_file*>(counting + 1);
    counting->base.pMethods = nullptr;
    const int rc = realVfs->xOpen(realVfs, name, counting->real, flags, outFlags);
    if (const sqlite3_io_methods* real = counting->real->pMethods)
        counting->base.pMethods = &countingMethods[std::clamp(real->iVersion, 1, 3) - 1];
    return rc;
}

int countingDelete(sqlite3_vfs*, const char* name, int syncDir)
{
    KillSwitch::write();
    return realVfs->xDelete(realVfs, name, syncDir);
}

void installCountingVfs()
{
    realVfs = sqlite3_vfs_find(nullptr);
    countingVfs = *realVfs;
    countingVfs.zName = "fenwarda-crash";
    countingVfs.szOsFile = int(sizeof(CountingFile)) + realVfs->szOsFile;
    countingVfs.xOpen = countingOpen;
    countingVfs.xDelete = countingDelete;
    using M = sqlite3_io_methods;
    for (int version = 1; version <= 3; ++version) {
        M& m = countingMethods[version - 1];
        m = M{};
        m.iVersion = version;
        m.xClose = [](sqlite3_file* f) { return pass<&M::xClose>(f); };
        m.xRead = [](sqlite3_file* f, void* b, int n, sqlite3_int64 o) {
            return pass<&M::xRead>(f, b, n, o);
        };
        m.xWrite = [](sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
            return passWrite<&M::xWrite>(f, b, n, o);
        };
        m.xTruncate = [](sqlite3_file* f, sqlite3_int64 size) { return passWrite<&M::xTruncate>(f, size); };
        m.xSync = [](sqlite3_file* f, int flags) { return passWrite<&M::xSync>(f, flags); };
        m.xFileSize = [](sqlite3_file* f, sqlite3_int64* size) { return pass<&M::xFileSize>(f, size); };
        m.xLock = [](sqlite3_file* f, int lock) { return pass<&M::xLock>(f, lock); };
        m.xUnlock = [](sqlite3_file* f, int lock) { return pass<&M::xUnlock>(f, lock); };
        m.xCheckReservedLock = [](sqlite3_file* f, int* out) { return pass<&M::xCheckReservedLock>(f, out); };
        m.xFileControl = [](sqlite3_file* f, int op, void* arg) {
            return pass<&M::xFileControl>(f, op, arg);
        };
        m.xSectorSize = [](sqlite3_file* f) { return pass<&M::xSectorSize>(f); };
        m.xDeviceCharacteristics = [](sqlite3_file* f) { return pass<&M::xDeviceCharacteristics>(f); };
        if (version >= 2) {
            m.xShmMap = [](sqlite3_file* f, int page, int size, int extend, void volatile** out) {
                return pass<&M::xShmMap>(f, page, size, extend, out);
            };
            m.xShmLock = [](sqlite3_file* f, int offset, int n, int flags) {
                return pass<&M::xShmLock>(f, offset, n, flags);
            };
            m.xShmBarrier = [](sqlite3_file* f) {
                sqlite3_file* real = realFile(f);
                real->pMethods->xShmBarrier(real);
            };
            m.xShmUnmap = [](sqlite3_file* f, int deleteFlag) { return pass<&M::xShmUnmap>(f, deleteFlag); };
        }
        if (version >= 3) {
            m.xFetch = [](sqlite3_file* f, sqlite3_int64 o, int n, void** out) {
                return pass<&M::xFetch>(f, o, n, out);
            };
            m.xUnfetch = [](sqlite3_file* f, sqlite3_int64 o, void* p) {
                return pass<&M::xUnfetch>(f, o, p);
            };
        }
    }
    sqlite3_vfs_register(&countingVfs, 1);
}

// ---- the child --------------------------------------------------------

[[noreturn]] void childFails(const QString& why)
{
    std::fprintf(stderr, "child: %s\n", qPrintable(why));
    std::fflush(stderr);
    std::_Exit(3);
}

// A warning is a store or printer failure: the child stops and says so.
void noWarnings(const char* when)
{
    for (const MessageBox::Shown& box : MessageBox::shown())
        if (box.icon != QMessageBox::Information && box.icon != QMessageBox::Question)
            childFails(QStringLiteral("%1: %2: %3").arg(QLatin1String(when), box.title, box.text));
}

bool asked(const QString& question)
{
    for (const MessageBox::Shown& box : MessageBox::shown())
        if (box.text == question)
            return true;
    return false;
}

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Occupied code slots per note, straight from the file.
QHash<QString, int> openSlots(store::Database& db)
{
    QHash<QString, int> out;
    QSqlQuery q(db.connection());
    QString sql = QStringLiteral("SELECT Codigo");
    for (int k = 0; k < 16; ++k)
        sql += QStringLiteral(", \"Codigo(%1)\"").arg(k);
    q.exec(sql + QStringLiteral(" FROM tblLocacao"));
    while (q.next()) {
        int n = 0;
        for (int k = 1; k <= 16; ++k)
            n += q.value(k).toString().isEmpty() ? 0 : 1;
        out.insert(q.value(0).toString(), n);
    }
    return out;
}

class Child
{
public:
    Child(const QString& folder, quint32 seed) : m_folder(folder), m_random(seed) {}

    [[noreturn]] void run()
    {
        for (int run = 0; run < 50; ++run)
            runProgram();
        childFails(QStringLiteral("never reached its kill"));
    }

private:
    int pick(int n) { return int(m_random() % quint32(std::max(n, 1))); }

    // One run of the program, as main() makes it.
    void runProgram()
    {
        MessageBox::clearShown();
        KillSwitch::enter(Phase::Start);
        auto startup = std::make_unique<Startup>(m_folder);
        int quits = 0;
        startup->setQuitFunction([&quits] { ++quits; });
        if (!startup->start())
            childFails(QStringLiteral("start refused: ") + MessageBox::shown().value(0).text);
        // A key on the splash: the main window at once.
        QTest::keyClick(startup->splash(), Qt::Key_Space);
        settle();
        KillSwitch::leave();
        if (!startup->menu() || !startup->menu()->isVisible())
            childFails(QStringLiteral("no main window"));
        if (!MessageBox::shown().isEmpty())
            childFails(QStringLiteral("the start said: ") + MessageBox::shown().first().text);
        report(QStringLiteral("started"));
        // The parent looks at the file as the start left it, then says go
        // (or kills the child).
        char answer[16] = {};
        if (!std::fgets(answer, sizeof answer, stdin) || qstrcmp(answer, "go\n") != 0)
            childFails(QStringLiteral("no word from the parent"));

        KillSwitch::enter(Phase::Work);
        frmMenu& menu = *startup->menu();
        m_db = startup->database();
        const int steps = 5 + pick(35);
        for (int step = 0; step < steps; ++step) {
            MessageBox::clearShown();
            this->step(menu);
            settle();
            noWarnings("work");
        }
        if (QWidget* task = menu.currentTask()) {
            task->close();
            settle();
        }
        KillSwitch::leave();

        KillSwitch::enter(Phase::Exit);
        MessageBox::clearShown();
        // Either way out of the program runs the day's backup.
        if (pick(2))
            menu.entry(QStringLiteral("mnuSair"))->trigger();
        else
            menu.close();
        noWarnings("exit");
        if (quits != 1)
            childFails(QStringLiteral("the program did not end"));
        m_db = nullptr;
        startup.reset();
        KillSwitch::leave();
        report(QStringLiteral("ended"));
    }

    void openTask(frmMenu& menu)
    {
        static const char* const entries[] = {"mnuLocacao",   "mnuLocacao",   "mnuLocacao",  "mnuLocacao",
                                              "mnuDevolucao", "mnuDevolucao", "mnuClientes", "mnuVídeos"};
        const char* name = entries[pick(int(std::size(entries)))];
        menu.entry(QString::fromUtf8(name))->trigger();
        QWidget* task = menu.currentTask();
        if (!task)
            childFails(QStringLiteral("no window from ") + QString::fromUtf8(name));
        showAndFocus(task);
        report(QStringLiteral("open ") + task->objectName());
    }

    void step(frmMenu& menu)
    {
        QWidget* form = menu.currentTask();
        if (!form || pick(12) == 0) {
            if (form) {
                form->close();
                settle();
            }
            openTask(menu);
            return;
        }
        const QString kind = form->objectName();
        if (kind == QLatin1String("frmLocacao"))
            rent(form);
        else if (kind == QLatin1String("frmDevolucao"))
            giveBack(form);
        else if (kind == QLatin1String("frmClientes"))
            registerCustomer(form);
        else
            registerVideo(form);
    }

    void rent(QWidget* form)
    {
        auto* names = child<QComboBox>(form, "cboClientes");
        // A note is for someone: the name comes first, mostly.
        const int op = names->currentText().isEmpty() && pick(4) ? 0 : pick(10);
        if (op < 1) {
            enterText(names, names->itemText(pick(names->count())));
            report(QStringLiteral("name"));
        } else if (op < 6) {
            auto* codes = child<QComboBox>(form, "cbo1");
            enterText(codes, codes->itemText(pick(codes->count())));
            report(QStringLiteral("entered"));
        } else if (op < 7) {
            if (auto* undo = child<QPushButton>(form, "cmdDesfazer"); undo->isEnabled())
                undo->click();
            report(QStringLiteral("undo"));
        } else {
            const QString number = child<QLineEdit>(form, "txtCodigo")->text();
            MessageBox::setNextAnswer(pick(2) ? QMessageBox::Yes : QMessageBox::No);
            child<QPushButton>(form, "cmdSalvar")->click();
            if (child<QLineEdit>(form, "txtCodigo")->text() != number) // stored
                report(QStringLiteral("saved %1 %2").arg(number).arg(openSlots(*m_db).value(number)));
            else
                report(QStringLiteral("not saved"));
        }
    }

    void giveBack(QWidget* form)
    {
        auto* notes = child<QComboBox>(form, "cboCodigo");
        if (notes->count() == 0) {
            form->close();
            report(QStringLiteral("nothing to return"));
            return;
        }
        const QString note = notes->itemText(pick(notes->count()));
        enterText(notes, note);
        auto* videos = child<QComboBox>(form, "cboCodigoVideo");
        enterText(videos, videos->itemText(pick(videos->count())));
        child<QPushButton>(form, "cmdOk")->click();
        report(QStringLiteral("returned %1 %2").arg(note).arg(openSlots(*m_db).value(note)));
    }

    // A key already on file shows that record and offers Novo.
    bool keyTaken(QWidget* form, const char* what)
    {
        if (!asked(QString::fromUtf8(what)))
            return false;
        if (auto* novo = child<QPushButton>(form, "cmdNovo"); novo->isVisible())
            novo->click();
        report(QStringLiteral("key taken"));
        return true;
    }

    void registerCustomer(QWidget* form)
    {
        const QString code = QString::number(1000 + pick(900000));
        enterText(child<QLineEdit>(form, "txtCodigo"), code);
        if (keyTaken(form, "Cliente já Cadastrado"))
            return;
        enterText(child<QLineEdit>(form, "mskCPF"),
                  QStringLiteral("%1").arg(pick(1000000000), 11, 10, QLatin1Char('0')));
        if (keyTaken(form, "Cliente já Cadastrado"))
            return;
        enterText(child<QLineEdit>(form, "txtRG"), QString::number(100000 + pick(900000)));
        enterText(child<QLineEdit>(form, "txtNome"), QStringLiteral("cliente ") + code);
        enterText(child<QLineEdit>(form, "txtEndereco"), QStringLiteral("rua das flores, ") + code);
        save(form, QStringLiteral("Quer cadastrar outro Cliente?"), QStringLiteral("customer ") + code);
    }

    void registerVideo(QWidget* form)
    {
        const QString code = QString::number(1000 + pick(900000));
        const int copies = 1 + pick(4);
        enterText(child<QLineEdit>(form, "txtCodigo"), code);
        if (keyTaken(form, "Vídeo já Cadastrado"))
            return;
        enterText(child<QLineEdit>(form, "txtVideo"), QStringLiteral("filme ") + code);
        enterText(child<QComboBox>(form, "cboGenero"), QStringLiteral("Drama"));
        enterText(child<QLineEdit>(form, "txtLocal"), QStringLiteral("Estante C"));
        enterText(child<QLineEdit>(form, "txtQTDE"), QString::number(copies));
        child<QRadioButton>(form, "opt48")->click();
        enterText(child<QLineEdit>(form, "txtValor"), QStringLiteral("2,50"));
        save(form, QStringLiteral("Quer cadastrar outro Vídeo?"),
             QStringLiteral("video %1 %2").arg(code).arg(copies));
    }

    // Salvar, then Sim (the window stays for another) or, mostly, Não (it
    // closes).
    void save(QWidget* form, const QString& another, const QString& done)
    {
        MessageBox::setNextAnswer(pick(3) == 0 ? QMessageBox::Yes : QMessageBox::No);
        child<QPushButton>(form, "cmdSalvar")->click();
        report(asked(another) ? done : QStringLiteral("not saved"));
    }

    QString m_folder;
    std::mt19937 m_random;
    store::Database* m_db = nullptr;
};

// The offscreen window system's complaints about raising and sizing
// windows, for every child, would bury what matters.
QtMessageHandler standardHandler = nullptr;

void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (text.startsWith(QLatin1String("This plugin does not support")))
        return;
    if (standardHandler)
        standardHandler(type, context, text);
}

int childMain(const QStringList& args)
{
    standardHandler = qInstallMessageHandler(quietHandler);
    installCountingVfs();
    KillSwitch::target = Phase(args.at(3).toInt());
    KillSwitch::writesLeft = args.at(4).toInt();
    MessageBox::setTestMode(true);
    platform::setLinePrinterFactory([](QString*) { return std::make_unique<RecordingLinePrinter>(); });
    Startup::configure(*qApp);
    Child(args.at(1), args.at(2).toUInt()).run();
}

// ---- the parent's view of the file ------------------------------------

QStringList column(store::Database& db, const QString& sql)
{
    QSqlQuery q(db.connection());
    QStringList out;
    if (!q.exec(sql))
        qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    while (q.next())
        out.append(q.value(0).toString());
    return out;
}

// Where every copy of each video is.
struct Stock
{
    QHash<QString, int> shelf;     // QTDE
    QHash<QString, int> onNotes;   // in the slots of saved notes
    QHash<QString, int> composing; // taken for the note being composed
};

Stock stockOf(store::Database& db)
{
    Stock s;
    QSqlQuery q(db.connection());
    q.exec(QStringLiteral("SELECT Codigo, QTDE FROM tblVideos"));
    while (q.next())
        s.shelf.insert(q.value(0).toString(), q.value(1).toInt());
    QString slotCodes = QStringLiteral("SELECT \"Codigo(0)\" FROM tblLocacao");
    for (int k = 1; k < 16; ++k)
        slotCodes += QStringLiteral(" UNION ALL SELECT \"Codigo(%1)\" FROM tblLocacao").arg(k);
    for (const QString& code : column(db, slotCodes))
        if (!code.isEmpty())
            ++s.onNotes[code];
    for (const QString& code : column(db, QStringLiteral("SELECT Codigo FROM PendingCopies")))
        ++s.composing[code];
    return s;
}

// The videos still out, as "note/slot/video": from the notes' slots, and
// from the history's videos not yet returned. Every save and every return
// writes its history with it, so the two agree after any kill.
QStringList outOnNotes(store::Database& db)
{
    QString sql =
        QStringLiteral("SELECT Codigo || '/0/' || \"Codigo(0)\" FROM tblLocacao WHERE \"Codigo(0)\" <> ''");
    for (int k = 1; k < 16; ++k)
        sql += QStringLiteral(" UNION ALL SELECT Codigo || '/%1/' || \"Codigo(%1)\" FROM tblLocacao WHERE "
                              "\"Codigo(%1)\" <> ''")
                   .arg(k);
    QStringList out = column(db, sql);
    out.sort();
    return out;
}
QStringList outInHistory(store::Database& db)
{
    QStringList out = column(db, QStringLiteral("SELECT h.Codigo || '/' || v.Slot || '/' || v.Codigo FROM "
                                                "RentedVideos v JOIN NoteHistory h ON h.Id = v.Note WHERE "
                                                "v.ReturnedAt IS NULL"));
    out.sort();
    return out;
}

} // namespace

class TestCrash : public QObject
{
    Q_OBJECT

    // What the child said it had done, and what the file held after the
    // last check.
    QHash<QString, int> m_notes; // open videos per saved note
    QSet<QString> m_customers;
    QHash<QString, int> m_owned; // copies owned per video
    QHash<QString, QByteArray> m_oldBackups;
    QString m_folder;
    QTemporaryDir m_runtime; // the children's XDG_RUNTIME_DIR
    // Figures for the log.
    int m_lines = 0, m_saves = 0, m_returns = 0, m_newCustomers = 0, m_newVideos = 0, m_starts = 0;
    int m_leftovers = 0;     // kills that left copies taken for a note never saved
    bool m_leftOver = false; // the last kill did

    void absorb(const QString& line)
    {
        ++m_lines;
        const QStringList words = line.split(QLatin1Char(' '));
        if (words.size() == 3 &&
            (words[0] == QLatin1String("saved") || words[0] == QLatin1String("returned"))) {
            // A note settled by its last return is gone from the file.
            if (const int open = words[2].toInt(); open > 0)
                m_notes.insert(words[1], open);
            else
                m_notes.remove(words[1]);
            ++(words[0] == QLatin1String("saved") ? m_saves : m_returns);
        } else if (words.size() == 2 && words[0] == QLatin1String("customer")) {
            m_customers.insert(words[1]);
            ++m_newCustomers;
        } else if (words.size() == 3 && words[0] == QLatin1String("video")) {
            m_owned.insert(words[1], words[2].toInt());
            ++m_newVideos;
        }
    }

    // The file right after the kill, before any start: whole, every copy
    // somewhere, every step reported done in it, and at most the one step
    // cut short by the kill in it unreported.
    void checkAfterKill()
    {
        store::Database db(m_folder);
        QCOMPARE(column(db, QStringLiteral("PRAGMA integrity_check")), QStringList{QStringLiteral("ok")});
        // The search indexes hold the rows the tables hold, no more, no less.
        QVERIFY(counter::Search::indexesMatchTables(db));
        int unreported = 0;

        const Stock stock = stockOf(db);
        m_leftOver = !stock.composing.isEmpty();
        m_leftovers += m_leftOver ? 1 : 0;
        for (auto it = stock.shelf.cbegin(); it != stock.shelf.cend(); ++it) {
            const int out = stock.onNotes.value(it.key()) + stock.composing.value(it.key());
            if (!m_owned.contains(it.key())) {
                // A video stored by the step cut short: none of it is out yet.
                QVERIFY2(out == 0, qPrintable(it.key()));
                m_owned.insert(it.key(), it.value());
                ++unreported;
            }
            QVERIFY2(it.value() + out == m_owned.value(it.key()),
                     qPrintable(QStringLiteral("video %1: %2 on the shelf, %3 out, %4 owned")
                                    .arg(it.key())
                                    .arg(it.value())
                                    .arg(out)
                                    .arg(m_owned.value(it.key()))));
        }
        for (auto it = m_owned.cbegin(); it != m_owned.cend(); ++it)
            QVERIFY2(stock.shelf.contains(it.key()), qPrintable("video " + it.key() + " lost"));

        QCOMPARE(outInHistory(db), outOnNotes(db));

        const QHash<QString, int> open = openSlots(db);
        for (auto it = open.cbegin(); it != open.cend(); ++it) {
            QVERIFY2(it.value() > 0, qPrintable("note " + it.key() + " left with no video"));
            if (!m_notes.contains(it.key()))
                ++unreported; // a save cut short after its commit
            else if (it.value() == m_notes[it.key()] - 1)
                ++unreported; // a return cut short after its commit
            else
                QVERIFY2(it.value() == m_notes[it.key()], qPrintable("note " + it.key()));
        }
        for (auto it = m_notes.cbegin(); it != m_notes.cend(); ++it) {
            if (!open.contains(it.key())) {
                // Only the return of a note's last video takes the note away.
                QVERIFY2(it.value() == 1, qPrintable("note " + it.key() + " lost"));
                ++unreported;
            }
        }
        QCOMPARE(column(db, QStringLiteral("SELECT COUNT(*) FROM tblLocacao WHERE Codigo NOT IN "
                                           "(SELECT Codigo FROM Number)")),
                 QStringList{QStringLiteral("0")});

        const QStringList customers = column(db, QStringLiteral("SELECT Codigo FROM tblClientes"));
        for (const QString& code : std::as_const(m_customers))
            QVERIFY2(customers.contains(code), qPrintable("customer " + code + " lost"));
        for (const QString& code : customers)
            if (!m_customers.contains(code))
                ++unreported;
        QVERIFY2(unreported <= 1, qPrintable(QStringLiteral("%1 changes nobody reported").arg(unreported)));

        // The backups of earlier days are as they were, and every backup
        // there is is whole: a kill in the exit backup costs at most the
        // copy being made.
        for (auto it = m_oldBackups.cbegin(); it != m_oldBackups.cend(); ++it)
            QVERIFY2(bytesOf(it.key()) == it.value(), qPrintable(it.key()));
        for (const QString& path : store::backups(m_folder))
            QVERIFY2(store::isGoodCopy(path), qPrintable(path));

        // The file is now the truth the next round starts from.
        m_notes = open;
        m_customers = QSet<QString>(customers.cbegin(), customers.cend());
    }

    // The file as the program's start left it, the child waiting: every
    // copy taken for a note never saved is back on the shelf.
    void checkAfterStart()
    {
        ++m_starts;
        store::Database db(m_folder);
        const Stock stock = stockOf(db);
        QVERIFY2(stock.composing.isEmpty(),
                 qPrintable(QStringLiteral("%1 videos still taken for a note never saved after the start")
                                .arg(stock.composing.size())));
        QCOMPARE(stock.shelf.size(), m_owned.size());
        for (auto it = stock.shelf.cbegin(); it != stock.shelf.cend(); ++it)
            QVERIFY2(it.value() + stock.onNotes.value(it.key()) == m_owned.value(it.key()),
                     qPrintable(QStringLiteral("video %1: %2 on the shelf, %3 on notes, %4 owned")
                                    .arg(it.key())
                                    .arg(it.value())
                                    .arg(stock.onNotes.value(it.key()))
                                    .arg(m_owned.value(it.key()))));
        QCOMPARE(openSlots(db), m_notes);
    }

    // Runs one child to its end, checking after each of its starts. Returns
    // how it ended.
    QProcess::ExitStatus runChild(Phase phase, int writes, quint32 seed, int* code)
    {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {"--child", m_folder, QString::number(seed), QString::number(int(phase)),
                     QString::number(writes)});
        if (!child.waitForStarted()) {
            QTest::qFail("child did not start", __FILE__, __LINE__);
            return QProcess::CrashExit;
        }
        // Every line the child wrote before it died is read, those still in
        // the pipe at its death included.
        for (;;) {
            while (child.canReadLine()) {
                const QString line = QString::fromUtf8(child.readLine()).trimmed();
                absorb(line);
                if (line != QLatin1String("started"))
                    continue;
                checkAfterStart();
                if (QTest::currentTestFailed() || phase == Phase::None) {
                    child.kill();
                    continue;
                }
                child.write("go\n");
                child.waitForBytesWritten();
            }
            if (child.state() == QProcess::NotRunning)
                break;
            // Silence this long means a child stuck, not a slow machine.
            if (!child.waitForReadyRead(300000) && child.state() == QProcess::Running) {
                child.kill();
                child.waitForFinished();
                QTest::qFail("child silent", __FILE__, __LINE__);
                return QProcess::CrashExit;
            }
        }
        *code = child.exitCode();
        return child.exitStatus();
    }

private slots:
    void nothingIsLostWhateverTheMomentOfTheKill()
    {
        QElapsedTimer clock;
        clock.start();
        Shop shop;
        m_folder = shop.folder();
        shop.exec(
            "INSERT INTO tblClientes (Codigo, Nome, Dependente1) VALUES ('1', 'Maria Silva', 'Ana Silva')");
        shop.exec("INSERT INTO tblClientes (Codigo, Nome) VALUES ('2', 'João Souza')");
        m_customers = {"1", "2"};
        for (int i = 0; i < Videos; ++i) {
            shop.exec("INSERT INTO tblVideos (Codigo, Nome, QTDE, Valor, Tipo) VALUES (?, ?, ?, '2,50', '48 "
                      "Horas')",
                      {videoCode(i), QStringLiteral("Filme %1").arg(i), Copies});
            m_owned.insert(videoCode(i), Copies);
        }
        // The backups of three earlier days, which no exit may spoil.
        for (int day = 1; day <= 3; ++day) {
            const QString path = store::keepBackup(shop.db(), QDate::currentDate().addDays(-day));
            m_oldBackups.insert(path, bytesOf(path));
        }
        shop.db().close();

        std::mt19937 random(Seed);
        QHash<Phase, int> kills;
        int cutShort = 0;
        const int Kills = killCount();
        for (int round = 0; round < Kills; ++round) {
            // A quarter of the kills in the start, a quarter in the exit; the
            // start more often when it has copies to give back.
            const int p = int(random() % 4);
            const Phase phase = p == 0 || (p == 1 && m_leftOver) ? Phase::Start
                                : p == 1                         ? Phase::Exit
                                                                 : Phase::Work;
            const int writes = 1 + int(random() % (phase == Phase::Work    ? 150
                                                   : phase == Phase::Start ? 12
                                                                           : 60));
            int code = 0;
            const QProcess::ExitStatus status = runChild(phase, writes, random(), &code);
            if (QTest::currentTestFailed())
                return;
            QVERIFY2(status == QProcess::CrashExit && code == SIGKILL,
                     qPrintable(
                         QStringLiteral("round %1: child ended by itself, status %2").arg(round).arg(code)));
            ++kills[phase];
            const bool toGiveBack = m_leftOver;
            checkAfterKill();
            // The start killed while it gave the copies back: they still are
            // out, to be given back by the next start.
            if (phase == Phase::Start && toGiveBack && m_leftOver)
                ++cutShort;
            if (QTest::currentTestFailed())
                return;
        }
        // The start after the last kill, checked, then ended by a kill too.
        int code = 0;
        const QProcess::ExitStatus status = runChild(Phase::None, 0, 0, &code);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(status == QProcess::CrashExit && code == SIGKILL);

        qInfo("%d kills (%d in the start, %d of them while it gave copies back; %d in the work; %d in the "
              "exit), %d leaving copies taken for a note never saved; %d starts checked; %d steps reported: "
              "%d saves, %d returns, %d customers, %d videos; %lld s",
              Kills, kills[Phase::Start], cutShort, kills[Phase::Work], kills[Phase::Exit], m_leftovers,
              m_starts, m_lines, m_saves, m_returns, m_newCustomers, m_newVideos, clock.elapsed() / 1000);
        QVERIFY(m_saves > 0 && m_returns > 0 && m_newCustomers > 0 && m_newVideos > 0 && m_leftovers > 0);
    }
};

int main(int argc, char** argv)
{
    Application app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 6 && args.at(1) == QLatin1String("--child"))
        return childMain(args.mid(1));
    TestCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crash.moc"
