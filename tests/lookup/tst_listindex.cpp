#include "lookup/ListIndex.h"
#include "lookup/LookupCombo.h"
#include "platform/TextFold.h"
#include "store/Database.h"
#include "store/Queries.h"
#include "store/Transaction.h"
#include "views/PickList.h"

#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using lookup_detail::ListIndex;
using store::Database;
using store::PickListKind;

namespace {

constexpr int Rows = 3000;

// The answer of a plain walk down the list, as the type-ahead defines it.
int plainFind(const QStringList& items, const QString& text, int after, bool prefix)
{
    const int n = int(items.size());
    const QString folded = platform::foldedText(text);
    for (int i = 1; i <= n; ++i) {
        const int row = (after + i + n) % n;
        const QString item = platform::foldedText(items.at(row));
        if (prefix ? item.startsWith(folded) : item == folded)
            return row;
    }
    return -1;
}

} // namespace

// The shop's pick lists and their type-ahead index follow the writes in
// place, at any number of them: no whole read, no new index.
class tst_ListIndex : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Database> m_db;

    void exec(const QString& sql)
    {
        QSqlQuery q(m_db->connection());
        if (!q.exec(sql))
            QFAIL(qPrintable(q.lastError().text()));
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_db = std::make_unique<Database>(m_dir->path());
        m_db->open();
        exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                            "INSERT INTO tblVideos (Codigo, Nome, QTDE) "
                            "SELECT printf('%05d', i), CASE WHEN i % 7 = 0 THEN '' ELSE 'Filme ' || i END, 3 "
                            "FROM n")
                 .arg(Rows));
        exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                            "INSERT INTO tblClientes (Codigo, Nome, Dependente1) "
                            "SELECT i, 'Cliente ' || i, CASE WHEN i % 3 = 0 THEN 'Filho ' || i END FROM n")
                 .arg(Rows));
    }

    void cleanup()
    {
        m_db.reset();
        m_dir.reset();
    }

    void changesKeepTheListAndItsIndex_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("changes");
        QTest::addColumn<bool>("listChanges");
        const int titles = int(PickListKind::VideoTitles);
        const int codes = int(PickListKind::VideoCodes);
        const int names = int(PickListKind::CustomerNames);
        // %1 is the row changed.
        const QString shelf = QStringLiteral("UPDATE tblVideos SET QTDE = QTDE - 1 WHERE rowid = %1");
        QTest::newRow("titles, a shelf count") << titles << shelf << 1 << false;
        QTest::newRow("titles, 2,500 shelf counts") << titles << shelf << 2500 << false;
        QTest::newRow("codes, 2,500 shelf counts") << codes << shelf << 2500 << false;
        QTest::newRow("titles, 2,500 titles")
            << titles
            << QStringLiteral("UPDATE tblVideos SET Nome = 'Outro ' || (rowid * 7 % 1000) WHERE rowid = %1")
            << 2500 << true;
        QTest::newRow("codes, 2,500 codes")
            << codes << QStringLiteral("UPDATE tblVideos SET Codigo = 'X' || Codigo WHERE rowid = %1") << 2500
            << true;
        QTest::newRow("names, 2,500 dependants named")
            << names
            << QStringLiteral("UPDATE tblClientes SET Dependente2 = 'Neto ' || rowid WHERE rowid = %1")
            << 2500 << true;
        QTest::newRow("names, 2,500 dependants gone")
            << names
            << QStringLiteral("UPDATE tblClientes SET Dependente1 = NULL WHERE rowid = %1 * 3 % 3001") << 2500
            << true;
        QTest::newRow("names, 2,500 customers added")
            << names
            << QStringLiteral("INSERT INTO tblClientes (Codigo, Nome, Dependente3) VALUES "
                              "('N%1', 'Novo %1', 'Ana')")
            << 2500 << true;
    }

    void changesKeepTheListAndItsIndex()
    {
        QFETCH(int, kind);
        QFETCH(QString, sql);
        QFETCH(int, changes);
        QFETCH(bool, listChanges);
        views::PickList& list = views::pickList(*m_db, PickListKind(kind));
        prepareLookup(&list);
        ListIndex* index = ListIndex::of(&list, 0, QModelIndex());
        QVERIFY(index->waitUntilReady(60000));
        const QStringList before = list.stringList();
        QSignalSpy resets(&list, &QAbstractItemModel::modelReset);
        QSignalSpy inserted(&list, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&list, &QAbstractItemModel::rowsRemoved);
        QSignalSpy changed(&list, &QAbstractItemModel::dataChanged);
        {
            store::Transaction t(*m_db);
            for (int i = 1; i <= changes; ++i)
                exec(sql.arg(i));
            t.commit();
        }
        QCOMPARE(&views::pickList(*m_db, PickListKind(kind)), &list);

        QCOMPARE(resets.count(), 0);
        QCOMPARE(inserted.count() + removed.count() + changed.count() > 0, listChanges);
        const QStringList now = list.stringList();
        QCOMPARE(now != before, listChanges);
        QStringList read;
        store::readPickItems(*m_db, store::pickSource(PickListKind(kind)), read, nullptr);
        QCOMPARE(now, read);
        // The index was updated in place, not thrown away.
        QCOMPARE(ListIndex::of(&list, 0, QModelIndex()), index);
        QVERIFY(index->ready());
        for (int row = 0; row < int(now.size()); row += 37) {
            const QString& item = now.at(row);
            QCOMPARE(index->find(item, row, false), plainFind(now, item, row, false));
            QCOMPARE(index->find(item.toUpper(), -1, false), plainFind(now, item, -1, false));
            QCOMPARE(index->find(item.left(7), row, true), plainFind(now, item.left(7), row, true));
        }
        QCOMPARE(index->find(QStringLiteral("Nada assim"), -1, true), -1);
    }
};

QTEST_GUILESS_MAIN(tst_ListIndex)
#include "tst_listindex.moc"
