#include "Backup.h"

#include "Database.h"
#include "DiskSpace.h"
#include "Schema.h"
#include "StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace store {

namespace {

// SQLite primary result codes, as the Qt driver reports them.
constexpr int SqliteCorrupt = 11;
constexpr int SqliteFull = 13;
constexpr int SqliteNotADb = 26;

const QRegularExpression& backupPattern()
{
    static const QRegularExpression re(QStringLiteral("^Fenwaurda-copia-(\\d{4}-\\d{2}-\\d{2})\\.mdb$"));
    return re;
}

// Answers of one statement, first column, as texts.
QStringList column(QSqlDatabase& db, const QString& sql, QSqlError* error = nullptr)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    QStringList values;
    if (q.exec(sql)) {
        while (q.next())
            values.append(q.value(0).toString());
    }
    if (error)
        *error = q.lastError();
    return values;
}

QStringList quickCheck(QSqlDatabase& db)
{
    return column(db, QStringLiteral("PRAGMA quick_check"));
}

// Table name -> row count, and the schema version, of a connection.
QStringList contents(QSqlDatabase& db)
{
    QStringList out = column(db, QStringLiteral("PRAGMA user_version"));
    const QStringList names =
        column(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"));
    for (const QString& name : names)
        out << name + QLatin1Char('=') +
                   column(db, QStringLiteral("SELECT COUNT(*) FROM %1").arg(quoted(name))).value(0);
    return out;
}

// A read-only connection of its own to another file, closed at scope end.
class ReadOnlyFile
{
public:
    explicit ReadOnlyFile(const QString& path) : m_name(QStringLiteral("fenwarda-backup-%1").arg(++s_counter))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        m_open = QFileInfo(path).isFile() && db.open();
    }
    ~ReadOnlyFile()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    bool isOpen() const { return m_open; }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

private:
    static inline std::atomic<quint64> s_counter{0};
    QString m_name;
    bool m_open = false;
};

// Makes the file's bytes, and its name in the folder, survive a power cut.
bool syncFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// What a copy holds of the shop: rows in the four tables, and the note
// numbers issued, which only ever grow in a shop's file.
struct Holdings
{
    qint64 rows = 0;
    qint64 notes = 0;
};

Holdings holdings(QSqlDatabase& db)
{
    Holdings out;
    for (const TableDef& t : tables()) {
        const qint64 n =
            column(db, QStringLiteral("SELECT COUNT(*) FROM %1").arg(quoted(t.name))).value(0).toLongLong();
        out.rows += n;
        if (t.name == names::Number::Table)
            out.notes = n;
    }
    return out;
}

std::optional<Holdings> holdingsOf(const QString& path)
{
    ReadOnlyFile copy(path);
    if (!copy.isOpen())
        return std::nullopt;
    QSqlDatabase db = copy.db();
    return holdings(db);
}

QString kept(const QString& text)
{
    return text +
           QStringLiteral("\nO arquivo de dados não foi alterado e as cópias anteriores foram mantidas.");
}

} // namespace

QString backupFileName(const QDate& day)
{
    return QStringLiteral("Fenwaurda-copia-%1.mdb").arg(day.toString(Qt::ISODate));
}

QStringList backups(const QString& folder)
{
    QStringList found;
    const QStringList names = QDir(folder).entryList({QStringLiteral("Fenwaurda-copia-*.mdb")}, QDir::Files);
    for (const QString& name : names) {
        const auto match = backupPattern().match(name);
        if (match.hasMatch() && QDate::fromString(match.captured(1), Qt::ISODate).isValid())
            found.append(name);
    }
    // ISO dates sort as text.
    std::sort(found.begin(), found.end(), std::greater<>());
    for (QString& name : found)
        name = QDir::toNativeSeparators(QDir(folder).filePath(name));
    return found;
}

bool isGoodCopy(const QString& path)
{
    ReadOnlyFile copy(path);
    if (!copy.isOpen())
        return false;
    QSqlDatabase db = copy.db();
    if (quickCheck(db) != QStringList{QStringLiteral("ok")})
        return false;
    const QStringList names =
        column(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"));
    for (const TableDef& t : tables()) {
        if (!names.contains(t.name))
            return false;
    }
    return true;
}

QString newestGoodBackup(const QString& folder)
{
    for (const QString& path : backups(folder)) {
        if (isGoodCopy(path))
            return path;
    }
    return {};
}

QString backupAdvice(const QString& folder)
{
    const QString good = newestGoodBackup(folder);
    if (good.isEmpty())
        return QStringLiteral("Não há cópia de segurança em bom estado na pasta %1.")
            .arg(QDir::toNativeSeparators(folder));
    return QStringLiteral("A cópia de segurança mais recente em bom estado é %1.\n"
                          "Para voltar a ela, feche o programa, mude o nome do arquivo danificado (guarde-o) "
                          "e copie a cópia de segurança com o nome %2.")
        .arg(good, QString::fromLatin1(Database::FileName));
}

void checkWhole(Database& db)
{
    QSqlDatabase conn = db.connection();
    QSqlError error;
    const QStringList answer = column(conn, QStringLiteral("PRAGMA quick_check"), &error);
    if (error.isValid())
        db.fail(error, QStringLiteral("verificar"));
    if (answer != QStringList{QStringLiteral("ok")})
        throw StoreError(StoreError::Kind::Damaged,
                         QStringLiteral("O arquivo de dados %1 está danificado: a verificação do SQLite "
                                        "encontrou páginas estragadas.")
                             .arg(db.filePath()));
}

QString keepBackup(Database& db, const QDate& day)
{
    using K = StoreError::Kind;
    const QString folder = db.folder();
    const QString path = QDir::toNativeSeparators(QDir(folder).filePath(backupFileName(day)));
    const QString scratch = path + QStringLiteral(".tmp");
    QSqlDatabase conn;
    try {
        conn = db.connection();
    } catch (const StoreError& e) {
        throw StoreError(
            e.kind(),
            kept(QStringLiteral("A cópia de segurança %1 não foi guardada:\n%2").arg(path, e.message())));
    }
    QFile::remove(scratch);
    // Made owner-only before SQLite fills it: the copy holds customers' data.
    const int fd = ::open(QFile::encodeName(scratch).constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd >= 0)
        ::close(fd);

    // One read transaction: a consistent copy of every table, the program's
    // own included, with the journal's pages folded in.
    QSqlQuery vacuum(conn);
    vacuum.prepare(QStringLiteral("VACUUM INTO ?"));
    vacuum.addBindValue(scratch);
    const auto damaged = [&] {
        QFile::remove(scratch);
        return StoreError(K::Damaged,
                          kept(QStringLiteral("A cópia de segurança %1 não foi guardada: o arquivo "
                                              "de dados %2 está danificado.")
                                   .arg(path, db.filePath())));
    };
    if (!vacuum.exec()) {
        const QSqlError error = vacuum.lastError();
        vacuum.finish();
        QFile::remove(scratch);
        const int code = error.nativeErrorCode().toInt() & 0xff;
        if (code == SqliteCorrupt || code == SqliteNotADb)
            throw damaged();
        if (code == SqliteFull || noRoomIn(folder))
            throw StoreError(K::DiskFull, kept(QStringLiteral("Não há espaço livre no disco para guardar a "
                                                              "cópia de segurança %1: o disco está cheio.")
                                                   .arg(path)));
        throw StoreError(K::Other,
                         kept(QStringLiteral("Não foi possível guardar a cópia de segurança %1 (%2).")
                                  .arg(path, error.text())));
    }
    vacuum.finish();

    bool same = false;
    Holdings held;
    {
        ReadOnlyFile copy(scratch);
        QSqlDatabase copyDb = copy.db();
        same = copy.isOpen() && quickCheck(copyDb) == QStringList{QStringLiteral("ok")} &&
               contents(copyDb) == contents(conn);
        if (same)
            held = holdings(copyDb);
    }
    if (!same)
        throw damaged();

    // A copy never takes the place of one that holds more of the shop: an
    // emptied file must not push the good copies out, day by day.
    const auto refuse = [&](const QString& why) {
        QFile::remove(scratch);
        return StoreError(
            K::Other, kept(QStringLiteral("A cópia de segurança %1 não foi guardada: %2").arg(path, why)));
    };
    const QStringList earlier = backups(folder);
    for (const QString& other : earlier) {
        const std::optional<Holdings> theirs = holdingsOf(other);
        if (!theirs)
            continue;
        if (held.rows == 0 && theirs->rows > 0)
            throw refuse(QStringLiteral("o arquivo de dados %1 está vazio, e a cópia %2 tem os registros "
                                        "da loja.")
                             .arg(db.filePath(), other));
        if (other == path && theirs->notes > held.notes)
            throw refuse(QStringLiteral("a cópia de hoje já guardada tem mais notas de locação (%1) que o "
                                        "arquivo de dados %2 (%3).")
                             .arg(theirs->notes)
                             .arg(db.filePath())
                             .arg(held.notes));
    }
    if (!syncFile(scratch) ||
        std::rename(QFile::encodeName(scratch).constData(), QFile::encodeName(path).constData()) != 0) {
        QFile::remove(scratch);
        throw StoreError(noRoomIn(folder) ? K::DiskFull : K::Other,
                         kept(QStringLiteral("Não foi possível guardar a cópia de segurança %1.").arg(path)));
    }
    syncFile(folder);

    const QStringList all = backups(folder);
    for (qsizetype i = 0; i < all.size(); ++i) {
        // A clock set back must not cost the copy just made.
        if (i >= KeptBackups && all[i] != path)
            QFile::remove(all[i]);
        else
            restrictToOwner(all[i]); // copies made before they were owner-only
    }
    return path;
}

} // namespace store
