// The Database on a PostgreSQL server: opening, the tables' check, the
// counter's name and the notices of rows written.
#include "Database.h"
#include "Schema.h"
#include "ServerAddress.h"
#include "ServerLink.h"
#include "StoreError.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>

namespace store {

namespace {

QString unchanged()
{
    return QStringLiteral("\nO banco de dados não foi alterado.");
}

} // namespace

StoreError serverErrorFor(const QSqlError& error, const QString& server, const QString& what)
{
    using K = StoreError::Kind;
    const QString state = error.nativeErrorCode();
    if (state == QLatin1String("23505"))
        return StoreError(K::Duplicate,
                          QStringLiteral("Já existe um registro com esta chave no banco de dados "
                                         "do servidor %1.\nNada foi gravado.")
                              .arg(server));
    if (state == QLatin1String("25006"))
        return StoreError(K::ReadOnly, QStringLiteral("O banco de dados do servidor %1 só permite leitura "
                                                      "nesta conexão.\nNada foi gravado.")
                                           .arg(server));
    if (state == QLatin1String("53100"))
        return StoreError(
            K::DiskFull, QStringLiteral("O disco do servidor %1 está cheio.\nNada foi gravado. Libere espaço "
                                        "no servidor e tente de novo.")
                             .arg(server));
    if (state == QLatin1String("55P03") || state == QLatin1String("40P01") || state == QLatin1String("40001"))
        return StoreError(K::Locked, QStringLiteral("O banco de dados do servidor %1 está ocupado por outra "
                                                    "estação.\nNada foi gravado. Tente de novo.")
                                         .arg(server));
    // No state at all: the answer never came.
    if (state.isEmpty() || state.startsWith(QLatin1String("08")) || state.startsWith(QLatin1String("57P")))
        return StoreError(K::Unavailable,
                          QStringLiteral("O servidor de dados %1 não responde (%2).\nNada foi gravado pela "
                                         "metade: o que foi digitado continua na tela.\nVerifique a rede e o "
                                         "servidor e tente de novo.\n(%3)")
                              .arg(server, what, error.text().trimmed()));
    return StoreError(K::Other, QStringLiteral("Erro ao usar o banco de dados do servidor %1 (%2):\n%3")
                                    .arg(server, what, error.text().trimmed()));
}

void Database::openServer()
{
    using K = StoreError::Kind;
    const QString shown = shownAddress(m_folder);
    const bool readOnly = writesRefused();
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        throw StoreError(K::CannotCreate,
                         QStringLiteral("Não foi possível usar o servidor de dados %1:\nfalta o driver do "
                                        "PostgreSQL do Qt (pacote libqt6sql6-psql).")
                             .arg(shown));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connectionName);
        try {
            if (!configureServer(db, m_folder))
                throw StoreError(K::CannotCreate,
                                 QStringLiteral("O endereço do servidor de dados não pôde ser lido:\n%1\n"
                                                "Use a forma postgresql://usuário@servidor/banco.")
                                     .arg(shown));
            // Told as a server that went away is: the operator's answer is
            // the same.
            if (!db.open())
                throw serverErrorFor(db.lastError(), shown, QStringLiteral("conectar"));
            m_pg = libpqHandle(db);
            const auto run = [&](const QString& sql) {
                QSqlQuery q(db);
                if (!q.exec(sql))
                    throw serverErrorFor(q.lastError(), shown, QStringLiteral("abrir"));
            };
            run(QStringLiteral("SET client_min_messages = warning"));
            // A writer stuck elsewhere is reported, not waited for all day.
            run(QStringLiteral("SET lock_timeout = '10s'"));
            if (readOnly)
                run(QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY"));
            checkServerSchema(db);
            if (!readOnly) {
                addSearchIndexes(db);
                takeCounterName(db);
                if (m_pg) {
                    run(QStringLiteral("LISTEN %1").arg(NotifyChannel));
                    m_link = std::make_unique<ServerLink>(
                        m_pg, [this](const QByteArray& table, qint64 rowid) { serverNotice(table, rowid); },
                        [this] {
                            for (const auto& watcher : m_watchers)
                                watcher->noticesTold();
                        });
                }
            }
        } catch (const StoreError&) {
            m_link.reset();
            m_pg = nullptr;
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_connectionName);
            throw;
        }
    }
    // Nothing was told while the connection was away.
    for (const auto& watcher : m_watchers)
        watcher->forget();
    for (Watch& watch : m_watches)
        watch.columns.clear();
    m_lost = false;
    m_serial = nextOpenSerial();
}

void Database::checkServerSchema(QSqlDatabase& db)
{
    using K = StoreError::Kind;
    const QString shown = shownAddress(m_folder);
    const QString what = QStringLiteral("ler a estrutura");
    const auto query = [&](const QString& sql, const QVariantList& values = {}) {
        QSqlQuery q(db);
        // The server prepares queries only, never a CREATE.
        bool ok = false;
        if (values.isEmpty()) {
            ok = q.exec(sql);
        } else {
            ok = q.prepare(sql);
            for (const QVariant& v : values)
                q.addBindValue(v);
            ok = ok && q.exec();
        }
        if (!ok)
            throw serverErrorFor(q.lastError(), shown, what);
        return q;
    };
    // to_regclass folds an unquoted name as a statement would.
    const auto exists = [&](const QString& name) {
        QSqlQuery q = query(QStringLiteral("SELECT to_regclass(?) IS NOT NULL"), {name});
        return q.next() && q.value(0).toBool();
    };
    // Every table of the schema, read in one statement from the catalogue
    // itself: another counter making the tables meanwhile is seen whole or
    // not at all (to_regclass, one table at a time and from the session's
    // cache, could see some made and others not).
    const auto present = [&] {
        QSqlQuery q = query(QStringLiteral("SELECT c.relname FROM pg_catalog.pg_class c "
                                           "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
                                           "WHERE n.nspname = current_schema() "
                                           "AND c.relkind IN ('r', 'p', 'v', 'm', 'f')"));
        QStringList out;
        while (q.next())
            out.append(q.value(0).toString());
        return out;
    };
    QStringList found = present();
    const auto fourMissing = [&] {
        QStringList missing;
        for (const TableDef& t : tables())
            if (!found.contains(t.name))
                missing.append(t.name);
        return missing;
    };

    QStringList missing = fourMissing();
    if (missing.size() == tables().size()) {
        if (!found.isEmpty())
            throw StoreError(K::Damaged,
                             QStringLiteral("O banco de dados do servidor %1 não é um banco deste programa:\n"
                                            "não contém nenhuma das tabelas do programa.")
                                     .arg(shown) +
                                 unchanged());
        if (writesRefused())
            throw StoreError(K::CannotCreate,
                             QStringLiteral("O banco de dados do servidor %1 ainda não contém as tabelas do "
                                            "programa.")
                                 .arg(shown));
        // Two counters starting on a new database at once: one makes the
        // tables, the other finds them made.
        const auto createAll = [&] {
            query(QStringLiteral("BEGIN"));
            try {
                query(QStringLiteral("SELECT pg_advisory_xact_lock(%1, 0)").arg(WriterLock));
                if (present().isEmpty())
                    for (const QString& sql : serverCreateStatements())
                        query(sql);
                query(QStringLiteral("COMMIT"));
            } catch (...) {
                QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
                throw;
            }
        };
        createAll();
        found = present();
        missing = fourMissing();
    }
    if (!missing.isEmpty())
        throw StoreError(K::MissingTable,
                         QStringLiteral("O banco de dados do servidor %1 não contém a tabela %2.")
                                 .arg(shown, missing.first()) +
                             unchanged());
    for (const TableDef& t : tables()) {
        QSqlQuery q = query(QStringLiteral("SELECT column_name FROM information_schema.columns "
                                           "WHERE table_schema = current_schema() AND table_name = ?"),
                            {t.name});
        QStringList present;
        while (q.next())
            present.append(q.value(0).toString());
        for (const QString& c : t.columns + QStringList{QStringLiteral("rowid")})
            if (!present.contains(c))
                throw StoreError(
                    K::MissingTable,
                    QStringLiteral("O banco de dados do servidor %1 não contém a coluna %2 da tabela %3.")
                            .arg(shown, c, t.name) +
                        unchanged());
    }
    for (const QString& own : {quoted(names::PendingCopies::Table), names::NoteHistory::Table,
                               names::RentedVideos::Table, names::Settings::Table, quoted(VersionTable)})
        if (!exists(own))
            throw StoreError(K::MissingTable,
                             QStringLiteral("O banco de dados do servidor %1 não contém a tabela %2.")
                                     .arg(shown, QString(own).remove(u'"')) +
                                 unchanged());
    QSqlQuery q = query(QStringLiteral("SELECT max(Versao) FROM %1").arg(quoted(VersionTable)));
    const int version = q.next() ? q.value(0).toInt() : 0;
    if (version > SchemaVersion)
        throw StoreError(K::Damaged,
                         QStringLiteral("O banco de dados do servidor %1 foi preparado por uma versão "
                                        "mais nova deste programa.\nInstale a versão mais nova.")
                                 .arg(shown) +
                             unchanged());
    if (version < SchemaVersion)
        throw StoreError(K::Damaged,
                         QStringLiteral("O banco de dados do servidor %1 foi preparado por uma versão "
                                        "anterior deste programa (%2), que esta versão não sabe atualizar.")
                                 .arg(shown)
                                 .arg(version) +
                             unchanged());
}

// Once per database (the first counter to open it, or the first after a
// copy): the search's indexes, where the server has pg_trgm. A server
// without it, or a login that may not add it, searches all the same.
void Database::addSearchIndexes(QSqlDatabase& db)
{
    QStringList names;
    for (const QString& sql : serverSearchIndexStatements())
        if (sql.startsWith(QLatin1String("CREATE INDEX")))
            names.append(sql.section(u'"', 1, 1));
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT count(*) FROM pg_indexes WHERE schemaname = current_schema() AND "
                             "indexname = ANY(string_to_array(?, ','))"));
    q.addBindValue(names.join(u','));
    if (!q.exec() || !q.next() || q.value(0).toInt() == names.size())
        return;
    q.finish();
    bool ok = q.exec(QStringLiteral("BEGIN")) &&
              q.exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1, 0)").arg(WriterLock));
    for (const QString& sql : serverSearchIndexStatements())
        ok = ok && q.exec(sql);
    ok = ok && q.exec(QStringLiteral("COMMIT"));
    if (!ok)
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
}

// Held for the whole session: while this counter runs, nobody else gives
// its copies back, and a second copy of the program on the same login
// takes the next number.
void Database::takeCounterName(QSqlDatabase& db)
{
    QString base = QSysInfo::machineHostName();
    const QString login = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
    if (!login.isEmpty())
        base += u'/' + login;
    for (int n = 1; n <= 64; ++n) {
        const QString name = n == 1 ? base : QStringLiteral("%1 (%2)").arg(base).arg(n);
        QSqlQuery q(db);
        q.prepare(QStringLiteral("SELECT pg_try_advisory_lock(%1, hashtext(?))").arg(CounterLock));
        q.addBindValue(name);
        if (!q.exec())
            throw serverErrorFor(q.lastError(), shownAddress(m_folder), QStringLiteral("abrir"));
        if (q.next() && q.value(0).toBool()) {
            m_counterName = name;
            return;
        }
    }
    throw StoreError(StoreError::Kind::Locked,
                     QStringLiteral("Há estações demais com o nome %1 no servidor de dados %2.")
                         .arg(base, shownAddress(m_folder)));
}

void Database::begin()
{
    QSqlQuery q(connection());
    const QString what = QStringLiteral("iniciar a gravação");
    m_writing = true;
    if (!m_server) {
        // IMMEDIATE takes the write lock now, so a busy file is reported
        // before the first write rather than halfway through.
        if (!q.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
            m_writing = false;
            fail(q.lastError(), what);
        }
        return;
    }
    if (!q.exec(QStringLiteral("BEGIN"))) {
        m_writing = false;
        fail(q.lastError(), what);
    }
    // The server's counterpart of the file's write lock, let go at the end
    // of the transaction: a note's number counted, a note read before its
    // slot is freed, hold until the commit.
    if (!q.exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1, 0)").arg(WriterLock))) {
        const QSqlError error = q.lastError();
        QSqlQuery(connection()).exec(QStringLiteral("ROLLBACK"));
        m_writing = false;
        fail(error, what);
    }
}

QString Database::counterName()
{
    open();
    // Bound as a text, never as no value.
    return m_counterName.isEmpty() ? QStringLiteral("") : m_counterName;
}

bool Database::counterGone(const QString& name)
{
    if (!m_server || name == counterName())
        return false;
    QSqlQuery q(connection());
    q.prepare(QStringLiteral("SELECT pg_try_advisory_xact_lock(%1, hashtext(?))").arg(CounterLock));
    q.addBindValue(name);
    if (!q.exec() || !q.next())
        fail(q.lastError(), QStringLiteral("ler a locação em andamento"));
    return q.value(0).toBool();
}

void Database::takeNotices()
{
    if (m_link)
        m_link->drain();
}

void Database::serverNotice(const QByteArray& table, qint64 rowid)
{
    for (size_t i = 0; i < m_watchers.size(); ++i) {
        const QByteArray& watched = m_watches[i].table;
        if (watched.isEmpty() || watched == table)
            m_watchers[i]->rowWritten(table.constData(), rowid);
    }
}

} // namespace store
