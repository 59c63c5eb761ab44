#include "ServerCopy.h"
#include "Database.h"
#include "Schema.h"
#include "ServerAddress.h"
#include "ServerLink.h"
#include "StoreError.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <libpq-fe.h>
#include <memory>
#include <sqlite3.h>

namespace store {

namespace {

using K = StoreError::Kind;

// Rows handed to the server at a time, and between two progress reports.
constexpr qint64 ProgressRows = 5000;
constexpr qsizetype SendBytes = 1 << 18;

// One table as the file holds it and as the server takes it.
struct Copied
{
    QString name;
    QString fileSelect;        // every row, in a stable order
    QString serverTable;       // as the server's statements name it
    QStringList serverColumns; // in the order of fileSelect
    QString identity;          // the column numbered by the server, if any
    qint64 fileRows = 0;
};

QList<Copied> copiedTables()
{
    QList<Copied> out;
    for (const TableDef& t : tables()) {
        QStringList columns{QStringLiteral("rowid")};
        for (const QString& c : t.columns)
            columns.append(quoted(c));
        out.append({t.name, selectColumns(t) + QStringLiteral(" ORDER BY rowid"), quoted(t.name), columns,
                    QStringLiteral("rowid")});
    }
    // The server keeps the program's own tables under the names their
    // statements give them: PendingCopies quoted, the others folded.
    namespace P = names::PendingCopies;
    namespace H = names::NoteHistory;
    namespace V = names::RentedVideos;
    namespace S = names::Settings;
    const auto select = [](const QStringList& columns, const QString& table, const QString& order) {
        return QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
            .arg(columns.join(QLatin1String(", ")), quoted(table), order);
    };
    const QStringList pending{quoted(P::Estacao), quoted(P::Slot), quoted(P::Codigo)};
    out.append({P::Table, select(pending, P::Table, pending.mid(0, 2).join(u',')), quoted(P::Table), pending,
                QString()});
    // The history keeps its note numbers: the videos point at them.
    const QStringList history{H::Id,      H::Codigo,        H::Data,  H::SavedAt,
                              H::Cliente, H::ClienteCodigo, H::Valor, H::Desconto};
    out.append({H::Table, select(history, H::Table, H::Id), H::Table, history, QStringLiteral("id")});
    // The returns of a day are read in slices by the row number: the file's
    // own is kept.
    const QStringList rented{
        QStringLiteral("rowid"), V::Note,      V::Slot, V::Codigo, V::Titulo, V::Tipo, V::Preco,
        V::DevolvidoEm,          V::ReturnedAt};
    out.append({V::Table, select(rented, V::Table, QStringLiteral("rowid")), V::Table, rented,
                QStringLiteral("rowid")});
    const QStringList settings{S::Name, S::Value};
    out.append({S::Table, select(settings, S::Table, S::Name), S::Table, settings, QString()});
    return out;
}

// A value as COPY's text format takes it: the bytes as they are, but for
// the four that end a value or a row and the escape itself. A zero byte
// goes through and the server refuses it, rather than the text being cut.
void appendValue(QByteArray& out, const char* bytes, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i) {
        const char c = bytes[i];
        switch (c) {
        case '\\':
            out.append("\\\\", 2);
            break;
        case '\t':
            out.append("\\t", 2);
            break;
        case '\n':
            out.append("\\n", 2);
            break;
        case '\r':
            out.append("\\r", 2);
            break;
        default:
            out.append(c);
        }
    }
}

void appendNull(QByteArray& out)
{
    out.append("\\N", 2);
}

struct ConnectionEnd
{
    void operator()(PGconn* conn) const { PQfinish(conn); }
};
struct ResultEnd
{
    void operator()(PGresult* result) const { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultEnd>;

class Copier
{
public:
    Copier(const QString& folder, const QString& address, const CopyProgress& progress)
        : m_file(folder, Database::Access::ReadOnly), m_address(address), m_shown(shownAddress(address)),
          m_progress(progress)
    {
    }

    CopyResult run();

private:
    void openFile();
    void connectServer();
    Result exec(const QString& sql, const QString& what);
    qint64 serverCount(const QString& sql, const QString& what);
    void copyTable(const Copied& table);
    void send(QByteArray& buffer, bool whole);
    void fileFailed(const QString& what);
    [[noreturn]] void serverFailed(const QString& what);
    [[noreturn]] void resultFailed(const PGresult* result, const QString& what);
    StoreError failure(StoreError::Kind kind, const QString& what, const QString& detail) const;

    Database m_file;
    QString m_address;
    QString m_shown;
    CopyProgress m_progress;
    std::unique_ptr<PGconn, ConnectionEnd> m_conn;
    qint64 m_done = 0;
    qint64 m_total = 0;
};

StoreError Copier::failure(StoreError::Kind kind, const QString& what, const QString& detail) const
{
    return StoreError(kind, QStringLiteral("A cópia para o servidor %1 falhou (%2):\n%3\nNada foi copiado: o "
                                           "banco de dados do servidor continua vazio, e o arquivo de dados "
                                           "não foi alterado.")
                                .arg(m_shown, what, detail.trimmed()));
}

void Copier::openFile()
{
    const QString file = QDir::toNativeSeparators(Database::filePath(m_file.folder()));
    QSqlDatabase db = m_file.connection();
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next())
        m_file.fail(q.lastError(), QStringLiteral("ler a versão"));
    const int version = q.value(0).toInt();
    q.finish();
    if (version > SchemaVersion)
        throw StoreError(K::Damaged,
                         QStringLiteral("O arquivo de dados %1 foi gravado por uma versão mais nova deste "
                                        "programa.\nInstale a versão mais nova. O arquivo não foi alterado.")
                             .arg(file));
    // Bringing it up to date would write to it: that is left to the program.
    if (version < SchemaVersion)
        throw StoreError(K::Damaged,
                         QStringLiteral("O arquivo de dados %1 foi gravado por uma versão anterior deste "
                                        "programa.\nAbra-o uma vez com esta versão do programa (que o "
                                        "atualiza) e faça a cópia de novo.\nO arquivo não foi alterado.")
                             .arg(file));
    // Every table read at one moment, whatever a counter writes meanwhile.
    if (!q.exec(QStringLiteral("BEGIN")))
        m_file.fail(q.lastError(), QStringLiteral("ler"));
}

void Copier::connectServer()
{
    if (!isServerAddress(m_address))
        throw StoreError(K::CannotCreate,
                         QStringLiteral("O endereço do servidor de dados não pôde ser lido:\n%1\n"
                                        "Use a forma postgresql://usuário@servidor/banco.")
                             .arg(m_shown));
    // The address read as the counters read it.
    const QString name = QStringLiteral("fenwarda-copy-") + QUuid::createUuid().toString(QUuid::Id128);
    QList<QByteArray> keys;
    QList<QByteArray> values;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        const bool read = configureServer(db, m_address);
        if (read) {
            const auto add = [&](const char* key, const QString& value) {
                if (!value.isEmpty()) {
                    keys.append(key);
                    values.append(value.toUtf8());
                }
            };
            add("host", db.hostName());
            add("port", db.port() > 0 ? QString::number(db.port()) : QString());
            add("user", db.userName());
            add("password", db.password());
            add("dbname", db.databaseName());
            for (const QString& option : db.connectOptions().split(u';', Qt::SkipEmptyParts)) {
                const qsizetype at = option.indexOf(u'=');
                keys.append(option.left(at).trimmed().toUtf8());
                values.append(option.mid(at + 1).toUtf8());
            }
            add("client_encoding", QStringLiteral("UTF8"));
        }
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
        if (!read)
            throw StoreError(K::CannotCreate,
                             QStringLiteral("O endereço do servidor de dados não pôde ser lido:\n%1\n"
                                            "Use a forma postgresql://usuário@servidor/banco.")
                                 .arg(m_shown));
    }
    std::vector<const char*> k;
    std::vector<const char*> v;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        k.push_back(keys.at(i).constData());
        v.push_back(values.at(i).constData());
    }
    k.push_back(nullptr);
    v.push_back(nullptr);
    m_conn.reset(PQconnectdbParams(k.data(), v.data(), 0));
    if (!m_conn || PQstatus(m_conn.get()) != CONNECTION_OK)
        throw StoreError(K::Unavailable,
                         QStringLiteral("Não foi possível conectar ao servidor de dados %1:\n%2\nNada foi "
                                        "copiado, e o arquivo de dados não foi alterado.")
                             .arg(m_shown, m_conn ? QString::fromUtf8(PQerrorMessage(m_conn.get())).trimmed()
                                                  : QString()));
}

void Copier::serverFailed(const QString& what)
{
    const QString text = QString::fromUtf8(PQerrorMessage(m_conn.get()));
    throw failure(K::Unavailable, what, text);
}

Result Copier::exec(const QString& sql, const QString& what)
{
    Result r(PQexec(m_conn.get(), sql.toUtf8().constData()));
    const ExecStatusType status = r ? PQresultStatus(r.get()) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
        return r;
    resultFailed(r.get(), what);
}

void Copier::resultFailed(const PGresult* result, const QString& what)
{
    if (!result)
        serverFailed(what);
    const QString state = QString::fromLatin1(PQresultErrorField(result, PG_DIAG_SQLSTATE));
    const QString text = QString::fromUtf8(PQresultErrorMessage(result));
    // The kind the counters would get for the same answer.
    const QSqlError error(QString(), text, QSqlError::StatementError, state);
    throw failure(serverErrorFor(error, m_shown, what).kind(), what, text);
}

qint64 Copier::serverCount(const QString& sql, const QString& what)
{
    const Result r = exec(sql, what);
    return PQntuples(r.get()) == 1 ? QByteArray(PQgetvalue(r.get(), 0, 0)).toLongLong() : -1;
}

void Copier::fileFailed(const QString& what)
{
    sqlite3* handle = m_file.directHandle(); // open already
    throw failure(K::Damaged, what,
                  QStringLiteral("erro ao ler o arquivo de dados: %1")
                      .arg(handle ? QString::fromUtf8(sqlite3_errmsg(handle)) : QString()));
}

void Copier::send(QByteArray& buffer, bool whole)
{
    if (buffer.size() < SendBytes && !whole)
        return;
    if (!buffer.isEmpty() && PQputCopyData(m_conn.get(), buffer.constData(), int(buffer.size())) != 1)
        serverFailed(QStringLiteral("enviar as linhas"));
    buffer.clear();
}

void Copier::copyTable(const Copied& table)
{
    const QString what = QStringLiteral("copiar a tabela %1").arg(table.name);
    // Frozen: the table is new in this transaction, and nobody sees its
    // rows before the commit anyway.
    {
        const Result r(
            PQexec(m_conn.get(), QStringLiteral("COPY %1 (%2) FROM STDIN WITH (FREEZE)")
                                     .arg(table.serverTable, table.serverColumns.join(QLatin1String(", ")))
                                     .toUtf8()
                                     .constData()));
        if (!r || PQresultStatus(r.get()) != PGRES_COPY_IN)
            resultFailed(r.get(), what);
    }
    QByteArray buffer;
    buffer.reserve(SendBytes + 4096);
    qint64 rows = 0;
    const int columns = int(table.serverColumns.size());
    const auto rowDone = [&] {
        buffer.append('\n');
        ++rows;
        ++m_done;
        send(buffer, false);
        if (m_progress && m_done % ProgressRows == 0)
            m_progress(m_done, m_total);
    };
    // The text's own bytes where the file's library is ours; through Qt
    // otherwise.
    if (m_file.directHandle()) {
        sqlite3_stmt* s = m_file.prepareDirect(table.fileSelect);
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            for (int c = 0; c < columns; ++c) {
                if (c > 0)
                    buffer.append('\t');
                if (sqlite3_column_type(s, c) == SQLITE_NULL) {
                    appendNull(buffer);
                } else {
                    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, c));
                    appendValue(buffer, text, sqlite3_column_bytes(s, c));
                }
            }
            rowDone();
        }
        const bool ok = rc == SQLITE_DONE;
        m_file.finalizeDirect(s);
        if (!ok) {
            PQputCopyEnd(m_conn.get(), "leitura do arquivo interrompida");
            while (PGresult* r = PQgetResult(m_conn.get()))
                PQclear(r);
            fileFailed(what);
        }
    } else {
        QSqlQuery q(m_file.connection());
        q.setForwardOnly(true);
        if (!q.exec(table.fileSelect))
            m_file.fail(q.lastError(), what);
        while (q.next()) {
            for (int c = 0; c < columns; ++c) {
                if (c > 0)
                    buffer.append('\t');
                const QVariant v = q.value(c);
                const QByteArray bytes =
                    v.typeId() == QMetaType::QByteArray ? v.toByteArray() : v.toString().toUtf8();
                if (v.isNull())
                    appendNull(buffer);
                else
                    appendValue(buffer, bytes.constData(), bytes.size());
            }
            rowDone();
        }
    }
    send(buffer, true);
    if (PQputCopyEnd(m_conn.get(), nullptr) != 1)
        serverFailed(what);
    // The server's answer to the rows comes at their end.
    Result answer;
    while (PGresult* r = PQgetResult(m_conn.get())) {
        if (!answer || PQresultStatus(answer.get()) == PGRES_COMMAND_OK)
            answer.reset(r);
        else
            PQclear(r);
    }
    if (!answer || PQresultStatus(answer.get()) != PGRES_COMMAND_OK)
        resultFailed(answer.get(), what);
    if (rows != table.fileRows)
        throw failure(K::Other, what,
                      QStringLiteral("o arquivo deu %1 linhas da tabela %2, e não %3.")
                          .arg(rows)
                          .arg(table.name)
                          .arg(table.fileRows));
}

CopyResult Copier::run()
{
    QList<Copied> copied = copiedTables();
    openFile();
    for (Copied& t : copied) {
        QSqlQuery q(m_file.connection());
        if (!q.exec(QStringLiteral("SELECT count(*) FROM %1").arg(quoted(t.name))) || !q.next())
            m_file.fail(q.lastError(), QStringLiteral("contar as linhas"));
        t.fileRows = q.value(0).toLongLong();
        m_total += t.fileRows;
    }
    connectServer();
    PGconn* conn = m_conn.get();
    try {
        exec(QStringLiteral("SET client_min_messages = warning"), QStringLiteral("abrir"));
        exec(QStringLiteral("BEGIN"), QStringLiteral("iniciar a cópia"));
        // The indexes of a big shop are sorted in memory rather than on disk.
        exec(QStringLiteral("SET LOCAL maintenance_work_mem = '256MB'"), QStringLiteral("iniciar a cópia"));
        exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1, 0)").arg(WriterLock),
             QStringLiteral("iniciar a cópia"));
        // Any table or view, whoever may read it.
        const qint64 present = serverCount(
            QStringLiteral("SELECT count(*) FROM pg_class WHERE relnamespace = "
                           "current_schema()::regnamespace AND relkind IN ('r', 'p', 'v', 'm', 'f')"),
            QStringLiteral("ler a estrutura"));
        if (present != 0)
            throw StoreError(
                K::Other, QStringLiteral("O banco de dados do servidor %1 não está vazio: já contém %2 "
                                         "tabela(s).\nA cópia só é feita para um banco de dados vazio. Nada "
                                         "foi alterado, nem no servidor nem no arquivo de dados.")
                              .arg(m_shown)
                              .arg(present));
        const QString create = QStringLiteral("criar as tabelas");
        for (const QString& sql : serverCreateStatements())
            exec(sql, create);
        // Copied rows are nobody's news: no notice for each.
        for (const TableDef& t : tables())
            exec(QStringLiteral("ALTER TABLE %1 DISABLE TRIGGER USER").arg(quoted(t.name)), create);
        // Rows come faster into bare tables: the keys and indexes are built
        // and the history's references checked once, over all the rows,
        // after them, each made again as the server tells it was made.
        QStringList keys;
        QStringList references;
        const Result constraints =
            exec(QStringLiteral(
                     "SELECT conrelid::regclass::text, quote_ident(conname), pg_get_constraintdef(oid), "
                     "contype = 'f' FROM pg_constraint WHERE contype IN ('p', 'u', 'f') AND "
                     "connamespace = current_schema()::regnamespace ORDER BY contype = 'f' DESC"),
                 create);
        for (int i = 0; i < PQntuples(constraints.get()); ++i) {
            const auto value = [&](int column) {
                return QString::fromUtf8(PQgetvalue(constraints.get(), i, column));
            };
            exec(QStringLiteral("ALTER TABLE %1 DROP CONSTRAINT %2").arg(value(0), value(1)), create);
            (value(3) == QLatin1String("t") ? references : keys)
                .append(
                    QStringLiteral("ALTER TABLE %1 ADD CONSTRAINT %2 %3").arg(value(0), value(1), value(2)));
        }
        QStringList indexes;
        const Result plain =
            exec(QStringLiteral("SELECT indexrelid::regclass::text, pg_get_indexdef(indexrelid) "
                                "FROM pg_index JOIN pg_class c ON c.oid = indexrelid "
                                "WHERE c.relnamespace = current_schema()::regnamespace"),
                 create);
        for (int i = 0; i < PQntuples(plain.get()); ++i) {
            exec(QStringLiteral("DROP INDEX %1").arg(QString::fromUtf8(PQgetvalue(plain.get(), i, 0))),
                 create);
            indexes.append(QString::fromUtf8(PQgetvalue(plain.get(), i, 1)));
        }
        if (m_progress)
            m_progress(0, m_total);
        for (const Copied& t : std::as_const(copied))
            copyTable(t);
        for (const QString& sql : keys + indexes + references)
            exec(sql, QStringLiteral("indexar as tabelas"));
        if (m_progress)
            m_progress(m_done, m_total);
        for (const TableDef& t : tables())
            exec(QStringLiteral("ALTER TABLE %1 ENABLE TRIGGER USER").arg(quoted(t.name)), create);
        // New rows are numbered past the copied ones.
        for (const Copied& t : std::as_const(copied)) {
            if (t.identity.isEmpty())
                continue;
            exec(QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', '%2'), max(%2)) FROM %1")
                     .arg(t.serverTable, t.identity),
                 QStringLiteral("numerar as linhas"));
        }
        CopyResult result;
        const QString verify = QStringLiteral("conferir as linhas");
        for (const Copied& t : std::as_const(copied)) {
            const qint64 there =
                serverCount(QStringLiteral("SELECT count(*) FROM %1").arg(t.serverTable), verify);
            if (there != t.fileRows)
                throw failure(K::Other, verify,
                              QStringLiteral("a tabela %1 tem %2 linhas no servidor e %3 no arquivo.")
                                  .arg(t.name)
                                  .arg(there)
                                  .arg(t.fileRows));
            result.tables.append({t.name, there});
            result.rows += there;
        }
        const Result committed(PQexec(conn, "COMMIT"));
        const bool done = PQresultStatus(committed.get()) == PGRES_COMMAND_OK &&
                          qstrcmp(PQcmdStatus(committed.get()), "COMMIT") == 0;
        if (!done && connectionBroken(conn))
            throw StoreError(
                K::Unavailable,
                QStringLiteral("A conexão com o servidor %1 caiu no fim da cópia: o servidor pode "
                               "tê-la concluído ou desfeito.\nAbra o programa no servidor para ver; se o "
                               "banco de dados estiver vazio, faça a cópia de novo.\nO arquivo de dados "
                               "não foi alterado.")
                    .arg(m_shown));
        if (!done)
            resultFailed(committed.get(), QStringLiteral("concluir a cópia"));
        QSqlQuery(m_file.connection()).exec(QStringLiteral("ROLLBACK"));
        return result;
    } catch (...) {
        if (PQtransactionStatus(conn) != PQTRANS_IDLE)
            Result(PQexec(conn, "ROLLBACK"));
        QSqlQuery(m_file.connection()).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}

} // namespace

CopyResult copyToServer(const QString& folder, const QString& address, const CopyProgress& progress)
{
    Copier copier(folder, address, progress);
    return copier.run();
}

} // namespace store
