#include "../common/OutsideReader.h"
#include "platform/ProgramDir.h"
#include "store/Backup.h"
#include "store/Database.h"
#include "store/DiskSpace.h"
#include "store/InstanceLock.h"
#include "store/Names.h"
#include "store/Queries.h"
#include "store/RecordCursor.h"
#include "store/Schema.h"
#include "store/StoreError.h"
#include "store/Transaction.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using store::Database;
using store::RecordCursor;
using store::StoreError;
using Kind = store::StoreError::Kind;
using namespace Qt::StringLiterals;

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

using Values = QList<QPair<QString, QVariant>>;

// Starts a new row with the given columns, not yet stored.
void stage(RecordCursor& c, const Values& values)
{
    c.addNew();
    for (const auto& [column, value] : values)
        c.setValue(column, value);
}

void addRow(RecordCursor& c, const Values& values)
{
    stage(c, values);
    c.update();
}

int countRows(QSqlDatabase db, const QString& table)
{
    return scalar(db, QStringLiteral("SELECT COUNT(*) FROM ") + table).toInt();
}

// A column of a row found by seek, or a marker that cannot match when none is.
QString seekText(RecordCursor& c, const QString& key, const QString& column = QStringLiteral("Codigo"))
{
    return c.seek(key) ? c.text(column) : QStringLiteral("<no match for %1>").arg(key);
}

// Checks a caught error: its kind, how its message starts and what it holds.
void checkError(const std::optional<StoreError>& err, Kind kind, const QString& start,
                const QStringList& holds = {})
{
    QVERIFY(err.has_value());
    QCOMPARE(err->kind(), kind);
    QVERIFY2(err->message().startsWith(start), qPrintable(err->message()));
    for (const QString& text : holds)
        QVERIFY2(err->message().contains(text), qPrintable(err->message()));
}

// Helpers check with QVERIFY too: the test function stops once one failed.
#define CHECKED(call)                                                                                        \
    do {                                                                                                     \
        call;                                                                                                \
        if (QTest::currentTestFailed())                                                                      \
            return;                                                                                          \
    } while (false)

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
ChildResult openInChild(const QString& folder, const QString& mode = QStringLiteral("--open-child"))
{
    QProcess p;
    const QString self = QCoreApplication::applicationFilePath();
    if (::getuid() == 0) {
        p.start(QStringLiteral("setpriv"), {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                            QStringLiteral("--clear-groups"), self, mode, folder});
    } else {
        p.start(self, {mode, folder});
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

// Takes the lock where the program in programFolder keeps its data file:
// prints that folder and the lock's message.
int lockChildMain(const QString& programFolder)
{
    const QString folder = platform::dataDirFor(programFolder);
    store::InstanceLock lock(folder);
    const bool locked = lock.tryLock();
    std::printf("-1\n%s\n%s", folder.toUtf8().constData(), lock.errorMessage().toUtf8().constData());
    return locked ? 0 : 1;
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

// Bytes of a file made in a scratch folder, to lay down again in a test.
QByteArray fileBytes(const std::function<void(const QString& path)>& make)
{
    QTemporaryDir dir;
    const QString path = Database::filePath(dir.path());
    make(path);
    return readAll(path);
}

// The child may be unable to run as another user (no setpriv, say).
bool childRan(const ChildResult& r)
{
    return r.started && !(r.kind == -1 && r.exitCode != 0 && r.message.isEmpty());
}

void checkChildError(const ChildResult& r, Kind kind, const QStringList& holds)
{
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.kind, int(kind));
    for (const QString& text : holds)
        QVERIFY2(r.message.contains(text), qPrintable(r.message));
}

// A folder "f" inside dir, where dir itself lets another user in.
QString sharedFolder(const QTemporaryDir& dir)
{
    const QString folder = dir.filePath(u"f"_s);
    if (!openUpForChild(dir.path(), 0755, false) || !QDir().mkdir(folder))
        qFatal("cannot make %s", qPrintable(folder));
    return folder;
}

// Index name -> the column it covers.
using IndexColumns = QList<QPair<QString, QString>>;

Database& withDirect(Database& db, bool direct)
{
    db.setDirectAllowed(direct);
    return db;
}

// A fresh folder, its database and a cursor on one table; seeks go through
// SQLite itself or, as where the driver runs another SQLite, through Qt SQL.
struct Fixture
{
    explicit Fixture(const QString& table, bool direct = true) : c(withDirect(db, direct), table) {}
    QTemporaryDir dir;
    Database db{dir.path()};
    RecordCursor c;
};

// The rows of the tests that run on both read paths.
void bothReadPaths()
{
    QTest::addColumn<bool>("direct");
    QTest::newRow("sqlite") << true;
    QTest::newRow("qt sql") << false;
}

// Seek statements open on the connection.
int seekStatements(Database& db)
{
    QStringList seeks;
    for (const store::TableDef& t : store::tables())
        seeks += t.seekSql;
    int n = 0;
    sqlite3* raw = db.directHandle();
    for (sqlite3_stmt* s = sqlite3_next_stmt(raw, nullptr); s; s = sqlite3_next_stmt(raw, s))
        n += seeks.contains(QString::fromUtf8(sqlite3_sql(s))) ? 1 : 0;
    return n;
}

// The permission bits of a file or folder, -1 when it is not there.
int modeOf(const QString& path)
{
    struct stat st = {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

// An SQLite file with no table at all, as another program may leave it.
QByteArray emptySqliteFile(int userVersion)
{
    return fileBytes([userVersion](const QString& p) {
        RawConnection raw(p);
        if (!raw.exec(u"CREATE TABLE t (a)"_s) || !raw.exec(u"DROP TABLE t"_s) ||
            !raw.exec(u"PRAGMA user_version = %1"_s.arg(userVersion)))
            qFatal("empty database");
    });
}

// What QLockFile writes: process, program, host, then the machine's id.
QByteArray lockContent(qint64 pid, const QString& program, const QString& host, const QByteArray& machine)
{
    return QByteArray::number(pid) + '\n' + program.toUtf8() + '\n' + host.toUtf8() + '\n' + machine + '\n';
}

qint64 deadPid()
{
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    int status = 0;
    waitpid(child, &status, 0);
    return child;
}

} // namespace

class tst_Store : public QObject
{
    Q_OBJECT

private slots:
    void filePathJoinsFolderAndName()
    {
        QCOMPARE(Database::filePath(u"/a/b"_s), u"/a/b/Fenwaurda.mdb"_s);
        QCOMPARE(Database::filePath(u"/a/b/"_s), u"/a/b/Fenwaurda.mdb"_s);
        Database db(u"/x"_s);
        QCOMPARE(db.filePath(), u"/x/Fenwaurda.mdb"_s);
        QVERIFY(!db.isOpen());
    }

    void freshFileSchemaAndSettings()
    {
        QTemporaryDir dir;
        Database db(dir.path());
        db.open();
        QVERIFY(QFile::exists(dir.filePath(u"Fenwaurda.mdb"_s)));
        QSqlDatabase c = db.connection();
        const auto texts = [&](const QString& sql) {
            QStringList out;
            for (const QVariantList& r : rows(c, sql))
                out.append(r.value(0).toString());
            return out;
        };
        QCOMPARE(texts(u"SELECT name FROM sqlite_master WHERE type='table' ORDER BY name"_s),
                 (QStringList{"NoteHistory", "Number", "PendingCopies", "PeopleSearch", "PeopleSearch_config",
                              "PeopleSearch_data", "PeopleSearch_docsize", "PeopleSearch_idx", "RentedVideos",
                              "Settings", "VideoSearch", "VideoSearch_config", "VideoSearch_data",
                              "VideoSearch_docsize", "VideoSearch_idx", "tblClientes", "tblLocacao",
                              "tblVideos"}));

        const auto columns = [&](const QString& table) {
            return texts(
                u"SELECT name || ' ' || type FROM pragma_table_info('%1') ORDER BY cid"_s.arg(table));
        };
        QCOMPARE(columns("tblClientes"),
                 (QStringList{"Codigo TEXT", "Data TEXT", "Nome TEXT", "Endereco TEXT", "Dependente1 TEXT",
                              "Dependente2 TEXT", "Dependente3 TEXT", "Emissor TEXT", "RG TEXT", "CPF TEXT",
                              "FoneResidencial TEXT", "FoneComercial TEXT", "Celular TEXT", "CEP TEXT"}));
        QCOMPARE(columns("tblVideos"),
                 (QStringList{"Data TEXT", "Codigo TEXT", "Nome TEXT", "Genero TEXT", "QTDE INTEGER",
                              "Local TEXT", "Valor TEXT", "Tipo TEXT"}));
        QStringList locacao{"Data TEXT", "Codigo TEXT", "Clientes TEXT"};
        for (int k = 1; k <= 16; ++k)
            locacao.append(u"Video-%1 TEXT"_s.arg(k));
        for (int k = 0; k <= 15; ++k)
            locacao.append(u"Codigo(%1) TEXT"_s.arg(k));
        QCOMPARE(columns("tblLocacao"), locacao + QStringList({"Valor TEXT", "Desconto TEXT"}));
        QCOMPARE(columns("Number"), QStringList{"Codigo TEXT"});

        // Index name -> "column unique?"
        QHash<QString, QString> indexes;
        for (const QVariantList& r :
             rows(c, u"SELECT name, tbl_name FROM sqlite_master WHERE type='index' AND sql IS NOT NULL"_s)) {
            const QString name = r.value(0).toString();
            const QString column = scalar(c, u"SELECT name FROM pragma_index_info(?)"_s, {name}).toString();
            const bool unique =
                scalar(c, u"SELECT \"unique\" FROM pragma_index_list(?) WHERE name = ?"_s, {r.value(1), name})
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
            {"NoteHistory_Codigo", "Codigo"},
            {"NoteHistory_ClienteCodigo", "ClienteCodigo"},
            {"NoteHistory_Cliente", "Cliente"},
            {"NoteHistory_SavedAt", "SavedAt"},
            {"RentedVideos_Codigo", "Codigo"},
            {"RentedVideos_ReturnedAt", "ReturnedAt"},
        };
        for (int k = 0; k <= 15; ++k)
            expected.insert(u"tblLocacao_ind%1"_s.arg(k), u"Codigo(%1)"_s.arg(k));
        QCOMPARE(indexes, expected);
        QCOMPARE(scalar(c, u"PRAGMA user_version"_s).toInt(), store::SchemaVersion);

        QCOMPARE(scalar(c, u"PRAGMA journal_mode"_s).toString(), u"wal"_s);
        QCOMPARE(scalar(c, u"PRAGMA synchronous"_s).toInt(), 2); // FULL
        const int timeout = scalar(c, u"PRAGMA busy_timeout"_s).toInt();
        QVERIFY2(timeout >= 500 && timeout <= 2000, qPrintable(QString::number(timeout)));
    }

    void existingFileKeepsItsRows()
    {
        QTemporaryDir dir;
        {
            Database db(dir.path());
            RecordCursor c(db, u"tblClientes"_s);
            addCustomer(c, "1", "Maria");
            addCustomer(c, "2", "José");
        }
        for (int round = 0; round < 2; ++round) {
            Database db(dir.path());
            db.open();
            RecordCursor c(db, u"tblClientes"_s);
            QCOMPARE(c.count(), 2);
            QCOMPARE(c.text("Nome"), u"Maria"_s);
            QCOMPARE(scalar(db.connection(), u"PRAGMA user_version"_s).toInt(), store::SchemaVersion);
        }
    }

    void olderFileGainsOwnTablesNewerIsRefused()
    {
        QTemporaryDir dir;
        const QString path = Database::filePath(dir.path());
        {
            Database db(dir.path());
            RecordCursor c(db, u"tblClientes"_s);
            addCustomer(c, "1", "Maria");
        }
        {
            // As the first version left it: the four tables only.
            RawConnection raw(path);
            QVERIFY(raw.exec(u"DROP TABLE PendingCopies"_s));
            QVERIFY(raw.exec(u"PRAGMA user_version = 1"_s));
        }
        {
            Database db(dir.path());
            db.open();
            QCOMPARE(scalar(db.connection(), u"PRAGMA user_version"_s).toInt(), store::SchemaVersion);
            QCOMPARE(scalar(db.connection(), u"SELECT COUNT(*) FROM PendingCopies"_s).toInt(), 0);
            QCOMPARE(RecordCursor(db, u"tblClientes"_s).text(u"Nome"_s), u"Maria"_s);
        }
        {
            RawConnection raw(path);
            QVERIFY(raw.exec(u"PRAGMA user_version = 99"_s));
        }
        const QByteArray before = readAll(path);
        Database db(dir.path());
        CHECKED(
            checkError(storeErrorOf([&] { db.open(); }), Kind::Damaged, {}, {u"versão mais nova"_s, path}));
        QVERIFY(!db.isOpen());
        QCOMPARE(readAll(path), before);
    }

    // An emptied file is not a new shop: it is left as it is, to readers
    // too; only a missing file is created.
    void zeroByteFileIsNotANewShop()
    {
        QTemporaryDir dir;
        const QString path = Database::filePath(dir.path());
        writeFile(path, QByteArray());
        for (const auto access : {Database::Access::ReadWrite, Database::Access::ReadOnly}) {
            Database db(dir.path(), access);
            CHECKED(checkError(storeErrorOf([&] { db.open(); }), Kind::Damaged,
                               u"O arquivo de dados %1 está vazio (0 bytes)"_s.arg(path)));
        }
        QCOMPARE(QFileInfo(path).size(), 0);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"Fenwaurda.mdb"_s});

        QVERIFY(QFile::remove(path));
        Database db(dir.path());
        db.open();
        QCOMPARE(scalar(db.connection(), u"SELECT COUNT(*) FROM sqlite_master WHERE type='table'"_s).toInt(),
                 18);
    }

    void connectionNamesAreUniqueAndRemoved()
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

    void cursorStandsOnFirstRowAfterRefresh()
    {
        Fixture f(u"tblClientes"_s); // the cursor opens the file itself
        RecordCursor& c = f.c;
        QVERIFY(f.db.isOpen());
        QVERIFY(!c.hasCurrent());
        QVERIFY(c.atEnd());
        addCustomer(c, "7", "Primeiro");
        addCustomer(c, "3", "Segundo");
        QCOMPARE(c.text("Codigo"), u"3"_s);
        c.refresh();
        QVERIFY(c.hasCurrent());
        QCOMPARE(c.text("Codigo"), u"7"_s);
        QCOMPARE(c.tableName(), u"tblClientes"_s);
    }

    void seekFindsFirstInsertedAmongEqualKeys_data() { bothReadPaths(); }
    void seekFindsFirstInsertedAmongEqualKeys()
    {
        QFETCH(bool, direct);
        Fixture f(u"tblClientes"_s, direct);
        RecordCursor& c = f.c;
        for (const auto& [code, name] : {std::pair{"1", "Zélia"}, {"2", "Ana"}, {"3", "Bruno"}, {"4", "Ana"}})
            addCustomer(c, code, name);
        c.refresh();
        c.setIndex(u"indNome"_s);
        QCOMPARE(c.index(), u"indNome"_s);
        QCOMPARE(seekText(c, u"Ana"_s), u"2"_s);
        QVERIFY(!c.noMatch());
        QCOMPARE(seekText(c, u"Zélia"_s), u"1"_s);

        // With the first "Ana" gone, the next one inserted is found.
        QVERIFY(c.seek(u"Ana"_s));
        c.remove();
        QCOMPARE(seekText(c, u"Ana"_s), u"4"_s);

        // An edited key moves the row in the index but not in insertion order.
        c.refresh();
        c.setIndex(u"indCodigo"_s);
        QVERIFY(c.seek(u"3"_s));
        c.edit();
        c.setValue(u"Nome"_s, u"Ana"_s);
        c.update();
        c.setIndex(u"indNome"_s);
        QCOMPARE(seekText(c, u"Ana"_s), u"3"_s);
    }

    void seekNoMatchLeavesNoCurrentRow_data() { bothReadPaths(); }
    void seekNoMatchLeavesNoCurrentRow()
    {
        QFETCH(bool, direct);
        Fixture f(u"tblVideos"_s, direct);
        RecordCursor& c = f.c;
        addRow(c, {{"Codigo", "10"}});
        c.setIndex(u"indCodigo"_s);
        QVERIFY(c.seek(u"10"_s));
        QVERIFY(c.hasCurrent());
        QVERIFY(!c.seek(u"11"_s));
        QVERIFY(c.noMatch());
        QVERIFY(!c.hasCurrent());
        QVERIFY(c.atEnd());
        CHECKED(checkError(storeErrorOf([&] { c.value(u"Nome"_s); }), Kind::Other, {}));
        QVERIFY(storeErrorOf([&] { c.edit(); }).has_value());
        QVERIFY(c.seek(u"10"_s));
        QVERIFY(!c.noMatch());
    }

    void seekComparesExactly_data() { bothReadPaths(); }
    void seekComparesExactly()
    {
        QFETCH(bool, direct);
        Fixture f(u"tblVideos"_s, direct);
        RecordCursor& c = f.c;
        addRow(c, {{"Codigo", "0012"}, {"Nome", "Ação Total"}});
        c.setIndex(u"indCodigo"_s);
        QVERIFY(!c.seek(u"12"_s)); // codes are texts: no zeros added or dropped
        QVERIFY(!c.seek(u"0012 "_s));
        QVERIFY(c.seek(u"0012"_s));
        c.setIndex(u"indNome"_s);
        QVERIFY(!c.seek(u"Acao Total"_s));
        QVERIFY(c.seek(u"Ação Total"_s));
        // A stored code that looks like a number still matches its text.
        RawConnection raw(f.db.filePath());
        QVERIFY(raw.exec(u"INSERT INTO tblVideos (Codigo, Nome) VALUES (55, 'x')"_s));
        c.setIndex(u"indCodigo"_s);
        QCOMPARE(seekText(c, u"55"_s, u"Nome"_s), u"x"_s);
    }

    void seekStatementsUseTheirIndex()
    {
        QTemporaryDir dir;
        Database db(dir.path());
        db.open();
        int checked = 0;
        for (const store::TableDef& t : store::tables()) {
            for (const store::IndexDef& i : t.indexes) {
                QString plan;
                for (const QVariantList& r :
                     rows(db.connection(), u"EXPLAIN QUERY PLAN "_s + store::seekStatement(t, i), {"1"}))
                    plan += r.value(3).toString() + '\n';
                QVERIFY2(plan.contains(u"USING INDEX "_s + t.fileIndexName(i.name)), qPrintable(plan));
                QVERIFY2(!plan.contains(u"TEMP B-TREE"_s), qPrintable(plan));
                ++checked;
            }
        }
        QCOMPARE(checked, 6 + 2 + 17);
    }

    void nullAndEmptyTextStayDistinct_data() { bothReadPaths(); }
    void nullAndEmptyTextStayDistinct()
    {
        QFETCH(bool, direct);
        Fixture f(u"tblClientes"_s, direct);
        RecordCursor& c = f.c;
        c.addNew();
        QVERIFY(c.adding());
        c.setValue(u"Codigo"_s, u"1"_s);
        c.setValue(u"Dependente1"_s, u""_s);
        c.setValue(u"Dependente2"_s, QString()); // what an untouched field may hand back
        c.setValue(u"Celular"_s, QVariant());
        QVERIFY(c.value(u"Dependente3"_s).isNull()); // pending, never written
        c.update();
        QVERIFY(!c.pending());

        const auto check = [&](const QString& column, bool null) {
            const QVariant v = c.value(column);
            QCOMPARE(v.isNull(), null);
            if (!null)
                QCOMPARE(v.toString(), QString(""));
            QCOMPARE(c.text(column), QString(""));
            const QString type =
                scalar(f.db.connection(), u"SELECT typeof(\"%1\") FROM tblClientes"_s.arg(column)).toString();
            QCOMPARE(type, null ? u"null"_s : u"text"_s);
        };
        check("Dependente1", false);
        check("Dependente2", false);
        check("Dependente3", true);
        check("Celular", true);

        // Both directions through an edit, and read back after a refresh.
        c.edit();
        c.setValue(u"Dependente1"_s, QVariant());
        c.setValue(u"Dependente3"_s, u""_s);
        c.update();
        c.refresh();
        check("Dependente1", true);
        check("Dependente3", false);
        c.setIndex(u"indDependente3"_s);
        QVERIFY(c.seek(u""_s));
        c.setIndex(u"indDependente1"_s);
        QVERIFY(!c.seek(u""_s));
    }

    void addEditUpdateDelete()
    {
        Fixture f(u"tblVideos"_s);
        RecordCursor& c = f.c;
        const QString price = u"R$\u00a03,50"_s;
        stage(c, {{"Codigo", "100"}, {"Nome", "O Poderoso Chefão"}, {"Valor", price}});
        QCOMPARE(c.text("Nome"), u"O Poderoso Chefão"_s); // the pending row reads back
        c.update();
        QVERIFY(c.hasCurrent());
        QCOMPARE(c.text("Codigo"), u"100"_s);
        QCOMPARE(c.text("Valor"), price);

        addRow(c, {{"Codigo", "200"}});
        QCOMPARE(c.text("Codigo"), u"200"_s);
        QCOMPARE(c.count(), 2);

        c.setIndex(u"indCodigo"_s);
        QVERIFY(c.seek(u"100"_s));
        c.edit();
        c.setValue(u"Nome"_s, u"Chefão II"_s);
        QCOMPARE(c.text("Nome"), u"Chefão II"_s);
        QCOMPARE(c.text("Valor"), price); // unchanged columns read through
        c.update();
        QCOMPARE(c.text("Nome"), u"Chefão II"_s);
        const QList<QVariantList> stored =
            rows(f.db.connection(), u"SELECT Codigo, Nome, Valor FROM tblVideos ORDER BY rowid"_s);
        QCOMPARE(stored.size(), 2);
        QCOMPARE(stored[0], (QVariantList{"100", "Chefão II", price}));
        QCOMPARE(stored[1].value(0).toString(), u"200"_s);

        c.remove();
        QVERIFY(!c.hasCurrent());
        QCOMPARE(c.count(), 1);
        QVERIFY(!c.seek(u"100"_s));
        QVERIFY(c.seek(u"200"_s));
    }

    void shelfCountIsAnInteger()
    {
        Fixture f(u"tblVideos"_s);
        RecordCursor& c = f.c;
        addRow(c, {{"Codigo", "1"}, {"QTDE", "3"}});
        QCOMPARE(c.value(u"QTDE"_s).toInt(), 3);
        c.edit();
        c.setValue(u"QTDE"_s, c.value(u"QTDE"_s).toInt() - 4);
        c.update();
        QCOMPARE(c.value(u"QTDE"_s).toInt(), -1);
        QCOMPARE(scalar(f.db.connection(), u"SELECT typeof(QTDE) || ':' || QTDE FROM tblVideos"_s).toString(),
                 u"integer:-1"_s);
    }

    void walkInInsertionOrder()
    {
        Fixture f(u"Number"_s);
        RecordCursor& c = f.c;
        c.moveFirst();
        QVERIFY(c.atEnd());
        const QStringList codes{"105", "101", "103", "102", "104"};
        for (const QString& code : codes)
            addRow(c, {{"Codigo", code}});
        QStringList seen;
        for (c.moveFirst(); !c.atEnd(); c.moveNext())
            seen.append(c.text("Codigo"));
        QCOMPARE(seen, codes);
        QCOMPARE(c.count(), 5);
        QVERIFY(storeErrorOf([&] { c.moveNext(); }).has_value()); // past the end

        // Deleting while walking goes on with the next row.
        seen.clear();
        for (c.moveFirst(); !c.atEnd(); c.moveNext()) {
            if (c.text("Codigo") == "103"_L1 || c.text("Codigo") == "102"_L1)
                c.remove();
            else
                seen.append(c.text("Codigo"));
        }
        QCOMPARE(seen, (QStringList{"105", "101", "104"}));
        QCOMPARE(c.count(), 3);

        // Editing while walking keeps the place.
        seen.clear();
        for (c.moveFirst(); !c.atEnd(); c.moveNext()) {
            c.edit();
            c.setValue(u"Codigo"_s, c.text("Codigo") + "x");
            c.update();
            seen.append(c.text("Codigo"));
        }
        QCOMPARE(seen, (QStringList{"105x", "101x", "104x"}));
    }

    void refreshAndCancelDropPendingChanges()
    {
        Fixture f(u"tblClientes"_s);
        RecordCursor& c = f.c;
        addCustomer(c, "1", "Ana");
        addCustomer(c, "2", "Bia");
        c.setIndex(u"indCodigo"_s);
        QVERIFY(c.seek(u"2"_s));
        c.edit();
        c.setValue(u"Nome"_s, u"Mudado"_s);
        c.refresh();
        QVERIFY(!c.pending());
        QCOMPARE(c.text("Codigo"), u"1"_s); // first row again
        QCOMPARE(seekText(c, u"2"_s, u"Nome"_s), u"Bia"_s);
        QVERIFY(storeErrorOf([&] { c.update(); }).has_value()); // nothing left to store

        stage(c, {{"Codigo", "3"}});
        c.refresh();
        QVERIFY(!c.adding());
        QCOMPARE(c.count(), 2);

        // Refresh sees rows written through another cursor.
        RecordCursor other(f.db, u"tblClientes"_s);
        other.remove();
        c.refresh();
        QCOMPARE(c.text("Codigo"), u"2"_s);

        // cancelUpdate drops an edit and an added row alike.
        c.edit();
        c.setValue(u"Nome"_s, u"Outra"_s);
        c.cancelUpdate();
        QVERIFY(!c.pending());
        QCOMPARE(c.text("Nome"), u"Bia"_s);
        c.addNew();
        c.cancelUpdate();
        QCOMPARE(c.count(), 1);
        QCOMPARE(scalar(f.db.connection(), u"SELECT Nome FROM tblClientes"_s).toString(), u"Bia"_s);
    }

    void misuseThrows()
    {
        Fixture f(u"tblClientes"_s);
        RecordCursor& c = f.c;
        const auto otherKind = [](const std::optional<StoreError>& e) {
            return e && e->kind() == Kind::Other;
        };
        QVERIFY(otherKind(storeErrorOf([&] { c.seek(u"1"_s); }))); // no index chosen
        QVERIFY(otherKind(storeErrorOf([&] { c.setIndex(u"indQTDE"_s); })));
        QVERIFY(otherKind(storeErrorOf([&] { c.setValue(u"Nome"_s, u"x"_s); })));
        c.addNew();
        QVERIFY(otherKind(storeErrorOf([&] { c.setValue(u"Nome; DROP TABLE x"_s, u"x"_s); })));
        QVERIFY(otherKind(storeErrorOf([&] { c.value(u"QTDE"_s); })));
        c.cancelUpdate();
        QVERIFY(storeErrorOf([] {
                    QTemporaryDir d;
                    Database other(d.path());
                    RecordCursor bad(other, u"tblNada"_s);
                })->kind() == Kind::MissingTable);

        c.close();
        QVERIFY(!c.isOpen());
        QVERIFY(otherKind(storeErrorOf([&] { c.refresh(); })));
    }

    void duplicateKeysWriteNothing()
    {
        Fixture f(u"tblVideos"_s);
        RecordCursor& c = f.c;
        addRow(c, {{"Codigo", "10"}, {"Nome", "Primeiro"}});
        stage(c, {{"Codigo", "10"}, {"Nome", "Segundo"}});
        CHECKED(checkError(storeErrorOf([&] { c.update(); }), Kind::Duplicate, {},
                           {u"Já existe um registro com esta chave"_s, f.db.filePath()}));
        QCOMPARE(c.count(), 1);
        QCOMPARE(scalar(f.db.connection(), u"SELECT Nome FROM tblVideos"_s).toString(), u"Primeiro"_s);

        // The row is still pending: fix the key and store it.
        QVERIFY(c.adding());
        c.setValue(u"Codigo"_s, u"11"_s);
        c.update();
        QCOMPARE(c.count(), 2);
        QCOMPARE(c.text("Nome"), u"Segundo"_s);

        // An edit onto an existing key is refused too.
        c.edit();
        c.setValue(u"Codigo"_s, u"10"_s);
        QCOMPARE(storeErrorOf([&] { c.update(); })->kind(), Kind::Duplicate);
        c.cancelUpdate();
        QCOMPARE(rows(f.db.connection(), u"SELECT Codigo FROM tblVideos ORDER BY rowid"_s),
                 (QList<QVariantList>{{"10"}, {"11"}}));

        // So is a second customer with the same CPF.
        RecordCursor customers(f.db, u"tblClientes"_s);
        addCustomer(customers, "1", "Ana", "123.456.789-01");
        CHECKED(checkError(storeErrorOf([&] { addCustomer(customers, "2", "Bia", "123.456.789-01"); }),
                           Kind::Duplicate, {}));
        QCOMPARE(customers.count(), 1);
    }

    void transactionRollsBackOnException()
    {
        QTemporaryDir dir;
        Database db(dir.path());
        RecordCursor notes(db, u"tblLocacao"_s);
        RecordCursor numbers(db, u"Number"_s);
        try {
            store::Transaction t(db);
            addRow(notes, {{"Codigo", "100"}});
            addRow(numbers, {{"Codigo", "100"}});
            throw std::runtime_error("printer on fire");
        } catch (const std::runtime_error&) {
        }
        QCOMPARE(notes.count(), 0);
        QCOMPARE(numbers.count(), 0);

        // A duplicate on the second write undoes the first.
        addRow(notes, {{"Codigo", "100"}});
        const auto err = storeErrorOf([&] {
            store::Transaction t(db);
            addRow(numbers, {{"Codigo", "100"}});
            addRow(notes, {{"Codigo", "100"}});
            t.commit();
        });
        CHECKED(checkError(err, Kind::Duplicate, {}));
        QCOMPARE(notes.count(), 1);
        QCOMPARE(numbers.count(), 0);
        RawConnection raw(db.filePath());
        QCOMPARE(countRows(raw.db(), u"Number"_s), 0);
    }

    void transactionCommits()
    {
        QTemporaryDir dir;
        {
            Database db(dir.path());
            RecordCursor numbers(db, u"Number"_s);
            store::Transaction t(db);
            addRow(numbers, {{"Codigo", "100"}});
            // Not visible to another program before the commit.
            RawConnection raw(db.filePath());
            QCOMPARE(countRows(raw.db(), u"Number"_s), 0);
            t.commit();
            QCOMPARE(countRows(raw.db(), u"Number"_s), 1);
        }
        Database db(dir.path());
        QCOMPARE(RecordCursor(db, u"Number"_s).count(), 1);
    }

    void lockedByAnotherProgram()
    {
        Fixture f(u"tblVideos"_s);
        RecordCursor& c = f.c;
        RawConnection raw(f.db.filePath());
        QVERIFY(raw.exec(u"BEGIN EXCLUSIVE"_s));
        stage(c, {{"Codigo", "1"}});
        QElapsedTimer timer;
        timer.start();
        CHECKED(checkError(storeErrorOf([&] { c.update(); }), Kind::Locked,
                           u"O arquivo de dados está bloqueado por outro programa"_s, {f.db.filePath()}));
        QVERIFY2(timer.elapsed() >= 500 && timer.elapsed() < 10000,
                 qPrintable(QString::number(timer.elapsed())));
        QVERIFY(c.adding());

        QVERIFY(raw.exec(u"ROLLBACK"_s));
        QCOMPARE(countRows(raw.db(), u"tblVideos"_s), 0);
        c.update(); // the kept row goes in once the other program lets go
        QCOMPARE(c.count(), 1);
        QCOMPARE(scalar(raw.db(), u"SELECT Codigo FROM tblVideos"_s).toString(), u"1"_s);
    }

    void transactionOnLockedFile()
    {
        QTemporaryDir dir;
        Database db(dir.path());
        db.open();
        RawConnection raw(db.filePath());
        QVERIFY(raw.exec(u"BEGIN IMMEDIATE"_s));
        CHECKED(checkError(storeErrorOf([&] { store::Transaction t(db); }), Kind::Locked, {}));
        QVERIFY(raw.exec(u"COMMIT"_s));
        store::Transaction t(db);
        t.commit();
    }

    void diskFull()
    {
        Fixture f(u"tblVideos"_s);
        RecordCursor& c = f.c;
        addRow(c, {{"Codigo", "1"}});

        // Cap the file at its present size: the next page it needs is "no space".
        const int pages = scalar(f.db.connection(), u"PRAGMA page_count"_s).toInt();
        QCOMPARE(scalar(f.db.connection(), u"PRAGMA max_page_count = %1"_s.arg(pages)).toInt(), pages);

        stage(c, {{"Codigo", "2"}, {"Nome", QString(200000, 'x'_L1)}});
        CHECKED(checkError(storeErrorOf([&] { c.update(); }), Kind::DiskFull,
                           u"Não há espaço livre no disco para gravar no arquivo de dados"_s,
                           {f.db.filePath()}));
        QCOMPARE(c.count(), 1);
        QVERIFY(c.adding());

        scalar(f.db.connection(), u"PRAGMA max_page_count = 1000000"_s);
        c.update();
        QCOMPARE(c.count(), 2);
    }

    // A file that is not ours, or not whole, is reported and left byte for byte.
    void unusableFileIsLeftAlone_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("holds");
        QTest::addColumn<int>("tables"); // in the file afterwards; -1: not a database at all

        const QStringList damaged{u"está danificado ou não é um arquivo deste programa"_s};
        for (int size : {10, 100, 5000, 70000})
            QTest::addRow("garbage, %d bytes", size)
                << garbage(size, quint32(size)) << int(Kind::Damaged) << damaged << -1;
        // SQLite's magic followed by rubbish.
        QTest::newRow("magic, then garbage") << QByteArray("SQLite format 3\0", 16) + garbage(8176, 7)
                                             << int(Kind::Damaged) << QStringList() << -1;
        QTest::newRow("missing table") << fileBytes([](const QString& p) {
            makeFileWith(p, {"tblClientes", "tblLocacao", "Number"});
        }) << int(Kind::MissingTable) << QStringList{u"não contém a tabela tblVideos"_s}
                                       << 3;
        QTest::newRow("missing column") << fileBytes([](const QString& p) {
            makeFileWith(p, {"tblClientes", "tblVideos", "tblLocacao", "Number"}, "QTDE");
        }) << int(Kind::MissingTable) << QStringList{u"QTDE"_s, u"tblVideos"_s}
                                        << 4;
        QTest::newRow("0 bytes") << QByteArray() << int(Kind::Damaged)
                                 << QStringList{u"está vazio (0 bytes)"_s, u"O arquivo não foi alterado"_s}
                                 << -1;
        for (int version : {0, 99})
            QTest::addRow("empty SQLite file, user_version %d", version)
                << emptySqliteFile(version) << int(Kind::Damaged)
                << QStringList{u"não contém nenhuma das tabelas do programa"_s} << 0;
        QTest::newRow("foreign database") << fileBytes([](const QString& p) {
            RawConnection raw(p);
            if (!raw.exec(u"CREATE TABLE contas (id INTEGER, valor TEXT)"_s) ||
                !raw.exec(u"INSERT INTO contas VALUES (1, 'a')"_s))
                qFatal("foreign database");
        }) << int(Kind::Damaged) << QStringList{u"não é um arquivo deste programa"_s}
                                          << 1;
    }

    void unusableFileIsLeftAlone()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, kind);
        QFETCH(QStringList, holds);
        QFETCH(int, tables);
        QTemporaryDir dir;
        const QString path = Database::filePath(dir.path());
        writeFile(path, bytes);
        const QStringList connections = QSqlDatabase::connectionNames();
        Database db(dir.path());
        CHECKED(checkError(storeErrorOf([&] { db.open(); }), Kind(kind), {}, holds + QStringList{path}));
        QVERIFY(!db.isOpen());
        QCOMPARE(QSqlDatabase::connectionNames(), connections);
        QCOMPARE(readAll(path), bytes);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"Fenwaurda.mdb"_s});
        if (tables >= 0) {
            RawConnection raw(path);
            QCOMPARE(scalar(raw.db(), u"SELECT COUNT(*) FROM sqlite_master"_s).toInt(), tables);
        }
    }

    void damagedPagesAreReported()
    {
        QTemporaryDir dir;
        const QString path = Database::filePath(dir.path());
        {
            Database db(dir.path());
            RecordCursor c(db, u"tblClientes"_s);
            for (int i = 0; i < 50; ++i)
                addCustomer(c, QString::number(i), u"Cliente %1"_s.arg(i));
        }
        QByteArray bytes = readAll(path);
        QVERIFY(bytes.size() > 3 * 4096);
        // Everything after the schema page is rubbish: the file opens, the rows do not read.
        bytes = bytes.left(4096) + garbage(int(bytes.size()) - 4096, 3);
        writeFile(path, bytes);

        Database db(dir.path());
        const auto err = storeErrorOf([&] {
            db.open();
            RecordCursor c(db, u"tblClientes"_s);
            c.setIndex(u"indCodigo"_s);
            c.seek(u"7"_s);
        });
        CHECKED(checkError(err, Kind::Damaged, {}, {path}));
        db.close();
        QCOMPARE(readAll(path), bytes);
    }

    void missingFolderCannotCreate()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"nao-existe"_s);
        Database db(folder);
        CHECKED(checkError(storeErrorOf([&] { db.open(); }), Kind::CannotCreate,
                           u"Não foi possível criar o arquivo de dados"_s, {db.filePath()}));
        QVERIFY(!QFile::exists(folder));
        // Asking for a cursor reports the same.
        QCOMPARE(storeErrorOf([&] { RecordCursor c(db, u"tblVideos"_s); })->kind(), Kind::CannotCreate);
    }

    void readOnlyFolderCannotCreate()
    {
        QTemporaryDir dir;
        const QString folder = sharedFolder(dir);
        QVERIFY(openUpForChild(folder, 0555, false));
        const ChildResult r = openInChild(folder);
        if (!childRan(r))
            QSKIP(qPrintable("cannot run the check as an unprivileged user: " + r.diagnostics));
        CHECKED(checkChildError(
            r, Kind::CannotCreate,
            {u"Não foi possível criar o arquivo de dados"_s, u"protegida contra gravação"_s}));
        QVERIFY(!QFile::exists(Database::filePath(folder)));
        ::chmod(QFile::encodeName(folder).constData(), 0755);
    }

    void readOnlyFile()
    {
        QTemporaryDir dir;
        const QString folder = sharedFolder(dir);
        {
            Database db(folder);
            RecordCursor c(db, u"tblClientes"_s);
            addCustomer(c, "1", "Ana");
        }
        const QString path = Database::filePath(folder);
        QVERIFY(openUpForChild(folder, 0755, true));
        QVERIFY(openUpForChild(path, 0444, true));
        const QByteArray before = readAll(path);
        const ChildResult r = openInChild(folder);
        if (!childRan(r))
            QSKIP(qPrintable("cannot run the check as an unprivileged user: " + r.diagnostics));
        CHECKED(checkChildError(r, Kind::ReadOnly,
                                {u"está protegido contra gravação (somente leitura)"_s, path}));
        QCOMPARE(readAll(path), before);
        QVERIFY(!QFile::exists(path + "-wal"));
    }

    void readOnlyFolderWithExistingFile()
    {
        QTemporaryDir dir;
        const QString folder = sharedFolder(dir);
        Database(folder).open();
        QVERIFY(openUpForChild(Database::filePath(folder), 0644, true));
        QVERIFY(openUpForChild(folder, 0555, true));
        const ChildResult r = openInChild(folder);
        if (!childRan(r))
            QSKIP(qPrintable("cannot run the check as an unprivileged user: " + r.diagnostics));
        CHECKED(checkChildError(r, Kind::ReadOnly, {u"somente leitura"_s}));
        ::chmod(QFile::encodeName(folder).constData(), 0755);

        // The same file in a writable folder opens from the same unprivileged process.
        const ChildResult ok = openInChild(folder);
        QCOMPARE(ok.exitCode, 0);
        QCOMPARE(ok.message, u"ok"_s);
    }

    // A program folder that cannot be written: a shop's file there is used or
    // refused with its folder named, never traded for an empty file elsewhere.
    void dataFileBesideProgramInProtectedFolder_data()
    {
        QTest::addColumn<bool>("withFile");
        QTest::newRow("shop's file beside the program") << true;
        QTest::newRow("no file yet") << false;
    }

    void dataFileBesideProgramInProtectedFolder()
    {
        QFETCH(bool, withFile);
        QTemporaryDir dir;
        const QString folder = sharedFolder(dir);
        const QString path = Database::filePath(folder);
        if (withFile) {
            Database db(folder);
            RecordCursor c(db, u"tblClientes"_s);
            addCustomer(c, "1", "Ana");
        }
        QVERIFY(!withFile || openUpForChild(path, 0644, true));
        QVERIFY(openUpForChild(folder, 0555, true));
        const QByteArray before = readAll(path);
        const ChildResult r = openInChild(folder, u"--lock-child"_s);
        ::chmod(QFile::encodeName(folder).constData(), 0755);
        if (!childRan(r))
            QSKIP(qPrintable("cannot run the check as an unprivileged user: " + r.diagnostics));
        const QString dataFolder = r.message.section(QLatin1Char('\n'), 0, 0);
        const QString message = r.message.section(QLatin1Char('\n'), 1);
        if (withFile) {
            QCOMPARE(dataFolder, folder);
            QCOMPARE(r.exitCode, 1);
            QVERIFY2(message.startsWith(u"O arquivo de dados %1 não pode ser usado"_s.arg(path)) &&
                         message.contains(u"a pasta %1 está protegida contra gravação"_s.arg(folder)),
                     qPrintable(message));
            QCOMPARE(readAll(path), before);
        } else {
            // A new shop starts in the per-user folder.
            QVERIFY2(dataFolder != folder, qPrintable(dataFolder));
            QVERIFY(!QFile::exists(path));
        }
    }

    void cursorSurvivesReopen_data() { bothReadPaths(); }
    void cursorSurvivesReopen()
    {
        QFETCH(bool, direct);
        Fixture f(u"tblClientes"_s, direct);
        RecordCursor& c = f.c;
        addCustomer(c, "1", "Ana");
        c.setIndex(u"indCodigo"_s);
        QVERIFY(c.seek(u"1"_s));
        f.db.close();
        QCOMPARE(seekText(c, u"1"_s, u"Nome"_s), u"Ana"_s); // reopens and prepares again
        QVERIFY(f.db.isOpen());
    }

    void seekReadsEachKindOfValue_data() { bothReadPaths(); }
    void seekReadsEachKindOfValue()
    {
        QFETCH(bool, direct);
        Fixture f(u"tblVideos"_s, direct);
        RawConnection raw(f.db.filePath());
        // Another program may leave any SQLite type in any column.
        QVERIFY(raw.exec(u"INSERT INTO tblVideos (Codigo, Nome, QTDE, Tipo, Genero) "
                         "VALUES ('7', 'Ação', 3, x'0001', '')"_s));
        QVERIFY(raw.exec(u"INSERT INTO tblVideos (Codigo, QTDE) VALUES ('8', 2.5)"_s));
        f.c.setIndex(u"indCodigo"_s);
        QVERIFY(f.c.seek(u"7"_s));
        QCOMPARE(f.c.value(u"Nome"_s), QVariant(u"Ação"_s));
        QCOMPARE(f.c.value(u"QTDE"_s).typeId(), QMetaType::LongLong);
        QCOMPARE(f.c.value(u"QTDE"_s).toInt(), 3);
        QCOMPARE(f.c.value(u"Tipo"_s), QVariant(QByteArray("\x00\x01", 2)));
        QCOMPARE(f.c.value(u"Genero"_s).typeId(), QMetaType::QString);
        QVERIFY(!f.c.value(u"Genero"_s).isNull());
        QVERIFY(f.c.value(u"Local"_s).isNull());
        QVERIFY(f.c.seek(u"8"_s));
        QCOMPARE(f.c.value(u"QTDE"_s).typeId(), QMetaType::Double);
        QCOMPARE(f.c.value(u"QTDE"_s).toDouble(), 2.5);
        QVERIFY(!f.c.seek(QString()));
    }

    void directStatementsEndWithTheirCursorOrConnection()
    {
        QTemporaryDir dir;
        Database db(dir.path());
        const int before = seekStatements(db);
        auto c = std::make_unique<RecordCursor>(db, u"tblClientes"_s);
        for (const QString& index : {u"indCodigo"_s, u"indNome"_s}) {
            c->setIndex(index);
            QVERIFY(!c->seek(u"x"_s));
        }
        QCOMPARE(seekStatements(db), before + 2);
        c.reset();
        QCOMPARE(seekStatements(db), before);
        // Closing the connection finalizes them; the cursor then prepares again.
        RecordCursor kept(db, u"tblClientes"_s);
        kept.setIndex(u"indCodigo"_s);
        QVERIFY(!kept.seek(u"x"_s));
        db.close();
        QVERIFY(!kept.seek(u"x"_s));
        QCOMPARE(seekStatements(db), before + 1);
    }

    void lockLeftByADeadCopyIsTakenOver()
    {
        QTemporaryDir dir;
        const QString lockPath = store::Database::filePath(dir.path()) + QStringLiteral(".lock");
        // A copy that died without letting go of its lock (power cut, kill -9).
        const pid_t child = fork();
        if (child == 0) {
            QLockFile lock(lockPath);
            _exit(lock.tryLock(0) ? 0 : 1);
        }
        int status = -1;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        QVERIFY(QFile::exists(lockPath));

        store::InstanceLock lock(dir.path());
        QVERIFY2(lock.tryLock(), qPrintable(lock.errorMessage()));
    }

    void instanceLock()
    {
        QTemporaryDir dir;
        auto first = std::make_unique<store::InstanceLock>(dir.path());
        QVERIFY(first->tryLock());
        QVERIFY(QFile::exists(Database::filePath(dir.path()) + ".lock"));
        store::InstanceLock second(dir.path());
        QVERIFY(!second.tryLock());
        QVERIFY2(second.errorMessage().startsWith(
                     u"O programa Fenwarda de Vídeo já está aberto com este arquivo de dados"_s),
                 qPrintable(second.errorMessage()));
        first.reset();
        QVERIFY(second.tryLock());
        QVERIFY(second.errorMessage().isEmpty());

        store::InstanceLock missing(dir.filePath(u"nao-existe"_s));
        QVERIFY(!missing.tryLock());
        QVERIFY2(missing.errorMessage().startsWith(u"Não foi possível gravar o arquivo de trava"_s),
                 qPrintable(missing.errorMessage()));
    }

    // Nothing the program does beside its own connection may take SQLite's
    // locks on the file away: another program would then fold the journal
    // in, delete it, and never see what the program writes afterwards.
    void otherOpenersKeepTheFileLocks_data()
    {
        QTest::addColumn<QString>("opener");
        for (const char* opener :
             {"reports' connection", "second connection", "backup", "instance lock", "room check"})
            QTest::newRow(opener) << QString::fromLatin1(opener);
    }

    void otherOpenersKeepTheFileLocks()
    {
        QFETCH(QString, opener);
        QTemporaryDir dir;
        Database db(dir.path());
        RecordCursor c(db, u"tblClientes"_s);
        addCustomer(c, "1", "Ana");
        std::unique_ptr<Database> other;
        store::InstanceLock lock(dir.path());
        if (opener == u"reports' connection"_s || opener == u"second connection"_s) {
            other = std::make_unique<Database>(dir.path(), opener.startsWith(u"reports"_s)
                                                               ? Database::Access::ReadOnly
                                                               : Database::Access::ReadWrite);
            QCOMPARE(RecordCursor(*other, u"tblClientes"_s).count(), 1);
        } else if (opener == u"backup"_s) {
            store::keepBackup(db, QDate(2025, 3, 10));
        } else if (opener == u"instance lock"_s) {
            QVERIFY(lock.tryLock());
        } else {
            QVERIFY(!store::noRoomIn(dir.path()));
        }
        QCOMPARE(customersSeenFromOutside(dir.path()), 1);
        addCustomer(c, "2", "Bia");
        QVERIFY(QFile::exists(db.filePath() + "-wal"));
        QCOMPARE(customersSeenFromOutside(dir.path()), 2);
    }

    // A lock no live copy holds is taken over; one that is held names who
    // holds it, and is left as it was.
    void instanceLockJudgesTheLockInTheWay_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("held");           // a live process keeps the system's locks on it
        QTest::addColumn<QStringList>("message"); // empty: taken over

        const qint64 pid = QCoreApplication::applicationPid();
        const QString program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        const QString host = QSysInfo::machineHostName();
        const QByteArray machine = QSysInfo::machineUniqueId();
        const QByteArray ours = lockContent(pid, program, host, machine);
        const QByteArray elsewhere = lockContent(4242, u"fenwarda"_s, u"balcao-2"_s, "f00dfeedf00dfeed");
        const QString open = u"O programa Fenwarda de Vídeo já está aberto com este arquivo de dados"_s;

        QTest::newRow("empty") << QByteArray() << false << QStringList();
        QTest::newRow("garbage") << garbage(40, 5) << false << QStringList();
        QTest::newRow("cut short") << ours.left(ours.indexOf('\n') + 3) << false << QStringList();
        QTest::newRow("dead process")
            << lockContent(deadPid(), program, host, machine) << false << QStringList();
        QTest::newRow("live process holding nothing") << ours << false << QStringList();
        QTest::newRow("live process holding it")
            << ours << true << QStringList{open, program, QString::number(pid), host};
        QTest::newRow("empty, held while being written") << QByteArray() << true << QStringList{open};
        QTest::newRow("other computer, this disk") << elsewhere << false << QStringList();
        QTest::newRow("other computer holding it")
            << elsewhere << true
            << QStringList{open, u"fenwarda (processo 4242) no computador balcao-2"_s,
                           u"Feche o programa no computador balcao-2"_s};
    }

    void instanceLockJudgesTheLockInTheWay()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, held);
        QFETCH(QStringList, message);
        QTemporaryDir dir;
        store::InstanceLock lock(dir.path());
        writeFile(lock.fileName(), content);
        // The holder's locks, as a live copy of the program keeps them.
        const int holder = held ? ::open(QFile::encodeName(lock.fileName()).constData(), O_RDWR) : -1;
        QVERIFY(!held || ::flock(holder, LOCK_EX | LOCK_NB) == 0);
        const bool taken = lock.tryLock();
        if (holder >= 0)
            ::close(holder);
        if (message.isEmpty()) {
            QVERIFY2(taken, qPrintable(lock.errorMessage()));
            QVERIFY(
                readAll(lock.fileName()).startsWith(QByteArray::number(QCoreApplication::applicationPid())));
        } else {
            QVERIFY(!taken);
            for (const QString& text : std::as_const(message))
                QVERIFY2(lock.errorMessage().contains(text), qPrintable(lock.errorMessage()));
            QCOMPARE(readAll(lock.fileName()), content);
        }
    }

    // SQLite drops a leading byte-order mark and reads noncharacters and
    // lone surrogates back as U+FFFD: such a text is refused, never altered.
    void textIsStoredExactlyOrRefused_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("refusal");   // empty: stored
        QTest::addColumn<QString>("lookalike"); // a stored name the text must not find
        const auto u16 = [](std::initializer_list<char16_t> units) {
            return QString(reinterpret_cast<const QChar*>(units.begin()), qsizetype(units.size()));
        };
        QTest::newRow("byte-order mark first") << u16({0xFEFF, 'A', 'n', 'a'}) << u"U+FEFF"_s << u"Ana"_s;
        QTest::newRow("byte-order mark inside") << u16({'A', 0xFEFF, 'n'}) << QString() << QString();
        QTest::newRow("U+FFFE first") << u16({0xFFFE, 'A'}) << u"U+FFFE"_s << QString();
        QTest::newRow("U+FFFE inside") << u16({'A', 0xFFFE, 'b'}) << u"U+FFFE"_s << QString();
        QTest::newRow("U+FFFF") << u16({'A', 0xFFFF}) << u"U+FFFF"_s << QString();
        QTest::newRow("lone high surrogate") << u16({'A', 0xD83C, 'b'}) << u"U+D83C"_s << QString();
        QTest::newRow("lone low surrogate") << u16({0xDF7F, 'b'}) << u"U+DF7F"_s << QString();
        QTest::newRow("high surrogate last") << u16({'A', 0xD83C}) << u"U+D83C"_s << QString();
        QTest::newRow("surrogate pair") << u16({'A', 0xD83C, 0xDF7F}) << QString() << QString();
        QTest::newRow("U+FFFD") << u16({0xFFFD}) << QString() << QString();
        QTest::newRow("U+FDD0") << u16({0xFDD0, 'x'}) << QString() << QString();
    }

    void textIsStoredExactlyOrRefused()
    {
        QFETCH(QString, text);
        QFETCH(QString, refusal);
        QFETCH(QString, lookalike);
        for (const bool direct : {true, false}) {
            Fixture f(u"tblClientes"_s, direct);
            if (!lookalike.isEmpty())
                addCustomer(f.c, "9", lookalike);
            const int before = f.c.count();
            const auto err = storeErrorOf([&] { addCustomer(f.c, "1", text); });
            if (!refusal.isEmpty()) {
                CHECKED(checkError(err, Kind::Other, u"O texto do campo Nome não pode ser gravado"_s,
                                   {refusal, u"Nada foi gravado"_s}));
                QCOMPARE(f.c.count(), before);
                QVERIFY(!f.c.lookUp(u"indNome"_s, text));
                continue;
            }
            QVERIFY2(!err, err ? qPrintable(err->message()) : "");
            QCOMPARE(scalar(f.db.connection(), u"SELECT hex(Nome) FROM tblClientes WHERE Codigo = '1'"_s),
                     QVariant(QString::fromLatin1(text.toUtf8().toHex().toUpper())));
            QVERIFY(f.c.lookUp(u"indNome"_s, text));
            QCOMPARE(f.c.value(u"Nome"_s), QVariant(text));
        }
    }

    // Customers' personal data: the files are the owner's alone, whatever
    // the umask; a folder already stricter stays so.
    void personalDataIsOwnerOnly()
    {
        const mode_t umaskBefore = ::umask(022);
        QTemporaryDir dir;
        const QString path = Database::filePath(dir.path());
        {
            Database db(dir.path());
            RecordCursor c(db, u"tblClientes"_s);
            addCustomer(c, "1", "Ana");
            for (const char* suffix : {"", "-wal", "-shm"})
                QCOMPARE(modeOf(path + suffix), 0600);
            QCOMPARE(modeOf(store::keepBackup(db, QDate(2025, 3, 10))), 0600);
        }
        {
            // Files made before, under the umask; another program keeps the journal's.
            RawConnection raw(path);
            QCOMPARE(countRows(raw.db(), u"tblClientes"_s), 1);
            for (const char* suffix : {"", "-wal", "-shm"})
                QCOMPARE(::chmod(QFile::encodeName(path + suffix).constData(), 0644), 0);
            Database db(dir.path());
            db.open();
            for (const char* suffix : {"", "-wal", "-shm"})
                QCOMPARE(modeOf(path + suffix), 0600);
        }

        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(u"home/.local/share"_s)));
        const QString perUser = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QVERIFY(perUser.startsWith(dir.path()));
        platform::createDataDir(perUser);
        QCOMPARE(modeOf(perUser), 0700);
        QCOMPARE(modeOf(dir.filePath(u"home/.local/share"_s)), 0755);
        for (const auto& [before, after] : {std::pair{0755, 0700}, std::pair{0500, 0500}}) {
            QVERIFY(::chmod(QFile::encodeName(perUser), mode_t(before)) == 0);
            platform::createDataDir(perUser);
            QCOMPARE(modeOf(perUser), after);
        }
        // The program's own folder is not ours to change.
        const QString programFolder = dir.filePath(u"programa"_s);
        platform::createDataDir(programFolder);
        QCOMPARE(modeOf(programFolder), 0755);
        ::chmod(QFile::encodeName(perUser), 0700);
        qunsetenv("XDG_DATA_HOME");
        ::umask(umaskBefore);
    }

    void customerNamesLeaveOutEmptyAndNull()
    {
        Fixture f(u"tblClientes"_s);
        addRow(f.c, {{"Codigo", "1"}, {"Nome", "Ana"}, {"Dependente1", "Beto"}, {"Dependente2", ""}});
        addRow(f.c, {{"Codigo", "2"},
                     {"Nome", "Caio"},
                     {"Dependente1", QVariant()},
                     {"Dependente2", QVariant()},
                     {"Dependente3", "Duda"}});
        QCOMPARE(store::customerNames(f.db), (QStringList{"Ana", "Beto", "Caio", "Duda"}));
    }

    void videoTitlesAndCodes()
    {
        Fixture f(u"tblVideos"_s);
        QCOMPARE(store::videoTitles(f.db), QStringList());
        addRow(f.c, {{"Codigo", "30"}, {"Nome", "Tubarão"}});
        addRow(f.c, {{"Codigo", "10"}, {"Nome", QVariant()}});
        addRow(f.c, {{"Codigo", "20"}, {"Nome", "Alien"}});
        QCOMPARE(store::videoTitles(f.db), (QStringList{"Tubarão", "Alien"}));
        QCOMPARE(store::videoCodes(f.db), (QStringList{"30", "10", "20"}));
    }

    // Every name constant of a table, index name -> its column; each must be
    // in a fresh file, and every column of the file must have its constant.
    void nameConstantsNameTheFile_data()
    {
        using namespace store::names;
        using Indexes = IndexColumns;
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<Indexes>("indexes");

        using namespace tblClientes;
        QTest::newRow("tblClientes")
            << Table
            << QStringList{Codigo,  Data, Nome, Endereco,        Dependente1,   Dependente2, Dependente3,
                           Emissor, RG,   CPF,  FoneResidencial, FoneComercial, Celular,     CEP}
            << Indexes{{indCodigo, Codigo},
                       {indCPF, CPF},
                       {indNome, Nome},
                       {indDependente1, Dependente1},
                       {indDependente2, Dependente2},
                       {indDependente3, Dependente3}};
        QTest::newRow("tblVideos") << tblVideos::Table
                                   << QStringList{tblVideos::Data,   tblVideos::Codigo, tblVideos::Nome,
                                                  tblVideos::Genero, tblVideos::QTDE,   tblVideos::Local,
                                                  tblVideos::Valor,  tblVideos::Tipo}
                                   << Indexes{{tblVideos::indCodigo, tblVideos::Codigo},
                                              {tblVideos::indNome, tblVideos::Nome}};
        QStringList notes{tblLocacao::Data, tblLocacao::Codigo, tblLocacao::Clientes, tblLocacao::Valor,
                          tblLocacao::Desconto};
        Indexes noteIndexes{{tblLocacao::indCodigo, tblLocacao::Codigo}};
        for (int slot = 0; slot < tblLocacao::Slots; ++slot) {
            notes << tblLocacao::videoColumn(slot) << tblLocacao::codeColumn(slot);
            noteIndexes.append({tblLocacao::codeIndex(slot), tblLocacao::codeColumn(slot)});
        }
        QTest::newRow("tblLocacao") << tblLocacao::Table << notes << noteIndexes;
        QTest::newRow("Number") << Number::Table << QStringList{Number::Codigo} << Indexes();
        QTest::newRow("PendingCopies")
            << PendingCopies::Table
            << QStringList{PendingCopies::Estacao, PendingCopies::Slot, PendingCopies::Codigo} << Indexes();
    }

    void nameConstantsNameTheFile()
    {
        QFETCH(QString, table);
        QFETCH(QStringList, columns);
        QFETCH(IndexColumns, indexes);
        QTemporaryDir dir;
        Database db(dir.path());
        db.open();
        QStringList inFile;
        for (const QVariantList& r :
             rows(db.connection(), u"SELECT name FROM pragma_table_info(?) ORDER BY name"_s, {table}))
            inFile.append(r.value(0).toString());
        columns.sort();
        QCOMPARE(inFile, columns);
        for (const auto& [index, column] : std::as_const(indexes))
            QCOMPARE(scalar(db.connection(), u"SELECT name FROM pragma_index_info(?)"_s,
                            {QString(table + '_' + index)})
                         .toString(),
                     column);
    }
};

int main(int argc, char** argv)
{
    // The unprivileged half of the permission checks.
    if (argc == 3 && qstrcmp(argv[1], "--open-child") == 0) {
        QCoreApplication app(argc, argv);
        return childMain(QString::fromLocal8Bit(argv[2]));
    }
    if (argc == 3 && qstrcmp(argv[1], "--count-child") == 0) {
        QCoreApplication app(argc, argv);
        return countChildMain(QString::fromLocal8Bit(argv[2]));
    }
    if (argc == 3 && qstrcmp(argv[1], "--lock-child") == 0) {
        QCoreApplication app(argc, argv);
        return lockChildMain(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    tst_Store t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_store.moc"
