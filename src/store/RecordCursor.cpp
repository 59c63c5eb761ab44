#include "RecordCursor.h"

#include "Database.h"
#include "Schema.h"
#include "StoreError.h"

#include <QSqlError>

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

QSqlDatabase RecordCursor::connection()
{
    // Statements are prepared once per connection; a reopened connection
    // starts a fresh set.
    QSqlDatabase conn = m_db.connection();
    if (m_serial != m_db.openSerial()) {
        m_walk.reset();
        m_statements.clear();
        m_serial = m_db.openSerial();
    }
    return conn;
}

QSqlQuery& RecordCursor::statement(const QString& sql)
{
    QSqlDatabase conn = connection();
    auto it = m_statements.find(sql);
    if (it == m_statements.end()) {
        QSqlQuery q(conn);
        q.setForwardOnly(true);
        if (!q.prepare(sql))
            m_db.fail(q.lastError(), QStringLiteral("preparar a leitura da tabela %1").arg(m_table->name));
        it = m_statements.insert(sql, q);
    }
    return it.value();
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
    m_walk.reset();
}

void RecordCursor::readRow(qint64 rowid)
{
    QSqlQuery& q = statement(selectColumns(*m_table) + QStringLiteral(" WHERE rowid = ?"));
    q.bindValue(0, rowid);
    readOne(q);
}

void RecordCursor::readFirst()
{
    readOne(statement(selectColumns(*m_table) + QStringLiteral(" ORDER BY rowid LIMIT 1")));
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
    connection();
    m_unsettled = true;
}

void RecordCursor::setIndex(const QString& index)
{
    ensureOpen();
    const std::optional<IndexDef> def = m_table->index(index);
    if (!def)
        throw StoreError(StoreError::Kind::Other,
                         QStringLiteral("A tabela %1 não tem o índice %2.").arg(m_table->name, index));
    m_index = index;
    m_seekSql = seekStatement(*m_table, *def);
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
    QSqlQuery& q = statement(m_seekSql);
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
    m_noMatch = !found;
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

    // Column names come from the schema only; every value is bound.
    QStringList names;
    for (auto it = m_changes.cbegin(); it != m_changes.cend(); ++it)
        names.append(quoted(m_table->columns.at(it.key())));

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
        QSqlQuery& q = statement(sql);
        int pos = 0;
        for (const QVariant& v : std::as_const(m_changes))
            q.bindValue(pos++, v);
        if (!q.exec())
            m_db.fail(q.lastError(), QStringLiteral("incluir na tabela %1").arg(m_table->name));
        rowid = q.lastInsertId().toLongLong();
        q.finish();
    } else if (!names.isEmpty()) {
        QStringList sets;
        for (const QString& n : std::as_const(names))
            sets.append(n + QLatin1String(" = ?"));
        const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                                .arg(quoted(m_table->name), sets.join(QLatin1String(", ")));
        QSqlQuery& q = statement(sql);
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
    QSqlQuery& q = statement(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quoted(m_table->name)));
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
    QSqlDatabase conn = connection();
    m_walk = std::make_unique<QSqlQuery>(conn);
    m_walk->setForwardOnly(true);
    const QString base = selectColumns(*m_table);
    bool ok;
    if (rowid < 0) {
        ok = m_walk->prepare(base + QStringLiteral(" ORDER BY rowid"));
    } else {
        ok = m_walk->prepare(base + QStringLiteral(" WHERE rowid > ? ORDER BY rowid"));
        m_walk->bindValue(0, rowid);
    }
    if (!ok || !m_walk->exec()) {
        const QSqlError error = m_walk->lastError();
        m_walk.reset();
        m_db.fail(error, QStringLiteral("percorrer a tabela %1").arg(m_table->name));
    }
}

void RecordCursor::moveFirst()
{
    ensureOpen();
    dropPending();
    walkFrom(-1);
    moveNext();
}

void RecordCursor::moveNext()
{
    ensureOpen();
    dropPending();
    connection(); // a walk on a connection since closed cannot go on
    if (!m_walk) {
        const qint64 from = hasCurrent() ? m_rowid : m_resumeAfter;
        if (from < 0)
            noCurrent();
        walkFrom(from);
    }
    if (m_walk->next()) {
        load(*m_walk);
        return;
    }
    const QSqlError error = m_walk->lastError();
    m_walk.reset();
    clearCurrent();
    if (error.isValid())
        m_db.fail(error, QStringLiteral("percorrer a tabela %1").arg(m_table->name));
}

int RecordCursor::count()
{
    ensureOpen();
    QSqlQuery& q = statement(QStringLiteral("SELECT COUNT(*) FROM %1").arg(quoted(m_table->name)));
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
    m_walk.reset();
    m_statements.clear();
    clearCurrent();
}

} // namespace store
