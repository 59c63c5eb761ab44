#include "ServerShop.h"
#include "counter/CustomerRecords.h"
#include "counter/RentalDraft.h"
#include "counter/ReturnDesk.h"
#include "store/Database.h"
#include "store/PendingNote.h"
#include "store/Schema.h"
#include "store/ServerAddress.h"
#include "store/ServerLink.h"
#include "store/StoreError.h"
#include "views/PickList.h"

#include <QMutex>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSqlRecord>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <latch>
#include <memory>

using counter::RentalDraft;
using store::Database;
using store::PendingNote;
using store::StoreError;
using Kind = store::StoreError::Kind;

namespace {

const QString ChildMode = QStringLiteral("--estacao-que-cai");
const QString Date = QStringLiteral("08/12/2026");

// A counter in a process of its own: takes V1 and V2 for its note, says
// its name and its session, and waits to be killed.
int counterThatCrashes(const QString& address)
{
    Database db(address);
    PendingNote note(db);
    note.takeCopy(1, QStringLiteral("V1"));
    note.takeCopy(2, QStringLiteral("V2"));
    QSqlQuery q(db.connection());
    if (!q.exec(QStringLiteral("SELECT pg_backend_pid()")) || !q.next())
        return 1;
    std::printf("%s\n%lld\n", qPrintable(db.counterName()), q.value(0).toLongLong());
    std::fflush(stdout);
    std::getchar();
    return 0;
}

// Runs body(i) for each i < n on a thread of its own, all let go at once;
// the store's failures they met.
QStringList together(int n, const std::function<void(int)>& body)
{
    std::latch start(n);
    QMutex mutex;
    QStringList failures;
    std::vector<std::unique_ptr<QThread>> threads;
    for (int i = 0; i < n; ++i) {
        threads.emplace_back(QThread::create([&, i] {
            start.arrive_and_wait();
            try {
                body(i);
            } catch (const StoreError& e) {
                const QMutexLocker lock(&mutex);
                failures.append(e.message());
            }
        }));
        threads.back()->start();
    }
    for (const auto& t : threads)
        t->wait();
    return failures;
}

} // namespace

// Several counters on one shop of the test server: each store::Database is
// a session of its own, as another workstation's would be.
class TestServer : public QObject
{
    Q_OBJECT

    QString m_address;

    QSqlDatabase raw()
    {
        const QString name = QStringLiteral("outside");
        if (QSqlDatabase::contains(name))
            return QSqlDatabase::database(name);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        store::configureServer(db, m_address);
        if (!db.open())
            qFatal("outside connection: %s", qPrintable(db.lastError().text()));
        return db;
    }
    // Plain SQL from outside the program, on its own session.
    QSqlQuery exec(const QString& sql, const QVariantList& values = {}) { return runSql(raw(), sql, values); }
    QStringList column(const QString& sql)
    {
        QSqlQuery q = exec(sql);
        QStringList out;
        while (q.next()) {
            QStringList cells;
            for (int i = 0; i < q.record().count(); ++i)
                cells.append(q.value(i).toString());
            out.append(cells.join(u'|'));
        }
        return out;
    }
    QVariant scalar(const QString& sql, const QVariantList& values = {})
    {
        QSqlQuery q = exec(sql, values);
        return q.next() ? q.value(0) : QVariant();
    }
    int qtde(const QString& code)
    {
        return scalar("SELECT \"QTDE\" FROM \"tblVideos\" WHERE \"Codigo\" = ?", {code}).toInt();
    }
    int rows(const QString& table) { return scalar("SELECT count(*) FROM " + table).toInt(); }
    // The copies recorded for notes being composed, by counter and slot.
    QStringList pending()
    {
        return sorted(column("SELECT \"Estacao\", \"Slot\", \"Codigo\" FROM \"PendingCopies\""));
    }
    static QStringList sorted(QStringList list)
    {
        std::sort(list.begin(), list.end());
        return list;
    }
    // Every table and column of the database.
    QStringList shape()
    {
        return column("SELECT table_name, column_name FROM information_schema.columns "
                      "WHERE table_schema = current_schema() ORDER BY 1, 2");
    }
    bool sessionAlive(qint64 pid)
    {
        return scalar("SELECT count(*) FROM pg_stat_activity WHERE pid = ?", {pid}).toInt() > 0;
    }
    qint64 sessionOf(Database& db)
    {
        QSqlQuery q(db.connection());
        return q.exec("SELECT pg_backend_pid()") && q.next() ? q.value(0).toLongLong() : -1;
    }

    // Ends the counter's session from outside, as a server restarting would.
    void cutOff(Database& db)
    {
        const qint64 session = sessionOf(db);
        QVERIFY(scalar("SELECT pg_terminate_backend(?)", {session}).toBool());
        QTRY_VERIFY(!sessionAlive(session));
        // The window's event loop runs on meanwhile: the link reads the end
        // (its notices are taken now, so that it surely has).
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
        db.takeNotices();
    }
    void allowConnections(bool allow)
    {
        serverShopDetail::run(serverShopDetail::maintenanceDatabase(),
                              {QStringLiteral("ALTER DATABASE %1 ALLOW_CONNECTIONS %2")
                                   .arg(serverShopDetail::databaseName(), allow ? "true" : "false")});
    }
    // Whether call failed for want of the server, as the operator is told.
    static bool unavailable(const std::function<void()>& call)
    {
        try {
            call();
        } catch (const StoreError& e) {
            return e.kind() == Kind::Unavailable && e.message().contains("servidor de dados");
        }
        return false;
    }

    // A new shop, its tables made by a first counter, with the videos given.
    void newShop(const QList<QPair<QString, int>>& videos = {})
    {
        QSqlDatabase::removeDatabase(QStringLiteral("outside"));
        m_address = freshServerShop();
        Database(m_address).open();
        for (const auto& [code, copies] : videos)
            exec("INSERT INTO \"tblVideos\" (\"Codigo\", \"Nome\", \"QTDE\", \"Valor\", \"Tipo\") "
                 "VALUES (?, ?, ?, '2,00', 'Drama')",
                 {code, "Filme " + code, copies});
        exec("INSERT INTO \"tblClientes\" (\"Codigo\", \"Nome\") VALUES ('1', 'Ana')");
    }
    // A note as the rental window stores it: the number shown when it was
    // begun, the renter confirmed, the videos entered, the save checked.
    QString rent(RentalDraft& draft, const QString& shown, const QStringList& codes)
    {
        if (!draft.confirmRenter("Ana"))
            return "no renter";
        for (const QString& code : codes)
            if (draft.enter(code).outcome != RentalDraft::Entry::Entered)
                return "not entered: " + code;
        if (draft.checkSave("") != RentalDraft::SaveCheck::Ready)
            return "not ready";
        return draft.save(Date, shown, "Ana", "");
    }
    // The numbers of the notes, issued ones and stored ones, are 100 on
    // without a gap or a double.
    void numbersHold(QStringList issued)
    {
        std::sort(issued.begin(), issued.end());
        QStringList expected;
        for (int i = 0; i < issued.size(); ++i)
            expected.append(QString::number(RentalDraft::FirstNumber + i));
        QCOMPARE(issued, expected);
        QCOMPARE(column("SELECT \"Codigo\" FROM \"tblLocacao\" ORDER BY 1"), expected);
        QCOMPARE(column("SELECT \"Codigo\" FROM \"Number\" ORDER BY 1"), expected);
        QCOMPARE(column("SELECT codigo FROM notehistory ORDER BY 1"), expected);
    }

private slots:
    void initTestCase()
    {
        if (!serverTestsWanted())
            QSKIP("several counters need the test server: this file runs as tst_server_servidor");
    }
    // A session the server ended leaves no socket watched.
    void init() { QTest::failOnWarning(QRegularExpression("QSocketNotifier")); }
    void cleanup()
    {
        if (QTest::currentTestFailed())
            allowConnections(true);
        QSqlDatabase::removeDatabase(QStringLiteral("outside"));
    }

    void aNumberShownIsTakenByTheFirstToSave()
    {
        newShop({{"V1", 50}});
        Database a(m_address), b(m_address);
        RentalDraft atA(a), atB(b);
        const QString shownA = atA.nextNumber();
        QCOMPARE(rent(atB, atB.nextNumber(), {"V1"}), QStringLiteral("100"));
        // A's note still shows 100: it gets the next.
        QCOMPARE(rent(atA, shownA, {"V1"}), QStringLiteral("101"));
        // Three counters, each beginning its note before the others save.
        Database c(m_address);
        RentalDraft atC(c);
        QStringList issued{"100", "101"};
        for (int round = 0; round < 5; ++round) {
            const QStringList shown{atA.nextNumber(), atB.nextNumber(), atC.nextNumber()};
            issued.append(rent(atC, shown[2], {"V1"}));
            issued.append(rent(atA, shown[0], {"V1", "V1"}));
            issued.append(rent(atB, shown[1], {"V1"}));
        }
        numbersHold(issued);
        QCOMPARE(qtde("V1"), 50 - 2 - 5 * 4);
        QCOMPARE(pending(), QStringList());
    }

    void countersSavingAtOnce()
    {
        newShop({{"V1", 10}});
        constexpr int Counters = 3, Notes = 15;
        QMutex mutex;
        QStringList issued;
        const QStringList failures = together(Counters, [&](int) {
            Database db(m_address);
            RentalDraft draft(db);
            for (int i = 0; i < Notes; ++i) {
                const QString number = rent(draft, draft.nextNumber(), {"V1"});
                const QMutexLocker lock(&mutex);
                issued.append(number);
            }
        });
        QCOMPARE(failures, QStringList());
        numbersHold(issued);
        QCOMPARE(qtde("V1"), 10 - Counters * Notes);
        QCOMPARE(pending(), QStringList());
    }

    void twoCountersRentTheLastCopy()
    {
        newShop({{"V1", 1}});
        Database a(m_address), b(m_address);
        RentalDraft atA(a), atB(b);
        QCOMPARE(atA.enter("V1").outcome, RentalDraft::Entry::Entered);
        QCOMPARE(atB.enter("V1").outcome, RentalDraft::Entry::Entered);
        QCOMPARE(qtde("V1"), -1);
        QCOMPARE(rent(atA, atA.nextNumber(), {}), QStringLiteral("100"));
        QCOMPARE(rent(atB, atB.nextNumber(), {}), QStringLiteral("101"));
        QCOMPARE(qtde("V1"), -1);
        // A return at B, a rental at A, of the same video.
        counter::ReturnDesk desk(b);
        QVERIFY(desk.book("100", "V1", Date));
        QCOMPARE(rent(atA, atA.nextNumber(), {"V1"}), QStringLiteral("102"));
        QCOMPARE(qtde("V1"), -1);
        QCOMPARE(pending(), QStringList());
    }

    // Counters renting and giving back, and return desks booking the same
    // note's copies, all at once: the shelf count is what the moves add up
    // to, and no copy comes back twice.
    void theShelfCountUnderManyHands()
    {
        newShop({{"V1", 0}});
        QStringList codes;
        for (int k = 0; k < RentalDraft::Slots; ++k)
            codes.append("V1");
        {
            Database db(m_address);
            RentalDraft draft(db);
            QCOMPARE(rent(draft, draft.nextNumber(), codes), QStringLiteral("100"));
        }
        QCOMPARE(qtde("V1"), -RentalDraft::Slots);
        constexpr int Renters = 2, Desks = 2, Moves = 40;
        std::atomic<int> booked{0};
        const QStringList failures = together(Renters + Desks, [&](int i) {
            Database db(m_address);
            if (i < Renters) {
                PendingNote note(db);
                for (int m = 0; m < Moves; ++m) {
                    note.takeCopy(1, "V1");
                    note.takeCopy(2, "V1");
                    note.giveBack(1, "V1");
                    note.giveBack(2, "V1");
                }
                note.takeCopy(1, "V1");
                return;
            }
            counter::ReturnDesk desk(db);
            while (desk.book("100", "V1", Date))
                ++booked;
        });
        QCOMPARE(failures, QStringList());
        QCOMPARE(booked.load(), RentalDraft::Slots);
        QCOMPARE(qtde("V1"), -Renters);
        QCOMPARE(rows("\"tblLocacao\""), 0);
        // The renters' sessions have ended: their copies are leftovers now.
        Database db(m_address);
        QCOMPARE(PendingNote::giveBackLeftovers(db), Renters);
        QCOMPARE(qtde("V1"), 0);
    }

    void eachCounterComposesItsOwnNote()
    {
        newShop({{"V1", 5}, {"V2", 5}});
        Database a(m_address), b(m_address);
        RentalDraft atA(a), atB(b);
        QVERIFY(a.counterName() != b.counterName());
        QCOMPARE(atA.enter("V1").outcome, RentalDraft::Entry::Entered);
        QCOMPARE(atB.enter("V1").outcome, RentalDraft::Entry::Entered);
        QCOMPARE(atA.enter("V2").outcome, RentalDraft::Entry::Entered);
        QCOMPARE(pending(),
                 sorted({a.counterName() + "|1|V1", a.counterName() + "|2|V2", b.counterName() + "|1|V1"}));
        // Another counter starting while both live takes nobody's copies.
        Database c(m_address);
        QCOMPARE(PendingNote::giveBackLeftovers(c), 0);
        RentalDraft atC(c);
        QCOMPARE(atC.enter("V2").outcome, RentalDraft::Entry::Entered);
        QCOMPARE(rows("\"PendingCopies\""), 4);
        atA.abandon();
        QCOMPARE(pending(), sorted({b.counterName() + "|1|V1", c.counterName() + "|1|V2"}));
        QCOMPARE(qtde("V1"), 4);
        QCOMPARE(qtde("V2"), 4);
        atC.undo();
        QCOMPARE(pending(), QStringList({b.counterName() + "|1|V1"}));
        QCOMPARE(qtde("V2"), 5);
    }

    void aCounterThatEndsLeavesOnlyItsCopies_data()
    {
        QTest::addColumn<bool>("killed");
        QTest::newRow("closed without giving back") << false;
        QTest::newRow("process killed") << true;
    }
    void aCounterThatEndsLeavesOnlyItsCopies()
    {
        QFETCH(bool, killed);
        newShop({{"V1", 5}, {"V2", 5}});
        Database b(m_address);
        RentalDraft atB(b);
        QCOMPARE(atB.enter("V1").outcome, RentalDraft::Entry::Entered);
        QString name;
        qint64 session = -1;
        QProcess child;
        std::unique_ptr<Database> a;
        if (killed) {
            child.start(QCoreApplication::applicationFilePath(), {ChildMode, m_address});
            while (child.state() != QProcess::NotRunning && !child.canReadLine())
                child.waitForReadyRead();
            name = QString::fromUtf8(child.readLine()).trimmed();
            while (child.state() != QProcess::NotRunning && !child.canReadLine())
                child.waitForReadyRead();
            session = child.readLine().trimmed().toLongLong();
            QVERIFY2(session > 0, child.readAllStandardError().constData());
        } else {
            a = std::make_unique<Database>(m_address);
            PendingNote note(*a);
            note.takeCopy(1, "V1");
            note.takeCopy(2, "V2");
            name = a->counterName();
            session = sessionOf(*a);
        }
        QCOMPARE(pending(), sorted({name + "|1|V1", name + "|2|V2", b.counterName() + "|1|V1"}));
        // While it lives, another counter (under a name of its own) leaves
        // its copies alone; once it has ended, gives back those and none of B's.
        Database c(m_address);
        QCOMPARE(PendingNote::giveBackLeftovers(c), 0);
        if (killed) {
            child.kill();
            QVERIFY(child.waitForFinished());
        } else {
            a->close();
        }
        QTRY_VERIFY(!sessionAlive(session));
        QCOMPARE(PendingNote::giveBackLeftovers(c), 2);
        QCOMPARE(pending(), QStringList({b.counterName() + "|1|V1"}));
        QCOMPARE(qtde("V1"), 4);
        QCOMPARE(qtde("V2"), 5);
    }

    void aNewCustomerShowsOnTheOtherCountersList()
    {
        newShop();
        Database a(m_address), b(m_address);
        views::PickList& list = views::pickList(b, store::PickListKind::CustomerNames);
        QCOMPARE(list.stringList(), QStringList({"Ana"}));
        QSignalSpy inserted(&list, &QAbstractItemModel::rowsInserted);
        QSignalSpy reset(&list, &QAbstractItemModel::modelReset);
        counter::CustomerRecords records(a);
        const counter::Record zeca{{"Codigo", "2"}, {"RG", "7"}, {"Nome", "Zeca"}, {"Endereco", "Rua B"}};
        QCOMPARE(records.add(zeca).status, counter::RecordService::Outcome::Done);
        QTRY_COMPARE(list.stringList(), QStringList({"Ana", "Zeca"}));
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(reset.count(), 0);
    }

    void theTablesAreChecked_data()
    {
        QTest::addColumn<bool>("ours");
        QTest::addColumn<QStringList>("change");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("another program's") << false << QStringList{"CREATE TABLE pedidos (n integer)"}
                                           << Kind::Damaged << "não é um banco deste programa";
        QTest::newRow("missing column")
            << true << QStringList{"ALTER TABLE \"tblClientes\" DROP COLUMN \"RG\""} << Kind::MissingTable
            << "não contém a coluna RG da tabela tblClientes";
        QTest::newRow("missing table") << true << QStringList{"DROP TABLE \"Number\""} << Kind::MissingTable
                                       << "não contém a tabela Number";
        QTest::newRow("newer version")
            << true << QStringList{"UPDATE \"SchemaVersion\" SET versao = versao + 1"} << Kind::Damaged
            << "versão mais nova";
    }
    void theTablesAreChecked()
    {
        QFETCH(bool, ours);
        QFETCH(QStringList, change);
        QFETCH(Kind, kind);
        QFETCH(QString, message);
        m_address = freshServerShop();
        if (ours)
            Database(m_address).open();
        for (const QString& sql : change)
            exec(sql);
        const QStringList before = shape();
        const QStringList versions = ours ? column("SELECT versao FROM \"SchemaVersion\"") : QStringList();
        Database db(m_address);
        try {
            db.open();
            QFAIL("opened");
        } catch (const StoreError& e) {
            QCOMPARE(e.kind(), kind);
            QVERIFY2(e.message().contains(message), qPrintable(e.message()));
            QVERIFY(e.message().contains("não foi alterado"));
        }
        QCOMPARE(shape(), before);
        if (ours)
            QCOMPARE(column("SELECT versao FROM \"SchemaVersion\""), versions);
    }

    void countersOpeningANewDatabaseAtOnce()
    {
        for (int round = 0; round < 4; ++round) {
            m_address = freshServerShop();
            const QStringList failures = together(3, [&](int) { Database(m_address).open(); });
            QVERIFY2(failures.isEmpty(), qPrintable(failures.join("\n")));
            QCOMPARE(rows("\"SchemaVersion\""), 1);
            cleanup();
        }
        QVERIFY(shape().contains("tblClientes|RG"));
    }

    // A counter that finds another making the tables waits for it, then
    // takes them as made (the counters' writer lock is the one they share).
    void aCounterWaitsForTheTablesBeingMade()
    {
        m_address = freshServerShop();
        exec("BEGIN");
        exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1, 0)").arg(store::WriterLock));
        for (const QString& sql : store::serverCreateStatements())
            exec(sql);
        QString failure;
        const std::unique_ptr<QThread> counter(QThread::create([&] {
            try {
                Database(m_address).open();
            } catch (const StoreError& e) {
                failure = e.message();
            }
        }));
        counter->start();
        QTRY_COMPARE(
            scalar("SELECT count(*) FROM pg_locks WHERE locktype = 'advisory' AND NOT granted").toInt(), 1);
        exec("COMMIT");
        QVERIFY(counter->wait());
        QCOMPARE(failure, QString());
        QCOMPARE(rows("\"SchemaVersion\""), 1);
    }

    void aServerThatGoesAway_data()
    {
        QTest::addColumn<bool>("othersLook");
        QTest::newRow("back at once") << false;
        QTest::newRow("another counter looked meanwhile") << true;
    }
    void aServerThatGoesAway()
    {
        QFETCH(bool, othersLook);
        newShop({{"V1", 5}, {"V2", 5}});
        Database a(m_address), b(m_address);
        RentalDraft draft(a);
        const QString shown = draft.nextNumber();
        QVERIFY(draft.confirmRenter("Ana"));
        QCOMPARE(draft.enter("V1").outcome, RentalDraft::Entry::Entered);
        // Cut off while idle: the counter reaches the server again by itself,
        // at the latest on the call after the one that found it gone; the
        // shelf and the note move together.
        cutOff(a);
        bool entered = false;
        try {
            entered = draft.enter("V2").outcome == RentalDraft::Entry::Entered;
        } catch (const StoreError& e) {
            QCOMPARE(e.kind(), Kind::Unavailable);
            QCOMPARE(qtde("V2"), 5);
        }
        if (!entered)
            QCOMPARE(draft.enter("V2").outcome, RentalDraft::Entry::Entered);
        QCOMPARE(qtde("V2"), 4);
        // Away for a while before the save: nothing of the note is stored,
        // the draft keeps what was typed, and the same save is stored once
        // the server is back. A counter looking meanwhile takes A's copies
        // for a crash's, and gives them back: A's undo gives none back
        // twice, its save takes them again.
        QVERIFY(!b.counterName().isEmpty());
        allowConnections(false);
        cutOff(a);
        if (othersLook)
            QCOMPARE(PendingNote::giveBackLeftovers(b), 2);
        try {
            draft.save(Date, shown, "Ana", "");
            QFAIL("saved");
        } catch (const StoreError& e) {
            QCOMPARE(e.kind(), Kind::Unavailable);
            QVERIFY2(e.message().contains(QRegularExpression("^O servidor de dados .* não responde")),
                     qPrintable(e.message()));
        }
        allowConnections(true);
        QCOMPARE(rows("\"tblLocacao\"") + rows("\"Number\"") + rows("notehistory"), 0);
        QCOMPARE(draft.count(), 2);
        QVERIFY(draft.undo());
        QCOMPARE(qtde("V2"), 5);
        QCOMPARE(draft.save(Date, shown, "Ana", ""), QStringLiteral("100"));
        QCOMPARE(rows("\"tblLocacao\"") + rows("\"Number\"") + rows("notehistory"), 3);
        QCOMPARE(pending(), QStringList());
        QCOMPARE(qtde("V1"), 4);
        QCOMPARE(PendingNote::giveBackLeftovers(b), 0);
        QCOMPARE(qtde("V1"), 4);
        QCOMPARE(qtde("V2"), 5);
    }

    // Cut off inside a note's transaction, the server then refusing
    // connections for a while: the failure reaches the counter, nothing of
    // the note is stored and its copy stays recorded, until the server is back.
    void aNoteCutOffHalfway()
    {
        newShop({{"V1", 5}});
        Database a(m_address);
        PendingNote note(a);
        QVERIFY(note.takeCopy(1, "V1"));
        const QHash<QString, QString> row{{"Codigo(0)", "V1"}, {"Clientes", "Ana"}};
        const auto cutInside = [&] {
            cutOff(a);
            allowConnections(false);
            return QStringLiteral("100");
        };
        QVERIFY(unavailable([&] { note.store(row, cutInside); }));
        QVERIFY(unavailable([&] { note.store(row, [] { return QStringLiteral("100"); }); }));
        allowConnections(true);
        QCOMPARE(rows("\"tblLocacao\"") + rows("\"Number\""), 0);
        QCOMPARE(pending(), QStringList({a.counterName() + "|1|V1"}));
        QCOMPARE(note.store(row, [] { return QStringLiteral("100"); }), QStringLiteral("100"));
        QCOMPARE(rows("\"tblLocacao\"") + rows("\"Number\""), 2);
        QCOMPARE(pending(), QStringList());
        QCOMPARE(qtde("V1"), 4);
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && QString::fromLocal8Bit(argv[1]) == ChildMode)
        return counterThatCrashes(QString::fromLocal8Bit(argv[2]));
    TestServer test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_server.moc"
