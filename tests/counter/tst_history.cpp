#include "counter/History.h"
#include "counter/RentalDraft.h"
#include "counter/ReturnDesk.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/StoreError.h"

#include "ShopFileTest.h"
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <QTest>
#include <memory>

using counter::RentalDraft;
using counter::ReturnDesk;

// The shop's history, written with the notes and returns it records, and
// made from the open notes when a file of the version before is upgraded.
class TestHistory : public ShopFileTest
{
    Q_OBJECT

private slots:
    void init()
    {
        makeShop();
        exec("INSERT INTO tblClientes (Codigo, Nome, Dependente2) VALUES ('7', 'Ana Souza', 'Rui Souza')");
        exec("INSERT INTO tblVideos (Codigo, Nome, QTDE, Valor, Tipo) VALUES ('10', 'Alien - O Oitavo', 3, "
             "'3,00', 'Lançamento'), ('11', 'Ran', 3, '4,50', '')");
    }
    void cleanup() { closeShop(); }

    void notesAndReturnsAreRecorded()
    {
        RentalDraft draft(*m_db);
        // A dependant rents on the holder's account.
        QVERIFY(draft.confirmRenter("Rui Souza"));
        QCOMPARE(draft.enter("10").outcome, RentalDraft::Entry::Entered);
        QCOMPARE(draft.enter("11").outcome, RentalDraft::Entry::Entered);
        QCOMPARE(draft.enter("10").outcome, RentalDraft::Entry::Entered);
        QCOMPARE(draft.checkSave("1,00"), RentalDraft::SaveCheck::Ready);
        draft.save("08/12/2026", "100", "Rui Souza", "R$ 1,00");

        QCOMPARE(rows("SELECT Codigo, Data, Cliente, ClienteCodigo, Valor, Desconto FROM NoteHistory"),
                 QStringList{"100|08/12/2026|Rui Souza|7|R$\u00a09,50|R$ 1,00"});
        const QString savedAt = rows("SELECT SavedAt FROM NoteHistory").value(0);
        QVERIFY2(QDateTime::fromString(savedAt, Qt::ISODate).isValid(), qPrintable(savedAt));
        QCOMPARE(rows("SELECT Slot, Codigo, Titulo, Tipo, Preco, DevolvidoEm, ReturnedAt FROM RentedVideos "
                      "ORDER BY Slot"),
                 (QStringList{"0|10|Alien - O Oitavo|Lançamento|300|~|~", "1|11|Ran||450|~|~",
                              "2|10|Alien - O Oitavo|Lançamento|300|~|~"}));

        // Each return marks the slot it freed, with the date typed; the
        // history stays when the note leaves tblLocacao.
        ReturnDesk desk(*m_db);
        QCOMPARE(desk.book("100", "10", "09/12/2026")->slot, 0);
        QCOMPARE(rows("SELECT Slot FROM RentedVideos WHERE DevolvidoEm = '09/12/2026'"), QStringList{"0"});
        QVERIFY(desk.book("100", "11", "10/12/2026"));
        QVERIFY(desk.book("100", "10", "10/12/2026")->noteDeleted);
        QCOMPARE(rows("SELECT Slot, DevolvidoEm FROM RentedVideos ORDER BY Slot"),
                 (QStringList{"0|09/12/2026", "1|10/12/2026", "2|10/12/2026"}));
        QCOMPARE(rows("SELECT COUNT(*) FROM RentedVideos WHERE ReturnedAt IS NULL"), QStringList{"0"});
        QCOMPARE(rows("SELECT COUNT(*) FROM NoteHistory"), QStringList{"1"});

        // A note numbered as an older one (its Number row gone): returns go
        // to the latest.
        exec("DELETE FROM Number");
        QVERIFY(draft.confirmRenter("Ana Souza"));
        QCOMPARE(draft.enter("11").outcome, RentalDraft::Entry::Entered);
        draft.save("11/12/2026", "100", "Ana Souza", "R$ 0,00");
        QVERIFY(desk.book("100", "11", "12/12/2026"));
        QCOMPARE(
            rows("SELECT h.Cliente, v.DevolvidoEm FROM RentedVideos v JOIN NoteHistory h ON h.Id = v.Note "
                 "WHERE v.Codigo = '11' ORDER BY h.Id"),
            (QStringList{"Rui Souza|10/12/2026", "Ana Souza|12/12/2026"}));
    }

    void customerAndVideoHistoryAreRead()
    {
        // An older note (no account kept) and one with an empty renter.
        exec("INSERT INTO NoteHistory (Codigo, Data, Cliente) VALUES ('90', '01/01/2026', 'Rui Souza'), "
             "('91', '02/01/2026', '')");
        exec("INSERT INTO RentedVideos (Note, Slot, Codigo, Titulo) VALUES (1, 0, '11', 'Ran'), (2, 0, '11', "
             "'Ran')");
        RentalDraft draft(*m_db);
        for (const auto& [renter, code, number] :
             {std::tuple{"Rui Souza", "10", "100"}, {"Ana Souza", "11", "101"}, {"Rui Souza", "11", "102"}}) {
            QVERIFY(draft.confirmRenter(renter));
            QCOMPARE(draft.enter(code).outcome, RentalDraft::Entry::Entered);
            draft.save("05/01/2026", number, renter, "R$ 0,00");
        }
        QVERIFY(ReturnDesk(*m_db).book("100", "10", "06/01/2026"));
        // A namesake registered later: the notes on account 7 stay there.
        exec("INSERT INTO tblClientes (Codigo, Nome) VALUES ('8', 'Rui Souza')");

        counter::History history(*m_db);
        const auto show = [](const QList<counter::History::Line>& lines) {
            QStringList out;
            for (const auto& l : lines)
                out.append(
                    QStringList{l.note, l.customer, l.code, l.returned ? l.returnedOn : "fora"}.join('|'));
            return out;
        };
        // Account 7 rents as Ana and as her dependant Rui; the older note
        // by a name of the account counts too; customer 8, also named Rui
        // Souza, has only what was rented on his account.
        QCOMPARE(show(history.customerHistory("7", {"Ana Souza", "", "Rui Souza", ""})),
                 (QStringList{"102|Rui Souza|11|fora", "101|Ana Souza|11|fora", "100|Rui Souza|10|06/01/2026",
                              "90|Rui Souza|11|fora"}));
        QCOMPARE(show(history.customerHistory("7", {"Ana Souza"}, 2)),
                 (QStringList{"102|Rui Souza|11|fora", "101|Ana Souza|11|fora"}));
        QCOMPARE(show(history.customerHistory("8", {"Rui Souza"})), QStringList{"90|Rui Souza|11|fora"});
        QCOMPARE(show(history.customerHistory("", {"", ""})), QStringList());

        const counter::History::VideoRentals ran = history.videoRentals("11");
        QCOMPARE(ran.times, 4);
        QCOMPARE(show(ran.out), (QStringList{"90|Rui Souza|11|fora", "91||11|fora", "101|Ana Souza|11|fora",
                                             "102|Rui Souza|11|fora"}));
        QCOMPARE(history.videoRentals("10").times, 1);
        QVERIFY(history.videoRentals("10").out.isEmpty());
        QCOMPARE(history.videoRentals("").times, 0);
    }

    void historyIsStoredWithTheChangeOrNotAtAll()
    {
        RentalDraft draft(*m_db);
        QVERIFY(draft.confirmRenter("Ana Souza"));
        QCOMPARE(draft.enter("10").outcome, RentalDraft::Entry::Entered);
        // A history that cannot be written keeps the note from being stored.
        refuseWrites("RentedVideos", "INSERT");
        QVERIFY_THROWS_EXCEPTION(store::StoreError, draft.save("08/12/2026", "100", "Ana Souza", "R$ 0,00"));
        QCOMPARE(rows("SELECT COUNT(*) FROM tblLocacao"), QStringList{"0"});
        QCOMPARE(rows("SELECT COUNT(*) FROM NoteHistory"), QStringList{"0"});
        QCOMPARE(rows("SELECT COUNT(*) FROM PendingCopies"), QStringList{"1"});
        allowWrites("RentedVideos");
        draft.save("08/12/2026", "100", "Ana Souza", "R$ 0,00");

        refuseWrites("RentedVideos", "UPDATE");
        ReturnDesk desk(*m_db);
        QVERIFY_THROWS_EXCEPTION(store::StoreError, desk.book("100", "10", "09/12/2026"));
        QCOMPARE(rows("SELECT QTDE FROM tblVideos WHERE Codigo = '10'"), QStringList{"2"});
        QCOMPARE(rows("SELECT COUNT(*) FROM tblLocacao"), QStringList{"1"});
    }

    void olderFileGetsHistoryOfItsOpenNotes_data()
    {
        QTest::addColumn<QString>("slotText");
        QTest::addColumn<QString>("expected"); // title|category
        QTest::newRow("Lançamento") << "Alien - Lançamento"
                                    << "Alien|Lançamento";
        QTest::newRow("Super Lançamento") << "Ran - Super Lançamento"
                                          << "Ran|Super Lançamento";
        QTest::newRow("48 Horas, a dash in the title") << "A - B - 48 Horas"
                                                       << "A - B|48 Horas";
        QTest::newRow("no category") << "Ran - "
                                     << "Ran|";
        QTest::newRow("a category not rented by") << "Ran - Drama"
                                                  << "Ran - Drama|~";
        QTest::newRow("no text") << ""
                                 << "|~";
    }

    void olderFileGetsHistoryOfItsOpenNotes()
    {
        if (onServer())
            QSKIP("a server database is made by this version");
        QFETCH(QString, slotText);
        QFETCH(QString, expected);
        exec("INSERT INTO tblLocacao (Codigo, Data, Clientes, \"Video-1\", \"Codigo(0)\", \"Video-3\", "
             "\"Codigo(2)\", Valor, Desconto) VALUES ('100', '01/12/2026', 'Ana Souza', ?, '10', 'Ran - ', "
             "'11', "
             "'R$ 7,50', 'R$ 0,00'), ('101', NULL, 'Rui Souza', NULL, NULL, NULL, NULL, NULL, NULL)",
             {slotText});
        // As the version before left it: no history tables.
        exec("DROP TABLE RentedVideos");
        exec("DROP TABLE NoteHistory");
        exec("PRAGMA user_version = 2");
        openShop();
        QCOMPARE(
            rows("SELECT Codigo, Data, SavedAt, Cliente, ClienteCodigo, Valor, Desconto FROM NoteHistory "
                 "ORDER BY Id"),
            (QStringList{"100|01/12/2026|~|Ana Souza|~|R$ 7,50|R$ 0,00", "101|~|~|Rui Souza|~|~|~"}));
        QCOMPARE(rows("SELECT h.Codigo, v.Slot, v.Codigo, v.Titulo, v.Tipo, v.Preco, v.ReturnedAt FROM "
                      "RentedVideos v "
                      "JOIN NoteHistory h ON h.Id = v.Note ORDER BY v.Slot"),
                 (QStringList{"100|0|10|" + expected + "|~|~", "100|2|11|Ran||~|~"}));
        QCOMPARE(rows("PRAGMA user_version"), QStringList{QString::number(store::SchemaVersion)});

        // Its open notes come back as any other.
        QVERIFY(ReturnDesk(*m_db).book("100", "11", "08/12/2026"));
        QCOMPARE(rows("SELECT Slot, DevolvidoEm FROM RentedVideos WHERE ReturnedAt IS NOT NULL"),
                 QStringList{"2|08/12/2026"});
    }
};

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_history.moc"
