// The "Buscar" search through its own interface, on a real data file: what
// the operator types, what comes back, and the index kept in step with the
// register's writes and built for a file from before it.

#include "ShopFileTest.h"
#include "counter/CustomerRecords.h"
#include "counter/Search.h"
#include "counter/VideoRecords.h"
#include "store/Names.h"
#include "store/Schema.h"

#include <QTest>

using namespace store::names;
using counter::Record;
using counter::Search;
using Done = counter::RecordService::Outcome;

namespace {

Record customer(const QString& number, const QString& name, const QStringList& dependants, const QString& cpf,
                const QString& phone)
{
    Record r{{tblClientes::Codigo, number},
             {tblClientes::Data, QStringLiteral("01/02/2003")},
             {tblClientes::Nome, name},
             {tblClientes::Endereco, QStringLiteral("Rua A, 1")},
             {tblClientes::RG, QStringLiteral("777")},
             {tblClientes::CPF, cpf},
             {tblClientes::FoneResidencial, QString()},
             {tblClientes::Celular, phone}};
    for (int i = 0; i < 3; ++i)
        r.insert(tblClientes::NameColumns[i + 1], dependants.value(i));
    return r;
}

Record video(const QString& code, const QString& title)
{
    return {{tblVideos::Codigo, code},
            {tblVideos::Nome, title},
            {tblVideos::Genero, QStringLiteral("Ação")},
            {tblVideos::QTDE, QStringLiteral("2")},
            {tblVideos::Tipo, QStringLiteral("48 Horas")},
            {tblVideos::Data, QStringLiteral("04/05/2006")}};
}

// A result as one line: "name #number cpf phone <holder".
QStringList lines(const QList<Search::Person>& people)
{
    QStringList out;
    for (const Search::Person& p : people)
        out.append(QStringLiteral("%1 #%2%3%4%5")
                       .arg(p.name, p.number, p.cpf.isEmpty() ? QString() : u' ' + p.cpf,
                            p.phone.isEmpty() ? QString() : u' ' + p.phone,
                            p.holder.isEmpty() ? QString() : QStringLiteral(" <") + p.holder));
    return out;
}

QStringList lines(const QList<Search::Video>& videos)
{
    QStringList out;
    for (const Search::Video& v : videos)
        out.append(QStringLiteral("%1 #%2 %3 %4").arg(v.title, v.code, v.category, v.onShelf));
    return out;
}

} // namespace

class TestSearch : public ShopFileTest
{
    Q_OBJECT

    void stock()
    {
        counter::CustomerRecords people(*m_db);
        for (const Record& r : {customer("1", "João Silva", {"Maria Silva"}, "123.456.789-09", "1708-2405"),
                                customer("2", "Conceição Ação", {"", "", "José Silva Neto"}, "", "9999-0000"),
                                customer("33", "Antônio Souza", {"João Silvério"}, "987.654.321-00", ""),
                                customer("4", "Silvana Dias", {}, "111.222.333-44", "1708-0001")})
            QCOMPARE(people.add(r).status, Done::Done);
        counter::VideoRecords videos(*m_db);
        for (const Record& r :
             {video("1000", "Ação Mutante"), video("1001", "Rocky 2"), video("2", "O Coração")})
            QCOMPARE(videos.add(r).status, Done::Done);
    }

private slots:
    void init()
    {
        makeShop();
        stock();
    }
    void cleanup() { closeShop(); }

    void people_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("found");
        const QString joao = u"João Silva #1 123.456.789-09 1708-2405"_qs;
        const QString maria = u"Maria Silva #1 <João Silva"_qs;
        const QString neto = u"José Silva Neto #2 <Conceição Ação"_qs;
        const QString silverio = u"João Silvério #33 <Antônio Souza"_qs;
        const QString silvana = u"Silvana Dias #4 111.222.333-44 1708-0001"_qs;
        QTest::addRow("accents ignored") << "joao silva " << QStringList{joao};
        QTest::addRow("any word, holders and dependants") << "silva " << QStringList{joao, maria, neto};
        QTest::addRow("last word a beginning") << "SILV" << QStringList{joao, maria, neto, silverio, silvana};
        QTest::addRow("words in any order") << "silva joão" << QStringList{joao};
        QTest::addRow("accents typed, none stored") << "sílvána" << QStringList{silvana};
        QTest::addRow("word of a third dependant") << "neto" << QStringList{neto};
        QTest::addRow("nobody") << "pereira" << QStringList{};
        QTest::addRow("words of two people of one account") << "joao maria" << QStringList{};
        QTest::addRow("CPF with punctuation") << "123.456.789-09" << QStringList{joao};
        QTest::addRow("CPF digits") << "12345678909" << QStringList{joao};
        QTest::addRow("CPF begun") << "9876" << QStringList{u"Antônio Souza #33 987.654.321-00"_qs};
        QTest::addRow("phone with punctuation") << "1708-2405" << QStringList{joao};
        QTest::addRow("phone digits, either phone shown")
            << "99990000" << QStringList{u"Conceição Ação #2 9999-0000"_qs};
        QTest::addRow("phone begun") << "1708" << QStringList{joao, silvana};
        QTest::addRow("number") << "33" << QStringList{u"Antônio Souza #33 987.654.321-00"_qs};
        QTest::addRow("number first, then a CPF it begins")
            << "1" << QStringList{joao, u"Silvana Dias #4 111.222.333-44 1708-0001"_qs};
        QTest::addRow("empty") << "" << QStringList{};
        QTest::addRow("punctuation only") << " .-" << QStringList{};
        // The query language's signs are no more than separators, its
        // words only words to find: nothing typed errs or steers the query.
        for (const char* typed : {"\"silva\"", "silva*", "(silva)", "silva^", "-silva ", "+silva:"})
            QTest::addRow("signs typed: %s", typed) << typed << QStringList{joao, maria, neto};
        QTest::addRow("open quote, a beginning")
            << "\"silv" << QStringList{joao, maria, neto, silverio, silvana};
        for (const char* typed : {"silva OR joao", "NEAR(silva joao)", "{Nome}: silva", "Nome:silva",
                                  "silva NOT maria", "silva'; DROP TABLE tblClientes; --"})
            QTest::addRow("operators typed: %s", typed) << typed << QStringList{};
    }
    void people()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, found);
        Search search(*m_db);
        QCOMPARE(lines(search.people(typed)), found);
        QCOMPARE(scalar(u"SELECT COUNT(*) FROM tblClientes"_qs).toInt(), 4);
    }

    void videos_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("found");
        const QString mutante = u"Ação Mutante #1000 48 Horas 2"_qs;
        QTest::addRow("accents ignored") << "acao" << QStringList{mutante};
        QTest::addRow("beginning of a word inside a title")
            << "cora" << QStringList{u"O Coração #2 48 Horas 2"_qs};
        QTest::addRow("code exact first, then codes it begins")
            << "2" << QStringList{u"O Coração #2 48 Horas 2"_qs, u"Rocky 2 #1001 48 Horas 2"_qs};
        QTest::addRow("code begun") << "100" << QStringList{mutante, u"Rocky 2 #1001 48 Horas 2"_qs};
        QTest::addRow("quotes typed") << "\"mutante\"" << QStringList{mutante};
        QTest::addRow("operators typed") << "acao OR rocky" << QStringList{};
    }
    void videos()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, found);
        QCOMPARE(lines(Search(*m_db).videos(typed)), found);
    }

    // Save, change and delete through the register's services keep the
    // index in step, and a shelf count leaves it alone.
    void keptCurrent()
    {
        Search search(*m_db);
        counter::CustomerRecords people(*m_db);
        QCOMPARE(people.add(customer("5", "Ângela Pereira", {"Íris Pereira"}, "", "")).status, Done::Done);
        QCOMPARE(lines(search.people("pereira")),
                 (QStringList{u"Ângela Pereira #5"_qs, u"Íris Pereira #5 <Ângela Pereira"_qs}));
        QCOMPARE(people.change("5", customer("50", "Ângela Moura", {"", "Íris Moura"}, "555.555.555-55", ""))
                     .status,
                 Done::Done);
        QCOMPARE(lines(search.people("pereira")), QStringList{});
        QCOMPARE(lines(search.people("moura")),
                 (QStringList{u"Ângela Moura #50 555.555.555-55"_qs, u"Íris Moura #50 <Ângela Moura"_qs}));
        QCOMPARE(lines(search.people("55555555555")), QStringList{u"Ângela Moura #50 555.555.555-55"_qs});
        QCOMPARE(people.remove("50").status, Done::Done);
        QCOMPARE(lines(search.people("moura")), QStringList{});

        counter::VideoRecords videos(*m_db);
        Record renamed = video("1001", "Rambo");
        QCOMPARE(videos.change("1001", renamed).status, Done::Done);
        exec(u"UPDATE tblVideos SET QTDE = QTDE - 1"_qs);
        QCOMPARE(lines(search.videos("rocky")), QStringList{});
        QCOMPARE(lines(search.videos("ramb")), QStringList{u"Rambo #1001 48 Horas 1"_qs});
        QCOMPARE(videos.remove("1001").status, Done::Done);
        QCOMPARE(lines(search.videos("rambo")), QStringList{});
        if (!onServer())
            QVERIFY(Search::indexesMatchTables(*m_db));
    }

    // The index's own writes are no unknown change to the pick lists that
    // watch the tables: a customer saved is told as one row, not by making
    // every list read again.
    void listsAreToldOfTheRowNotMadeToForget()
    {
        struct Watcher : store::WriteWatcher
        {
            QStringList rows;
            int forgotten = 0;
            void rowWritten(const char* table, qint64) override { rows.append(QString::fromUtf8(table)); }
            void forget() override { ++forgotten; }
            QString watchedTable() const override { return tblClientes::Table; }
        };
        auto& watcher = static_cast<Watcher&>(m_db->keepWatcher(std::make_unique<Watcher>()));
        // A server tells the rows written before the watcher came, too.
        QVERIFY(m_db->watchesWrites());
        watcher.forgotten = 0;
        watcher.rows.clear();
        counter::CustomerRecords people(*m_db);
        QCOMPARE(people.add(customer("7", "Rita Lee", {"Beto Lee"}, "", "")).status, Done::Done);
        QCOMPARE(people.change("7", customer("7", "Rita Lee Jones", {}, "", "")).status, Done::Done);
        QVERIFY(m_db->watchesWrites());
        QCOMPARE(watcher.forgotten, 0);
        QCOMPARE(watcher.rows, (QStringList{"tblClientes", "tblClientes"}));
        // A write nobody told of is still found out (SQLite tells none of a
        // table without rowids).
        if (onServer())
            return;
        exec(u"CREATE TEMP TABLE untold (a PRIMARY KEY) WITHOUT ROWID"_qs);
        exec(u"INSERT INTO untold VALUES (1)"_qs);
        QVERIFY(m_db->watchesWrites());
        QCOMPARE(watcher.forgotten, 1);
    }

    // The comparison with the tables fails on an index out of step: a
    // writer that bypassed the triggers.
    void indexOutOfStepIsSeen()
    {
        if (onServer())
            QSKIP("a server has no search index to fall out of step");
        QVERIFY(Search::indexesMatchTables(*m_db));
        exec(u"DROP TRIGGER PeopleSearch_delete"_qs);
        exec(u"DELETE FROM tblClientes WHERE Codigo = '33'"_qs);
        QVERIFY(!Search::indexesMatchTables(*m_db));
    }

    // A file from before the search gets its index at the next start,
    // every row in it; the four tables are left as they were.
    void olderFileGetsItsIndex()
    {
        if (onServer())
            QSKIP("a server database is made by this version");
        const QString before = rows(u"SELECT * FROM tblClientes"_qs).join(u'\n');
        for (const QString& sql :
             {u"DROP TRIGGER PeopleSearch_insert"_qs, u"DROP TRIGGER PeopleSearch_update"_qs,
              u"DROP TRIGGER PeopleSearch_delete"_qs, u"DROP TRIGGER VideoSearch_insert"_qs,
              u"DROP TRIGGER VideoSearch_update"_qs, u"DROP TRIGGER VideoSearch_delete"_qs,
              u"DROP TABLE PeopleSearch"_qs, u"DROP TABLE VideoSearch"_qs, u"PRAGMA user_version = 3"_qs})
            exec(sql);
        exec(
            u"INSERT INTO tblClientes (Codigo, Nome, Dependente2) VALUES ('6', 'Luís Ramos', 'Inês Ramos')"_qs);
        openShop();
        QCOMPARE(scalar(u"PRAGMA user_version"_qs).toInt(), store::SchemaVersion);
        QVERIFY(Search::indexesMatchTables(*m_db));
        Search search(*m_db);
        QCOMPARE(lines(search.people("ines")), QStringList{u"Inês Ramos #6 <Luís Ramos"_qs});
        QCOMPARE(lines(search.people("joao")).size(), 2);
        QCOMPARE(lines(search.videos("acao")), QStringList{u"Ação Mutante #1000 48 Horas 2"_qs});
        exec(u"DELETE FROM tblClientes WHERE Codigo = '6'"_qs);
        QCOMPARE(rows(u"SELECT * FROM tblClientes"_qs).join(u'\n'), before);
    }

    // At most the limit, in the file's order.
    void atMostTheLimit()
    {
        counter::CustomerRecords people(*m_db);
        for (int i = 0; i < Search::Limit; ++i)
            QCOMPARE(
                people
                    .add(customer(QString::number(100 + i), u"Rui Costa"_qs, {u"Rui Costa Filho"_qs}, {}, {}))
                    .status,
                Done::Done);
        const QList<Search::Person> found = Search(*m_db).people("costa");
        QCOMPARE(found.size(), Search::Limit);
        QCOMPARE(found.last().number, u"149"_qs);
        QCOMPARE(found.last().which, 1);
    }
};

QTEST_GUILESS_MAIN(TestSearch)
#include "tst_search.moc"
