#include "store/Database.h"
#include "store/InstanceLock.h"
#include "store/Queries.h"
#include "store/RecordCursor.h"
#include "store/Schema.h"
#include "store/StoreError.h"
#include "store/Transaction.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using store::Database;
using store::RecordCursor;
using store::StoreError;
using Kind = store::StoreError::Kind;

namespace {

// Runs f and hands back the StoreError it threw, if any.
template <typename F> std::optional<StoreError> storeErrorOf(F&& f)
{
    try {
        f();
    } catch (const StoreError& e) {
        return e;
    }
    return std::nullopt;
}

QList<QVariantList> rows(QSqlDatabase db, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec())
        qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    QList<QVariantList> out;
    while (q.next()) {
        QVariantList row;
        for (int i = 0; i < q.record().count(); ++i)
            row.append(q.value(i));
        out.append(row);
    }
    return out;
}

QVariant scalar(QSqlDatabase db, const QString& sql, const QVariantList& values = {})
{
    const QList<QVariantList> r = rows(db, sql, values);
    return r.isEmpty() ? QVariant() : r.first().value(0);
}

// A second, raw connection to a file, as another program would hold it.
class RawConnection
{
public:
    explicit RawConnection(const QString& path) : m_name(QStringLiteral("raw-%1").arg(++s_counter))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        if (!db.open())
            qFatal("raw open: %s", qPrintable(db.lastError().text()));
    }
    ~RawConnection()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }
    bool exec(const QString& sql) const { return QSqlQuery(db()).exec(sql); }

private:
    static inline int s_counter = 0;
    QString m_name;
};

QByteArray readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray garbage(int size, quint32 seed)
{
    QRandomGenerator gen(seed);
    QByteArray out(size, '\0');
    for (char& c : out)
        c = char(gen.bounded(256));
    return out;
}

void addCustomer(RecordCursor& c, const QString& codigo, const QString& nome, const QString& cpf = QString())
{
    c.addNew();
    c.setValue(QStringLiteral("Codigo"), codigo);
    c.setValue(QStringLiteral("Nome"), nome);
    c.setValue(QStringLiteral("CPF"), cpf.isNull() ? QStringLiteral("cpf-") + codigo : cpf);
    c.update();
}

// Builds a file by hand with only the given tables, as an old or foreign
// copy of the file might be.
void makeFileWith(const QString& path, const QStringList& tables, const QString& dropColumn = QString())
{
    RawConnection raw(path);
    for (const store::TableDef& t : store::tables()) {
        if (!tables.contains(t.name))
            continue;
        QStringList cols;
        for (const QString& c : t.columns) {
            if (c != dropColumn)
                cols.append(store::quoted(c) + QLatin1String(" TEXT"));
        }
        if (!raw.exec(QStringLiteral("CREATE TABLE %1 (%2)")
                          .arg(store::quoted(t.name), cols.join(QLatin1Char(',')))))
            qFatal("makeFileWith failed");
    }
}

struct ChildResult
{
    bool started = false;
    int exitCode = -1;
    int kind = -1;
    QString message;
    QString diagnostics;
};

// Opens the data file in folder from a separate process; as root (CI) that
// process drops to nobody, since root writes through any permission bit.
ChildResult openInChild(const QString& folder)
{
    QProcess p;
    const QString self = QCoreApplication::applicationFilePath();
    if (::getuid() == 0) {
        p.start(QStringLiteral("setpriv"),
                {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                 QStringLiteral("--clear-groups"), self, QStringLiteral("--open-child"), folder});
    } else {
        p.start(self, {QStringLiteral("--open-child"), folder});
    }
    ChildResult r;
    if (!p.waitForStarted(10000) || !p.waitForFinished(30000)) {
        r.diagnostics = p.errorString();
        return r;
    }
    r.started = p.exitStatus() == QProcess::NormalExit;
    r.exitCode = p.exitCode();
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    r.diagnostics = QString::fromUtf8(p.readAllStandardError());
    const qsizetype nl = out.indexOf(QLatin1Char('\n'));
    if (nl > 0) {
        r.kind = out.left(nl).toInt();
        r.message = out.mid(nl + 1);
    }
    return r;
}

int childMain(const QString& folder)
{
    Database db(folder);
    try {
        db.open();
        RecordCursor c(db, QStringLiteral("tblVideos"));
        std::fputs("-1\nok", stdout);
        return 0;
    } catch (const StoreError& e) {
        std::printf("%d\n%s", int(e.kind()), e.message().toUtf8().constData());
        return 1;
    }
}

// A folder another user may enter: QTemporaryDir makes its folder private.
bool openUpForChild(const QString& path, mode_t mode, bool giveToNobody)
{
    if (::chmod(QFile::encodeName(path).constData(), mode) != 0)
        return false;
    if (giveToNobody && ::getuid() == 0)
        return ::chown(QFile::encodeName(path).constData(), 65534, 65534) == 0;
    return true;
}

} // namespace

class tst_Store : public QObject
{
    Q_OBJECT

private slots:
    void filePathJoinsFolderAndName();
    void schemaNamesInTheFile();
    void freshFileSettings();
    void existingFileKeepsItsRows();
    void zeroByteFileGetsTables();
    void connectionNamesAreUniqueAndRemoved();
    void cursorStandsOnFirstRowAfterRefresh();
    void seekFindsFirstInsertedAmongEqualKeys();
    void seekNoMatchLeavesNoCurrentRow();
    void seekComparesExactly();
    void seekStatementsUseTheirIndex();
    void nullAndEmptyTextStayDistinct();
    void addEditUpdateDelete();
    void shelfCountIsAnInteger();
    void walkInInsertionOrder();
    void refreshDropsPendingChanges();
    void cancelUpdateDropsPendingChanges();
    void misuseThrows();
    void duplicateKeyWritesNothing();
    void duplicateCpfWritesNothing();
    void transactionRollsBackOnException();
    void transactionCommits();
    void lockedByAnotherProgram();
    void transactionOnLockedFile();
    void diskFull();
    void garbageFileIsDamaged();
    void damagedPagesAreReported();
    void missingTableIsNamed();
    void missingColumnIsNamed();
    void foreignDatabaseIsNotOurs();
    void missingFolderCannotCreate();
    void readOnlyFolderCannotCreate();
    void readOnlyFile();
    void readOnlyFolderWithExistingFile();
    void cursorSurvivesReopen();
    void instanceLockKeepsSecondCopyOut();
    void instanceLockInMissingFolder();
    void customerNamesKeepEmptyDropNull();
    void videoTitlesAndCodes();
};

void tst_Store::filePathJoinsFolderAndName()
{
    QCOMPARE(Database::filePath(QStringLiteral("/a/b")), QStringLiteral("/a/b/Fenwaurda.mdb"));
    QCOMPARE(Database::filePath(QStringLiteral("/a/b/")), QStringLiteral("/a/b/Fenwaurda.mdb"));
    Database db(QStringLiteral("/x"));
    QCOMPARE(db.filePath(), QStringLiteral("/x/Fenwaurda.mdb"));
    QVERIFY(!db.isOpen());
}

void tst_Store::schemaNamesInTheFile()
{
    QTemporaryDir dir;
    Database db(dir.path());
    db.open();
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("Fenwaurda.mdb"))));
    QSqlDatabase c = db.connection();

    QStringList tableNames;
    for (const QVariantList& r :
         rows(c, QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' ORDER BY name")))
        tableNames.append(r.value(0).toString());
    QCOMPARE(tableNames, (QStringList{"Number", "tblClientes", "tblLocacao", "tblVideos"}));

    const auto columns = [&](const QString& table) {
        QStringList out;
        for (const QVariantList& r : rows(c, QStringLiteral("PRAGMA table_info(\"%1\")").arg(table)))
            out.append(r.value(1).toString() + ' ' + r.value(2).toString());
        return out;
    };
    QCOMPARE(columns("tblClientes"),
             (QStringList{"Codigo TEXT", "Data TEXT", "Nome TEXT", "Endereco TEXT", "Dependente1 TEXT",
                          "Dependente2 TEXT", "Dependente3 TEXT", "Emissor TEXT", "RG TEXT", "CPF TEXT",
                          "FoneResidencial TEXT", "FoneComercial TEXT", "Celular TEXT", "CEP TEXT"}));
    QCOMPARE(columns("tblVideos"), (QStringList{"Data TEXT", "Codigo TEXT", "Nome TEXT", "Genero TEXT",
                                                "QTDE INTEGER", "Local TEXT", "Valor TEXT", "Tipo TEXT"}));
    QStringList locacao{"Data TEXT", "Codigo TEXT", "Clientes TEXT"};
    for (int k = 1; k <= 16; ++k)
        locacao.append(QStringLiteral("Video-%1 TEXT").arg(k));
    for (int k = 0; k <= 15; ++k)
        locacao.append(QStringLiteral("Codigo(%1) TEXT").arg(k));
    locacao << "Valor TEXT"
            << "Desconto TEXT";
    QCOMPARE(columns("tblLocacao"), locacao);
    QCOMPARE(columns("Number"), QStringList{"Codigo TEXT"});

    // Index name -> "column unique?"
    QHash<QString, QString> indexes;
    for (const QVariantList& r :
         rows(c, QStringLiteral(
                     "SELECT name, tbl_name FROM sqlite_master WHERE type='index' AND sql IS NOT NULL"))) {
        const QString name = r.value(0).toString();
        const QString column =
            scalar(c, QStringLiteral("SELECT name FROM pragma_index_info(?)"), {name}).toString();
        const bool unique =
            scalar(c, QStringLiteral("SELECT \"unique\" FROM pragma_index_list(?) WHERE name = ?"),
                   {r.value(1), name})
                .toInt() == 1;
        indexes.insert(name, column + (unique ? " unique" : ""));
    }
    QHash<QString, QString> expected{
        {"tblClientes_indCodigo", "Codigo unique"},
        {"tblClientes_indCPF", "CPF unique"},
        {"tblClientes_indNome", "Nome"},
        {"tblClientes_indDependente1", "Dependente1"},
        {"tblClientes_indDependente2", "Dependente2"},
        {"tblClientes_indDependente3", "Dependente3"},
        {"tblVideos_indCodigo", "Codigo unique"},
        {"tblVideos_indNome", "Nome"},
        {"tblLocacao_indCodigo", "Codigo unique"},
    };
    for (int k = 0; k <= 15; ++k)
        expected.insert(QStringLiteral("tblLocacao_ind%1").arg(k), QStringLiteral("Codigo(%1)").arg(k));
    QCOMPARE(indexes, expected);

    QCOMPARE(scalar(c, QStringLiteral("PRAGMA user_version")).toInt(), store::SchemaVersion);
}

void tst_Store::freshFileSettings()
{
    QTemporaryDir dir;
    Database db(dir.path());
    db.open();
    QSqlDatabase c = db.connection();
    QCOMPARE(scalar(c, QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
    QCOMPARE(scalar(c, QStringLiteral("PRAGMA synchronous")).toInt(), 2); // FULL
    const int timeout = scalar(c, QStringLiteral("PRAGMA busy_timeout")).toInt();
    QVERIFY2(timeout >= 500 && timeout <= 2000, qPrintable(QString::number(timeout)));
}

void tst_Store::existingFileKeepsItsRows()
{
    QTemporaryDir dir;
    {
        Database db(dir.path());
        db.open();
        RecordCursor c(db, QStringLiteral("tblClientes"));
        addCustomer(c, "1", "Maria");
        addCustomer(c, "2", "José");
    }
    for (int round = 0; round < 2; ++round) {
        Database db(dir.path());
        db.open();
        RecordCursor c(db, QStringLiteral("tblClientes"));
        QCOMPARE(c.count(), 2);
        QCOMPARE(c.text("Nome"), QStringLiteral("Maria"));
        QCOMPARE(scalar(db.connection(), QStringLiteral("PRAGMA user_version")).toInt(),
                 store::SchemaVersion);
    }
}

void tst_Store::zeroByteFileGetsTables()
{
    QTemporaryDir dir;
    const QString path = Database::filePath(dir.path());
    writeFile(path, QByteArray());
    Database db(dir.path());
    db.open();
    QCOMPARE(scalar(db.connection(), QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type='table'"))
                 .toInt(),
             4);
    RecordCursor c(db, QStringLiteral("tblVideos"));
    QCOMPARE(c.count(), 0);
}

void tst_Store::connectionNamesAreUniqueAndRemoved()
{
    QTemporaryDir dir;
    const QStringList before = QSqlDatabase::connectionNames();
    {
        Database a(dir.path());
        Database b(dir.path());
        a.open();
        b.open();
        QCOMPARE(QSqlDatabase::connectionNames().size(), before.size() + 2);
        QVERIFY(a.connection().connectionName() != b.connection().connectionName());
        a.close();
        QVERIFY(!a.isOpen());
        QVERIFY(b.isOpen());
        QCOMPARE(QSqlDatabase::connectionNames().size(), before.size() + 1);
    }
    QCOMPARE(QSqlDatabase::connectionNames(), before);
}

void tst_Store::cursorStandsOnFirstRowAfterRefresh()
{
    QTemporaryDir dir;
    Database db(dir.path());
    RecordCursor c(db, QStringLiteral("tblClientes")); // opens the file itself
    QVERIFY(db.isOpen());
    QVERIFY(!c.hasCurrent());
    QVERIFY(c.atEnd());
    addCustomer(c, "7", "Primeiro");
    addCustomer(c, "3", "Segundo");
    QCOMPARE(c.text("Codigo"), QStringLiteral("3"));
    c.refresh();
    QVERIFY(c.hasCurrent());
    QCOMPARE(c.text("Codigo"), QStringLiteral("7"));
    QCOMPARE(c.tableName(), QStringLiteral("tblClientes"));
}

void tst_Store::seekFindsFirstInsertedAmongEqualKeys()
{
    QTemporaryDir dir;
    Database db(dir.path());
    RecordCursor c(db, QStringLiteral("tblClientes"));
    addCustomer(c, "1", "Zélia");
    addCustomer(c, "2", "Ana");
    addCustomer(c, "3", "Bruno");
    addCustomer(c, "4", "Ana");
    c.refresh();
    c.setIndex(QStringLiteral("indNome"));
    QCOMPARE(c.index(), QStringLiteral("indNome"));
    QVERIFY(c.seek(QStringLiteral("Ana")));
    QVERIFY(!c.noMatch());
    QCOMPARE(c.text("Codigo"), QStringLiteral("2"));
    QVERIFY(c.seek(QStringLiteral("Zélia")));
    QCOMPARE(c.text("Codigo"), QStringLiteral("1"));

    // With the first "Ana" gone, the next one inserted is found.
    QVERIFY(c.seek(QStringLiteral("Ana")));
    c.remove();
    QVERIFY(c.seek(QStringLiteral("Ana")));
    QCOMPARE(c.text("Codigo"), QStringLiteral("4"));

    // An edited key moves the row in the index but not in insertion order.
    c.refresh();
    c.setIndex(QStringLiteral("indCodigo"));
    QVERIFY(c.seek(QStringLiteral("3")));
    c.edit();
    c.setValue(QStringLiteral("Nome"), QStringLiteral("Ana"));
    c.update();
    c.setIndex(QStringLiteral("indNome"));
    QVERIFY(c.seek(QStringLiteral("Ana")));
    QCOMPARE(c.text("Codigo"), QStringLiteral("3"));
}

void tst_Store::seekNoMatchLeavesNoCurrentRow()
{
    QTemporaryDir dir;
    Database db(dir.path());
    RecordCursor c(db, QStringLiteral("tblVideos"));
    c.addNew();
    c.setValue(QStringLiteral("Codigo"), QStringLiteral("10"));
    c.update();
    c.setIndex(QStringLiteral("indCodigo"));
    QVERIFY(c.seek(QStringLiteral("10")));
    QVERIFY(c.hasCurrent());
    QVERIFY(!c.seek(QStringLiteral("11")));
    QVERIFY(c.noMatch());
    QVERIFY(!c.hasCurrent());
    QVERIFY(c.atEnd());
    const auto err = storeErrorOf([&] { c.value(QStringLiteral("Nome")); });
    QVERIFY(err.has_value());
    QCOMPARE(err->kind(), Kind::Other);
    QVERIFY(storeErrorOf([&] { c.edit(); }).has_value());
    QVERIFY(c.seek(QStringLiteral("10")));
    QVERIFY(!c.noMatch());
}

void tst_Store::seekComparesExactly()
{
    QTemporaryDir dir;
    Database db(dir.path());
    RecordCursor c(db, QStringLiteral("tblVideos"));
    c.addNew();
    c.setValue(QStringLiteral("Codigo"), QStringLiteral("0012"));
    c.setValue(QStringLiteral("Nome"), QStringLiteral("Ação Total"));
    c.update();
    c.setIndex(QStringLiteral("indCodigo"));
    QVERIFY(!c.seek(QStringLiteral("12"))); // codes are texts: no zeros added or dropped
    QVERIFY(!c.seek(QStringLiteral("0012 ")));
    QVERIFY(c.seek(QStringLiteral("0012")));
    c.setIndex(QStringLiteral("indNome"));
    QVERIFY(!c.seek(QStringLiteral("Acao Total")));
    QVERIFY(c.seek(QStringLiteral("Ação Total")));
    // A stored code that looks like a number still matches its text.
    RawConnection raw(db.filePath());
    QVERIFY(raw.exec(QStringLiteral("INSERT INTO tblVideos (Codigo, Nome) VALUES (55, 'x')")));
    c.setIndex(QStringLiteral("indCodigo"));
    QVERIFY(c.seek(QStringLiteral("55")));
    QCOMPARE(c.text("Nome"), QStringLiteral("x"));
}

void tst_Store::seekStatementsUseTheirIndex()
{
    QTemporaryDir dir;
    Database db(dir.path());
    db.open();
    int checked = 0;
    for (const store::TableDef& t : store::tables()) {
        for (const store::IndexDef& i : t.indexes) {
            QString plan;
            for (const QVariantList& r :
                 rows(db.connection(), QStringLiteral("EXPLAIN QUERY PLAN ") + store::seekStatement(t, i),
                      {"1"}))
                plan += r.value(3).toString() + '\n';
            QVERIFY2(plan.contains(QStringLiteral("USING INDEX ") + t.fileIndexName(i.name)),
                     qPrintable(plan));
            QVERIFY2(!plan.contains(QStringLiteral("TEMP B-TREE")), qPrintable(plan));
            ++checked;
        }
    }
    QCOMPARE(checked, 6 + 2 + 17);
}

void tst_Store::nullAndEmptyTextStayDistinct()
{
    QTemporaryDir dir;
    Database db(dir.path());
    RecordCursor c(db, QStringLiteral("tblClientes"));
    c.addNew();
    QVERIFY(c.adding());
    c.setValue(QStringLiteral("Codigo"), QStringLiteral("1"));
    c.setValue(QStringLiteral("Dependente1"), QStringLiteral(""));
    c.setValue(QStringLiteral("Dependente2"), QString()); // what an untouched field may hand back
    c.setValue(QStringLiteral("Celular"), QVariant());
    QVERIFY(c.value(QStringLiteral("Dependente3")).isNull()); // pending, never written
    c.update();
    QVERIFY(!c.pending());

    const auto check = [&](const QString& column, bool null) {
        const QVariant v = c.value(column);
        QCOMPARE(v.isNull(), null);
        if (!null)
            QCOMPARE(v.toString(), QString(""));
        QCOMPARE(c.text(column), QString(""));
        const QString type =
            scalar(db.connection(), QStringLiteral("SELECT typeof(\"%1\") FROM tblClientes").arg(column))
                .toString();
        QCOMPARE(type, null ? QStringLiteral("null") : QStringLiteral("text"));
    };
    check("Dependente1", false);
    check("Dependente2", false);
    check("Dependente3", true);
    check("Celular", true);

    // Both directions through an edit, and read back after a refresh.
    c.edit();
    c.setValue(QStringLiteral("Dependente1"), QVariant());
    c.setValue(QStringLiteral("Dependente3"), QStringLiteral(""));
    c.update();
    c.refresh();
    check("Dependente1", true);
    check("Dependente3", false);
    c.setIndex(QStringLiteral("indDependente3"));
    QVERIFY(c.seek(QStringLiteral("")));
    c.setIndex(QStringLiteral("indDependente1"));
    QVERIFY(!c.seek(QStringLiteral("")));
}

void tst_Store::addEditUpdateDelete()
{
    QTemporaryDir dir;
    Database db(dir.path());
    RecordCursor c(db, QStringLiteral("tblVideos"));
    c.addNew();
    c.setValue(QStringLiteral("Codigo"), QStringLiteral("100"));
    c.setValue(QStringLiteral("Nome"), QStringLiteral("O Poderoso Chefão"));
    c.setValue(QStringLiteral("Valor"), QStringLiteral("R$\u00a03,50"));
    QCOMPARE(c.text("Nome"), QStringLiteral("O Poderoso Chefão")); // the pending row reads back
    c.update();
    QVERIFY(c.hasCurrent());
    QCOMPARE(c.text("Codigo"), QStringLiteral("100"));
    QCOMPARE(c.text("Valor"), QStringLiteral("R$\u00a03,50"));

    c.addNew();
    c.setValue(QStringLiteral("Codigo"), QStringLiteral("200"));
    c.update();
    QCOMPARE(c.text("Codigo"), QStringLiteral("200"));
    QCOMPARE(c.count(), 2);

    c.setIndex(QStringLiteral("indCodigo"));
    QVERIFY(c.seek(QStringLiteral("100")));
    c.edit();
    c.setValue(QStringLiteral("Nome"), QStringLiteral("Chefão II"));
    QCOMPARE(c.text("Nome"), QStringLiteral("Chefão II"));
    QCOMPARE(c.text("Valor"), QStringLiteral("R$\u00a03,50")); // unchanged columns read through
    c.update();
    QCOMPARE(c.text("Nome"), QStringLiteral("Chefão II"));
    const QList<QVariantList> stored =
        rows(db.connection(), QStringLiteral("SELECT Codigo, Nome, Valor FROM tblVideos ORDER BY rowid"));
    QCOMPARE(stored.size(), 2);
    QCOMPARE(stored[0], (QVariantList{"100", "Chefão II", "R$\u00a03,50"}));
    QCOMPARE(stored[1].value(0).toString(), QStringLiteral("200"));

    c.remove();
    QVERIFY(!c.hasCurrent());
    QCOMPARE(c.count(), 1);
    QVERIFY(!c.seek(QStringLiteral("100")));
    QVERIFY(c.seek(QStringLiteral("200")));
}

void tst_Store::shelfCountIsAnInteger()
{
    QTemporaryDir dir;
    Database db(dir.path());
    RecordCursor c(db, QStringLiteral("tblVideos"));
    c.addNew();
    c.setValue(QStringLiteral("Codigo"), QStringLiteral("1"));
    c.setValue(QStringLiteral("QTDE"), QStringLiteral("3"));
    c.update();
    QCOMPARE(c.value(QStringLiteral("QTDE")).toInt(), 3);
    c.edit();
    c.setValue(QStringLiteral("QTDE"), c.value(QStringLiteral("QTDE")).toInt() - 4);
    c.update();
    QCOMPARE(c.value(QStringLiteral("QTDE")).toInt(), -1);
    QCOMPARE(scalar(db.connection(), QStringLiteral("SELECT typeof(QTDE) || ':' || QTDE FROM tblVideos"))
                 .toString(),
             QStringLiteral("integer:-1"));
}

void tst_Store::walkInInsertionOrder()
{
    QTemporaryDir dir;
    Database db(dir.path());
    RecordCursor c(db, QStringLiteral("Number"));
    c.moveFirst();
    QVERIFY(c.atEnd());
    for (const char* code : {"105", "101", "103", "102", "104"}) {
        c.addNew();
        c.setValue(QStringLiteral("Codigo"), QString::fromLatin1(code));
        c.update();
    }
    QStringList seen;
    for (c.moveFirst(); !c.atEnd(); c.moveNext())
        seen.append(c.text("Codigo"));
    QCOMPARE(seen, (QStringList{"105", "101", "103", "102", "104"}));
    QCOMPARE(c.count(), 5);
    QVERIFY(storeErrorOf([&] { c.moveNext(); }).has_value()); // past the end

    // Deleting while walking goes on with the next row.
    seen.clear();
    for (c.moveFirst(); !c.atEnd();) {
        if (c.text("Codigo") == QLatin1String("103") || c.text("Codigo") == QLatin1String("102")) {
            c.remove();
        } else {
            seen.append(c.text("Codigo"));
        }
        c.moveNext();
    }
    QCOMPARE(seen, (QStringList{"105", "101", "104"}));
    QCOMPARE(c.count(), 3);

    // Editing while walking keeps the place.
    seen.clear();
    for (c.moveFirst(); !c.atEnd(); c.moveNext()) {
        c.edit();
        c.setValue(QStringLiteral("Codigo"), c.text("Codigo") + "x");
        c.update();
        seen.append(c.text("Codigo"));
    }
    QCOMPARE(seen, (QStringList{"105x", "101x", "104x"}));
}

void tst_Store::refreshDropsPendingChanges()
{
    QTemporaryDir dir;
    Database db(dir.path());
    RecordCursor c(db, QStringLiteral("tblClientes"));
    addCustomer(c, "1", "Ana");
    addCustomer(c, "2", "Bia");

    c.setIndex(QStringLiteral("indCodigo"));
    QVERIFY(c.seek(QStringLiteral("2")));
    c.edit();
    c.setValue(QStringLiteral("Nome"), QStringLiteral("Mudado"));
    c.refresh();
    QVERIFY(!c.pending());
    QCOMPARE(c.text("Codigo"), QStringLiteral("1")); // first row again
    QVERIFY(c.seek(QStringLiteral("2")));
    QCOMPARE(c.text("Nome"), QStringLiteral("Bia"));
    QVERIFY(storeErrorOf([&] { c.update(); }).has_value()); // nothing left to store

    c.addNew();
    c.setValue(QStringLiteral("Codigo"), QStringLiteral("3"));
    c.refresh();
    QVERIFY(!c.adding());
    QCOMPARE(c.count(), 2);

    // Refresh sees rows written through another cursor.
    RecordCursor other(db, QStringLiteral("tblClientes"));
    other.remove();
    c.refresh();
    QCOMPARE(c.text("Codigo"), QStringLiteral("2"));
}

void tst_Store::cancelUpdateDropsPendingChanges()
{
    QTemporaryDir dir;
    Database db(dir.path());
    RecordCursor c(db, QStringLiteral("tblClientes"));
    addCustomer(c, "1", "Ana");
    c.edit();
    c.setValue(QStringLiteral("Nome"), QStringLiteral("Outra"));
    c.cancelUpdate();
    QVERIFY(!c.pending());
    QCOMPARE(c.text("Nome"), QStringLiteral("Ana"));
    c.addNew();
    c.cancelUpdate();
    QCOMPARE(c.count(), 1);
    QCOMPARE(scalar(db.connection(), QStringLiteral("SELECT Nome FROM tblClientes")).toString(),
             QStringLiteral("Ana"));
}

void tst_Store::misuseThrows()
{
    QTemporaryDir dir;
    Database db(dir.path());
    RecordCursor c(db, QStringLiteral("tblClientes"));

    const auto otherKind = [](const std::optional<StoreError>& e) { return e && e->kind() == Kind::Other; };
    QVERIFY(otherKind(storeErrorOf([&] { c.seek(QStringLiteral("1")); }))); // no index chosen
    QVERIFY(otherKind(storeErrorOf([&] { c.setIndex(QStringLiteral("indQTDE")); })));
    QVERIFY(otherKind(storeErrorOf([&] { c.setValue(QStringLiteral("Nome"), QStringLiteral("x")); })));
    c.addNew();
    QVERIFY(otherKind(
        storeErrorOf([&] { c.setValue(QStringLiteral("Nome; DROP TABLE x"), QStringLiteral("x")); })));
    QVERIFY(otherKind(storeErrorOf([&] { c.value(QStringLiteral("QTDE")); })));
    c.cancelUpdate();
    QVERIFY(storeErrorOf([] {
                QTemporaryDir d;
                Database other(d.path());
                RecordCursor bad(other, QStringLiteral("tblNada"));
            })->kind() == Kind::MissingTable);

    c.close();
    QVERIFY(!c.isOpen());
    QVERIFY(otherKind(storeErrorOf([&] { c.refresh(); })));
}

void tst_Store::duplicateKeyWritesNothing()
{
    QTemporaryDir dir;
    Database db(dir.path());
    RecordCursor c(db, QStringLiteral("tblVideos"));
    c.addNew();
    c.setValue(QStringLiteral("Codigo"), QStringLiteral("10"));
    c.setValue(QStringLiteral("Nome"), QStringLiteral("Primeiro"));
    c.update();

    c.addNew();
    c.setValue(QStringLiteral("Codigo"), QStringLiteral("10"));
    c.setValue(QStringLiteral("Nome"), QStringLiteral("Segundo"));
    const auto err = storeErrorOf([&] { c.update(); });
    QVERIFY(err.has_value());
    QCOMPARE(err->kind(), Kind::Duplicate);
    QVERIFY2(err->message().contains(QStringLiteral("Já existe um registro com esta chave")),
             qPrintable(err->message()));
    QVERIFY(err->message().contains(db.filePath()));
    QCOMPARE(c.count(), 1);
    QCOMPARE(scalar(db.connection(), QStringLiteral("SELECT Nome FROM tblVideos")).toString(),
             QStringLiteral("Primeiro"));

    // The row is still pending: fix the key and store it.
    QVERIFY(c.adding());
    c.setValue(QStringLiteral("Codigo"), QStringLiteral("11"));
    c.update();
    QCOMPARE(c.count(), 2);
    QCOMPARE(c.text("Nome"), QStringLiteral("Segundo"));

    // An edit onto an existing key is refused too.
    c.edit();
    c.setValue(QStringLiteral("Codigo"), QStringLiteral("10"));
    QCOMPARE(storeErrorOf([&] { c.update(); })->kind(), Kind::Duplicate);
    c.cancelUpdate();
    QCOMPARE(rows(db.connection(), QStringLiteral("SELECT Codigo FROM tblVideos ORDER BY rowid")),
             (QList<QVariantList>{{"10"}, {"11"}}));
}

void tst_Store::duplicateCpfWritesNothing()
{
    QTemporaryDir dir;
    Database db(dir.path());
    RecordCursor c(db, QStringLiteral("tblClientes"));
    addCustomer(c, "1", "Ana", "123.456.789-01");
    const auto err = storeErrorOf([&] { addCustomer(c, "2", "Bia", "123.456.789-01"); });
    QVERIFY(err.has_value());
    QCOMPARE(err->kind(), Kind::Duplicate);
    QCOMPARE(c.count(), 1);
}

void tst_Store::transactionRollsBackOnException()
{
    QTemporaryDir dir;
    Database db(dir.path());
    RecordCursor notes(db, QStringLiteral("tblLocacao"));
    RecordCursor numbers(db, QStringLiteral("Number"));
    try {
        store::Transaction t(db);
        notes.addNew();
        notes.setValue(QStringLiteral("Codigo"), QStringLiteral("100"));
        notes.update();
        numbers.addNew();
        numbers.setValue(QStringLiteral("Codigo"), QStringLiteral("100"));
        numbers.update();
        throw std::runtime_error("printer on fire");
    } catch (const std::runtime_error&) {
    }
    QCOMPARE(notes.count(), 0);
    QCOMPARE(numbers.count(), 0);

    // A duplicate on the second write undoes the first.
    notes.addNew();
    notes.setValue(QStringLiteral("Codigo"), QStringLiteral("100"));
    notes.update();
    const auto err = storeErrorOf([&] {
        store::Transaction t(db);
        numbers.addNew();
        numbers.setValue(QStringLiteral("Codigo"), QStringLiteral("100"));
        numbers.update();
        notes.addNew();
        notes.setValue(QStringLiteral("Codigo"), QStringLiteral("100"));
        notes.update();
        t.commit();
    });
    QVERIFY(err && err->kind() == Kind::Duplicate);
    QCOMPARE(notes.count(), 1);
    QCOMPARE(numbers.count(), 0);
    RawConnection raw(db.filePath());
    QCOMPARE(scalar(raw.db(), QStringLiteral("SELECT COUNT(*) FROM Number")).toInt(), 0);
}

void tst_Store::transactionCommits()
{
    QTemporaryDir dir;
    {
        Database db(dir.path());
        RecordCursor numbers(db, QStringLiteral("Number"));
        store::Transaction t(db);
        numbers.addNew();
        numbers.setValue(QStringLiteral("Codigo"), QStringLiteral("100"));
        numbers.update();
        // Not visible to another program before the commit.
        RawConnection raw(db.filePath());
        QCOMPARE(scalar(raw.db(), QStringLiteral("SELECT COUNT(*) FROM Number")).toInt(), 0);
        t.commit();
        QCOMPARE(scalar(raw.db(), QStringLiteral("SELECT COUNT(*) FROM Number")).toInt(), 1);
    }
    Database db(dir.path());
    QCOMPARE(RecordCursor(db, QStringLiteral("Number")).count(), 1);
}

void tst_Store::lockedByAnotherProgram()
{
    QTemporaryDir dir;
    Database db(dir.path());
    RecordCursor c(db, QStringLiteral("tblVideos"));
    RawConnection raw(db.filePath());
    QVERIFY(raw.exec(QStringLiteral("BEGIN EXCLUSIVE")));

    c.addNew();
    c.setValue(QStringLiteral("Codigo"), QStringLiteral("1"));
    QElapsedTimer timer;
    timer.start();
    const auto err = storeErrorOf([&] { c.update(); });
    QVERIFY(err.has_value());
    QCOMPARE(err->kind(), Kind::Locked);
    QVERIFY2(
        err->message().startsWith(QStringLiteral("O arquivo de dados está bloqueado por outro programa")),
        qPrintable(err->message()));
    QVERIFY(err->message().contains(db.filePath()));
    QVERIFY2(timer.elapsed() >= 500 && timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(c.adding());

    QVERIFY(raw.exec(QStringLiteral("ROLLBACK")));
    QCOMPARE(scalar(raw.db(), QStringLiteral("SELECT COUNT(*) FROM tblVideos")).toInt(), 0);
    c.update(); // the kept row goes in once the other program lets go
    QCOMPARE(c.count(), 1);
    QCOMPARE(scalar(raw.db(), QStringLiteral("SELECT Codigo FROM tblVideos")).toString(),
             QStringLiteral("1"));
}

void tst_Store::transactionOnLockedFile()
{
    QTemporaryDir dir;
    Database db(dir.path());
    db.open();
    RawConnection raw(db.filePath());
    QVERIFY(raw.exec(QStringLiteral("BEGIN IMMEDIATE")));
    const auto err = storeErrorOf([&] { store::Transaction t(db); });
    QVERIFY(err && err->kind() == Kind::Locked);
    QVERIFY(raw.exec(QStringLiteral("COMMIT")));
    store::Transaction t(db);
    t.commit();
}

void tst_Store::diskFull()
{
    QTemporaryDir dir;
    Database db(dir.path());
    RecordCursor c(db, QStringLiteral("tblVideos"));
    c.addNew();
    c.setValue(QStringLiteral("Codigo"), QStringLiteral("1"));
    c.update();

    // Cap the file at its present size: the next page it needs is "no space".
    const int pages = scalar(db.connection(), QStringLiteral("PRAGMA page_count")).toInt();
    QCOMPARE(scalar(db.connection(), QStringLiteral("PRAGMA max_page_count = %1").arg(pages)).toInt(), pages);

    c.addNew();
    c.setValue(QStringLiteral("Codigo"), QStringLiteral("2"));
    c.setValue(QStringLiteral("Nome"), QString(200000, QLatin1Char('x')));
    const auto err = storeErrorOf([&] { c.update(); });
    QVERIFY(err.has_value());
    QCOMPARE(err->kind(), Kind::DiskFull);
    QVERIFY2(err->message().startsWith(
                 QStringLiteral("Não há espaço livre no disco para gravar no arquivo de dados")),
             qPrintable(err->message()));
    QVERIFY(err->message().contains(db.filePath()));
    QCOMPARE(c.count(), 1);
    QVERIFY(c.adding());

    scalar(db.connection(), QStringLiteral("PRAGMA max_page_count = 1000000"));
    c.update();
    QCOMPARE(c.count(), 2);
}

void tst_Store::garbageFileIsDamaged()
{
    QTemporaryDir dir;
    const QString path = Database::filePath(dir.path());
    for (int size : {10, 100, 5000, 70000}) {
        const QByteArray bytes = garbage(size, quint32(size));
        writeFile(path, bytes);
        const QStringList connections = QSqlDatabase::connectionNames();
        Database db(dir.path());
        const auto err = storeErrorOf([&] { db.open(); });
        QVERIFY(err.has_value());
        QCOMPARE(err->kind(), Kind::Damaged);
        QVERIFY2(
            err->message().contains(QStringLiteral("está danificado ou não é um arquivo deste programa")),
            qPrintable(err->message()));
        QVERIFY(err->message().contains(path));
        QVERIFY(!db.isOpen());
        QCOMPARE(QSqlDatabase::connectionNames(), connections);
        QCOMPARE(readAll(path), bytes);
    }
    // SQLite's magic followed by rubbish.
    const QByteArray bytes = QByteArray("SQLite format 3\0", 16) + garbage(8176, 7);
    writeFile(path, bytes);
    Database db(dir.path());
    QCOMPARE(storeErrorOf([&] { db.open(); })->kind(), Kind::Damaged);
    QCOMPARE(readAll(path), bytes);
}

void tst_Store::damagedPagesAreReported()
{
    QTemporaryDir dir;
    const QString path = Database::filePath(dir.path());
    {
        Database db(dir.path());
        RecordCursor c(db, QStringLiteral("tblClientes"));
        for (int i = 0; i < 50; ++i)
            addCustomer(c, QString::number(i), QStringLiteral("Cliente %1").arg(i));
    }
    QByteArray bytes = readAll(path);
    QVERIFY(bytes.size() > 3 * 4096);
    // Everything after the schema page is rubbish: the file opens, the rows do not read.
    bytes = bytes.left(4096) + garbage(int(bytes.size()) - 4096, 3);
    writeFile(path, bytes);

    Database db(dir.path());
    const auto err = storeErrorOf([&] {
        db.open();
        RecordCursor c(db, QStringLiteral("tblClientes"));
        c.setIndex(QStringLiteral("indCodigo"));
        c.seek(QStringLiteral("7"));
    });
    QVERIFY(err.has_value());
    QCOMPARE(err->kind(), Kind::Damaged);
    QVERIFY(err->message().contains(path));
    db.close();
    QCOMPARE(readAll(path), bytes);
}

void tst_Store::missingTableIsNamed()
{
    QTemporaryDir dir;
    const QString path = Database::filePath(dir.path());
    makeFileWith(path, {"tblClientes", "tblLocacao", "Number"});
    const QByteArray before = readAll(path);
    QVERIFY(!before.isEmpty());

    Database db(dir.path());
    const auto err = storeErrorOf([&] { db.open(); });
    QVERIFY(err.has_value());
    QCOMPARE(err->kind(), Kind::MissingTable);
    QVERIFY2(err->message().contains(QStringLiteral("não contém a tabela tblVideos")),
             qPrintable(err->message()));
    QVERIFY(err->message().contains(path));
    QCOMPARE(readAll(path), before);
    RawConnection raw(path);
    QCOMPARE(scalar(raw.db(), QStringLiteral("SELECT COUNT(*) FROM sqlite_master")).toInt(), 3);
}

void tst_Store::missingColumnIsNamed()
{
    QTemporaryDir dir;
    const QString path = Database::filePath(dir.path());
    makeFileWith(path, {"tblClientes", "tblVideos", "tblLocacao", "Number"}, "QTDE");
    const QByteArray before = readAll(path);
    Database db(dir.path());
    const auto err = storeErrorOf([&] { db.open(); });
    QVERIFY(err.has_value());
    QCOMPARE(err->kind(), Kind::MissingTable);
    QVERIFY2(err->message().contains(QStringLiteral("QTDE")) &&
                 err->message().contains(QStringLiteral("tblVideos")),
             qPrintable(err->message()));
    QCOMPARE(readAll(path), before);
}

void tst_Store::foreignDatabaseIsNotOurs()
{
    QTemporaryDir dir;
    const QString path = Database::filePath(dir.path());
    {
        RawConnection raw(path);
        QVERIFY(raw.exec(QStringLiteral("CREATE TABLE contas (id INTEGER, valor TEXT)")));
        QVERIFY(raw.exec(QStringLiteral("INSERT INTO contas VALUES (1, 'a')")));
    }
    const QByteArray before = readAll(path);
    Database db(dir.path());
    const auto err = storeErrorOf([&] { db.open(); });
    QVERIFY(err && err->kind() == Kind::Damaged);
    QVERIFY(err->message().contains(QStringLiteral("não é um arquivo deste programa")));
    QCOMPARE(readAll(path), before);
}

void tst_Store::missingFolderCannotCreate()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("nao-existe"));
    Database db(folder);
    const auto err = storeErrorOf([&] { db.open(); });
    QVERIFY(err.has_value());
    QCOMPARE(err->kind(), Kind::CannotCreate);
    QVERIFY2(err->message().startsWith(QStringLiteral("Não foi possível criar o arquivo de dados")),
             qPrintable(err->message()));
    QVERIFY(err->message().contains(db.filePath()));
    QVERIFY(!QFile::exists(folder));
    // Asking for a cursor reports the same.
    QCOMPARE(storeErrorOf([&] { RecordCursor c(db, QStringLiteral("tblVideos")); })->kind(),
             Kind::CannotCreate);
}

void tst_Store::readOnlyFolderCannotCreate()
{
    QTemporaryDir dir;
    QVERIFY(openUpForChild(dir.path(), 0755, false));
    const QString folder = dir.filePath(QStringLiteral("ro"));
    QVERIFY(QDir().mkdir(folder));
    QVERIFY(openUpForChild(folder, 0555, false));

    const ChildResult r = openInChild(folder);
    if (!r.started || (r.kind == -1 && r.exitCode != 0 && r.message.isEmpty()))
        QSKIP(qPrintable("cannot run the check as an unprivileged user: " + r.diagnostics));
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.kind, int(Kind::CannotCreate));
    QVERIFY2(r.message.contains(QStringLiteral("Não foi possível criar o arquivo de dados")),
             qPrintable(r.message));
    QVERIFY(r.message.contains(QStringLiteral("protegida contra gravação")));
    QVERIFY(!QFile::exists(Database::filePath(folder)));
    ::chmod(QFile::encodeName(folder).constData(), 0755);
}

void tst_Store::readOnlyFile()
{
    QTemporaryDir dir;
    QVERIFY(openUpForChild(dir.path(), 0755, false));
    const QString folder = dir.filePath(QStringLiteral("f"));
    QVERIFY(QDir().mkdir(folder));
    {
        Database db(folder);
        RecordCursor c(db, QStringLiteral("tblClientes"));
        addCustomer(c, "1", "Ana");
    }
    const QString path = Database::filePath(folder);
    QVERIFY(openUpForChild(folder, 0755, true));
    QVERIFY(openUpForChild(path, 0444, true));
    const QByteArray before = readAll(path);

    const ChildResult r = openInChild(folder);
    if (!r.started || (r.kind == -1 && r.exitCode != 0 && r.message.isEmpty()))
        QSKIP(qPrintable("cannot run the check as an unprivileged user: " + r.diagnostics));
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.kind, int(Kind::ReadOnly));
    QVERIFY2(r.message.contains(QStringLiteral("está protegido contra gravação (somente leitura)")),
             qPrintable(r.message));
    QVERIFY(r.message.contains(path));
    QCOMPARE(readAll(path), before);
    QVERIFY(!QFile::exists(path + "-wal"));
}

void tst_Store::readOnlyFolderWithExistingFile()
{
    QTemporaryDir dir;
    QVERIFY(openUpForChild(dir.path(), 0755, false));
    const QString folder = dir.filePath(QStringLiteral("f"));
    QVERIFY(QDir().mkdir(folder));
    {
        Database db(folder);
        db.open();
    }
    const QString path = Database::filePath(folder);
    QVERIFY(openUpForChild(path, 0644, true));
    QVERIFY(openUpForChild(folder, 0555, true));

    const ChildResult r = openInChild(folder);
    if (!r.started || (r.kind == -1 && r.exitCode != 0 && r.message.isEmpty()))
        QSKIP(qPrintable("cannot run the check as an unprivileged user: " + r.diagnostics));
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.kind, int(Kind::ReadOnly));
    QVERIFY2(r.message.contains(QStringLiteral("somente leitura")), qPrintable(r.message));
    ::chmod(QFile::encodeName(folder).constData(), 0755);

    // The same file in a writable folder opens from the same unprivileged process.
    const ChildResult ok = openInChild(folder);
    QCOMPARE(ok.exitCode, 0);
    QCOMPARE(ok.message, QStringLiteral("ok"));
}

void tst_Store::cursorSurvivesReopen()
{
    QTemporaryDir dir;
    Database db(dir.path());
    RecordCursor c(db, QStringLiteral("tblClientes"));
    addCustomer(c, "1", "Ana");
    c.setIndex(QStringLiteral("indCodigo"));
    QVERIFY(c.seek(QStringLiteral("1")));
    db.close();
    QVERIFY(c.seek(QStringLiteral("1"))); // reopens and prepares again
    QVERIFY(db.isOpen());
    QCOMPARE(c.text("Nome"), QStringLiteral("Ana"));
}

void tst_Store::instanceLockKeepsSecondCopyOut()
{
    QTemporaryDir dir;
    auto first = std::make_unique<store::InstanceLock>(dir.path());
    QVERIFY(first->tryLock());
    QVERIFY(QFile::exists(Database::filePath(dir.path()) + ".lock"));
    store::InstanceLock second(dir.path());
    QVERIFY(!second.tryLock());
    QVERIFY2(second.errorMessage().startsWith(
                 QStringLiteral("O programa Fenwarda de Vídeo já está aberto com este arquivo de dados")),
             qPrintable(second.errorMessage()));
    first.reset();
    QVERIFY(second.tryLock());
    QVERIFY(second.errorMessage().isEmpty());
}

void tst_Store::instanceLockInMissingFolder()
{
    QTemporaryDir dir;
    store::InstanceLock lock(dir.filePath(QStringLiteral("nao-existe")));
    QVERIFY(!lock.tryLock());
    QVERIFY2(lock.errorMessage().startsWith(QStringLiteral("Não foi possível gravar o arquivo de trava")),
             qPrintable(lock.errorMessage()));
}

void tst_Store::customerNamesKeepEmptyDropNull()
{
    QTemporaryDir dir;
    Database db(dir.path());
    RecordCursor c(db, QStringLiteral("tblClientes"));
    c.addNew();
    c.setValue("Codigo", "1");
    c.setValue("Nome", "Ana");
    c.setValue("Dependente1", "Beto");
    c.setValue("Dependente2", "");
    c.update(); // Dependente3 holds no value
    c.addNew();
    c.setValue("Codigo", "2");
    c.setValue("Nome", "Caio");
    c.setValue("Dependente1", QVariant());
    c.setValue("Dependente2", QVariant());
    c.setValue("Dependente3", "Duda");
    c.update();
    QCOMPARE(store::customerNames(db), (QStringList{"Ana", "Beto", "", "Caio", "Duda"}));
}

void tst_Store::videoTitlesAndCodes()
{
    QTemporaryDir dir;
    Database db(dir.path());
    RecordCursor c(db, QStringLiteral("tblVideos"));
    QCOMPARE(store::videoTitles(db), QStringList());
    const QList<QPair<QVariant, QVariant>> videos{{"30", "Tubarão"}, {"10", QVariant()}, {"20", "Alien"}};
    for (const auto& v : videos) {
        c.addNew();
        c.setValue("Codigo", v.first);
        c.setValue("Nome", v.second);
        c.update();
    }
    QCOMPARE(store::videoTitles(db), (QStringList{"Tubarão", "Alien"}));
    QCOMPARE(store::videoCodes(db), (QStringList{"30", "10", "20"}));
}

int main(int argc, char** argv)
{
    // The unprivileged half of the permission checks.
    if (argc == 3 && qstrcmp(argv[1], "--open-child") == 0) {
        QCoreApplication app(argc, argv);
        return childMain(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    tst_Store t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_store.moc"
