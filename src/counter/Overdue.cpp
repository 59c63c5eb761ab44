#include "Overdue.h"

#include "DayMovement.h"
#include "KeptStatements.h"
#include "ShopSettings.h"
#include "store/Names.h"
#include "store/Schema.h"

#include <algorithm>

namespace counter {

using namespace store::names;

namespace {

const QString Reading = QStringLiteral("ler as locações em atraso");

enum Statement : size_t { Open, OpenOnNote };

// The videos still out on open notes: the latest history of each note
// that tblLocacao still holds, with the renter's phones, found by the
// account or, on a note older than the history, by the holder's name.
// Its columns, in this order.
enum Column { NoteId, SavedAt, NoteDate, Category, Slot, Code, Title, NoteCode, Customer, Account, Phones };

QString openVideosSql(const QString& where)
{
    namespace H = NoteHistory;
    namespace V = RentedVideos;
    namespace C = tblClientes;
    const QString clientes = store::quoted(C::Table);
    return QStringLiteral(
               "SELECT h.%15, h.%3, h.%2, v.%12, v.%9, v.%10, v.%11, h.%1, h.%4, h.%5, c.%6, c.%7, c.%8 "
               "FROM %13 v JOIN %14 h ON h.%15 = v.%16 "
               "LEFT JOIN %17 c ON c.rowid = COALESCE("
               "(SELECT rowid FROM %17 WHERE %18 = NULLIF(h.%5, '')), "
               "(SELECT rowid FROM %17 WHERE h.%5 IS NULL AND %19 = NULLIF(h.%4, '') ORDER BY "
               "rowid LIMIT 1)) "
               "WHERE v.%20 IS NULL AND h.%15 = (SELECT MAX(%15) FROM %14 WHERE %1 = h.%1) "
               "AND EXISTS (SELECT 1 FROM %21 l WHERE l.%22 = h.%1) %23 ORDER BY h.%15, v.%9")
        .arg(H::Codigo, H::Data, H::SavedAt, H::Cliente, H::ClienteCodigo, store::quoted(C::FoneResidencial),
             store::quoted(C::FoneComercial), store::quoted(C::Celular), V::Slot)
        .arg(V::Codigo, V::Titulo, V::Tipo, V::Table, H::Table, H::Id, V::Note, clientes,
             store::quoted(C::Codigo))
        .arg(store::quoted(C::Nome), V::ReturnedAt, store::quoted(tblLocacao::Table),
             store::quoted(tblLocacao::Codigo), where);
}

QStringList phonesOf(const KeptStatements::Row& r)
{
    QStringList phones;
    const char* labels[] = {"Res.", "Com.", "Cel."};
    for (int k = 0; k < 3; ++k)
        if (const QString phone = r.text(Phones + k).trimmed(); !phone.isEmpty())
            phones.append(QStringLiteral("%1 %2").arg(QString::fromLatin1(labels[k]), phone));
    return phones;
}

Overdue::Video videoOf(const KeptStatements::Row& r, const QString& category, const QDateTime& due, int days)
{
    return {r.value(Slot).toInt(), r.text(Code), r.text(Title), category, due, days};
}

} // namespace

Overdue::Overdue(store::Database& db) : m_statements(std::make_unique<KeptStatements>(db)) {}

Overdue::~Overdue() = default;

namespace {

// The shop's wall clock, with no zone to consult: a note's time is read as
// it was written, and thousands of them are compared at once.
QDateTime wallClock(const QDate& date, const QTime& time)
{
    return QDateTime(date, time, Qt::UTC);
}

QDateTime wallClock(const QDateTime& at)
{
    return at.timeSpec() == Qt::UTC ? at : wallClock(at.date(), at.time());
}

// "yyyy-MM-ddTHH:mm:ss" as the history writes it; anything else through Qt.
QDateTime readSavedAt(const QString& iso)
{
    const auto number = [&](int from, int length) {
        int value = 0;
        for (int i = from; i < from + length; ++i) {
            const char16_t c = iso.at(i).unicode();
            if (c < u'0' || c > u'9')
                return -1;
            value = value * 10 + (c - u'0');
        }
        return value;
    };
    if (iso.size() == 19 && iso.at(4) == u'-' && iso.at(7) == u'-' && iso.at(10) == u'T' &&
        iso.at(13) == u':' && iso.at(16) == u':') {
        const QDate date(number(0, 4), number(5, 2), number(8, 2));
        const QTime time(number(11, 2), number(14, 2), number(17, 2));
        if (date.isValid() && time.isValid())
            return wallClock(date, time);
    }
    const QDateTime parsed = QDateTime::fromString(iso, Qt::ISODate);
    return parsed.isValid() ? wallClock(parsed) : QDateTime();
}

} // namespace

int Overdue::daysLate(const QDateTime& due, const QDateTime& now)
{
    if (!due.isValid() || !now.isValid())
        return 0;
    const qint64 seconds = wallClock(due).secsTo(wallClock(now));
    if (seconds <= 0)
        return 0;
    constexpr qint64 Day = 24 * 60 * 60;
    return int((seconds + Day - 1) / Day);
}

QDateTime Overdue::dueAt(const QString& savedAt, const QString& noteDate, int hours)
{
    QDateTime from = readSavedAt(savedAt);
    if (!from.isValid()) {
        // The hour of an older note is not known: its day is counted whole.
        const QDate day = DayMovement::readDate(noteDate);
        if (!day.isValid())
            return {};
        from = wallClock(day, QTime(0, 0));
    }
    return from.addSecs(qint64(hours) * 60 * 60);
}

QList<Overdue::Note> Overdue::notes(const QDateTime& now)
{
    const ShopSettings settings = SettingsStore(m_statements->db()).read();
    const QDateTime clock = wallClock(now);
    static const QString sql = openVideosSql(QString());
    QList<Note> out;
    // Rows come note by note, in the order the notes were saved: a note's
    // own columns are read once, and only what a late video needs.
    qint64 noteId = -1;
    QDateTime saved; // the note's time, to which each category's hours are added
    bool listed = false;
    m_statements->each(
        Open, sql, {},
        [&](const KeptStatements::Row& r) {
            const qint64 id = r.value(NoteId).toLongLong();
            if (id != noteId) {
                noteId = id;
                saved = dueAt(r.text(SavedAt), r.text(NoteDate), 0);
                listed = false;
            }
            const QString category = r.text(Category);
            const QDateTime due =
                saved.isValid() ? saved.addSecs(qint64(settings.dueHoursFor(category)) * 3600) : QDateTime();
            const int days = daysLate(due, clock);
            if (days == 0)
                return;
            if (!listed) {
                out.append({r.text(NoteCode),
                            r.text(NoteDate),
                            r.text(Customer),
                            r.text(Account),
                            phonesOf(r),
                            {},
                            0,
                            due});
                listed = true;
            }
            Note& note = out.last();
            note.videos.append(videoOf(r, category, due, days));
            note.daysLate = std::max(note.daysLate, days);
            note.due = std::min(note.due, due);
        },
        Reading);
    std::stable_sort(out.begin(), out.end(), [](const Note& a, const Note& b) { return a.due < b.due; });
    return out;
}

std::optional<Overdue::Video> Overdue::lateVideo(const QString& noteCode, const QString& videoCode,
                                                 const QDateTime& now)
{
    if (KeptStatements::namesNothing(noteCode) || KeptStatements::namesNothing(videoCode))
        return std::nullopt;
    static const QString sql =
        openVideosSql(
            QStringLiteral("AND h.%1 = ? AND v.%2 = ?").arg(NoteHistory::Codigo, RentedVideos::Codigo)) +
        QStringLiteral(" LIMIT 1");
    const ShopSettings settings = SettingsStore(m_statements->db()).read();
    std::optional<Video> found;
    m_statements->first(
        OpenOnNote, sql, {noteCode, videoCode},
        [&](const KeptStatements::Row& r) {
            const QString category = r.text(Category);
            const QDateTime due = dueAt(r.text(SavedAt), r.text(NoteDate), settings.dueHoursFor(category));
            if (const int days = daysLate(due, now); days > 0)
                found = videoOf(r, category, due, days);
        },
        Reading);
    return found;
}

} // namespace counter
