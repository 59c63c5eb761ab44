#include "counter/Overdue.h"
#include "counter/RentalDraft.h"
#include "counter/ReturnDesk.h"
#include "counter/ShopSettings.h"
#include "platform/Formats.h"

#include "ShopFileTest.h"
#include <QTest>

using counter::Overdue;
using Hours = std::array<int, counter::ShopSettings::Categories>;

Q_DECLARE_METATYPE(Hours)

// The open notes past due: the due time of each category, the notes and
// videos that no longer count, the order, and the renter's phones.
class TestOverdue : public ShopFileTest
{
    Q_OBJECT

    // An open note saved at savedAt (ISO; empty: an older note known by its
    // date only), its videos "code:category", a category "~" meaning none.
    void addNote(const QString& code, const QString& savedAt, const QString& account,
                 const QStringList& videos, const QString& date = "01/12/2026")
    {
        exec("INSERT INTO tblLocacao (Codigo, Data, Clientes) VALUES (?, ?, 'x')", {code, date});
        exec("INSERT INTO NoteHistory (Codigo, Data, SavedAt, Cliente, ClienteCodigo) VALUES (?, ?, ?, ?, ?)",
             {code, date, savedAt.isEmpty() ? QVariant() : savedAt, "Cliente " + account,
              account.isEmpty() ? QVariant() : account});
        const qint64 id = scalar("SELECT MAX(Id) FROM NoteHistory").toLongLong();
        for (int slot = 0; slot < videos.size(); ++slot) {
            const QString category = videos[slot].section(':', 1);
            exec("INSERT INTO RentedVideos (Note, Slot, Codigo, Titulo, Tipo) VALUES (?, ?, ?, ?, ?)",
                 {id, slot, videos[slot].section(':', 0, 0), "Filme " + videos[slot].section(':', 0, 0),
                  category == "~" ? QVariant() : category});
        }
    }
    static QDateTime at(const QString& iso) { return QDateTime::fromString(iso, Qt::ISODate); }
    // "note:days:video,video|..." for each late note, in the order listed.
    QStringList listed(const QString& now)
    {
        QStringList out;
        for (const Overdue::Note& note : Overdue(*m_db).notes(at(now))) {
            QStringList videos;
            for (const Overdue::Video& v : note.videos)
                videos.append(QStringLiteral("%1=%2").arg(v.code).arg(v.daysLate));
            out.append(QStringLiteral("%1:%2:%3").arg(note.code).arg(note.daysLate).arg(videos.join(',')));
        }
        return out;
    }

private slots:
    void initTestCase() { platform::setAppLocale(QLocale(QLocale::Portuguese, QLocale::Brazil)); }
    void init() { makeShop(); }
    void cleanup() { closeShop(); }

    void dueByCategory_data()
    {
        QTest::addColumn<Hours>("hours");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("now");
        QTest::addColumn<int>("days");
        const Hours defaults{24, 24, 48};
        // Saved on 2026-12-01 at 10:00.
        QTest::newRow("super lançamento, an hour late") << defaults << "Super Lançamento"
                                                        << "2026-12-02T11:00" << 1;
        QTest::newRow("lançamento, not yet due") << defaults << "Lançamento"
                                                 << "2026-12-02T09:59" << 0;
        QTest::newRow("48 horas, due this minute") << defaults << "48 Horas"
                                                   << "2026-12-03T10:00" << 0;
        QTest::newRow("48 horas, a day and a minute") << defaults << "48 Horas"
                                                      << "2026-12-04T10:01" << 2;
        QTest::newRow("48 horas, three days") << defaults << "48 Horas"
                                              << "2026-12-06T10:00" << 3;
        QTest::newRow("lançamento set to 6 hours") << Hours{24, 6, 48} << "Lançamento"
                                                   << "2026-12-01T16:30" << 1;
        QTest::newRow("no category: the longest") << Hours{24, 72, 48} << ""
                                                  << "2026-12-04T09:00" << 0;
        QTest::newRow("no category, past the longest") << Hours{24, 72, 48} << ""
                                                       << "2026-12-04T11:00" << 1;
        QTest::newRow("no category kept: the longest") << defaults << "~"
                                                       << "2026-12-03T11:00" << 1;
        QTest::newRow("unknown category: the longest") << defaults << "Clássico"
                                                       << "2026-12-02T11:00" << 0;
    }
    void dueByCategory()
    {
        QFETCH(Hours, hours);
        QFETCH(QString, category);
        QFETCH(QString, now);
        QFETCH(int, days);
        counter::ShopSettings settings;
        settings.dueHours = hours;
        counter::SettingsStore(*m_db).write(settings);
        addNote("100", "2026-12-01T10:00:00", "7", {"10:" + category});
        QCOMPARE(listed(now), days ? QStringList{QStringLiteral("100:%1:10=%1").arg(days)} : QStringList());
        const auto late = Overdue(*m_db).lateVideo("100", "10", at(now));
        QCOMPARE(late ? late->daysLate : 0, days);
    }

    void onlyVideosStillOutOnOpenNotesCount()
    {
        addNote("100", "2026-12-01T10:00:00", "7", {"10:Lançamento", "11:Lançamento", "12:48 Horas"});
        addNote("101", "2026-12-01T10:00:00", "7", {"13:Lançamento"});
        const QString now = "2026-12-05T12:00";
        QCOMPARE(listed(now), (QStringList{"100:4:10=4,11=4,12=3", "101:4:13=4"}));
        // A returned video no longer counts; the note stays while another is out.
        exec("UPDATE RentedVideos SET ReturnedAt = '2026-12-05T09:00:00' WHERE Codigo = '11'");
        QCOMPARE(listed(now), (QStringList{"100:4:10=4,12=3", "101:4:13=4"}));
        QVERIFY(!Overdue(*m_db).lateVideo("100", "11", at(now)));
        // A settled note has left tblLocacao, whatever its history says.
        exec("DELETE FROM tblLocacao WHERE Codigo = '101'");
        QCOMPARE(listed(now), QStringList{"100:4:10=4,12=3"});
        QVERIFY(!Overdue(*m_db).lateVideo("101", "13", at(now)));
        // A note numbered as an older one: only its latest history counts.
        exec("DELETE FROM tblLocacao WHERE Codigo = '100'");
        addNote("100", "2026-12-05T08:00:00", "7", {"14:Lançamento"});
        QCOMPARE(listed(now), QStringList());
        QCOMPARE(listed("2026-12-06T09:00"), QStringList{"100:1:14=1"});
        QVERIFY(!Overdue(*m_db).lateVideo("", "14", at("2026-12-06T09:00")));
        QVERIFY(!Overdue(*m_db).lateVideo("100", "", at("2026-12-06T09:00")));
    }

    void mostLateFirstWithThePhones()
    {
        exec("INSERT INTO tblClientes (Codigo, Nome, FoneResidencial, FoneComercial, Celular) VALUES "
             "('7', 'Ana', '3333-1111', '', '99999-2222'), ('8', 'Cliente ', '4444-0000', NULL, NULL)");
        addNote("200", "2026-12-03T10:00:00", "7", {"10:Lançamento"});
        addNote("201", "2026-12-01T18:00:00", "9", {"11:Lançamento", "12:48 Horas"});
        addNote("202", "2026-12-03T09:00:00", "7", {"13:Lançamento"});
        // An older note: no time kept, counted from the start of its date,
        // its renter found by the name it holds.
        addNote("90", "", "", {"14:Lançamento"}, "02/12/2026");
        QCOMPARE(listed("2026-12-05T12:00"),
                 (QStringList{"201:3:11=3,12=2", "90:3:14=3", "202:2:13=2", "200:2:10=2"}));
        const QList<Overdue::Note> notes = Overdue(*m_db).notes(at("2026-12-05T12:00"));
        QCOMPARE(notes[0].phones, QStringList());
        QCOMPARE(notes[1].phones, QStringList{"Res. 4444-0000"});
        QCOMPARE(notes[2].phones, (QStringList{"Res. 3333-1111", "Cel. 99999-2222"}));
        QCOMPARE(notes[2].customer, QString("Cliente 7"));
        QCOMPARE(notes[1].videos[0].due.toString(Qt::ISODate), QString("2026-12-03T00:00:00Z"));
        QCOMPARE(notes[2].videos[0].due.toString(Qt::ISODate), QString("2026-12-04T09:00:00Z"));
    }
};

QTEST_GUILESS_MAIN(TestOverdue)
#include "tst_overdue.moc"
