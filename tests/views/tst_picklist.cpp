#include "store/Database.h"
#include "store/Queries.h"
#include "store/RecordCursor.h"
#include "store/Transaction.h"
#include "views/CompactTexts.h"
#include "views/PickList.h"

#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
#include <memory>

using store::Database;
using store::PickListKind;

// The pick lists are read once and then follow the writes: after every
// kind of write they must hold what a full read of the table gives.
class tst_PickList : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Database> m_db;

    void exec(Database& db, const QString& sql)
    {
        QSqlQuery q(db.connection());
        if (!q.exec(sql))
            QFAIL(qPrintable(q.lastError().text()));
    }

    void open(bool direct)
    {
        m_db = std::make_unique<Database>(m_dir->path());
        m_db->setDirectAllowed(direct);
        m_db->open();
    }

private slots:
    // The texts in one buffer read back as a list of strings would, through
    // changes that write in place, grow, remove and pack the buffer.
    void compactTextsHoldWhatAListWould()
    {
        views::CompactTexts texts;
        QStringList expected{u"Ana"_s, u"João Conceição"_s, u""_s, u"Zé"_s};
        texts.assign(expected);
        const auto all = [](const views::CompactTexts& t) {
            QStringList out;
            for (qsizetype i = 0; i < t.size(); ++i)
                out.append(t.at(i).toString());
            return out;
        };
        QCOMPARE(all(texts), expected);
        const views::CompactTexts before = texts; // a reader's copy stays as it was
        texts.replace(1, u"Jo"_s);                // shorter: in place
        expected[1] = u"Jo"_s;
        QCOMPARE(all(texts), expected);
        QCOMPARE(before.at(1).toString(), u"João Conceição"_s);
        for (int round = 0; round < 50; ++round) {
            // Longer each time: the old text left behind, then packed.
            const QString name = u"Maria %1 das Dores"_s.arg(round);
            texts.replace(round % 4, name);
            expected[round % 4] = name;
            texts.insert(2, {u"x%1"_s.arg(round), u""_s});
            expected.insert(2, u"x%1"_s.arg(round));
            expected.insert(3, u""_s);
            texts.remove(1, 2);
            expected.remove(1, 2);
            texts.append(u"fim"_s);
            expected.append(u"fim"_s);
            QCOMPARE(all(texts), expected);
        }
        texts.remove(0, texts.size());
        QVERIFY(texts.isEmpty());
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        open(true);
        exec(*m_db, "INSERT INTO tblClientes (Codigo, Nome, Dependente1, Dependente2) VALUES "
                    "('1', 'Ana', 'Rui', NULL), ('2', 'Bruno', '', 'Caio'), ('3', 'Carla', NULL, NULL)");
        exec(*m_db, "INSERT INTO tblVideos (Codigo, Nome) VALUES ('10', 'Alien'), ('11', NULL)");
    }

    void cleanup()
    {
        m_db.reset();
        m_dir.reset();
    }

    void followsEveryWrite_data()
    {
        QTest::addColumn<bool>("direct");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("changes");
        // Without the connection's own notices the list is read again.
        QTest::addColumn<bool>("readAgain");
        const QList<std::pair<const char*, const char*>> writes{
            {"new customer",
             "INSERT INTO tblClientes (Codigo, Nome, Dependente3) VALUES ('9', 'Zeca', 'Lia')"},
            {"dependant added", "UPDATE tblClientes SET Dependente2 = 'Lia' WHERE Codigo = '1'"},
            {"dependant gone", "UPDATE tblClientes SET Dependente2 = NULL WHERE Codigo = '2'"},
            {"name changed", "UPDATE tblClientes SET Nome = 'Bia' WHERE Codigo = '3'"},
            {"customer deleted", "DELETE FROM tblClientes WHERE Codigo = '2'"},
            {"every customer deleted", "DELETE FROM tblClientes"},
            {"other column", "UPDATE tblClientes SET Endereco = 'Rua A' WHERE Codigo = '1'"},
            {"dependant emptied", "UPDATE tblClientes SET Dependente1 = '' WHERE Codigo = '1'"},
            {"dependant blanked", "UPDATE tblClientes SET Dependente1 = '  ' WHERE Codigo = '1'"},
            {"empty dependant named", "UPDATE tblClientes SET Dependente1 = 'Lia' WHERE Codigo = '2'"},
            {"blank customer", "INSERT INTO tblClientes (Codigo, Nome, Dependente1) VALUES ('9', ' ', '')"},
        };
        for (bool direct : {true, false})
            for (const auto& [name, sql] : writes)
                QTest::addRow("%s, %s", name, direct ? "direct" : "Qt SQL")
                    << direct << QString::fromUtf8(sql)
                    << (qstrcmp(name, "other column") != 0 && qstrcmp(name, "blank customer") != 0)
                    << !direct;
    }

    void followsEveryWrite()
    {
        QFETCH(bool, direct);
        QFETCH(QString, sql);
        QFETCH(bool, changes);
        QFETCH(bool, readAgain);
        open(direct);
        QCOMPARE(m_db->watchesWrites(), direct);
        views::PickList& list = views::pickList(*m_db, PickListKind::CustomerNames);
        const QStringList before = store::customerNames(*m_db);
        QCOMPARE(list.stringList(), before);
        QSignalSpy resets(&list, &QAbstractItemModel::modelReset);
        QSignalSpy inserted(&list, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&list, &QAbstractItemModel::rowsRemoved);
        QSignalSpy changed(&list, &QAbstractItemModel::dataChanged);

        exec(*m_db, sql);
        QCOMPARE(&views::pickList(*m_db, PickListKind::CustomerNames), &list);
        QCOMPARE(list.stringList(), store::customerNames(*m_db));
        QCOMPARE(list.stringList() != before, changes);
        // Watching its own writes, the list changes only the rows written.
        const int edits = int(inserted.count() + removed.count() + changed.count());
        QCOMPARE(resets.count(), readAgain ? 1 : 0);
        QCOMPARE(edits > 0, !readAgain && changes);
    }

    // A list of names holds no empty or blank item, however it was read.
    void namesOnlyInTheNameLists_data()
    {
        QTest::addColumn<bool>("direct");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("expected");
        for (bool direct : {true, false}) {
            const char* how = direct ? "direct" : "Qt SQL";
            QTest::addRow("customers, %s", how)
                << direct << int(PickListKind::CustomerNames)
                << QStringList{"Ana", "Rui", "Bruno", "Caio", "Carla", "Dino", "Eva"};
            QTest::addRow("titles, %s", how)
                << direct << int(PickListKind::VideoTitles) << QStringList{"Alien", "Ran"};
            // Codes are not names: a blank one stays, as the table holds it.
            QTest::addRow("codes, %s", how)
                << direct << int(PickListKind::VideoCodes) << QStringList{"10", "11", "12", " "};
        }
    }

    void namesOnlyInTheNameLists()
    {
        QFETCH(bool, direct);
        QFETCH(int, kind);
        QFETCH(QStringList, expected);
        exec(*m_db, "INSERT INTO tblClientes (Codigo, Nome, Dependente1, Dependente2, Dependente3) VALUES "
                    "('4', 'Dino', ' ', char(9, 10), char(160)), ('5', '', 'Eva', '', NULL)");
        exec(*m_db, "INSERT INTO tblVideos (Codigo, Nome) VALUES ('12', 'Ran'), (' ', '   ')");
        open(direct);
        QCOMPARE(m_db->watchesWrites(), direct);
        views::PickList& list = views::pickList(*m_db, PickListKind(kind));
        QCOMPARE(list.stringList(), expected);
        // Rows written later are read the same way.
        exec(*m_db, "UPDATE tblClientes SET Nome = ' ' WHERE Codigo = '1'");
        exec(*m_db, "UPDATE tblVideos SET Nome = '' WHERE Codigo = '10'");
        QStringList now = expected;
        if (PickListKind(kind) == PickListKind::CustomerNames)
            now.removeFirst(); // Ana's name blanked: her dependant stays
        if (PickListKind(kind) == PickListKind::VideoTitles)
            now.removeFirst();
        QCOMPARE(views::pickList(*m_db, PickListKind(kind)).stringList(), now);
    }

    void videoListsFollowTheirColumn()
    {
        views::PickList& titles = views::pickList(*m_db, PickListKind::VideoTitles);
        views::PickList& codes = views::pickList(*m_db, PickListKind::VideoCodes);
        QCOMPARE(titles.stringList(), QStringList{"Alien"});
        exec(*m_db, "UPDATE tblVideos SET Nome = 'Brazil' WHERE Codigo = '11'");
        exec(*m_db, "UPDATE tblVideos SET Codigo = '12' WHERE Codigo = '10'");
        QCOMPARE(views::pickList(*m_db, PickListKind::VideoTitles).stringList(),
                 (QStringList{"Alien", "Brazil"}));
        QCOMPARE(codes.stringList(), (QStringList{"10", "11"}));
        QCOMPARE(views::pickList(*m_db, PickListKind::VideoCodes).stringList(), (QStringList{"12", "11"}));
    }

    // A watcher is told of the rows of its table that are added or deleted,
    // and of the updates that change one of its columns, and of nothing else.
    void watchersAreToldOfTheirColumns_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QList<qint64>>("told");
        QTest::newRow("shelf count") << "UPDATE tblVideos SET QTDE = 3 WHERE Codigo = '10'"
                                     << QList<qint64>{};
        QTest::newRow("other column") << "UPDATE tblVideos SET Genero = 'Terror'" << QList<qint64>{};
        QTest::newRow("same title") << "UPDATE tblVideos SET Nome = 'Alien' WHERE Codigo = '10'"
                                    << QList<qint64>{};
        QTest::newRow("title") << "UPDATE tblVideos SET Nome = 'Ran' WHERE Codigo = '10'" << QList<qint64>{1};
        QTest::newRow("title given") << "UPDATE tblVideos SET Nome = 'Ran' WHERE Codigo = '11'"
                                     << QList<qint64>{2};
        QTest::newRow("title taken") << "UPDATE tblVideos SET Nome = NULL WHERE Codigo = '10'"
                                     << QList<qint64>{1};
        QTest::newRow("title and count")
            << "UPDATE tblVideos SET Nome = 'Ran', QTDE = 1" << QList<qint64>{1, 2};
        QTest::newRow("new video") << "INSERT INTO tblVideos (Codigo) VALUES ('12')" << QList<qint64>{3};
        QTest::newRow("video deleted") << "DELETE FROM tblVideos WHERE Codigo = '11'" << QList<qint64>{2};
        QTest::newRow("every video deleted") << "DELETE FROM tblVideos" << QList<qint64>{1, 2};
        QTest::newRow("row moved") << "UPDATE tblVideos SET rowid = 7, QTDE = 2 WHERE Codigo = '10'"
                                   << QList<qint64>{1, 7};
        QTest::newRow("other table") << "UPDATE tblClientes SET Nome = 'Bia'" << QList<qint64>{};
    }

    void watchersAreToldOfTheirColumns()
    {
        QFETCH(QString, sql);
        QFETCH(QList<qint64>, told);
        struct Titles : store::WriteWatcher
        {
            QList<qint64> rows;
            void rowWritten(const char* table, qint64 rowid) override
            {
                QCOMPARE(QByteArray(table), QByteArray("tblVideos"));
                rows.append(rowid);
            }
            void forget() override {}
            QString watchedTable() const override { return QStringLiteral("tblVideos"); }
            QStringList watchedColumns() const override { return {QStringLiteral("Nome")}; }
        };
        auto& titles = static_cast<Titles&>(m_db->keepWatcher(std::make_unique<Titles>()));
        exec(*m_db, sql);
        QCOMPARE(titles.rows, told);
    }

    // Read at start in the background, on a connection of its own: rows
    // written meanwhile on this one, which that read cannot see, are read
    // again once the list is in.
    void aListReadInTheBackgroundFollowsTheWritesMeanwhile_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::newRow("nothing written") << QString();
        QTest::newRow("name changed") << "UPDATE tblClientes SET Nome = 'Bia' WHERE Codigo = '3'";
        QTest::newRow("customer added") << "INSERT INTO tblClientes (Codigo, Nome) VALUES ('9', 'Zeca')";
        QTest::newRow("customer deleted") << "DELETE FROM tblClientes WHERE Codigo = '1'";
        QTest::newRow("dependant named") << "UPDATE tblClientes SET Dependente1 = 'Lia' WHERE Codigo = '3'";
    }

    void aListReadInTheBackgroundFollowsTheWritesMeanwhile()
    {
        QFETCH(QString, sql);
        const QStringList before = store::customerNames(*m_db);
        views::PickList& list = views::loadPickList(*m_db, PickListKind::CustomerNames);
        QVERIFY(list.loading());
        QSignalSpy loaded(&list, &views::PickList::loaded);
        {
            // Not committed before the background read is in: it cannot see it.
            store::Transaction t(*m_db);
            if (!sql.isEmpty())
                exec(*m_db, sql);
            QVERIFY(loaded.wait(60000));
            QCOMPARE(list.stringList(), before);
            t.commit();
        }
        QSignalSpy resets(&list, &QAbstractItemModel::modelReset);
        QCOMPARE(&views::pickList(*m_db, PickListKind::CustomerNames), &list);
        QCOMPARE(list.stringList(), store::customerNames(*m_db));
        QCOMPARE(list.stringList() != before, !sql.isEmpty());
        // Brought up to date row by row, not read again.
        QCOMPARE(resets.count(), 0);
        QCOMPARE(loaded.count(), 1);
    }

    // Rows written by another program are not told to this connection.
    void anotherConnectionsWritesAreSeen()
    {
        views::PickList& list = views::pickList(*m_db, PickListKind::CustomerNames);
        Database other(m_dir->path());
        store::RecordCursor c(other, QStringLiteral("tblClientes"));
        c.addNew();
        c.setValue(QStringLiteral("Codigo"), QStringLiteral("7"));
        c.setValue(QStringLiteral("Nome"), QStringLiteral("Olga"));
        c.update();
        QCOMPARE(views::pickList(*m_db, PickListKind::CustomerNames).stringList(),
                 store::customerNames(*m_db));
        QVERIFY(list.stringList().contains("Olga"));
    }

    // A list read while a transaction is open is read again once it ends,
    // so a rolled-back name does not stay in it.
    void aRolledBackWriteLeavesTheList()
    {
        views::PickList& list = views::pickList(*m_db, PickListKind::CustomerNames);
        {
            store::Transaction t(*m_db);
            exec(*m_db, "UPDATE tblClientes SET Nome = 'Zoe' WHERE Codigo = '1'");
            QVERIFY(views::pickList(*m_db, PickListKind::CustomerNames).stringList().contains("Zoe"));
        }
        QCOMPARE(views::pickList(*m_db, PickListKind::CustomerNames).stringList(),
                 store::customerNames(*m_db));
        QVERIFY(!list.stringList().contains("Zoe"));
    }

    // A reopened file may have been changed by anyone meanwhile.
    void aReopenedFileIsReadAgain()
    {
        views::PickList& list = views::pickList(*m_db, PickListKind::CustomerNames);
        QSignalSpy resets(&list, &QAbstractItemModel::modelReset);
        m_db->close();
        views::pickList(*m_db, PickListKind::CustomerNames);
        QCOMPARE(resets.count(), 1);
        QCOMPARE(list.stringList(), store::customerNames(*m_db));
    }
};

QTEST_GUILESS_MAIN(tst_PickList)
#include "tst_picklist.moc"
