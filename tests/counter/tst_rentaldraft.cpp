#include "counter/PeopleSearch.h"
#include "counter/RentalDraft.h"
#include "platform/Formats.h"
#include "store/Database.h"
#include "store/StoreError.h"

#include "ShopFileTest.h"
#include "store/PendingNote.h"
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <QTest>
#include <memory>

using counter::PeopleSearch;
using counter::RentalDraft;
using Entry = RentalDraft::Entry;
using Discount = RentalDraft::Discount;
using Check = RentalDraft::SaveCheck;

Q_DECLARE_METATYPE(RentalDraft::Entry)
Q_DECLARE_METATYPE(RentalDraft::Discount)
Q_DECLARE_METATYPE(RentalDraft::SaveCheck)

// The counter's rules through their own interface, on a real data file and
// without a window.
class TestRentalDraft : public ShopFileTest
{
    Q_OBJECT

    void addVideo(const QString& code, const QString& price, int qtde = 3)
    {
        exec("INSERT INTO tblVideos (Codigo, Nome, QTDE, Valor, Tipo) VALUES (?, ?, ?, ?, 'Drama')",
             {code, "Filme " + code, qtde, price});
    }
    int qtde(const QString& code)
    {
        return scalar("SELECT QTDE FROM tblVideos WHERE Codigo = ?", {code}).toInt();
    }
    int pendingCopies() { return scalar("SELECT COUNT(*) FROM PendingCopies").toInt(); }
    // Enters each code and checks it went in.
    void enterAll(RentalDraft& draft, const QStringList& codes)
    {
        for (const QString& code : codes)
            QCOMPARE(draft.enter(code).outcome, Entry::Entered);
    }

private slots:
    void init()
    {
        makeShop();
        addVideo("10", "3,00");
        addVideo("11", "4,50");
        addVideo("12", "");
        addVideo("13", "-1,00");
        addVideo("14", "9.999,99");
    }
    void cleanup() { closeShop(); }

    void entersVideosByCode_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<Entry>("outcome");
        QTest::addColumn<int>("taken"); // copies off the shelf of that code
        QTest::newRow("priced") << "10" << Entry::Entered << 1;
        QTest::newRow("no price rents for nothing") << "12" << Entry::Entered << 1;
        QTest::newRow("unknown") << "99" << Entry::NotFound << 0;
        QTest::newRow("empty code") << "" << Entry::NotFound << 0;
        QTest::newRow("negative price") << "13" << Entry::BadPrice << 0;
    }
    void entersVideosByCode()
    {
        QFETCH(QString, code);
        QFETCH(Entry, outcome);
        QFETCH(int, taken);
        RentalDraft draft(*m_db);
        const RentalDraft::EntryResult result = draft.enter(code);
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(draft.count(), taken);
        QCOMPARE(pendingCopies(), taken);
        if (!code.isEmpty() && code != "99")
            QCOMPARE(qtde(code), 3 - taken);
        if (taken) {
            QCOMPARE(draft.slot(0).code, code);
            QCOMPARE(draft.slot(0).description, "Filme " + code + " - Drama");
        }
        if (outcome == Entry::BadPrice)
            QCOMPARE(result.price, QStringLiteral("-1,00"));
    }

    void aFullNoteAndTheHighestValue()
    {
        RentalDraft draft(*m_db);
        // Ten of the dearest reach the highest value; the eleventh passes it.
        for (int i = 0; i < 10; ++i)
            addVideo(QStringLiteral("D%1").arg(i), "9.999,99", 1);
        for (int i = 0; i < 10; ++i)
            QCOMPARE(draft.enter(QStringLiteral("D%1").arg(i)).outcome, Entry::Entered);
        QCOMPARE(draft.enter("14").outcome, Entry::OverMax);
        QCOMPARE(qtde("14"), 3);
        draft.abandon();
        // Sixteen slots, then the seventeenth is looked up and nothing more.
        for (int i = 0; i < RentalDraft::Slots; ++i)
            addVideo(QStringLiteral("F%1").arg(i), "1,00", 1);
        for (int i = 0; i < RentalDraft::Slots; ++i)
            QCOMPARE(draft.enter(QStringLiteral("F%1").arg(i)).outcome, Entry::Entered);
        QCOMPARE(draft.enter("10").outcome, Entry::Full);
        QCOMPARE(draft.enter("99").outcome, Entry::NotFound);
        QCOMPARE(draft.count(), RentalDraft::Slots);
        QCOMPARE(qtde("10"), 3);
        QCOMPARE(pendingCopies(), RentalDraft::Slots);
    }

    void theDiscountRule_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<Discount>("verdict");
        QTest::addColumn<qint64>("discount");
        QTest::addColumn<qint64>("value");
        // Videos 10 and 11: R$ 7,50 in all.
        QTest::newRow("none") << "" << Discount::Accepted << qint64(0) << qint64(750);
        QTest::newRow("part") << "2,00" << Discount::Accepted << qint64(200) << qint64(550);
        QTest::newRow("all") << "7,50" << Discount::Accepted << qint64(750) << qint64(0);
        QTest::newRow("above the value") << "8,00" << Discount::TooLarge << qint64(800) << qint64(0);
        QTest::newRow("not an amount") << "abc" << Discount::Invalid << qint64(100) << qint64(650);
        QTest::newRow("negative") << "-1,00" << Discount::Invalid << qint64(100) << qint64(650);
    }
    void theDiscountRule()
    {
        QFETCH(QString, typed);
        QFETCH(Discount, verdict);
        QFETCH(qint64, discount);
        QFETCH(qint64, value);
        RentalDraft draft(*m_db);
        enterAll(draft, {"10", "11"});
        // One already in force: an unreadable one leaves it as it was.
        QCOMPARE(draft.giveDiscount("1,00"), Discount::Accepted);
        // Given twice, it still counts once.
        QCOMPARE(draft.giveDiscount(typed), verdict);
        QCOMPARE(draft.giveDiscount(typed), verdict);
        QCOMPARE(draft.discount(), discount);
        QCOMPARE(draft.value(), value);
        QCOMPARE(draft.discountTooLarge(), verdict == Discount::TooLarge);
        // Undoing a video may leave the discount too large.
        QVERIFY(draft.undo());
        QCOMPARE(draft.value(), std::max<qint64>(0, 300 - discount));
        QCOMPARE(draft.discountTooLarge(), discount > 300);
    }

    void savingChecks_data()
    {
        QTest::addColumn<QString>("renter");
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QString>("discount");
        QTest::addColumn<Check>("check");
        QTest::newRow("ready") << "Ana" << QStringList{"10"} << "1,00" << Check::Ready;
        QTest::newRow("no renter") << "" << QStringList{"10"} << "" << Check::NoRenter;
        QTest::newRow("no videos") << "Ana" << QStringList{} << "" << Check::NoVideos;
        QTest::newRow("discount too large")
            << "Ana" << QStringList{"10"} << "3,01" << Check::DiscountTooLarge;
        QTest::newRow("discount not an amount")
            << "Ana" << QStringList{"10"} << "x" << Check::DiscountInvalid;
    }
    void savingChecks()
    {
        QFETCH(QString, renter);
        QFETCH(QStringList, codes);
        QFETCH(QString, discount);
        QFETCH(Check, check);
        exec("INSERT INTO tblClientes (Codigo, Nome) VALUES ('1', 'Ana')");
        RentalDraft draft(*m_db);
        QCOMPARE(draft.confirmRenter(renter), !renter.isEmpty());
        enterAll(draft, codes);
        QCOMPARE(draft.checkSave(discount), check);
    }

    void savesTheNoteAndKeepsItsCopies()
    {
        exec("INSERT INTO tblClientes (Codigo, Nome, Dependente1) VALUES ('1', 'Ana', 'Bia')");
        RentalDraft draft(*m_db);
        QCOMPARE(draft.nextNumber(), QStringLiteral("100"));
        QVERIFY(draft.confirmRenter("Bia"));
        QCOMPARE(draft.renter(), QStringLiteral("Bia"));
        enterAll(draft, {"10", "11"});
        QCOMPARE(draft.checkSave("1,00"), Check::Ready);
        draft.save("08/12/2026", "100", "Bia", "1,00");
        QCOMPARE(draft.count(), 0);
        QVERIFY(!draft.renterConfirmed());
        QCOMPARE(pendingCopies(), 0);
        QCOMPARE(qtde("10"), 2);
        QCOMPARE(qtde("11"), 2);
        QSqlQuery q = exec("SELECT Data, Codigo, Clientes, Valor, Desconto, \"Video-1\", \"Codigo(0)\", "
                           "\"Video-2\", \"Codigo(1)\", \"Video-3\", \"Codigo(2)\" FROM tblLocacao");
        QVERIFY(q.next());
        const QStringList expected{"08/12/2026",
                                   "100",
                                   "Bia",
                                   platform::formatMoney(650),
                                   "1,00",
                                   "Filme 10 - Drama",
                                   "10",
                                   "Filme 11 - Drama",
                                   "11",
                                   "",
                                   ""};
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(q.value(i).toString(), expected.at(i));
        QVERIFY(!q.next());
        QCOMPARE(draft.nextNumber(), QStringLiteral("101"));
        // The next note starts empty and its copies are its own.
        enterAll(draft, {"10"});
        draft.abandon();
        QCOMPARE(qtde("10"), 2);
    }

    // A counter whose session the server lost looks gone to the others,
    // who give its copies back; its note, saved once the server answers
    // again, takes them off the shelf anew.
    void aNoteSavedAfterItsCopiesWereGivenBack()
    {
        if (!onServer())
            QSKIP("only a server has other counters");
        exec("INSERT INTO tblClientes (Codigo, Nome) VALUES ('1', 'Ana')");
        store::Database counter(shopAddress());
        RentalDraft draft(counter);
        QVERIFY(draft.confirmRenter("Ana"));
        enterAll(draft, {"10", "11", "10"});
        QCOMPARE(qtde("10"), 1);
        QSqlQuery pid(counter.connection());
        QVERIFY(pid.exec("SELECT pg_backend_pid()") && pid.next());
        exec("SELECT pg_terminate_backend(?)", {pid.value(0)});
        QTRY_VERIFY(scalar("SELECT COUNT(*) FROM pg_stat_activity WHERE pid = ?", {pid.value(0)}).toInt() ==
                    0);
        QCOMPARE(store::PendingNote::giveBackLeftovers(*m_db), 3);
        QCOMPARE(qtde("10"), 3);
        QCOMPARE(draft.checkSave(""), Check::Ready);
        // The save reaches the server again by itself, or at the latest on
        // the try after the one that found it gone (nothing stored then).
        QString saved;
        try {
            saved = draft.save("08/12/2026", "100", "Ana", "");
        } catch (const store::StoreError& e) {
            QCOMPARE(e.kind(), store::StoreError::Kind::Unavailable);
            QCOMPARE(scalar("SELECT COUNT(*) FROM tblLocacao").toInt(), 0);
            saved = draft.save("08/12/2026", "100", "Ana", "");
        }
        QCOMPARE(saved, QStringLiteral("100"));
        QCOMPARE(scalar("SELECT COUNT(*) FROM tblLocacao").toInt(), 1);
        QCOMPARE(qtde("10"), 1);
        QCOMPARE(qtde("11"), 2);
        QCOMPARE(pendingCopies(), 0);
    }

    void undoAfterTheVideoWasDeleted()
    {
        RentalDraft draft(*m_db);
        enterAll(draft, {"10", "11"});
        exec("DELETE FROM tblVideos WHERE Codigo = '11'");
        // No shelf count to give the copy back to: the slot is freed anyway.
        QVERIFY(draft.undo());
        QCOMPARE(draft.count(), 1);
        QCOMPARE(draft.total(), qint64(300));
        QCOMPARE(pendingCopies(), 1);
        QCOMPARE(qtde("10"), 2);
        QVERIFY(draft.undo());
        QCOMPARE(qtde("10"), 3);
        QVERIFY(!draft.undo());
        QCOMPARE(pendingCopies(), 0);
    }

    void abandonGivesCopiesBack()
    {
        RentalDraft draft(*m_db);
        enterAll(draft, {"10", "10", "11"});
        QCOMPARE(qtde("10"), 1);
        QCOMPARE(draft.giveDiscount("1,00"), Discount::Accepted);
        draft.abandon();
        QCOMPARE(draft.count(), 0);
        QCOMPARE(draft.discount(), qint64(0));
        QCOMPARE(qtde("10"), 3);
        QCOMPARE(qtde("11"), 3);
        QCOMPARE(pendingCopies(), 0);
    }

    void leftoversGoBackBeforeTheFirstEntry()
    {
        // A note a crash cut short: its copy is off the shelf and recorded.
        exec("UPDATE tblVideos SET QTDE = 2 WHERE Codigo = '11'");
        exec("INSERT INTO PendingCopies (Slot, Codigo) VALUES (1, '11')");
        RentalDraft draft(*m_db);
        enterAll(draft, {"10"});
        QCOMPARE(qtde("11"), 3);
        QCOMPARE(qtde("10"), 2);
        QCOMPARE(pendingCopies(), 1);
    }

    void findsPeopleByTheFourNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("found");
        QTest::addColumn<bool>("holder");
        QTest::addColumn<QString>("customer"); // the holder's code
        QTest::newRow("holder") << "Ana" << true << true << "1";
        QTest::newRow("first dependant") << "Bia" << true << false << "1";
        QTest::newRow("second dependant") << "Caio" << true << false << "1";
        QTest::newRow("third dependant") << "Davi" << true << false << "2";
        QTest::newRow("holder before a dependant") << "Eva" << true << true << "3";
        QTest::newRow("unknown") << "Zé" << false << false << "";
        QTest::newRow("empty name") << "" << false << false << "";
    }
    void findsPeopleByTheFourNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, found);
        QFETCH(bool, holder);
        QFETCH(QString, customer);
        // Empty dependants abound, and must never be found by the empty name.
        exec("INSERT INTO tblClientes (Codigo, Nome, Dependente1, Dependente2, Dependente3, CPF) "
             "VALUES ('1', 'Ana', 'Bia', 'Caio', '', '111'), ('2', 'Gil', '', 'Eva', 'Davi', '222'), "
             "('3', 'Eva', '', '', '', '333')");
        PeopleSearch search(*m_db);
        const std::optional<PeopleSearch::Person> person = search.find(name);
        QCOMPARE(person.has_value(), found);
        if (!person)
            return;
        QCOMPARE(person->role == PeopleSearch::Role::Holder, holder);
        QCOMPARE(person->customer.value("Codigo"), customer);
        QCOMPARE(person->customer.value("CPF"), customer.repeated(3));
    }

    void aStoreFailureLeavesTheDraftAsItWas()
    {
        RentalDraft draft(*m_db);
        enterAll(draft, {"10"});
        // Slot 2 already recorded (however it got there): the copy is not
        // taken, the draft keeps one video and the shelf is untouched.
        exec("INSERT INTO PendingCopies (Estacao, Slot, Codigo) VALUES (?, 2, '11')", {m_db->counterName()});
        QVERIFY_THROWS_EXCEPTION(store::StoreError, draft.enter("12"));
        QCOMPARE(draft.count(), 1);
        QCOMPARE(qtde("12"), 3);
    }
};

QTEST_GUILESS_MAIN(TestRentalDraft)
#include "tst_rentaldraft.moc"
