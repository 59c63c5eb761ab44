#include "DayMovement.h"

#include "KeptStatements.h"
#include "platform/Formats.h"
#include "store/Names.h"

namespace counter {

using namespace store::names;

namespace {

const QString Reading = QStringLiteral("ler o movimento do dia");

enum Statement : size_t { Notes, Returns };

} // namespace

void DayMovement::Totals::add(const Note& note)
{
    ++notes;
    value += note.value;
    discount += note.discount;
    net += note.net();
}

DayMovement::DayMovement(store::Database& db, const QDate& from, const QDate& to)
    : m_statements(std::make_unique<KeptStatements>(db)), m_from(from.toString(Qt::ISODate)),
      m_to(to.addDays(1).toString(Qt::ISODate))
{
}

DayMovement::~DayMovement() = default;

QDate DayMovement::readDate(const QString& text)
{
    const QString date = text.trimmed();
    const QDate day = platform::appLocale().toDate(date, QLocale::ShortFormat);
    return day.isValid() ? day : QDate::fromString(date, QStringLiteral("dd/MM/yyyy"));
}

DayMovement::Note DayMovement::noteOf(qint64 id, const QString& code, const QString& savedAt,
                                      const QString& customer, const QString& storedValue,
                                      const QString& storedDiscount)
{
    Note note{id, code, QDateTime::fromString(savedAt, Qt::ISODate), customer, 0, 0};
    // A saved note was charged its videos less the discount, never below zero.
    const qint64 net = platform::parseMoney(storedValue).value_or(0);
    note.discount = std::max<qint64>(0, platform::parseMoney(storedDiscount).value_or(0));
    note.value = net + note.discount;
    return note;
}

QList<DayMovement::Note> DayMovement::notes(After& after, int limit)
{
    namespace H = NoteHistory;
    // Ordered as the SavedAt index holds them, so each slice is one seek.
    static const QString sql =
        QStringLiteral("SELECT %1, %2, %3, %4, %5, %6 FROM %7 WHERE %3 >= ? AND %3 < ? AND (%3, %1) > (?, ?) "
                       "ORDER BY %3, %1 LIMIT ?")
            .arg(H::Id, H::Codigo, H::SavedAt, H::Cliente, H::Valor, H::Desconto, H::Table);
    QList<Note> out;
    m_statements->each(
        Notes, sql, {m_from, m_to, after.at, after.id, limit},
        [&](const KeptStatements::Row& r) {
            after = {r.text(2), r.value(0).toLongLong()};
            out.append(noteOf(after.id, r.text(1), after.at, r.text(3), r.text(4), r.text(5)));
        },
        Reading);
    return out;
}

QList<DayMovement::Return> DayMovement::returns(After& after, int limit)
{
    namespace H = NoteHistory;
    namespace V = RentedVideos;
    static const QString sql =
        QStringLiteral(
            "SELECT v.rowid, v.%1, h.%2, v.%3, v.%4, h.%5, v.%6 FROM %7 v JOIN %8 h ON h.%9 = v.%10 "
            "WHERE v.%1 >= ? AND v.%1 < ? AND (v.%1, v.rowid) > (?, ?) ORDER BY v.%1, v.rowid "
            "LIMIT ?")
            .arg(V::ReturnedAt, H::Codigo, V::Codigo, V::Titulo, H::Cliente, V::DevolvidoEm, V::Table,
                 H::Table, H::Id)
            .arg(V::Note);
    QList<Return> out;
    m_statements->each(
        Returns, sql, {m_from, m_to, after.at, after.id, limit},
        [&](const KeptStatements::Row& r) {
            after = {r.text(1), r.value(0).toLongLong()};
            out.append({after.id, r.text(2), r.text(3), r.text(4), r.text(5), r.text(6),
                        QDateTime::fromString(after.at, Qt::ISODate)});
        },
        Reading);
    return out;
}

DayMovement::Totals DayMovement::totals()
{
    Totals totals;
    After after;
    for (;;) {
        const QList<Note> slice = notes(after, 5000);
        for (const Note& note : slice)
            totals.add(note);
        if (slice.size() < 5000)
            return totals;
    }
}

} // namespace counter
