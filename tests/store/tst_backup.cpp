// The clean exit's backups: whole, checked, rotated, and never put in place
// when the copy fails.

#include "TestSupport.h"
#include "store/Backup.h"
#include "store/Schema.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <optional>

using namespace Qt::StringLiterals;
using Kind = store::StoreError::Kind;

namespace {

const QDate Day{2025, 3, 10};

// One value read from a file by a connection of the test's own.
QVariant valueIn(const QString& path, const QString& sql)
{
    QVariant out;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"peek"_s);
        db.setDatabaseName(path);
        QSqlQuery q(db);
        if (db.open() && q.exec(sql) && q.next())
            out = q.value(0);
    }
    QSqlDatabase::removeDatabase(u"peek"_s);
    return out;
}

void addVideos(Shop& shop, int from, int to)
{
    for (int i = from; i <= to; ++i)
        shop.exec(u"INSERT INTO tblVideos (Codigo, Nome, QTDE) VALUES (?, ?, 2)"_s,
                  {QString::number(i), u"Vídeo %1"_s.arg(i)});
}

} // namespace

class tst_Backup : public QObject
{
    Q_OBJECT

private slots:
    // Every committed row, journal and own tables included; the newest seven
    // days kept, a later exit replacing its day's copy.
    void copiesAreWholeAndRotated()
    {
        Shop shop;
        shop.exec(u"INSERT INTO PendingCopies (Slot, Codigo) VALUES (3, '7')"_s);
        for (int d = 0; d < 9; ++d) {
            addVideos(shop, d, d);
            store::keepBackup(shop.db(), Day.addDays(d));
        }
        addVideos(shop, 100, 100);
        QVERIFY(QFile(shop.db().filePath() + "-wal").size() > 0); // rows not yet in the file itself
        for (const QString& copy : store::backups(shop.folder())) // as made before they were owner-only
            QVERIFY(
                QFile::setPermissions(copy, QFile::permissions(copy) | QFile::ReadGroup | QFile::ReadOther));
        const QString path = store::keepBackup(shop.db(), Day.addDays(8));
        QCOMPARE(path, QDir(shop.folder()).filePath(u"Fenwaurda-copia-2025-03-18.mdb"_s));

        const QStringList kept = store::backups(shop.folder());
        QCOMPARE(kept.size(), store::KeptBackups);
        for (int i = 0; i < kept.size(); ++i)
            QCOMPARE(kept[i], QDir(shop.folder()).filePath(store::backupFileName(Day.addDays(8 - i))));
        QVERIFY(store::isGoodCopy(path));
        QCOMPARE(valueIn(path, u"SELECT COUNT(*) FROM tblVideos"_s).toInt(), 10);
        QCOMPARE(valueIn(kept.last(), u"SELECT COUNT(*) FROM tblVideos"_s).toInt(), 3);
        QCOMPARE(valueIn(path, u"SELECT Codigo FROM PendingCopies WHERE Slot = 3"_s).toString(), u"7"_s);
        QCOMPARE(valueIn(path, u"PRAGMA user_version"_s).toInt(), store::SchemaVersion);
        // The customers' data is the owner's alone, the earlier copies' too.
        for (const QString& copy : kept)
            QCOMPARE(QFile::permissions(copy),
                     QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    }

    // A copy that fails leaves the earlier one byte for byte and no scratch file.
    void failedCopyKeepsEarlierCopies_data()
    {
        QTest::addColumn<bool>("damaged");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("start");
        QTest::newRow("disk full") << false << int(Kind::DiskFull)
                                   << u"Não há espaço livre no disco para guardar a cópia de segurança"_s;
        QTest::newRow("damaged data file") << true << int(Kind::Damaged) << u"A cópia de segurança"_s;
    }

    void failedCopyKeepsEarlierCopies()
    {
        QFETCH(bool, damaged);
        QFETCH(int, kind);
        QFETCH(QString, start);
        Shop shop;
        addVideos(shop, 1, 300);
        const QString earlier = store::keepBackup(shop.db(), Day);
        const QByteArray earlierBytes = bytesOf(earlier);
        if (damaged) {
            shop.db().close();
            damagePages(shop.db().filePath());
        }
        std::optional<store::StoreError> error;
        try {
            // A copy of the shop cannot grow past 16 KB.
            std::optional<FileSizeLimit> limit;
            if (!damaged)
                limit.emplace(16 * 1024);
            store::keepBackup(shop.db(), Day.addDays(1));
        } catch (const store::StoreError& e) {
            error = e;
        }
        QVERIFY(error.has_value());
        QCOMPARE(error->kind(), Kind(kind));
        QVERIFY2(error->message().startsWith(start), qPrintable(error->message()));
        QVERIFY2(error->message().contains(u"as cópias anteriores foram mantidas"_s),
                 qPrintable(error->message()));
        QCOMPARE(store::backups(shop.folder()), QStringList{earlier});
        QCOMPARE(bytesOf(earlier), earlierBytes);
        QCOMPARE(QDir(shop.folder()).entryList({u"*.tmp"_s, u".fenwarda-*"_s}, QDir::Files | QDir::Hidden),
                 QStringList());
    }

    // An emptied shop, or one with fewer notes issued than today's copy, is
    // not a later state of the same shop: its copy replaces nothing and
    // rotates nothing out. Rows deleted in the day's work are such a state.
    void copyNeverReplacesOneThatHoldsMore_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("days");        // after the earlier copies' last day
        QTest::addColumn<QString>("refusal"); // empty: the copy is kept
        QTest::newRow("emptied, same day") << u"DELETE FROM %1"_s << 0 << u"está vazio"_s;
        QTest::newRow("emptied, next days") << u"DELETE FROM %1"_s << 1 << u"está vazio"_s;
        QTest::newRow("fewer notes") << u"DELETE FROM Number WHERE Codigo = '101'"_s << 0 << u"mais notas"_s;
        QTest::newRow("fewer notes, next day")
            << u"DELETE FROM Number WHERE Codigo = '101'"_s << 1 << QString();
        QTest::newRow("videos returned and deleted") << u"DELETE FROM tblVideos"_s << 0 << QString();
    }

    void copyNeverReplacesOneThatHoldsMore()
    {
        QFETCH(QString, change);
        QFETCH(int, days);
        QFETCH(QString, refusal);
        Shop shop;
        addVideos(shop, 1, 5);
        shop.exec(u"INSERT INTO Number (Codigo) VALUES ('100'), ('101')"_s);
        for (int d = 0; d < store::KeptBackups; ++d)
            store::keepBackup(shop.db(), Day.addDays(d));
        const QStringList earlier = store::backups(shop.folder());
        QList<QByteArray> earlierBytes;
        for (const QString& path : earlier)
            earlierBytes.append(bytesOf(path));
        if (change.contains(u"%1"_s)) {
            for (const store::TableDef& t : store::tables())
                shop.exec(change.arg(store::quoted(t.name)));
        } else {
            shop.exec(change);
        }

        const QDate day = Day.addDays(store::KeptBackups - 1 + days);
        std::optional<store::StoreError> error;
        try {
            store::keepBackup(shop.db(), day);
        } catch (const store::StoreError& e) {
            error = e;
        }
        if (refusal.isEmpty()) {
            QVERIFY2(!error, error ? qPrintable(error->message()) : "");
            QVERIFY(store::isGoodCopy(store::backups(shop.folder()).first()));
            return;
        }
        QVERIFY(error);
        QVERIFY2(error->message().contains(refusal) &&
                     error->message().contains(u"as cópias anteriores foram mantidas"_s),
                 qPrintable(error->message()));
        QCOMPARE(store::backups(shop.folder()), earlier);
        for (qsizetype i = 0; i < earlier.size(); ++i)
            QCOMPARE(bytesOf(earlier[i]), earlierBytes[i]);
        QCOMPARE(QDir(shop.folder()).entryList({u"*.tmp"_s}, QDir::Files), QStringList());
    }

    void adviceNamesNewestGoodCopy()
    {
        Shop shop;
        addVideos(shop, 1, 300);
        QVERIFY2(store::backupAdvice(shop.folder()).startsWith(u"Não há cópia de segurança em bom estado"_s),
                 qPrintable(store::backupAdvice(shop.folder())));
        const QString good = store::keepBackup(shop.db(), Day);
        const QString bad = store::keepBackup(shop.db(), Day.addDays(1));
        damagePages(bad);
        QVERIFY(!store::isGoodCopy(bad));
        QCOMPARE(store::newestGoodBackup(shop.folder()), good);
        const QString advice = store::backupAdvice(shop.folder());
        QVERIFY2(advice.contains(good) && !advice.contains(bad), qPrintable(advice));
    }
};

QTEST_MAIN(tst_Backup)
#include "tst_backup.moc"
