// The save and modify services of customers and videos, through their own
// interface, on a real data file and without a window.

#include "ServerShop.h"
#include "counter/CustomerRecords.h"
#include "counter/VideoRecords.h"
#include "store/Database.h"
#include "store/Names.h"
#include "store/RecordCursor.h"
#include "store/Schema.h"
#include "store/StoreError.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

using namespace store::names;
using counter::Record;
using Outcome = counter::RecordService::Outcome;

Q_DECLARE_METATYPE(Outcome::Status)

namespace {

Record customer(const QString& codigo, const QVariant& cpf)
{
    return {{tblClientes::Codigo, codigo},
            {tblClientes::Data, QStringLiteral("01/02/2003")},
            {tblClientes::Nome, "Ana " + codigo},
            {tblClientes::Endereco, QStringLiteral("Rua A, 1")},
            {tblClientes::RG, QStringLiteral("777")},
            {tblClientes::CPF, cpf},
            {tblClientes::Dependente1, QStringLiteral("Bia")}};
}

Record video(const QString& codigo, const QString& valor = QStringLiteral("R$ 2,50"))
{
    return {{tblVideos::Codigo, codigo},
            {tblVideos::Nome, QStringLiteral("Filme ") + codigo},
            {tblVideos::Genero, QStringLiteral("Drama")},
            {tblVideos::QTDE, QStringLiteral("3")},
            {tblVideos::Valor, valor},
            {tblVideos::Data, QStringLiteral("04/05/2006")}};
}

} // namespace

class TestRecords : public QObject
{
    Q_OBJECT

    std::optional<QTemporaryDir> m_dir;
    std::optional<store::Database> m_db;

    store::Database& db() { return *m_db; }
    int count(const QString& table) { return store::RecordCursor(db(), table).count(); }
    // The stored row of key, null when there is none.
    std::optional<Record> row(const QString& table, const QString& key)
    {
        store::RecordCursor c(db(), table);
        if (!c.lookUp(QStringLiteral("indCodigo"), key))
            return std::nullopt;
        Record r;
        for (const QString& column : store::table(table)->columns)
            r.insert(column, c.value(column));
        return r;
    }

private slots:
    void init()
    {
        if (serverTestsWanted()) {
            m_db.emplace(freshServerShop());
            return;
        }
        m_dir.emplace();
        m_db.emplace(m_dir->path());
    }
    // A walk of one cursor with lookups of another between its steps, as a
    // report's two readers do: a server connection answers one statement
    // at a time, and the walk must not lose its rows to the lookups.
    void aWalkGoesOnBetweenOtherReads()
    {
        counter::CustomerRecords service(db());
        for (int i = 1; i <= 40; ++i)
            QCOMPARE(service.add(customer(QString::number(i), QStringLiteral("%1.111.111-11").arg(100 + i)))
                         .status,
                     Outcome::Done);
        store::RecordCursor walk(db(), tblClientes::Table);
        store::RecordCursor seek(db(), tblClientes::Table);
        QStringList walked;
        for (walk.moveFirst(); !walk.atEnd(); walk.moveNext()) {
            walked.append(walk.text(tblClientes::Codigo));
            QVERIFY(seek.find(tblClientes::indCodigo, walk.text(tblClientes::Codigo)));
            QCOMPARE(seek.text(tblClientes::CPF), walk.text(tblClientes::CPF));
        }
        QCOMPARE(walked.size(), 40);
        QCOMPARE(walked.last(), QStringLiteral("40"));
    }

    void cleanup()
    {
        m_db.reset();
        m_dir.reset();
    }

    void requiredFields_data()
    {
        QTest::addColumn<bool>("videos");
        QTest::addColumn<QStringList>("emptied");
        QTest::addColumn<QString>("missing"); // empty: stored
        QTest::newRow("customer complete") << false << QStringList() << QString();
        QTest::newRow("customer without number")
            << false << QStringList{tblClientes::Codigo} << tblClientes::Codigo;
        QTest::newRow("customer without RG") << false << QStringList{tblClientes::RG} << tblClientes::RG;
        QTest::newRow("customer without name")
            << false << QStringList{tblClientes::Nome} << tblClientes::Nome;
        QTest::newRow("customer without address")
            << false << QStringList{tblClientes::Endereco} << tblClientes::Endereco;
        QTest::newRow("the first in order is named")
            << false << QStringList{tblClientes::Endereco, tblClientes::RG} << tblClientes::RG;
        QTest::newRow("customer's optional fields")
            << false << QStringList{tblClientes::CPF, tblClientes::Dependente1} << QString();
        QTest::newRow("video complete") << true << QStringList() << QString();
        QTest::newRow("video without code") << true << QStringList{tblVideos::Codigo} << tblVideos::Codigo;
        QTest::newRow("video without title") << true << QStringList{tblVideos::Nome} << tblVideos::Nome;
        QTest::newRow("video without copies") << true << QStringList{tblVideos::QTDE} << tblVideos::QTDE;
        QTest::newRow("video without genre") << true << QStringList{tblVideos::Genero} << tblVideos::Genero;
        QTest::newRow("video without price") << true << QStringList{tblVideos::Valor} << QString();
    }
    void requiredFields()
    {
        QFETCH(bool, videos);
        QFETCH(QStringList, emptied);
        QFETCH(QString, missing);
        counter::CustomerRecords customers(db());
        counter::VideoRecords catalogue(db());
        counter::RecordService& service =
            videos ? static_cast<counter::RecordService&>(catalogue) : customers;
        Record record =
            videos ? video(QStringLiteral("5")) : customer(QStringLiteral("5"), QStringLiteral("1"));
        for (const QString& column : emptied)
            record.insert(column, QString());

        const std::optional<counter::Required> found = service.missing(record);
        QCOMPARE(found ? found->column : QString(), missing);
        const Outcome outcome = service.add(record);
        QCOMPARE(outcome.status, missing.isEmpty() ? Outcome::Done : Outcome::Missing);
        QCOMPARE(outcome.column, missing);
        QCOMPARE(count(videos ? tblVideos::Table : tblClientes::Table), missing.isEmpty() ? 1 : 0);
    }

    void requiredNamesAsTheMessageSaysThem()
    {
        QCOMPARE(counter::CustomerRecords(db()).missing({})->name, QStringLiteral("Nº de Cadastro"));
        Record noCopies = video("1");
        noCopies.remove(tblVideos::QTDE);
        QCOMPARE(counter::VideoRecords(db()).missing(noCopies)->name, QStringLiteral("Quantidade"));
    }

    void cpfs_data()
    {
        QTest::addColumn<QVariantList>("onFile"); // CPFs of customers 1, 2..; '' as an old file may hold it
        QTest::addColumn<QVariantList>("added");  // CPFs of customers 11, 12..
        QTest::addColumn<QList<Outcome::Status>>("outcomes");
        const QVariant none;
        const QVariant empty = QString();
        const QVariant a = QStringLiteral("111.111.111-11");
        using S = Outcome::Status;
        QTest::newRow("three without CPF")
            << QVariantList() << QVariantList{empty, empty, empty} << QList<S>{S::Done, S::Done, S::Done};
        QTest::newRow("beside an old file's empty CPF")
            << QVariantList{empty} << QVariantList{empty, none} << QList<S>{S::Done, S::Done};
        QTest::newRow("a CPF on file is refused") << QVariantList{a} << QVariantList{a} << QList<S>{S::Taken};
        QTest::newRow("a CPF just stored is refused")
            << QVariantList() << QVariantList{a, empty, a} << QList<S>{S::Done, S::Done, S::Taken};
    }
    void cpfs()
    {
        QFETCH(QVariantList, onFile);
        QFETCH(QVariantList, added);
        QFETCH(QList<Outcome::Status>, outcomes);
        {
            store::RecordCursor c(db(), tblClientes::Table);
            for (int i = 0; i < onFile.size(); ++i) {
                c.addNew();
                c.setValue(tblClientes::Codigo, QString::number(i + 1));
                c.setValue(tblClientes::CPF, onFile[i]);
                c.update();
            }
        }
        counter::CustomerRecords service(db());
        for (int i = 0; i < added.size(); ++i) {
            const QString codigo = QString::number(i + 11);
            const Outcome outcome = service.add(customer(codigo, added[i]));
            QCOMPARE(outcome.status, outcomes[i]);
            if (outcome.status == Outcome::Taken) {
                QCOMPARE(outcome.column, tblClientes::CPF);
                QVERIFY(!row(tblClientes::Table, codigo));
            } else {
                // Without a CPF the column holds no value.
                const QVariant stored = row(tblClientes::Table, codigo)->value(tblClientes::CPF);
                QCOMPARE(stored.isNull(), added[i].toString().isEmpty());
            }
        }
        // An empty CPF names nobody, though an old file holds one.
        QVERIFY(!service.holder(tblClientes::CPF, QString()));
    }

    void cpfChanges_data()
    {
        QTest::addColumn<QString>("codigo");
        QTest::addColumn<QVariant>("cpf");
        QTest::addColumn<Outcome::Status>("outcome");
        QTest::newRow("emptied") << "1" << QVariant(QString()) << Outcome::Done;
        QTest::newRow("emptied beside an old empty one") << "2" << QVariant(QString()) << Outcome::Done;
        QTest::newRow("kept") << "1" << QVariant(QStringLiteral("111.111.111-11")) << Outcome::Done;
        QTest::newRow("another's") << "1" << QVariant(QStringLiteral("222.222.222-22")) << Outcome::Taken;
        QTest::newRow("old empty one given a CPF")
            << "3" << QVariant(QStringLiteral("333.333.333-33")) << Outcome::Done;
    }
    void cpfChanges()
    {
        QFETCH(QString, codigo);
        QFETCH(QVariant, cpf);
        QFETCH(Outcome::Status, outcome);
        counter::CustomerRecords service(db());
        QCOMPARE(service.add(customer("1", QStringLiteral("111.111.111-11"))).status, Outcome::Done);
        QCOMPARE(service.add(customer("2", QStringLiteral("222.222.222-22"))).status, Outcome::Done);
        {
            store::RecordCursor c(db(), tblClientes::Table);
            c.addNew();
            c.setValue(tblClientes::Codigo, QStringLiteral("3"));
            c.setValue(tblClientes::CPF, QString()); // as an old file holds it
            c.update();
        }
        const QVariant before = row(tblClientes::Table, codigo)->value(tblClientes::CPF);
        const Outcome got = service.change(codigo, {{tblClientes::Codigo, codigo}, {tblClientes::CPF, cpf}});
        QCOMPARE(got.status, outcome);
        const QVariant after = row(tblClientes::Table, codigo)->value(tblClientes::CPF);
        if (outcome == Outcome::Taken) {
            QCOMPARE(got.column, tblClientes::CPF);
            QCOMPARE(after, before);
        } else if (cpf.toString().isEmpty()) {
            QVERIFY(after.isNull());
        } else {
            QCOMPARE(after, cpf);
        }
    }

    void duplicateKey()
    {
        counter::VideoRecords service(db());
        QCOMPARE(service.add(video("7")).status, Outcome::Done);
        Record again = video("7", QStringLiteral("R$ 9,00"));
        const Outcome outcome = service.add(again);
        QCOMPARE(outcome.status, Outcome::Taken);
        QCOMPARE(outcome.column, tblVideos::Codigo);
        QCOMPARE(count(tblVideos::Table), 1);
        QCOMPARE(row(tblVideos::Table, "7")->value(tblVideos::Valor), QVariant(QStringLiteral("R$ 2,50")));
        QCOMPARE(service.holder(tblVideos::Codigo, "7")->value(tblVideos::Nome),
                 QVariant(QStringLiteral("Filme 7")));
        QVERIFY(!service.holder(tblVideos::Codigo, "8"));

        // Changed to another video's code: refused, both stay as they were.
        QCOMPARE(service.add(video("8")).status, Outcome::Done);
        const Outcome changed = service.change("8", video("7", QStringLiteral("R$ 1,00")));
        QCOMPARE(changed.status, Outcome::Taken);
        QCOMPARE(row(tblVideos::Table, "8")->value(tblVideos::Valor), QVariant(QStringLiteral("R$ 2,50")));
        QCOMPARE(row(tblVideos::Table, "7")->value(tblVideos::Valor), QVariant(QStringLiteral("R$ 2,50")));
    }

    void priceRule_data()
    {
        QTest::addColumn<QString>("price");
        QTest::addColumn<int>("status"); // platform::PriceReading::Status
        using P = platform::PriceReading;
        QTest::newRow("zero") << "0" << int(P::Ok);
        QTest::newRow("highest") << "9.999,99" << int(P::Ok);
        QTest::newRow("one centavo above") << "10.000,00" << int(P::TooLarge);
        QTest::newRow("negative") << "-0,01" << int(P::Negative);
        QTest::newRow("no number") << "7.50" << int(P::NotANumber);
        QTest::newRow("empty") << "" << int(P::Empty);
        QTest::newRow("blanks") << "   " << int(P::Empty);
    }
    void priceRule()
    {
        QFETCH(QString, price);
        QFETCH(int, status);
        QCOMPARE(int(counter::VideoRecords::priceRule(price)), status);
        counter::VideoRecords service(db());
        const bool kept = status == platform::PriceReading::Ok || status == platform::PriceReading::Empty;
        QCOMPARE(service.refused(video("1", price)), kept ? std::nullopt : std::optional(tblVideos::Valor));
        const Outcome added = service.add(video("1", price));
        QCOMPARE(added.status, kept ? Outcome::Done : Outcome::Refused);
        QCOMPARE(count(tblVideos::Table), kept ? 1 : 0);
        if (kept)
            QCOMPARE(row(tblVideos::Table, "1")->value(tblVideos::Valor), QVariant(price));

        // Changing to the price follows the same rule.
        QCOMPARE(service.add(video("2")).status, Outcome::Done);
        QCOMPARE(service.change("2", video("2", price)).status, kept ? Outcome::Done : Outcome::Refused);
        QCOMPARE(row(tblVideos::Table, "2")->value(tblVideos::Valor),
                 QVariant(kept ? price : QStringLiteral("R$ 2,50")));
    }

    void storeChangeDelete()
    {
        counter::VideoRecords service(db());
        QVERIFY(!service.find(QString()));
        QCOMPARE(service.add(video("3")).status, Outcome::Done);
        std::optional<Record> stored = row(tblVideos::Table, "3");
        // The copies are a count; a category not chosen is no value.
        QCOMPARE(stored->value(tblVideos::QTDE), QVariant(qlonglong(3)));
        QVERIFY(stored->value(tblVideos::Tipo).isNull());
        QCOMPARE(stored->value(tblVideos::Data), QVariant(QStringLiteral("04/05/2006")));

        // A change writes the columns given and keeps the others (the date).
        Record changed = video("3", QStringLiteral("R$ 4,00"));
        changed.remove(tblVideos::Data);
        changed.insert(tblVideos::QTDE, QString());
        changed.insert(tblVideos::Tipo, QStringLiteral("Lançamento"));
        QCOMPARE(service.change("3", changed).status, Outcome::Done);
        stored = row(tblVideos::Table, "3");
        QCOMPARE(stored->value(tblVideos::Valor), QVariant(QStringLiteral("R$ 4,00")));
        QVERIFY(stored->value(tblVideos::QTDE).isNull());
        QCOMPARE(stored->value(tblVideos::Tipo), QVariant(QStringLiteral("Lançamento")));
        QCOMPARE(stored->value(tblVideos::Data), QVariant(QStringLiteral("04/05/2006")));
        QCOMPARE(service.find("3")->value(tblVideos::Tipo), QVariant(QStringLiteral("Lançamento")));

        // A change may take a new code of its own.
        changed.insert(tblVideos::Codigo, QStringLiteral("30"));
        QCOMPARE(service.change("3", changed).status, Outcome::Done);
        QVERIFY(!row(tblVideos::Table, "3"));
        QVERIFY(row(tblVideos::Table, "30"));

        QCOMPARE(service.remove("30").status, Outcome::Done);
        QCOMPARE(count(tblVideos::Table), 0);
        // Gone meanwhile: nothing to change or delete.
        QCOMPARE(service.remove("30").status, Outcome::Gone);
        QCOMPARE(service.change("30", changed).status, Outcome::Gone);
        QCOMPARE(count(tblVideos::Table), 0);
    }

    void aLockedFileStoresNothing_data()
    {
        QTest::addColumn<int>("act");
        QTest::newRow("add") << 0;
        QTest::newRow("change") << 1;
        QTest::newRow("remove") << 2;
    }
    void aLockedFileStoresNothing()
    {
        if (serverTestsWanted())
            QSKIP("a server has no file to lock");
        QFETCH(int, act);
        counter::CustomerRecords service(db());
        QCOMPARE(service.add(customer("1", QStringLiteral("111.111.111-11"))).status, Outcome::Done);
        {
            QSqlDatabase other =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
            other.setDatabaseName(store::Database::filePath(m_dir->path()));
            QVERIFY(other.open());
            QSqlQuery lock(other);
            QVERIFY(lock.exec(QStringLiteral("BEGIN EXCLUSIVE")));
            bool thrown = false;
            try {
                if (act == 0)
                    service.add(customer("2", QString()));
                else if (act == 1)
                    service.change("1", customer("1", QString()));
                else
                    service.remove("1");
            } catch (const store::StoreError&) {
                thrown = true;
            }
            QVERIFY(thrown);
            QVERIFY(lock.exec(QStringLiteral("ROLLBACK")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
        QCOMPARE(count(tblClientes::Table), 1);
        QCOMPARE(row(tblClientes::Table, "1")->value(tblClientes::CPF),
                 QVariant(QStringLiteral("111.111.111-11")));
    }
};

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
