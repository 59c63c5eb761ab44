#include "GroupStream.h"

#include "store/Schema.h"
#include "store/StoreError.h"

#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <sqlite3.h>

namespace {

constexpr int Stride = 64; // groups between two marks
constexpr int RowsPerClockLook = 256;

const QString ReadWhat = QStringLiteral("ler a tabela");

} // namespace

// One statement whose first column is the rowid and whose others are the
// grouping columns, stepped row by row. Through SQLite itself when the
// driver runs the same library as this program, else through Qt SQL.
class GroupStream::Cursor
{
public:
    Cursor(store::Database& db, const QString& sql, int columns) : m_db(db), m_columns(columns)
    {
        if (db.directHandle()) {
            m_stmt = db.prepareDirect(sql);
            return;
        }
        m_query = std::make_unique<QSqlQuery>(db.connection());
        m_query->setForwardOnly(!db.isServer());
        if (!m_query->prepare(sql))
            db.fail(m_query->lastError(), ReadWhat);
        m_values.resize(columns);
    }

    // Starts the statement again, from rowid when it takes one.
    void start(qint64 rowid = -1)
    {
        if (m_stmt) {
            sqlite3_reset(m_stmt);
            if (rowid >= 0 && sqlite3_bind_int64(m_stmt, 1, rowid) != SQLITE_OK)
                m_db.failDirect(ReadWhat);
            return;
        }
        if (rowid >= 0)
            m_query->bindValue(0, rowid);
        if (!m_query->exec())
            m_db.fail(m_query->lastError(), ReadWhat);
    }

    bool next()
    {
        if (m_stmt) {
            const int rc = sqlite3_step(m_stmt);
            if (rc == SQLITE_ROW)
                return true;
            if (rc != SQLITE_DONE)
                m_db.failDirect(ReadWhat);
            return false;
        }
        if (!m_query->next()) {
            if (m_query->lastError().isValid())
                m_db.fail(m_query->lastError(), ReadWhat);
            return false;
        }
        for (int i = 0; i < m_columns; ++i)
            m_values[i] = m_query->isNull(i + 1) ? QByteArray() : m_query->value(i + 1).toString().toUtf8();
        return true;
    }

    // Lets go of the row, so that nothing stays locked in the statement.
    void finish()
    {
        if (m_stmt)
            sqlite3_reset(m_stmt);
        else
            m_query->finish();
    }

    qint64 rowid() const { return m_stmt ? sqlite3_column_int64(m_stmt, 0) : m_query->value(0).toLongLong(); }

    // Grouping column i (from 0) as UTF-8; empty for no value.
    QByteArrayView bytes(int i) const
    {
        if (!m_stmt)
            return m_values[i];
        const auto* chars = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, i + 1));
        return chars ? QByteArrayView(chars, sqlite3_column_bytes(m_stmt, i + 1)) : QByteArrayView();
    }

    // The combination of the row as one text: each value preceded by its length.
    void key(QByteArray& out) const
    {
        out.clear();
        for (int i = 0; i < m_columns; ++i) {
            const QByteArrayView v = bytes(i);
            const auto size = quint32(v.size());
            out.append(reinterpret_cast<const char*>(&size), sizeof size);
            out.append(v);
        }
    }

    QStringList texts() const
    {
        QStringList out;
        out.reserve(m_columns);
        for (int i = 0; i < m_columns; ++i) {
            const QByteArrayView v = bytes(i);
            out.append(v.isEmpty() ? QString(QLatin1String("")) : QString::fromUtf8(v));
        }
        return out;
    }

private:
    store::Database& m_db;
    int m_columns;
    sqlite3_stmt* m_stmt = nullptr; // the database finalizes it
    std::unique_ptr<QSqlQuery> m_query;
    QList<QByteArray> m_values;
};

GroupStream::GroupStream(const QString& folder, const QString& tableName, const QStringList& by) : m_by(by)
{
    const store::TableDef* t = store::table(tableName);
    if (!t)
        throw store::StoreError(store::StoreError::Kind::Other,
                                QStringLiteral("Tabela desconhecida: %1").arg(tableName));
    QStringList columns{QStringLiteral("rowid")};
    for (const QString& c : by) {
        if (!t->hasColumn(c))
            throw store::StoreError(store::StoreError::Kind::Other,
                                    QStringLiteral("Coluna desconhecida: %1.%2").arg(tableName, c));
        columns.append(store::quoted(c));
    }
    const QString select =
        QStringLiteral("SELECT %1 FROM %2 ").arg(columns.join(QLatin1String(", ")), store::quoted(t->name));

    m_db = std::make_unique<store::Database>(folder, store::Database::Access::ReadOnly);
    m_db->open();
    // Held until the stream ends: the snapshot every slice reads.
    QSqlQuery begin(m_db->connection());
    if (!begin.exec(QStringLiteral("BEGIN")))
        m_db->fail(begin.lastError(), ReadWhat);
    const int width = int(by.size());
    m_scan = std::make_unique<Cursor>(*m_db, select + QStringLiteral("ORDER BY rowid"), width);
    m_fetch =
        std::make_unique<Cursor>(*m_db, select + QStringLiteral("WHERE rowid >= ? ORDER BY rowid"), width);
    m_scan->start();
    // The first row read fixes the snapshot now, not at the first slice.
    readUntil(1);
}

GroupStream::~GroupStream()
{
    m_scan.reset();
    m_fetch.reset();
    QSqlQuery end(m_db->connection());
    end.exec(QStringLiteral("COMMIT")); // a read transaction: nothing to lose if it fails
}

void GroupStream::setHashBits(int bits)
{
    s_hashMask = bits <= 0 || bits >= int(8 * sizeof(size_t)) ? ~size_t(0) : (size_t(1) << bits) - 1;
}

bool GroupStream::sameKeyAs(qint64 rowid)
{
    m_fetch->start(rowid);
    const bool found = m_fetch->next() && m_fetch->rowid() == rowid;
    if (found)
        m_fetch->key(m_otherKey);
    m_fetch->finish();
    return found && m_otherKey == m_key;
}

bool GroupStream::step()
{
    if (m_complete)
        return false;
    if (!m_scan->next()) {
        m_scan->finish();
        m_complete = true;
        m_seen = {};
        m_sharedHash = {};
        return false;
    }
    const qint64 rowid = m_scan->rowid();
    m_scan->key(m_key);
    const size_t hash = qHash(m_key) & s_hashMask;
    bool repeat = false;
    const auto seen = m_seen.constFind(hash);
    if (seen == m_seen.cend()) {
        m_seen.insert(hash, rowid);
    } else {
        // The hash says maybe; the rows themselves say whether.
        repeat = sameKeyAs(*seen);
        if (!repeat) {
            QList<qint64>& others = m_sharedHash[hash];
            repeat = std::any_of(others.cbegin(), others.cend(), [&](qint64 r) { return sameKeyAs(r); });
            if (!repeat)
                others.append(rowid);
        }
    }
    ++m_rows;
    if (repeat) {
        m_repeats.push_back(rowid);
        return true;
    }
    if (m_groups % Stride == 0)
        m_marks.push_back(rowid);
    ++m_groups;
    return true;
}

void GroupStream::readUntil(int groups)
{
    while (m_groups < groups && step()) {
    }
}

bool GroupStream::readFor(std::chrono::milliseconds budget)
{
    QElapsedTimer clock;
    clock.start();
    while (!m_complete) {
        for (int i = 0; i < RowsPerClockLook && step(); ++i) {
        }
        if (clock.elapsed() >= budget.count())
            break;
    }
    return m_complete;
}

QList<QStringList> GroupStream::keys(int first, int count)
{
    QList<QStringList> out;
    count = std::min(count, m_groups - first);
    if (first < 0 || count <= 0)
        return out;
    out.reserve(count);
    int group = first / Stride * Stride;
    const qint64 from = m_marks.at(first / Stride);
    auto repeat = std::lower_bound(m_repeats.cbegin(), m_repeats.cend(), from);
    m_fetch->start(from);
    while (out.size() < count && m_fetch->next()) {
        const qint64 rowid = m_fetch->rowid();
        while (repeat != m_repeats.cend() && *repeat < rowid)
            ++repeat;
        if (repeat != m_repeats.cend() && *repeat == rowid)
            continue;
        if (group >= first)
            out.append(m_fetch->texts());
        ++group;
    }
    m_fetch->finish();
    return out;
}
