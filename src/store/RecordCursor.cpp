#include "RecordCursor.h"

#include "Database.h"
#include "Schema.h"
#include "StoreError.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <limits>
#include <optional>
#include <sqlite3.h>
#include <vector>

namespace store {

namespace {

// A QString always stores a text: an empty field must not turn into "no
// value" because the widget happened to hand back a null string.
QVariant forBinding(const QVariant& value)
{
    if (value.typeId() == QMetaType::QString && value.toString().isNull())
        return QVariant(QStringLiteral(""));
    return value;
}

} // namespace

QString unstorableText(const QString& text)
{
    if (text.startsWith(QChar(0xFEFF)))
        return QStringLiteral("começa com uma marca invisível de ordem de bytes (U+FEFF)");
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            ++i;
            continue;
        }
        if (QChar::isSurrogate(c) || c == 0xFFFE || c == 0xFFFF)
            return QStringLiteral("contém um caractere inválido (U+%1)")
                .arg(QString::number(c, 16).toUpper().rightJustified(4, QLatin1Char('0')));
    }
    return {};
}

// The statements of one cursor on one connection: the table's own ones,
// one seek per index, and the writes by the set of columns they name, so
// that no statement text is built or hashed again.
struct RecordCursor::Statements
{
    explicit Statements(Database& database) : db(database), serial(database.openSerial()) {}
    ~Statements()
    {
        if (serial == db.openSerial())
            for (sqlite3_stmt* statement : directSeek)
                if (statement)
                    db.finalizeDirect(statement);
    }
    Statements(const Statements&) = delete;
    Statements& operator=(const Statements&) = delete;

    Database& db;
    quint64 serial = 0;
    std::optional<QSqlQuery> row, first, remove, count;
    std::vector<std::optional<QSqlQuery>> seek;
    // Seeks are the windows' lookups: through SQLite itself when the
    // connection allows, which takes half the time of a QSqlQuery.
    bool direct = false;
    std::vector<sqlite3_stmt*> directSeek;
    QHash<quint64, QSqlQuery> writes;
    std::unique_ptr<QSqlQuery> walk; // open while walking

    QSqlQuery& prepared(std::optional<QSqlQuery>& slot, Database& db, const QString& sql,
                        const QString& table)
    {
        if (!slot) {
            QSqlQuery q(db.connection());
            q.setForwardOnly(!db.isServer());
            if (!q.prepare(sql))
                db.fail(q.lastError(), QStringLiteral("preparar a leitura da tabela %1").arg(table));
            slot = std::move(q);
        }
        return *slot;
    }
};

RecordCursor::RecordCursor(Database& db, const QString& table) : m_db(db), m_table(store::table(table))
{
    if (!m_table)
        throw StoreError(
            StoreError::Kind::MissingTable,
            QStringLiteral("O arquivo de dados %1 não contém a tabela %2.").arg(m_db.filePath(), table));
    m_row.resize(m_table->columns.size());
    readFirst();
}

RecordCursor::~RecordCursor()
{
    close();
}

QString RecordCursor::tableName() const
{
    return m_table->name;
}

void RecordCursor::ensureOpen() const
{
    if (!m_open)
        throw StoreError(
            StoreError::Kind::Other,
            QStringLiteral("A tabela %1 já foi fechada e não pode mais ser usada.").arg(m_table->name));
}

void RecordCursor::noCurrent() const
{
    throw StoreError(StoreError::Kind::Other,
                     QStringLiteral("Não há registro atual na tabela %1.").arg(m_table->name));
}

int RecordCursor::columnIndex(const QString& column) const
{
    const int i = m_table->columns.indexOf(column);
    if (i < 0)
        throw StoreError(StoreError::Kind::Other,
                         QStringLiteral("A tabela %1 não tem a coluna %2.").arg(m_table->name, column));
    return i;
}

RecordCursor::Statements& RecordCursor::statements()
{
    // Statements are prepared once per connection; a reopened connection
    // starts a fresh set.
    m_db.open();
    if (!m_statements || m_statements->serial != m_db.openSerial() || m_db.openSerial() == 0) {
        m_statements.reset();
        const bool direct = m_db.directHandle() != nullptr;
        m_statements = std::make_unique<Statements>(m_db);
        m_statements->seek.resize(size_t(m_table->indexes.size()));
        m_statements->direct = direct;
        m_statements->directSeek.resize(size_t(m_table->indexes.size()), nullptr);
    }
    return *m_statements;
}

void RecordCursor::settle() const
{
    // Reading the first row only changes what the cursor caches, never what
    // it shows, so it may happen behind a const accessor.
    if (m_unsettled)
        const_cast<RecordCursor*>(this)->readFirst();
}

bool RecordCursor::hasCurrent() const
{
    settle();
    return m_rowid >= 0;
}

void RecordCursor::load(QSqlQuery& query)
{
    m_unsettled = false;
    m_rowid = query.value(0).toLongLong();
    m_resumeAfter = -1;
    for (int i = 0; i < m_row.size(); ++i) {
        if (query.isNull(i + 1)) {
            m_row[i] = QVariant();
        } else {
            m_row[i] = query.value(i + 1);
            if (m_row[i].typeId() == QMetaType::QString && m_row[i].toString().isNull())
                m_row[i] = QVariant(QStringLiteral(""));
        }
    }
}

void RecordCursor::loadDirect(sqlite3_stmt* stmt)
{
    // Values as Qt's driver gives them: integers as qint64, reals as
    // double, texts (an empty one never null), blobs as bytes.
    m_unsettled = false;
    m_rowid = sqlite3_column_int64(stmt, 0);
    m_resumeAfter = -1;
    for (int i = 0; i < m_row.size(); ++i) {
        const int column = i + 1;
        switch (sqlite3_column_type(stmt, column)) {
        case SQLITE_NULL:
            m_row[i] = QVariant();
            break;
        case SQLITE_INTEGER:
            m_row[i] = QVariant(qint64(sqlite3_column_int64(stmt, column)));
            break;
        case SQLITE_FLOAT:
            m_row[i] = QVariant(sqlite3_column_double(stmt, column));
            break;
        case SQLITE_BLOB:
            m_row[i] = QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, column)),
                                           sqlite3_column_bytes(stmt, column)));
            break;
        default: {
            const auto* chars = static_cast<const QChar*>(sqlite3_column_text16(stmt, column));
            const int size = sqlite3_column_bytes16(stmt, column) / 2;
            m_row[i] = QVariant(size > 0 ? QString(chars, size) : QStringLiteral(""));
        }
        }
    }
}

void RecordCursor::clearCurrent()
{
    m_unsettled = false;
    m_rowid = -1;
    m_resumeAfter = -1;
    for (QVariant& v : m_row)
        v = QVariant();
}

void RecordCursor::dropPending()
{
    m_mode = Mode::None;
    m_changes.clear();
}

void RecordCursor::stopWalk()
{
    if (m_statements)
        m_statements->walk.reset();
}

void RecordCursor::readRow(qint64 rowid)
{
    Statements& st = statements();
    QSqlQuery& q = st.prepared(st.row, m_db, m_table->rowSql, m_table->name);
    q.bindValue(0, rowid);
    readOne(q);
}

void RecordCursor::readFirst()
{
    Statements& st = statements();
    readOne(st.prepared(st.first, m_db, m_table->firstSql, m_table->name));
}

void RecordCursor::readOne(QSqlQuery& q)
{
    const QString what = QStringLiteral("ler a tabela %1").arg(m_table->name);
    if (!q.exec())
        m_db.fail(q.lastError(), what);
    if (q.next())
        load(q);
    else if (q.lastError().isValid())
        m_db.fail(q.lastError(), what);
    else
        clearCurrent();
    q.finish();
}

void RecordCursor::refresh()
{
    ensureOpen();
    dropPending();
    stopWalk();
    m_noMatch = false;
    // Still opens the connection, so a file that went missing is reported here.
    statements();
    m_unsettled = true;
}

void RecordCursor::setIndex(const QString& index)
{
    ensureOpen();
    const int position = m_table->indexPosition(index);
    if (position < 0)
        throw StoreError(StoreError::Kind::Other,
                         QStringLiteral("A tabela %1 não tem o índice %2.").arg(m_table->name, index));
    m_index = index;
    m_indexPosition = position;
}

bool RecordCursor::lookUp(const QString& index, const QString& key)
{
    refresh();
    setIndex(index);
    return seek(key);
}

bool RecordCursor::find(const QString& index, const QString& key)
{
    if (!key.isEmpty())
        return lookUp(index, key);
    refresh();
    setIndex(index);
    clearCurrent();
    m_noMatch = true;
    return false;
}

bool RecordCursor::seek(const QString& key)
{
    ensureOpen();
    if (m_index.isEmpty())
        throw StoreError(
            StoreError::Kind::Other,
            QStringLiteral("Nenhum índice foi escolhido na tabela %1 antes da busca.").arg(m_table->name));
    dropPending();
    stopWalk();
    Statements& st = statements();
    // SQLite would bind such a key altered, and find a row it does not name.
    if (!unstorableText(key).isEmpty()) {
        clearCurrent();
        m_noMatch = true;
        return false;
    }
    const bool found = st.direct ? seekDirect(st, key) : seekThroughQt(st, key);
    m_noMatch = !found;
    return found;
}

bool RecordCursor::seekDirect(Statements& st, const QString& key)
{
    sqlite3_stmt*& stmt = st.directSeek[size_t(m_indexPosition)];
    if (!stmt)
        stmt = m_db.prepareDirect(m_table->seekSql.at(m_indexPosition));
    // A null key is looked up as an empty text, as Qt would bind it.
    const void* chars = key.isNull() ? static_cast<const void*>(u"") : static_cast<const void*>(key.utf16());
    int rc = sqlite3_bind_text16(stmt, 1, chars, int(key.size() * 2), SQLITE_STATIC);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW)
        loadDirect(stmt);
    // Reset at once: a statement left open would hold its read snapshot.
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        clearCurrent();
        m_db.failDirect(QStringLiteral("buscar na tabela %1").arg(m_table->name));
    }
    if (rc == SQLITE_DONE)
        clearCurrent();
    return rc == SQLITE_ROW;
}

bool RecordCursor::seekThroughQt(Statements& st, const QString& key)
{
    QSqlQuery& q = st.prepared(st.seek[size_t(m_indexPosition)], m_db, m_table->seekSql.at(m_indexPosition),
                               m_table->name);
    q.bindValue(0, key.isNull() ? QStringLiteral("") : key);
    if (!q.exec())
        m_db.fail(q.lastError(), QStringLiteral("buscar na tabela %1").arg(m_table->name));
    const bool found = q.next();
    if (found) {
        load(q);
    } else {
        const QSqlError error = q.lastError();
        q.finish();
        clearCurrent();
        if (error.isValid())
            m_db.fail(error, QStringLiteral("buscar na tabela %1").arg(m_table->name));
    }
    q.finish();
    return found;
}

QVariant RecordCursor::value(const QString& column) const
{
    ensureOpen();
    const int i = columnIndex(column);
    switch (m_mode) {
    case Mode::Add:
        return m_changes.value(i);
    case Mode::Edit:
        return m_changes.contains(i) ? m_changes.value(i) : m_row.at(i);
    case Mode::None:
        break;
    }
    settle();
    if (!hasCurrent())
        noCurrent();
    return m_row.at(i);
}

QString RecordCursor::text(const QString& column) const
{
    const QVariant v = value(column);
    return v.isNull() ? QString() : v.toString();
}

void RecordCursor::setValue(const QString& column, const QVariant& value)
{
    ensureOpen();
    const int i = columnIndex(column);
    if (m_mode == Mode::None)
        throw StoreError(
            StoreError::Kind::Other,
            QStringLiteral("A coluna %1 da tabela %2 só pode ser gravada depois de incluir ou alterar.")
                .arg(column, m_table->name));
    m_changes.insert(i, forBinding(value));
}

void RecordCursor::addNew()
{
    ensureOpen();
    stopWalk();
    m_changes.clear();
    m_mode = Mode::Add;
}

void RecordCursor::edit()
{
    ensureOpen();
    if (!hasCurrent())
        noCurrent();
    stopWalk();
    m_changes.clear();
    m_mode = Mode::Edit;
}

void RecordCursor::update()
{
    ensureOpen();
    if (m_mode == Mode::None)
        throw StoreError(
            StoreError::Kind::Other,
            QStringLiteral("Não há inclusão nem alteração em andamento na tabela %1.").arg(m_table->name));
    stopWalk();
    for (auto it = m_changes.cbegin(); it != m_changes.cend(); ++it) {
        if (it.value().typeId() != QMetaType::QString)
            continue;
        const QString problem = unstorableText(it.value().toString());
        if (!problem.isEmpty())
            throw StoreError(
                StoreError::Kind::Other,
                QStringLiteral("O texto do campo %1 não pode ser gravado: ele %2.\n"
                               "Apague esse caractere e digite o texto de novo. Nada foi gravado.")
                    .arg(m_table->columns.at(it.key()), problem));
    }

    // Column names come from the schema only; every value is bound. The
    // statement is made once for each set of columns written.
    QStringList names;
    quint64 key = m_mode == Mode::Add ? quint64(1) << 63 : 0;
    for (auto it = m_changes.cbegin(); it != m_changes.cend(); ++it) {
        names.append(quoted(m_table->columns.at(it.key())));
        key |= quint64(1) << it.key();
    }
    Statements& st = statements();
    const auto write = [&](const QString& sql) -> QSqlQuery& {
        auto it = st.writes.find(key);
        if (it == st.writes.end()) {
            std::optional<QSqlQuery> q;
            it = st.writes.insert(key, st.prepared(q, m_db, sql, m_table->name));
        }
        return it.value();
    };

    qint64 rowid = m_rowid;
    if (m_mode == Mode::Add) {
        QString sql;
        if (names.isEmpty()) {
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(m_table->name));
        } else {
            QStringList marks;
            marks.fill(QStringLiteral("?"), names.size());
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(quoted(m_table->name), names.join(QLatin1String(", ")),
                           marks.join(QLatin1String(", ")));
        }
        // The server names the row it made only when asked.
        if (m_db.isServer())
            sql += QLatin1String(" RETURNING rowid");
        QSqlQuery& q = write(sql);
        int pos = 0;
        for (const QVariant& v : std::as_const(m_changes))
            q.bindValue(pos++, v);
        if (!q.exec())
            m_db.fail(q.lastError(), QStringLiteral("incluir na tabela %1").arg(m_table->name));
        rowid = m_db.isServer() ? (q.next() ? q.value(0).toLongLong() : -1) : q.lastInsertId().toLongLong();
        q.finish();
    } else if (!names.isEmpty()) {
        QStringList sets;
        for (const QString& n : std::as_const(names))
            sets.append(n + QLatin1String(" = ?"));
        const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                                .arg(quoted(m_table->name), sets.join(QLatin1String(", ")));
        QSqlQuery& q = write(sql);
        int pos = 0;
        for (const QVariant& v : std::as_const(m_changes))
            q.bindValue(pos++, v);
        q.bindValue(pos, rowid);
        if (!q.exec())
            m_db.fail(q.lastError(), QStringLiteral("alterar a tabela %1").arg(m_table->name));
        const int affected = q.numRowsAffected();
        q.finish();
        if (affected != 1)
            throw StoreError(
                StoreError::Kind::Other,
                QStringLiteral("O registro da tabela %1 que estava sendo alterado não existe mais.")
                    .arg(m_table->name));
    }

    dropPending();
    readRow(rowid);
}

void RecordCursor::cancelUpdate()
{
    dropPending();
}

void RecordCursor::remove()
{
    ensureOpen();
    if (!hasCurrent())
        noCurrent();
    dropPending();
    stopWalk();
    Statements& st = statements();
    QSqlQuery& q = st.prepared(st.remove, m_db, m_table->deleteSql, m_table->name);
    q.bindValue(0, m_rowid);
    if (!q.exec())
        m_db.fail(q.lastError(), QStringLiteral("excluir da tabela %1").arg(m_table->name));
    q.finish();
    const qint64 deleted = m_rowid;
    clearCurrent();
    m_resumeAfter = deleted;
}

void RecordCursor::walkFrom(qint64 rowid)
{
    // The walk keeps its statement open between moves; anything that writes
    // or repositions closes it and the next move starts after the current row.
    Statements& st = statements();
    st.walk = std::make_unique<QSqlQuery>(m_db.connection());
    QSqlQuery& walk = *st.walk;
    walk.setForwardOnly(!m_db.isServer());
    const bool ok = walk.prepare(m_table->walkSql);
    walk.bindValue(0, rowid);
    if (!ok || !walk.exec()) {
        const QSqlError error = walk.lastError();
        st.walk.reset();
        m_db.fail(error, QStringLiteral("percorrer a tabela %1").arg(m_table->name));
    }
}

void RecordCursor::moveFirst()
{
    ensureOpen();
    dropPending();
    walkFrom(std::numeric_limits<qint64>::min());
    moveNext();
}

void RecordCursor::moveNext()
{
    ensureOpen();
    dropPending();
    // A walk on a connection since closed cannot go on.
    Statements& st = statements();
    if (!st.walk) {
        const qint64 from = hasCurrent() ? m_rowid : m_resumeAfter;
        if (from < 0)
            noCurrent();
        walkFrom(from);
    }
    if (st.walk->next()) {
        load(*st.walk);
        return;
    }
    const QSqlError error = st.walk->lastError();
    st.walk.reset();
    clearCurrent();
    if (error.isValid())
        m_db.fail(error, QStringLiteral("percorrer a tabela %1").arg(m_table->name));
}

int RecordCursor::count()
{
    ensureOpen();
    Statements& st = statements();
    QSqlQuery& q = st.prepared(st.count, m_db, m_table->countSql, m_table->name);
    if (!q.exec() || !q.next())
        m_db.fail(q.lastError(), QStringLiteral("contar a tabela %1").arg(m_table->name));
    const int n = q.value(0).toInt();
    q.finish();
    return n;
}

void RecordCursor::close()
{
    if (!m_open)
        return;
    m_open = false;
    dropPending();
    m_statements.reset();
    clearCurrent();
}

} // namespace store
