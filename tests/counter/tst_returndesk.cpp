#include "counter/ReturnDesk.h"
#include "counter/VideoStatus.h"
#include "store/Database.h"

#include "ShopFileTest.h"
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <QTest>
#include <memory>

using counter::ReturnDesk;
using counter::VideoStatus;
using Check = ReturnDesk::VideoCheck;

Q_DECLARE_METATYPE(ReturnDesk::VideoCheck)

namespace {

// A note as the rows below give it: its code, its date (null for no
// value) and the codes in its slots.
struct NoteRow
{
    QString code;
    QVariant date;
    QList<QPair<int, QString>> occupied;
};

} // namespace

Q_DECLARE_METATYPE(QList<NoteRow>)

// Returns and the status query through their own interface, on a real data
// file and without a window.
class TestReturnDesk : public ShopFileTest
{
    Q_OBJECT

    void addVideo(const QString& code, const QVariant& qtde = 2)
    {
        exec("INSERT INTO tblVideos (Codigo, Nome, QTDE, Local) VALUES (?, ?, ?, 'Estante 4')",
             {code, "Filme " + code, qtde});
    }
    QVariant qtde(const QString& code)
    {
        return scalar("SELECT QTDE FROM tblVideos WHERE Codigo = ?", {code});
    }
    // Free slots hold empty texts, as the rental writes them.
    void addNote(const NoteRow& note)
    {
        QStringList columns{"Codigo", "Data"};
        QVariantList values{note.code, note.date};
        for (int k = 0; k < 16; ++k) {
            QString video;
            for (const auto& [slot, code] : note.occupied)
                if (slot == k)
                    video = code;
            columns << QStringLiteral("\"Codigo(%1)\"").arg(k) << QStringLiteral("\"Video-%1\"").arg(k + 1);
            values << video << (video.isEmpty() ? QString("") : "Filme " + video);
        }
        QStringList marks(values.size(), "?");
        exec("INSERT INTO tblLocacao (" + columns.join(',') + ") VALUES (" + marks.join(',') + ")", values);
    }
    QVariant slotOf(const QString& note, int slot)
    {
        return scalar(QStringLiteral("SELECT \"Codigo(%1)\" FROM tblLocacao WHERE Codigo = ?").arg(slot),
                      {note});
    }
    int notes() { return scalar("SELECT COUNT(*) FROM tblLocacao").toInt(); }

private slots:
    void init()
    {
        makeShop();
        addVideo("7");
        addVideo("8");
    }
    void cleanup() { closeShop(); }

    void whichNoteHasTheVideoOut_data()
    {
        QTest::addColumn<QList<NoteRow>>("notes"); // in the order stored
        QTest::addColumn<QString>("code");
        QTest::addColumn<QVariant>("date"); // null: not out
        const QVariant none;
        QTest::newRow("the lowest slot wins over an earlier note in a higher slot")
            << QList<NoteRow>{{"101", "01/11/2026", {{2, "7"}}}, {"102", "02/11/2026", {{1, "7"}}}} << "7"
            << QVariant("02/11/2026");
        QTest::newRow("slot 0 beats slot 15 whatever the order")
            << QList<NoteRow>{{"101", "01/11/2026", {{15, "7"}}},
                              {"102", "02/11/2026", {{0, "7"}}},
                              {"103", "03/11/2026", {{0, "8"}, {15, "7"}}}}
            << "7" << QVariant("02/11/2026");
        QTest::newRow("within a slot the note stored first")
            << QList<NoteRow>{{"105", "05/11/2026", {{3, "7"}}},
                              {"101", "01/11/2026", {{3, "7"}}},
                              {"103", "03/11/2026", {{4, "7"}}}}
            << "7" << QVariant("05/11/2026");
        QTest::newRow("only in the sixteenth slot")
            << QList<NoteRow>{{"101", "16/11/2026", {{0, "8"}, {15, "7"}}}} << "7" << QVariant("16/11/2026");
        QTest::newRow("the same note twice: its lowest slot")
            << QList<NoteRow>{{"101", "01/11/2026", {{9, "7"}}}, {"102", "02/11/2026", {{4, "7"}, {8, "7"}}}}
            << "7" << QVariant("02/11/2026");
        QTest::newRow("a date with no value reads empty")
            << QList<NoteRow>{{"101", none, {{5, "7"}}}} << "7" << QVariant("");
        QTest::newRow("on no note") << QList<NoteRow>{{"101", "01/11/2026", {{0, "8"}}}} << "7" << none;
        QTest::newRow("the empty code, though free slots hold empty texts")
            << QList<NoteRow>{{"101", "01/11/2026", {{0, "8"}}}} << "" << none;
        QTest::newRow("a code that could not be stored")
            << QList<NoteRow>{{"101", "01/11/2026", {{0, "8"}}}} << QString(QChar(0xFFFF)) << none;
    }

    void whichNoteHasTheVideoOut()
    {
        QFETCH(QList<NoteRow>, notes);
        QFETCH(QString, code);
        QFETCH(QVariant, date);
        for (const NoteRow& note : notes)
            addNote(note);
        VideoStatus status(*m_db);
        const std::optional<QString> rentedOn = status.rentalDateOf(code);
        QCOMPARE(rentedOn.has_value(), !date.isNull());
        if (rentedOn)
            QCOMPARE(*rentedOn, date.toString());
        // Asked again on the kept statements, and after the file was reopened.
        QCOMPARE(status.rentalDateOf(code), rentedOn);
        m_db->close();
        m_db->open();
        QCOMPARE(status.rentalDateOf(code), rentedOn);
    }

    void videoAsTheQueryShowsIt_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("onShelf");
        QTest::addColumn<bool>("out");
        QTest::newRow("out") << "7" << true << "2" << true;
        QTest::newRow("on the shelf, no count") << "9" << true << "" << false;
        QTest::newRow("not in the catalogue, though on a note") << "55" << false << "" << false;
        QTest::newRow("the empty code") << "" << false << "" << false;
    }

    void videoAsTheQueryShowsIt()
    {
        QFETCH(QString, code);
        QFETCH(bool, found);
        QFETCH(QString, onShelf);
        QFETCH(bool, out);
        addVideo("9", QVariant());
        addNote({"101", "01/11/2026", {{0, "7"}, {1, "55"}}});
        VideoStatus status(*m_db);
        const std::optional<VideoStatus::Video> video = status.find(code);
        QCOMPARE(video.has_value(), found);
        if (!video)
            return;
        QCOMPARE(video->title, "Filme " + code);
        QCOMPARE(video->onShelf, onShelf);
        QCOMPARE(video->place, QStringLiteral("Estante 4"));
        QCOMPARE(video->rentedOn.has_value(), out);
        if (out)
            QCOMPARE(*video->rentedOn, QStringLiteral("01/11/2026"));
    }

    void findsANote()
    {
        exec("INSERT INTO tblLocacao (Codigo, Data, \"Codigo(0)\", \"Codigo(4)\", \"Codigo(15)\") "
             "VALUES ('101', NULL, '7', '8', '7')"); // the other slots hold no value
        addNote({"102", "02/11/2026", {{1, "8"}}});
        ReturnDesk desk(*m_db);
        std::optional<ReturnDesk::Note> note = desk.findNote("101");
        QVERIFY(note);
        QCOMPARE(note->date, QString());
        QCOMPARE(note->openCodes, QStringList({"7", "8", "7"}));
        note = desk.findNote("102");
        QVERIFY(note);
        QCOMPARE(note->date, QStringLiteral("02/11/2026"));
        QCOMPARE(note->openCodes, QStringList({"8"}));
        QVERIFY(!desk.findNote("999"));
        QVERIFY(!desk.findNote(""));
        QCOMPARE(desk.noteCodes(), QStringList({"101", "102"}));
    }

    void checksTheVideoChosen_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<Check>("check");
        QTest::addColumn<QString>("title");
        QTest::newRow("open on the note") << "7" << Check::InCatalogue << "Filme 7";
        QTest::newRow("deleted from the catalogue while out") << "55" << Check::NotInCatalogue << "";
        QTest::newRow("in the catalogue, not on the note") << "8" << Check::NotOnNote << "";
        QTest::newRow("unknown") << "56" << Check::NotOnNote << "";
        QTest::newRow("empty") << "" << Check::NotOnNote << "";
    }

    void checksTheVideoChosen()
    {
        QFETCH(QString, code);
        QFETCH(Check, check);
        QFETCH(QString, title);
        ReturnDesk desk(*m_db);
        const ReturnDesk::Video video = desk.checkVideo({"7", "55"}, code);
        QCOMPARE(video.check, check);
        QCOMPARE(video.title, title);
    }

    void booksReturnsUntilTheNoteGoes()
    {
        addVideo("9", QVariant()); // a count with no value counts as none
        addNote({"101", "01/11/2026", {{0, "7"}, {3, "8"}, {6, "9"}, {15, "7"}, {9, "55"}}});
        addNote({"102", "02/11/2026", {{0, "7"}}});
        exec("DELETE FROM tblVideos WHERE Codigo = '8'");
        ReturnDesk desk(*m_db);

        // The first slot holding the code goes first; its columns hold no value.
        std::optional<ReturnDesk::Booked> booked = desk.book("101", "7", "08/12/2026");
        QVERIFY(booked);
        QCOMPARE(booked->slot, 0);
        QVERIFY(booked->videoInCatalogue);
        QCOMPARE(booked->stillOpen, QStringList({"8", "9", "55", "7"}));
        QVERIFY(!booked->noteDeleted);
        QCOMPARE(qtde("7").toInt(), 3);
        QVERIFY(slotOf("101", 0).isNull());
        QVERIFY(scalar("SELECT \"Video-1\" FROM tblLocacao WHERE Codigo = '101'").isNull());
        QCOMPARE(slotOf("101", 15).toString(), QStringLiteral("7"));
        QCOMPARE(slotOf("102", 0).toString(), QStringLiteral("7"));

        // Deleted meanwhile: the slot is freed, no count changes.
        booked = desk.book("101", "8", "08/12/2026");
        QVERIFY(booked);
        QCOMPARE(booked->slot, 3);
        QVERIFY(!booked->videoInCatalogue);
        QVERIFY(qtde("8").isNull());
        QCOMPARE(scalar("SELECT COUNT(*) FROM tblVideos").toInt(), 2 + 1 - 1);

        booked = desk.book("101", "9", "08/12/2026");
        QVERIFY(booked);
        QCOMPARE(qtde("9").toInt(), 1);

        // Not open on the note (any more), an empty code, no such note:
        // nothing written.
        for (const auto& [note, code] : QList<QPair<QString, QString>>{
                 {"101", "8"}, {"101", "56"}, {"101", ""}, {"999", "7"}, {"", "7"}}) {
            QVERIFY2(!desk.book(note, code, "08/12/2026"), qPrintable(note + '/' + code));
            QCOMPARE(qtde("7").toInt(), 3);
            QCOMPARE(notes(), 2);
        }

        booked = desk.book("101", "55", "08/12/2026");
        QVERIFY(booked);
        QCOMPARE(booked->stillOpen, QStringList({"7"}));
        // The file reopened between returns: the statements follow it.
        m_db->close();
        m_db->open();
        booked = desk.book("101", "7", "08/12/2026");
        QVERIFY(booked);
        QCOMPARE(booked->slot, 15);
        QVERIFY(booked->stillOpen.isEmpty());
        QVERIFY(booked->noteDeleted);
        QCOMPARE(qtde("7").toInt(), 4);
        QCOMPARE(notes(), 1);
        QVERIFY(!desk.findNote("101"));
        QCOMPARE(desk.findNote("102")->openCodes, QStringList({"7"}));
    }

    // Where SQLite cannot be reached under Qt's driver, the same answers
    // come through Qt SQL.
    void throughQtSql()
    {
        if (onServer())
            QSKIP("a server is read through Qt SQL in every test");
        m_db.reset();
        m_db = std::make_unique<store::Database>(m_dir->path());
        m_db->setDirectAllowed(false);
        m_db->open();
        QVERIFY(!m_db->directHandle());
        addNote({"101", "01/11/2026", {{2, "7"}}});
        addNote({"102", QVariant(), {{1, "7"}, {4, "8"}}});
        VideoStatus status(*m_db);
        QCOMPARE(status.rentalDateOf("7"), std::optional<QString>(""));
        QCOMPARE(status.find("8")->rentedOn, std::optional<QString>(""));
        QCOMPARE(status.find("8")->onShelf, QStringLiteral("2"));
        QVERIFY(!status.rentalDateOf("9"));
        ReturnDesk desk(*m_db);
        QCOMPARE(desk.findNote("102")->openCodes, QStringList({"7", "8"}));
        QCOMPARE(desk.checkVideo({"7", "8"}, "8").title, QStringLiteral("Filme 8"));
        QVERIFY(!desk.book("102", "9", "08/12/2026"));
        QCOMPARE(desk.book("102", "7", "08/12/2026")->slot, 1);
        QCOMPARE(status.rentalDateOf("7"), std::optional<QString>("01/11/2026"));
        QVERIFY(desk.book("102", "8", "08/12/2026")->noteDeleted);
        QCOMPARE(qtde("7").toInt(), 3);
        QCOMPARE(qtde("8").toInt(), 3);
        QCOMPARE(notes(), 1);
    }
};

QTEST_GUILESS_MAIN(TestReturnDesk)
#include "tst_returndesk.moc"
