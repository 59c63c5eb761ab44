#include "Database.h"

#include "DiskSpace.h"
#include "Schema.h"
#include "ServerAddress.h"
#include "ServerLink.h"
#include "StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
// Declares the pre-update hook; whether the library has it is asked at run time.
#ifndef SQLITE_ENABLE_PREUPDATE_HOOK
#define SQLITE_ENABLE_PREUPDATE_HOOK
#endif
#include <sqlite3.h>
#include <unistd.h>

namespace store {

namespace {

std::atomic<quint64> g_connectionCounter{0};
std::atomic<quint64> g_serialCounter{0};

// Data files this process holds a connection on, by canonical path. Closing
// any descriptor of a file drops every lock SQLite holds on it in this
// process: the file is read by a descriptor of our own only while none is
// open here.
QMutex g_openFilesMutex;
QHash<QString, int> g_openFiles;

bool isOpenHere(const QString& key)
{
    const QMutexLocker lock(&g_openFilesMutex);
    return g_openFiles.value(key) > 0;
}

void countOpen(const QString& key, int delta)
{
    const QMutexLocker lock(&g_openFilesMutex);
    if ((g_openFiles[key] += delta) <= 0)
        g_openFiles.remove(key);
}

// SQLite primary result codes, as the Qt driver reports them.
enum SqliteCode {
    Busy = 5,
    Locked = 6,
    ReadOnly = 8,
    IoErr = 10,
    Corrupt = 11,
    Full = 13,
    CantOpen = 14,
    Constraint = 19,
    NotADb = 26,
};

int primaryCode(const QSqlError& error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? (code & 0xff) : -1;
}

QString nativePath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

StoreError errorFor(const QSqlError& error, const QString& path, const QString& what)
{
    using K = StoreError::Kind;
    const QString file = nativePath(path);
    switch (primaryCode(error)) {
    case Busy:
    case Locked:
        return StoreError(K::Locked,
                          QStringLiteral("O arquivo de dados está bloqueado por outro programa:\n%1\n"
                                         "Feche o outro programa que usa o arquivo e tente de novo.")
                              .arg(file));
    case ReadOnly:
        return StoreError(
            K::ReadOnly,
            QStringLiteral("O arquivo de dados %1 está protegido contra gravação (somente leitura).\n"
                           "Retire a proteção do arquivo e da pasta e tente de novo.")
                .arg(file));
    case Full:
        return StoreError(K::DiskFull, diskFullMessage(path));
    case IoErr:
        // SQLite names a full disk "disk I/O error" when the journal's
        // shared memory cannot grow: ask the disk itself.
        if (noRoomIn(QFileInfo(path).absolutePath()))
            return StoreError(K::DiskFull, diskFullMessage(path));
        return StoreError(K::Other,
                          QStringLiteral("O disco falhou ao ler ou gravar o arquivo de dados %1 (%2).\n"
                                         "Verifique o disco e tente de novo. (%3)")
                              .arg(file, what, error.text()));
    case Corrupt:
    case NotADb:
        return StoreError(K::Damaged,
                          QStringLiteral("O arquivo de dados %1 está danificado ou não é um arquivo "
                                         "deste programa.\nO arquivo não foi alterado.")
                              .arg(file));
    case CantOpen:
        if (noRoomIn(QFileInfo(path).absolutePath()))
            return StoreError(K::DiskFull, diskFullMessage(path));
        return StoreError(K::CannotCreate,
                          QStringLiteral("Não foi possível abrir nem criar o arquivo de dados %1.\n"
                                         "Verifique se a pasta existe e permite gravação.")
                              .arg(file));
    case Constraint:
        return StoreError(K::Duplicate,
                          QStringLiteral("Já existe um registro com esta chave no arquivo de dados %1.\n"
                                         "Nada foi gravado.")
                              .arg(file));
    default:
        return StoreError(
            K::Other,
            QStringLiteral("Erro ao usar o arquivo de dados %1 (%2):\n%3").arg(file, what, error.text()));
    }
}

// Gives the file at from the name to, unless something already bears that
// name; true once a file is there, ours or another copy's. errno tells why not.
bool placeWithoutReplacing(const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EEXIST)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return false;
    // A file system that cannot refuse to replace (FAT, some network ones).
    if (::access(to.constData(), F_OK) == 0)
        return true;
    return ::rename(from.constData(), to.constData()) == 0;
}

// Makes a new name in the folder survive a power cut.
void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// SQLite's own magic: a file that starts otherwise is not ours. Read before
// SQLite opens the file, so that nothing of it (a journal left beside a file
// since overwritten) is ever written into such a file.
bool hasSqliteHeader(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    static const QByteArray magic("SQLite format 3\0", 16);
    return f.read(16) == magic;
}

QSqlQuery run(QSqlDatabase& db, const QString& sql, const QString& path, const QString& what)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(sql))
        throw errorFor(q.lastError(), path, what);
    return q;
}

// The driver's own handle, only when the plugin that holds the driver
// resolves SQLite to the very functions this program calls: a handle of
// another SQLite build must never be handed to this one.
sqlite3* sameLibraryHandle(const QSqlDatabase& db)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    sqlite3* raw = *static_cast<sqlite3* const*>(handle.data());
    return raw && driverShares(db, "sqlite3_prepare_v2", reinterpret_cast<const void*>(&sqlite3_prepare_v2))
               ? raw
               : nullptr;
}

} // namespace

QVariant boundValue(const QVariant& value)
{
    if (value.typeId() == QMetaType::QString && value.toString().isNull())
        return QVariant(QStringLiteral(""));
    return value;
}

quint64 nextOpenSerial()
{
    return ++g_serialCounter;
}

Database::Database(const QString& folder, Access access)
    : m_folder(folder), m_access(access),
      m_connectionName(QStringLiteral("fenwarda-store-%1").arg(++g_connectionCounter)),
      m_server(isServerAddress(folder))
{
}

Database::~Database()
{
    close();
}

QString Database::filePath(const QString& folder)
{
    return QDir::toNativeSeparators(QDir(folder).filePath(QString::fromLatin1(FileName)));
}

bool Database::isOpen() const
{
    return m_serial != 0;
}

void Database::open()
{
    // A server found gone is reached again by the next use; one that went
    // while the counter was idle, before any statement fails on it.
    if (isOpen() && m_server && !m_writing && connectionGone(m_pg))
        m_lost = true;
    if (isOpen() && m_lost)
        close();
    if (isOpen())
        return;
    if (m_server) {
        openServer();
        return;
    }

    using K = StoreError::Kind;
    const QString path = filePath();
    const QString file = nativePath(path);
    const QFileInfo folderInfo(m_folder);
    const QFileInfo info(path);
    const bool existed = info.exists();
    const bool readOnly = writesRefused();

    // Check what the file system can tell before SQLite touches anything:
    // the messages are clearer and an unusable file is never written.
    if (!existed && readOnly) {
        throw StoreError(
            K::CannotCreate,
            QStringLiteral("Não foi possível abrir o arquivo de dados %1:\no arquivo não existe.").arg(file));
    } else if (!existed) {
        if (!folderInfo.isDir())
            throw StoreError(
                K::CannotCreate,
                QStringLiteral("Não foi possível criar o arquivo de dados %1:\na pasta %2 não existe.")
                    .arg(file, nativePath(m_folder)));
        if (!folderInfo.isWritable())
            throw StoreError(K::CannotCreate, QStringLiteral("Não foi possível criar o arquivo de dados %1:\n"
                                                             "a pasta %2 está protegida contra gravação.")
                                                  .arg(file, nativePath(m_folder)));
    } else {
        if (info.isDir())
            throw StoreError(K::Damaged,
                             QStringLiteral("O arquivo de dados %1 está danificado ou não é um arquivo "
                                            "deste programa.\nO arquivo não foi alterado.")
                                 .arg(file));
        if (!info.isReadable())
            throw StoreError(
                K::CannotCreate,
                QStringLiteral("Não foi possível abrir o arquivo de dados %1:\nnão há permissão para lê-lo.")
                    .arg(file));
        if (!readOnly && !info.isWritable())
            throw StoreError(
                K::ReadOnly,
                QStringLiteral("O arquivo de dados %1 está protegido contra gravação (somente leitura).\n"
                               "Retire a proteção do arquivo e tente de novo.")
                    .arg(file));
        // The journal files live beside the data file.
        if (!readOnly && !folderInfo.isWritable())
            throw StoreError(
                K::ReadOnly,
                QStringLiteral("O arquivo de dados %1 está protegido contra gravação (somente leitura):\n"
                               "a pasta %2 não permite gravar.\n"
                               "Retire a proteção da pasta e tente de novo.")
                    .arg(file, nativePath(m_folder)));
        // SQLite would take an empty file for a new database. A shop's file
        // emptied by accident is not a new shop.
        if (info.size() == 0)
            throw StoreError(
                K::Damaged,
                QStringLiteral("O arquivo de dados %1 está vazio (0 bytes): não contém as tabelas "
                               "do programa.\nSe os dados da loja estavam nele, volte a uma cópia "
                               "de segurança; se este é o primeiro uso do programa, apague o "
                               "arquivo e abra o programa de novo.\nO arquivo não foi alterado.")
                    .arg(file));
    }

    if (!existed)
        createFile();
    const QString key = QFileInfo(path).canonicalFilePath();
    // With a connection open here, SQLite's own reading of the header says
    // the same without a descriptor of ours.
    if (existed && !isOpenHere(key) && !hasSqliteHeader(path))
        throw StoreError(K::Damaged,
                         QStringLiteral("O arquivo de dados %1 está danificado ou não é um arquivo "
                                        "deste programa.\nO arquivo não foi alterado.")
                             .arg(file));
    if (!readOnly) {
        // Customers' data: no other account reads it, whatever the umask
        // made of the file earlier. SQLite gives new journal files the data
        // file's mode.
        for (const char* suffix : {"", "-wal", "-shm"})
            restrictToOwner(path + QLatin1String(suffix));
    }

    m_openKey = key;
    countOpen(m_openKey, +1);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        db.setDatabaseName(path);
        // A short wait rides over a reader finishing; a longer one would only
        // freeze the window in front of the operator.
        db.setConnectOptions(readOnly ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=1000;QSQLITE_OPEN_READONLY")
                                      : QStringLiteral("QSQLITE_BUSY_TIMEOUT=1000"));
        try {
            if (!db.open())
                throw errorFor(db.lastError(), path, QStringLiteral("abrir"));
            checkSchema(db);
            // A reader only reads: the program's own tables are not its concern.
            if (!readOnly) {
                upgradeSchema(db);
                run(db, QStringLiteral("PRAGMA journal_mode=WAL"), path, QStringLiteral("abrir"));
                run(db, QStringLiteral("PRAGMA synchronous=FULL"), path, QStringLiteral("abrir"));
            }
            run(db, QStringLiteral("PRAGMA busy_timeout=1000"), path, QStringLiteral("abrir"));
        } catch (StoreError& e) {
            db = QSqlDatabase();
            drop();
            // In WAL mode nothing reaches the file itself before a checkpoint.
            if (e.kind() == K::DiskFull)
                throw StoreError(K::DiskFull,
                                 e.message() + QStringLiteral("\nO arquivo de dados não foi alterado."));
            throw;
        }
        if (m_directAllowed)
            m_direct = sameLibraryHandle(db);
        if (m_direct) {
            sqlite3_update_hook(m_direct, &Database::rowWritten, this);
            m_byColumn = sqlite3_compileoption_used("ENABLE_PREUPDATE_HOOK") != 0;
            if (m_byColumn)
                sqlite3_preupdate_hook(m_direct, &Database::rowChanging, this);
            m_noticed = sqlite3_total_changes64(m_direct);
            m_searchWritten = false;
        }
    }
    if (m_direct)
        for (size_t i = 0; i < m_watchers.size(); ++i)
            resolveWatch(i);
    m_serial = ++g_serialCounter;
}

// A new file is made whole under a scratch name and only then given its own,
// so that no crash leaves a file without tables where the shop's file goes.
void Database::createFile()
{
    using K = StoreError::Kind;
    const QString path = filePath();
    const QString file = nativePath(path);
    const auto cannotCreate = [&] {
        return StoreError(K::CannotCreate, QStringLiteral("Não foi possível criar o arquivo de dados %1.\n"
                                                          "Verifique se a pasta permite gravação.")
                                               .arg(file));
    };
    QByteArray scratch = QFile::encodeName(QDir(m_folder).filePath(QStringLiteral(".fenwarda-novo-XXXXXX")));
    // mkstemp makes it owner-only, as the data file must be.
    const int fd = ::mkstemp(scratch.data());
    if (fd < 0) {
        if (isNoRoom(errno))
            throw StoreError(K::DiskFull, diskFullMessage(path));
        throw cannotCreate();
    }
    ::close(fd);
    const QString scratchPath = QFile::decodeName(scratch);
    const QString name = m_connectionName + QLatin1String("-novo");
    std::optional<StoreError> failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(scratchPath);
        const QString what = QStringLiteral("criar as tabelas");
        try {
            if (!db.open())
                throw errorFor(db.lastError(), path, what);
            run(db, QStringLiteral("BEGIN IMMEDIATE"), path, what);
            for (const QString& sql : createStatements())
                run(db, sql, path, what);
            run(db, QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion), path, what);
            run(db, QStringLiteral("COMMIT"), path, what);
        } catch (const StoreError& e) {
            failure = e;
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!failure && !placeWithoutReplacing(scratch, QFile::encodeName(path)))
        failure = isNoRoom(errno) ? StoreError(K::DiskFull, diskFullMessage(path)) : cannotCreate();
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        ::unlink((scratch + suffix).constData());
    syncFolder(m_folder);
    if (failure) {
        const K kind = failure->kind();
        if (kind != K::DiskFull && kind != K::Locked && kind != K::CannotCreate)
            throw cannotCreate();
        throw *failure;
    }
}

sqlite3* Database::directHandle()
{
    open();
    return m_direct;
}

namespace {

// A row of a search index's own tables ("PeopleSearch_data").
bool isSearchIndexRow(const char* table)
{
    static const QByteArray people = names::PeopleSearch::Table.toUtf8() + '_';
    static const QByteArray videos = names::VideoSearch::Table.toUtf8() + '_';
    for (const QByteArray* prefix : {&people, &videos})
        if (qstrncmp(table, prefix->constData(), uint(prefix->size())) == 0)
            return true;
    return false;
}

} // namespace

void Database::rowWritten(void* self, int, const char*, const char* table, qint64 rowid)
{
    auto* d = static_cast<Database*>(self);
    ++d->m_noticed;
    if (!d->m_searchWritten)
        d->m_searchWritten = isSearchIndexRow(table);
    if (d->m_byColumn)
        return; // told before the change, by column
    for (size_t i = 0; i < d->m_watchers.size(); ++i) {
        const QByteArray& watched = d->m_watches[i].table;
        if (watched.isEmpty() || watched == table)
            d->m_watchers[i]->rowWritten(table, rowid);
    }
}

namespace {

bool sameValue(sqlite3_value* a, sqlite3_value* b)
{
    const int type = sqlite3_value_type(a);
    if (type != sqlite3_value_type(b))
        return false;
    switch (type) {
    case SQLITE_NULL:
        return true;
    case SQLITE_INTEGER:
        return sqlite3_value_int64(a) == sqlite3_value_int64(b);
    case SQLITE_FLOAT:
        return sqlite3_value_double(a) == sqlite3_value_double(b);
    default:
        break;
    }
    const void* x = sqlite3_value_blob(a);
    const int bytes = sqlite3_value_bytes(a);
    const void* y = sqlite3_value_blob(b);
    return bytes == sqlite3_value_bytes(b) && (bytes == 0 || std::memcmp(x, y, size_t(bytes)) == 0);
}

} // namespace

// Runs before each row is added, changed or deleted: an update that leaves
// every column a watcher shows as it was (a shelf count, for the lists of
// titles) is not told to it.
void Database::rowChanging(void* self, sqlite3* handle, int operation, const char*, const char* table,
                           qint64 oldRowid, qint64 newRowid)
{
    auto* d = static_cast<Database*>(self);
    for (size_t i = 0; i < d->m_watchers.size(); ++i) {
        const Watch& watch = d->m_watches[i];
        if (!watch.table.isEmpty() && watch.table != table)
            continue;
        WriteWatcher& watcher = *d->m_watchers[i];
        if (operation == SQLITE_INSERT) {
            watcher.rowWritten(table, newRowid);
            continue;
        }
        if (operation == SQLITE_DELETE) {
            watcher.rowWritten(table, oldRowid);
            continue;
        }
        bool changed = oldRowid != newRowid || watch.columns.empty();
        for (size_t c = 0; c < watch.columns.size() && !changed; ++c) {
            sqlite3_value* before = nullptr;
            sqlite3_value* after = nullptr;
            if (sqlite3_preupdate_old(handle, watch.columns[c], &before) != SQLITE_OK ||
                sqlite3_preupdate_new(handle, watch.columns[c], &after) != SQLITE_OK || !before || !after)
                changed = true;
            else
                changed = !sameValue(before, after);
        }
        if (!changed)
            continue;
        watcher.rowWritten(table, oldRowid);
        if (newRowid != oldRowid)
            watcher.rowWritten(table, newRowid);
    }
}

// The watcher's columns as positions in its table, as the file has them;
// a column that cannot be placed makes every update of the table told.
void Database::resolveWatch(size_t i)
{
    const WriteWatcher& watcher = *m_watchers[i];
    Watch& watch = m_watches[i];
    const QString table = watcher.watchedTable();
    watch.table = table.toUtf8();
    watch.columns.clear();
    if (table.isEmpty())
        return;
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    const QSqlRecord record = db.record(table);
    for (const QString& name : watcher.watchedColumns()) {
        const int at = record.indexOf(name);
        if (at < 0) {
            watch.columns.clear();
            return;
        }
        watch.columns.push_back(at);
    }
}

bool Database::watchesWrites()
{
    if (m_server) {
        takeNotices();
        return m_link != nullptr;
    }
    if (!m_direct)
        return false;
    // A DELETE of a whole table removes its rows without a notice each;
    // the lists cannot tell which rows went.
    const qint64 total = sqlite3_total_changes64(m_direct);
    // The search indexes' writes count changes of a virtual table, which
    // are never told; the tables they follow carry their triggers, and
    // SQLite never empties a table with triggers wholesale.
    if (total != m_noticed && !m_searchWritten) {
        for (const auto& watcher : m_watchers)
            watcher->forget();
    }
    m_noticed = total;
    m_searchWritten = false;
    return true;
}

bool Database::inTransaction() const
{
    if (m_server)
        return transactionOpen(m_pg);
    return m_direct && !sqlite3_get_autocommit(m_direct);
}

WriteWatcher& Database::keepWatcher(std::unique_ptr<WriteWatcher> watcher)
{
    WriteWatcher& kept = *m_watchers.emplace_back(std::move(watcher));
    m_watches.emplace_back();
    m_watches.back().table = kept.watchedTable().toUtf8();
    if (m_direct)
        resolveWatch(m_watches.size() - 1);
    return kept;
}

void Database::checkSchema(QSqlDatabase& db)
{
    using K = StoreError::Kind;
    const QString path = filePath();
    const QString file = nativePath(path);
    const QString what = QStringLiteral("ler a estrutura");

    QStringList missingTables;
    QList<QPair<QString, QString>> missingColumns;
    for (const TableDef& t : tables()) {
        QSqlQuery q = run(db, QStringLiteral("PRAGMA table_info(%1)").arg(quoted(t.name)), path, what);
        QStringList present;
        while (q.next())
            present.append(q.value(1).toString());
        if (q.lastError().isValid())
            throw errorFor(q.lastError(), path, what);
        if (present.isEmpty()) {
            missingTables.append(t.name);
            continue;
        }
        for (const QString& c : t.columns) {
            if (!present.contains(c))
                missingColumns.append({t.name, c});
        }
    }

    if (missingTables.size() == tables().size())
        throw StoreError(K::Damaged,
                         QStringLiteral("O arquivo de dados %1 está danificado ou não é um arquivo "
                                        "deste programa:\nnão contém nenhuma das tabelas do programa.\n"
                                        "O arquivo não foi alterado.")
                             .arg(file));
    if (!missingTables.isEmpty())
        throw StoreError(K::MissingTable, QStringLiteral("O arquivo de dados %1 não contém a tabela %2.\n"
                                                         "O arquivo não foi alterado.")
                                              .arg(file, missingTables.first()));
    if (!missingColumns.isEmpty())
        throw StoreError(K::MissingTable,
                         QStringLiteral("O arquivo de dados %1 não contém a coluna %2 da tabela %3.\n"
                                        "O arquivo não foi alterado.")
                             .arg(file, missingColumns.first().second, missingColumns.first().first));
}

// Brings an older file up to this program's version by adding its own
// tables; the four tables, their columns and rows are never touched, so any
// other reader still finds them as they were. A newer file is refused.
void Database::upgradeSchema(QSqlDatabase& db)
{
    const QString path = filePath();
    const QString what = QStringLiteral("atualizar a estrutura");
    QSqlQuery q = run(db, QStringLiteral("PRAGMA user_version"), path, what);
    const int version = q.next() ? q.value(0).toInt() : 0;
    q.finish();
    if (version > SchemaVersion)
        throw StoreError(StoreError::Kind::Damaged,
                         QStringLiteral("O arquivo de dados %1 foi gravado por uma versão mais nova deste "
                                        "programa.\nInstale a versão mais nova. O arquivo não foi alterado.")
                             .arg(nativePath(path)));
    if (version == SchemaVersion)
        return;
    run(db, QStringLiteral("BEGIN IMMEDIATE"), path, what);
    try {
        for (const QString& sql : ownTableStatements() + upgradeStatements(version))
            run(db, sql, path, what);
        run(db, QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion), path, what);
        run(db, QStringLiteral("COMMIT"), path, what);
    } catch (...) {
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}

sqlite3_stmt* Database::prepareDirect(const QString& sql)
{
    sqlite3_stmt* statement = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v3(directHandle(), text.constData(), int(text.size()), SQLITE_PREPARE_PERSISTENT,
                           &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        failDirect(QStringLiteral("preparar a leitura"));
    }
    m_directStatements.push_back(statement);
    return statement;
}

void Database::finalizeDirect(sqlite3_stmt* statement)
{
    const auto it = std::find(m_directStatements.begin(), m_directStatements.end(), statement);
    if (it == m_directStatements.end())
        return; // finalized with the connection it belonged to
    m_directStatements.erase(it);
    sqlite3_finalize(statement);
}

void Database::failDirect(const QString& what) const
{
    fail(QSqlError(QString::fromUtf8(sqlite3_errmsg(m_direct)), QString(), QSqlError::StatementError,
                   QString::number(sqlite3_extended_errcode(m_direct))),
         what);
}

void Database::drop()
{
    m_link.reset();
    m_pg = nullptr;
    m_counterName.clear();
    m_lost = false;
    // Qt closes its own statements; ours must go before the connection does.
    for (sqlite3_stmt* statement : m_directStatements)
        sqlite3_finalize(statement);
    m_directStatements.clear();
    if (m_direct) {
        sqlite3_update_hook(m_direct, nullptr, nullptr);
        if (m_byColumn)
            sqlite3_preupdate_hook(m_direct, nullptr, nullptr);
        m_byColumn = false;
        m_direct = nullptr;
    }
    // Another program may write before the file is opened again.
    for (const auto& watcher : m_watchers)
        watcher->forget();
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (db.isValid())
            db.close();
    }
    if (QSqlDatabase::contains(m_connectionName))
        QSqlDatabase::removeDatabase(m_connectionName);
    if (!m_openKey.isEmpty())
        countOpen(m_openKey, -1);
    m_openKey.clear();
}

qint64 Database::dataVersion()
{
    // The server tells every row written; only a lost connection loses
    // notices, and reconnecting makes every watcher forget.
    if (m_server)
        return 0;
    QSqlQuery q(connection());
    if (!q.exec(QStringLiteral("PRAGMA data_version")) || !q.next())
        fail(q.lastError(), QStringLiteral("ler a lista"));
    return q.value(0).toLongLong();
}

void Database::close()
{
    if (!QSqlDatabase::contains(m_connectionName))
        return;
    drop();
    m_serial = 0;
}

QSqlDatabase Database::connection()
{
    open();
    return QSqlDatabase::database(m_connectionName, false);
}

void Database::fail(const QSqlError& error, const QString& what) const
{
    if (m_server) {
        const StoreError e = serverErrorFor(error, shownAddress(m_folder), what);
        if (e.kind() == StoreError::Kind::Unavailable || connectionBroken(m_pg))
            m_lost = true;
        throw e;
    }
    // The read-only connection refuses a write as a protected file would;
    // the operator must read why the program no longer writes.
    if (!m_refusal.isEmpty() && primaryCode(error) == ReadOnly)
        throw StoreError(StoreError::Kind::Damaged, m_refusal);
    throw errorFor(error, filePath(), what);
}

void Database::refuseWrites(const QString& message)
{
    close();
    m_refusal = message;
}

} // namespace store
