#include "PendingNote.h"

#include "Database.h"
#include "RecordCursor.h"
#include "Schema.h"
#include "Transaction.h"

#include <QSqlError>
#include <QSqlQuery>

namespace store {

using namespace names;

namespace {

QString pendingTable()
{
    return quoted(PendingCopies::Table);
}

QSqlQuery exec(Database& db, const QString& sql, const QVariantList& values, const QString& what)
{
    QSqlQuery q(db.connection());
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        db.fail(q.lastError(), what);
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    if (!q.exec())
        db.fail(q.lastError(), what);
    return q;
}

// Slot -> code of every copy recorded, in slot order.
QList<QPair<int, QString>> recorded(Database& db)
{
    QSqlQuery q = exec(db,
                       QStringLiteral("SELECT %1, %2 FROM %3 ORDER BY %1")
                           .arg(quoted(PendingCopies::Slot), quoted(PendingCopies::Codigo), pendingTable()),
                       {}, QStringLiteral("ler a locação em andamento"));
    QList<QPair<int, QString>> out;
    while (q.next())
        out.append({q.value(0).toInt(), q.value(1).toString()});
    if (q.lastError().isValid())
        db.fail(q.lastError(), QStringLiteral("ler a locação em andamento"));
    return out;
}

// Row by row (a WHERE clause), so that every row deleted gets its write
// notice and the pick lists need not be read again.
void forgetAll(Database& db)
{
    exec(db,
         QStringLiteral("DELETE FROM %1 WHERE %2 IS NOT NULL")
             .arg(pendingTable(), quoted(PendingCopies::Slot)),
         {}, QStringLiteral("gravar a locação em andamento"));
}

} // namespace

PendingNote::PendingNote(Database& db) : m_db(db) {}

PendingNote::~PendingNote() = default;

RecordCursor& PendingNote::videos()
{
    if (!m_videos)
        m_videos = std::make_unique<RecordCursor>(m_db, tblVideos::Table);
    return *m_videos;
}

void PendingNote::forget(int slot)
{
    exec(m_db, QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(pendingTable(), quoted(PendingCopies::Slot)),
         {slot}, QStringLiteral("gravar a locação em andamento"));
}

void PendingNote::addToShelf(const QString& code, int delta, bool& found)
{
    RecordCursor& v = videos();
    found = !code.isEmpty() && v.lookUp(tblVideos::indCodigo, code);
    if (!found)
        return;
    v.edit();
    v.setValue(tblVideos::QTDE, v.value(tblVideos::QTDE).toLongLong() + delta);
    v.update();
}

void PendingNote::recoverLeftovers()
{
    giveBackLeftovers(m_db);
    m_recovered = true;
}

bool PendingNote::takeCopy(int slot, const QString& code)
{
    if (!m_recovered)
        recoverLeftovers();
    Transaction t(m_db);
    bool found = false;
    addToShelf(code, -1, found);
    if (!found)
        return false;
    // A plain INSERT: a row left for this slot means a copy still off the
    // shelf, and replacing it would lose that copy for good.
    exec(m_db,
         QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (?, ?)")
             .arg(pendingTable(), quoted(PendingCopies::Slot), quoted(PendingCopies::Codigo)),
         {slot, code}, QStringLiteral("gravar a locação em andamento"));
    t.commit();
    return true;
}

bool PendingNote::giveBack(int slot, const QString& code)
{
    Transaction t(m_db);
    bool found = false;
    addToShelf(code, +1, found);
    forget(slot);
    t.commit();
    return found;
}

void PendingNote::giveBackAll()
{
    giveBackLeftovers(m_db);
}

void PendingNote::store(const QHash<QString, QString>& note, const QString& number)
{
    Transaction t(m_db);
    RecordCursor notes(m_db, tblLocacao::Table);
    notes.addNew();
    // Every column of the note, in table order; one the caller left out is
    // a free slot, stored as an empty text.
    for (const QString& column : table(notes.tableName())->columns)
        notes.setValue(column, note.value(column, QStringLiteral("")));
    notes.update();
    RecordCursor numbers(m_db, Number::Table);
    numbers.addNew();
    numbers.setValue(Number::Codigo, number);
    numbers.update();
    forgetAll(m_db);
    t.commit();
}

int PendingNote::giveBackLeftovers(Database& db)
{
    Transaction t(db);
    const QList<QPair<int, QString>> copies = recorded(db);
    if (copies.isEmpty())
        return 0;
    PendingNote note(db);
    for (const auto& [slot, code] : copies) {
        bool found = false;
        note.addToShelf(code, +1, found);
    }
    forgetAll(db);
    t.commit();
    return int(copies.size());
}

} // namespace store
