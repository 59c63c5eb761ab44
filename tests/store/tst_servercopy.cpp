#include "counter/RentalDraft.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/ServerAddress.h"
#include "store/ServerCopy.h"
#include "store/StoreError.h"

#include "ServerShop.h"
#include <QCryptographicHash>
#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

// A shop's data file copied to an empty database of the test server: every
// row as it was, the file untouched, nothing left behind by a copy refused
// or failed.
class TestServerCopy : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_server;

    QString folder() const { return m_dir->path(); }

    static QSqlQuery exec(QSqlDatabase db, const QString& sql, const QVariantList& values = {})
    {
        return runSql(db, sql, values);
    }

    // A shop whose every table holds rows: a note saved by the counter's
    // rules, the rest written plainly, no value beside empty texts and
    // accented ones.
    void stockFile()
    {
        store::Database db(folder());
        QSqlDatabase c = db.connection();
        exec(c, "INSERT INTO tblClientes (Codigo, Nome, Endereco, CPF, Celular) VALUES ('1', 'Conceição "
                "Araújo', 'Rua Ñandu, 5\t\\fundos', '', NULL), ('2', 'Zoë', NULL, '123', '')");
        exec(c, "INSERT INTO tblClientes (Codigo, Nome, Dependente1) VALUES ('3', 'Ana', 'Bia')");
        exec(c, "DELETE FROM tblClientes WHERE Codigo = '2'");
        exec(c, "INSERT INTO tblVideos (Codigo, Nome, QTDE, Valor, Tipo, Genero) VALUES ('10', 'Ação "
                "na “Serra”', 3, '3,00', 'Drama', ''), ('11', 'Linha\nDupla', 1, '4,50', 'Drama', NULL)");
        counter::RentalDraft draft(db);
        QVERIFY(draft.confirmRenter("Bia"));
        QCOMPARE(draft.enter("10").outcome, counter::RentalDraft::Entry::Entered);
        QCOMPARE(draft.checkSave(""), counter::RentalDraft::SaveCheck::Ready);
        draft.save("08/12/2026", draft.nextNumber(), "Bia", "");
        // A note being composed, and an older note from the history.
        QCOMPARE(draft.enter("11").outcome, counter::RentalDraft::Entry::Entered);
        exec(c, "INSERT INTO NoteHistory (Id, Codigo, Data, Cliente, Valor) VALUES (40, '7', '01/02/2025', "
                "'José', '')");
        exec(c,
             "INSERT INTO RentedVideos (Note, Slot, Codigo, Titulo, Preco, DevolvidoEm) VALUES (40, 0, '11', "
             "'Linha', NULL, '03/02/2025')");
        exec(c, "INSERT INTO Settings (Name, Value) VALUES ('Loja', 'Vídeo São João'), ('Vazio', '')");
        draft.clear();
    }

    // The data file's own bytes.
    QByteArray fileHash() const
    {
        QFile file(store::Database::filePath(folder()));
        if (!file.open(QIODevice::ReadOnly))
            return "(no file)";
        return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
    }

    // Every row of each table the copy carries, read the same way on both.
    static QStringList dump(QSqlDatabase db)
    {
        QStringList selects;
        for (const store::TableDef& t : store::tables())
            selects.append(store::selectColumns(t) + " ORDER BY rowid");
        selects += {R"(SELECT "Estacao", "Slot", "Codigo" FROM "PendingCopies" ORDER BY 1, 2)",
                    "SELECT Id, Codigo, Data, SavedAt, Cliente, ClienteCodigo, Valor, Desconto FROM "
                    "NoteHistory ORDER BY Id",
                    "SELECT rowid, Note, Slot, Codigo, Titulo, Tipo, Preco, DevolvidoEm, ReturnedAt FROM "
                    "RentedVideos ORDER BY rowid",
                    "SELECT Name, Value FROM Settings ORDER BY Name"};
        QStringList out;
        for (const QString& sql : selects) {
            const QString table = QString::number(out.size());
            QSqlQuery q = exec(db, sql);
            while (q.next()) {
                QStringList cells;
                for (int i = 0; i < q.record().count(); ++i)
                    cells.append(q.isNull(i) ? "~" : "'" + q.value(i).toString() + "'");
                out.append(table + ": " + cells.join('|'));
            }
        }
        return out;
    }

    // The rows of sql on the server's database, by another connection.
    QStringList onServer(const QString& sql)
    {
        QStringList out;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", "look");
            store::configureServer(db, m_server);
            if (!db.open())
                qFatal("%s", qPrintable(db.lastError().text()));
            QSqlQuery q = exec(db, sql);
            while (q.next()) {
                QStringList cells;
                for (int i = 0; i < q.record().count(); ++i)
                    cells.append(q.value(i).toString());
                out.append(cells.join('|'));
            }
        }
        QSqlDatabase::removeDatabase("look");
        return out;
    }
    QStringList serverTables()
    {
        return onServer("SELECT table_name FROM information_schema.tables WHERE table_schema = "
                        "current_schema() ORDER BY 1");
    }
    // What the server tells of the tables' making.
    QStringList structure()
    {
        return onServer(
                   "SELECT table_name, column_name, data_type, is_nullable, column_default, is_identity, "
                   "collation_name FROM information_schema.columns WHERE table_schema = current_schema() "
                   "ORDER BY 1, 2") +
               onServer("SELECT indexdef FROM pg_indexes WHERE schemaname = current_schema() ORDER BY 1") +
               onServer("SELECT conrelid::regclass, conname, pg_get_constraintdef(oid) FROM pg_constraint "
                        "WHERE connamespace = current_schema()::regnamespace ORDER BY 1, 2") +
               onServer("SELECT tgrelid::regclass, tgname, tgenabled FROM pg_trigger WHERE NOT tgisinternal "
                        "ORDER BY 1, 2");
    }

    QString copyRefused()
    {
        try {
            store::copyToServer(folder(), m_server);
        } catch (const store::StoreError& e) {
            return e.message();
        }
        return "(copied)";
    }

private slots:
    void initTestCase()
    {
        if (!serverTestsWanted())
            QSKIP("the copy goes to a server: run as tst_servercopy_servidor");
    }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_server = freshServerShop();
    }

    void copiesEveryRowAndLeavesTheFile()
    {
        // The tables a new shop gets on the server.
        store::Database(m_server).open();
        const QStringList made = structure();
        m_server = freshServerShop();
        stockFile();
        const QByteArray before = fileHash();
        QStringList fileRows;
        {
            store::Database file(folder(), store::Database::Access::ReadOnly);
            fileRows = dump(file.connection());
        }
        QVector<qint64> told;
        QStringList seenMeanwhile{"(not looked)"};
        const store::CopyResult result =
            store::copyToServer(folder(), m_server, [&](qint64 done, qint64 total) {
                // The tables are made by now, but nobody else sees them yet.
                if (told.isEmpty())
                    seenMeanwhile = serverTables();
                told += {done, total};
            });
        QCOMPARE(seenMeanwhile, QStringList());
        QCOMPARE(fileHash(), before);
        QCOMPARE(result.rows, qint64(fileRows.size()));
        QCOMPARE(result.tables.size(), 8);
        QCOMPARE(result.tables.at(0).table, QString("tblClientes"));
        QCOMPARE(result.tables.at(0).rows, qint64(2));
        for (const store::CopiedTable& t : result.tables)
            QVERIFY2(t.rows > 0, qPrintable(t.table));
        QCOMPARE(told.mid(told.size() - 2), (QVector<qint64>{result.rows, result.rows}));

        store::Database server(m_server);
        QCOMPARE(dump(server.connection()), fileRows);
        // As a new shop's once a counter has opened it (the search's indexes
        // are made at that first opening).
        QCOMPARE(structure(), made);
        QVERIFY(fileRows.join('\n').contains("'Conceição Araújo'|'Rua Ñandu, 5\t\\fundos'"));
        // The server numbers new rows past the copied ones.
        counter::RentalDraft draft(server);
        QCOMPARE(draft.nextNumber(), QString("101"));
        QVERIFY(draft.confirmRenter("Ana"));
        QCOMPARE(draft.enter("11").outcome, counter::RentalDraft::Entry::Entered);
        QCOMPARE(draft.checkSave(""), counter::RentalDraft::SaveCheck::Ready);
        QCOMPARE(draft.save("09/12/2026", "101", "Ana", ""), QString("101"));
        QSqlQuery q = exec(server.connection(), "SELECT Id FROM NoteHistory WHERE Codigo = '101'");
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toLongLong(), 41);
        exec(server.connection(), R"(INSERT INTO "tblClientes" ("Codigo", "Nome") VALUES ('4', 'Novo'))");
        q = exec(server.connection(), R"(SELECT rowid FROM "tblClientes" WHERE "Codigo" = '4')");
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toLongLong(), 4);
    }

    void refusesADatabaseWithTables_data()
    {
        QTest::addColumn<QString>("table");
        QTest::newRow("another program's") << "CREATE TABLE outra (x integer)";
        QTest::newRow("half a shop") << R"(CREATE TABLE "tblClientes" (rowid bigint))";
    }
    void refusesADatabaseWithTables()
    {
        QFETCH(QString, table);
        stockFile();
        serverShopDetail::run(serverShopDetail::databaseName(), {table});
        const QStringList tables = serverTables();
        const QByteArray before = fileHash();
        const QString refused = copyRefused();
        QVERIFY2(refused.contains("não está vazio"), qPrintable(refused));
        QCOMPARE(serverTables(), tables);
        QCOMPARE(fileHash(), before);
    }

    void failsWholeLeavingTheServerEmpty_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("a zero byte in a name") << "UPDATE tblClientes SET Nome = ? WHERE Codigo = '3'"
                                               << QVariant(QString("Ana") + QChar(0) + "X");
        QTest::newRow("a shelf count not a number")
            << "UPDATE tblVideos SET QTDE = ? WHERE Codigo = '11'" << QVariant(QString("três"));
        QTest::newRow("a setting without its name")
            << "INSERT INTO Settings (Name, Value) VALUES (NULL, ?)" << QVariant(QString("x"));
    }
    void failsWholeLeavingTheServerEmpty()
    {
        QFETCH(QString, sql);
        QFETCH(QVariant, value);
        stockFile();
        {
            store::Database db(folder());
            exec(db.connection(), sql, {value});
        }
        const QByteArray before = fileHash();
        const QString refused = copyRefused();
        QVERIFY2(refused.contains("continua vazio"), qPrintable(refused));
        QCOMPARE(serverTables(), QStringList());
        QCOMPARE(fileHash(), before);
    }

    void refusesAFileItCannotTakeAsItIs_data()
    {
        QTest::addColumn<int>("version"); // 0: no file at all
        QTest::addColumn<QString>("message");
        QTest::newRow("older") << store::SchemaVersion - 1 << "Abra-o uma vez com esta versão";
        QTest::newRow("newer") << store::SchemaVersion + 1 << "versão mais nova";
        QTest::newRow("no file") << 0 << "não existe";
    }
    void refusesAFileItCannotTakeAsItIs()
    {
        QFETCH(int, version);
        QFETCH(QString, message);
        if (version > 0) {
            stockFile();
            store::Database db(folder());
            exec(db.connection(), QString("PRAGMA user_version = %1").arg(version));
        }
        const QByteArray before = fileHash();
        const QString refused = copyRefused();
        QVERIFY2(refused.contains(message), qPrintable(refused));
        QCOMPARE(fileHash(), before);
        QCOMPARE(QFile::exists(store::Database::filePath(folder())), version > 0);
        QCOMPARE(serverTables(), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestServerCopy)
#include "tst_servercopy.moc"
