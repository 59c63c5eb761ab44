#include "counter/DayMovement.h"
#include "counter/RentalDraft.h"
#include "counter/ReturnDesk.h"
#include "platform/Formats.h"

#include "ShopFileTest.h"
#include <QTest>

using counter::DayMovement;

// The day's notes and returns from the history: the span of days, the
// value before the discount, the discount and what was charged, the totals.
class TestDayMovement : public ShopFileTest
{
    Q_OBJECT

    void addNote(const QString& code, const QVariant& savedAt, const QString& value, const QVariant& discount)
    {
        exec("INSERT INTO NoteHistory (Codigo, Data, SavedAt, Cliente, Valor, Desconto) VALUES (?, '', ?, ?, "
             "?, ?)",
             {code, savedAt, "Cliente " + code, value, discount});
    }
    static QString show(const DayMovement::Note& n)
    {
        return QStringList{n.code, n.savedAt.toString("dd HH:mm"), platform::formatMoney(n.value),
                           platform::formatMoney(n.discount), platform::formatMoney(n.net())}
            .join('|');
    }
    QStringList notesIn(const QDate& from, const QDate& to, int slice)
    {
        DayMovement day(*m_db, from, to);
        DayMovement::After after;
        QStringList out;
        for (;;) {
            const QList<DayMovement::Note> notes = day.notes(after, slice);
            for (const DayMovement::Note& n : notes)
                out.append(show(n));
            if (notes.size() < slice)
                return out;
        }
    }

private slots:
    void initTestCase() { platform::setAppLocale(QLocale(QLocale::Portuguese, QLocale::Brazil)); }
    void init()
    {
        makeShop();
        addNote("100", "2026-12-07T23:59:59", "R$ 5,00", "");
        addNote("101", "2026-12-08T00:00:00", "R$ 9,50", "R$ 1,00");
        addNote("102", "2026-12-08T15:30:00", "R$ 0,00", "3");
        addNote("103", "2026-12-08T15:30:00", "R$ 4,00", "0,5");
        addNote("104", "2026-12-09T08:00:00", "R$ 2,00", "abc");
        addNote("90", QVariant(), "R$ 7,00", "");
    }
    void cleanup() { closeShop(); }

    void notesOfTheSpan_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<int>("slice");
        QTest::addColumn<QStringList>("notes");
        QTest::addColumn<QString>("totals");
        const QString n100 = "100|07 23:59|R$\u00a05,00|R$\u00a00,00|R$\u00a05,00";
        const QString n101 = "101|08 00:00|R$\u00a010,50|R$\u00a01,00|R$\u00a09,50";
        const QString n102 = "102|08 15:30|R$\u00a03,00|R$\u00a03,00|R$\u00a00,00";
        const QString n103 = "103|08 15:30|R$\u00a04,50|R$\u00a00,50|R$\u00a04,00";
        const QString n104 = "104|09 08:00|R$\u00a02,00|R$\u00a00,00|R$\u00a02,00";
        const QDate d7(2026, 12, 7), d8(2026, 12, 8), d9(2026, 12, 9);
        QTest::newRow("one day, midnight on its first second")
            << d8 << d8 << 10 << QStringList{n101, n102, n103} << "3|1800|450|1350";
        QTest::newRow("one day, read a note at a time")
            << d8 << d8 << 1 << QStringList{n101, n102, n103} << "3|1800|450|1350";
        QTest::newRow("a range") << d7 << d9 << 2 << QStringList{n100, n101, n102, n103, n104}
                                 << "5|2500|450|2050";
        QTest::newRow("the day before ends at midnight")
            << d7 << d7 << 10 << QStringList{n100} << "1|500|0|500";
        QTest::newRow("a day without notes")
            << QDate(2026, 12, 10) << QDate(2026, 12, 10) << 10 << QStringList() << "0|0|0|0";
    }
    void notesOfTheSpan()
    {
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(int, slice);
        QFETCH(QStringList, notes);
        QFETCH(QString, totals);
        QCOMPARE(notesIn(from, to, slice), notes);
        const DayMovement::Totals sum = DayMovement(*m_db, from, to).totals();
        QCOMPARE(QStringLiteral("%1|%2|%3|%4").arg(sum.notes).arg(sum.value).arg(sum.discount).arg(sum.net),
                 totals);
    }

    void returnsBookedInTheSpan()
    {
        exec("INSERT INTO RentedVideos (Note, Slot, Codigo, Titulo, DevolvidoEm, ReturnedAt) VALUES "
             "(1, 0, '10', 'Ran', '07/12/2026', '2026-12-08T09:00:00'), "
             "(1, 1, '11', 'Alien', '06/12/2026', '2026-12-07T20:00:00'), "
             "(2, 0, '12', 'Kes', '08/12/2026', '2026-12-08T08:00:00'), "
             "(3, 0, '13', 'Ikiru', NULL, NULL)");
        DayMovement day(*m_db, QDate(2026, 12, 8), QDate(2026, 12, 8));
        DayMovement::After after;
        QStringList seen;
        for (int round = 0; round < 3; ++round)
            for (const DayMovement::Return& r : day.returns(after, 1))
                seen.append(QStringList{r.note, r.code, r.title, r.customer, r.returnedOn,
                                        r.bookedAt.toString("dd HH:mm")}
                                .join('|'));
        QCOMPARE(seen, (QStringList{"101|12|Kes|Cliente 101|08/12/2026|08 08:00",
                                    "100|10|Ran|Cliente 100|07/12/2026|08 09:00"}));
    }

    void savedNotesAreCounted()
    {
        // Through the counter, as the shop saves and returns, today.
        exec("DELETE FROM NoteHistory");
        exec("INSERT INTO tblVideos (Codigo, Nome, QTDE, Valor, Tipo) VALUES ('20', 'Ran', 2, '4,00', '')");
        counter::RentalDraft draft(*m_db);
        exec("INSERT INTO tblClientes (Codigo, Nome) VALUES ('7', 'Ana')");
        QVERIFY(draft.confirmRenter("Ana"));
        QCOMPARE(draft.enter("20").outcome, counter::RentalDraft::Entry::Entered);
        QCOMPARE(draft.checkSave("1,50"), counter::RentalDraft::SaveCheck::Ready);
        draft.save("08/12/2026", "300", "Ana", "1,50");
        QVERIFY(counter::ReturnDesk(*m_db).book("300", "20", "08/12/2026"));
        const QDate today = QDate::currentDate();
        DayMovement day(*m_db, today.addDays(-1), today.addDays(1));
        DayMovement::After after, afterReturn;
        const QList<DayMovement::Note> notes = day.notes(after, 10);
        QCOMPARE(notes.size(), 1);
        QCOMPARE(show(notes[0]).section('|', 2), "R$\u00a04,00|R$\u00a01,50|R$\u00a02,50");
        QCOMPARE(day.returns(afterReturn, 10).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestDayMovement)
#include "tst_daymovement.moc"
