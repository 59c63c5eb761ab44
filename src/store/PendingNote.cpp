#include "PendingNote.h"

#include "Database.h"
#include "RecordCursor.h"
#include "Schema.h"
#include "Transaction.h"

#include <QSqlError>
#include <QSqlQuery>
#include <optional>

namespace store {

using namespace names;

namespace {

const QString Reading = QStringLiteral("ler a locação em andamento");
const QString Writing = QStringLiteral("gravar a locação em andamento");

QString pendingTable()
{
    return quoted(PendingCopies::Table);
}

} // namespace

struct PendingNote::Statements
{
    quint64 serial = 0;
    std::optional<QSqlQuery> shelf, insert, forget, forgetAll, recorded, number, counters;
};

PendingNote::PendingNote(Database& db) : m_db(db) {}

PendingNote::~PendingNote() = default;

PendingNote::Statements& PendingNote::statements()
{
    // A reopened connection starts a fresh set.
    m_db.open();
    if (!m_statements || m_statements->serial != m_db.openSerial() || m_db.openSerial() == 0) {
        m_statements = std::make_unique<Statements>();
        m_statements->serial = m_db.openSerial();
    }
    return *m_statements;
}

namespace {

// Runs a kept statement, preparing it on first use. The caller finishes
// it, so that no statement holds the file between calls.
QSqlQuery& run(Database& db, std::optional<QSqlQuery>& slot, const QString& sql, const QVariantList& values,
               const QString& what)
{
    if (!slot) {
        QSqlQuery q(db.connection());
        q.setForwardOnly(!db.isServer());
        if (!q.prepare(sql))
            db.fail(q.lastError(), what);
        slot = std::move(q);
    }
    QSqlQuery& q = *slot;
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, boundValue(values.at(i)));
    if (!q.exec())
        db.fail(q.lastError(), what);
    return q;
}

} // namespace

bool PendingNote::forget(int slot)
{
    QSqlQuery& q = run(m_db, statements().forget,
                       QStringLiteral("DELETE FROM %1 WHERE %2 = ? AND %3 = ?")
                           .arg(pendingTable(), quoted(PendingCopies::Estacao), quoted(PendingCopies::Slot)),
                       {m_db.counterName(), slot}, Writing);
    const bool forgotten = q.numRowsAffected() > 0;
    q.finish();
    return forgotten;
}

// Row by row (a WHERE clause), so that every row deleted gets its write
// notice and the pick lists need not be read again.
void PendingNote::forgetAll(const QString& counter)
{
    run(m_db, statements().forgetAll,
        QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(pendingTable(), quoted(PendingCopies::Estacao)),
        {counter}, Writing)
        .finish();
}

// Slot -> code of every copy recorded, in slot order.
QList<QPair<int, QString>> PendingNote::recorded(const QString& counter)
{
    QSqlQuery& q = run(m_db, statements().recorded,
                       QStringLiteral("SELECT %1, %2 FROM %3 WHERE %4 = ? ORDER BY %1")
                           .arg(quoted(PendingCopies::Slot), quoted(PendingCopies::Codigo), pendingTable(),
                                quoted(PendingCopies::Estacao)),
                       {counter}, Reading);
    QList<QPair<int, QString>> out;
    while (q.next())
        out.append({q.value(0).toInt(), q.value(1).toString()});
    const QSqlError error = q.lastError();
    // A kept select must not hold its read open between calls.
    q.finish();
    if (error.isValid())
        m_db.fail(error, Reading);
    return out;
}

// The count changes in the file as it stands, by the video's unique code:
// no earlier read of it can be written back stale. A count that holds no
// number counts as none. False when no video has the code.
bool PendingNote::addToShelf(const QString& code, int delta)
{
    if (code.isEmpty())
        return false;
    QSqlQuery& q = run(m_db, statements().shelf,
                       QStringLiteral("UPDATE %1 SET %2 = COALESCE(%2, 0) + ? WHERE %3 = ?")
                           .arg(quoted(tblVideos::Table), quoted(tblVideos::QTDE), quoted(tblVideos::Codigo)),
                       {delta, code}, Writing);
    const bool found = q.numRowsAffected() > 0;
    q.finish();
    return found;
}

void PendingNote::recoverLeftovers()
{
    giveBackRecorded();
    m_recovered = true;
}

bool PendingNote::takeCopy(int slot, const QString& code)
{
    if (!m_recovered)
        recoverLeftovers();
    Transaction t(m_db);
    if (!addToShelf(code, -1))
        return false;
    // A plain INSERT: a row left for this slot means a copy still off the
    // shelf, and replacing it would lose that copy for good.
    run(m_db, statements().insert,
        QStringLiteral("INSERT INTO %1 (%2, %3, %4) VALUES (?, ?, ?)")
            .arg(pendingTable(), quoted(PendingCopies::Estacao), quoted(PendingCopies::Slot),
                 quoted(PendingCopies::Codigo)),
        {m_db.counterName(), slot, code}, Writing)
        .finish();
    t.commit();
    return true;
}

bool PendingNote::giveBack(int slot, const QString& code)
{
    Transaction t(m_db);
    // No longer recorded: another counter took this one for gone while its
    // connection to the server was away, and gave the copy back already.
    const bool found = forget(slot) ? addToShelf(code, +1) : true;
    t.commit();
    return found;
}

void PendingNote::giveBackAll()
{
    giveBackRecorded();
}

QString PendingNote::store(QHash<QString, QString> note, const std::function<QString()>& number,
                           const std::function<void(const QString&)>& alsoStore)
{
    Transaction t(m_db);
    // Counted in the transaction: another counter's note saved since this
    // one's number was shown has taken it.
    const QString issued = number();
    note.insert(tblLocacao::Codigo, issued);
    // A copy no longer recorded for this counter went back on the shelf
    // while its connection to the server was away (another counter took it
    // for gone, or it came back under another name): the note takes again
    // those it holds.
    if (m_db.isServer()) {
        QHash<QString, int> held;
        for (const auto& copy : recorded(m_db.counterName()))
            ++held[copy.second];
        for (int slot = 0; slot < tblLocacao::Slots; ++slot) {
            const QString code = note.value(tblLocacao::codeColumn(slot));
            if (code.isEmpty())
                continue;
            if (held.value(code) > 0)
                --held[code];
            else
                addToShelf(code, -1);
        }
    }
    if (!m_notes)
        m_notes = std::make_unique<RecordCursor>(m_db, tblLocacao::Table);
    RecordCursor& notes = *m_notes;
    notes.addNew();
    // Every column of the note, in table order; one the caller left out is
    // a free slot, stored as an empty text.
    for (const QString& column : table(notes.tableName())->columns)
        notes.setValue(column, note.value(column, QStringLiteral("")));
    notes.update();
    // The number is the note's code, which the cursor has just checked and
    // stored; its row needs no cursor of its own.
    run(m_db, statements().number,
        QStringLiteral("INSERT INTO %1 (%2) VALUES (?)").arg(quoted(Number::Table), quoted(Number::Codigo)),
        {issued}, Writing)
        .finish();
    if (alsoStore)
        alsoStore(issued);
    forgetAll(m_db.counterName());
    t.commit();
    return issued;
}

int PendingNote::giveBackRecorded()
{
    Transaction t(m_db);
    // This counter's, then those of counters that have ended on a server
    // without saving their notes.
    QStringList counters{m_db.counterName()};
    if (m_db.isServer()) {
        QSqlQuery& q = run(m_db, statements().counters,
                           QStringLiteral("SELECT DISTINCT %1 FROM %2 WHERE %1 <> ?")
                               .arg(quoted(PendingCopies::Estacao), pendingTable()),
                           {counters.first()}, Reading);
        QStringList others;
        while (q.next())
            others.append(q.value(0).toString());
        q.finish();
        for (const QString& other : std::as_const(others))
            if (m_db.counterGone(other))
                counters.append(other);
    }
    int given = 0;
    for (const QString& counter : std::as_const(counters)) {
        const QList<QPair<int, QString>> copies = recorded(counter);
        if (copies.isEmpty())
            continue;
        for (const auto& copy : copies)
            addToShelf(copy.second, +1);
        forgetAll(counter);
        given += int(copies.size());
    }
    t.commit();
    return given;
}

int PendingNote::giveBackLeftovers(Database& db)
{
    return PendingNote(db).giveBackRecorded();
}

} // namespace store
