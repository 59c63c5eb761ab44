#include "History.h"

#include "KeptStatements.h"
#include "store/Names.h"

#include <QDateTime>
#include <algorithm>

namespace counter {

using namespace store::names;

namespace {

const QString Writing = QStringLiteral("gravar o histórico");

const QString Reading = QStringLiteral("ler o histórico");

enum Statement : size_t {
    AddNote,
    AddVideo,
    Returned,
    ByAccount,
    ByName,
    TimesRented,
    OutNow,
    SavedNote,
    SavedVideos
};

// The columns of a Line, from h (NoteHistory) and v (RentedVideos).
QString lineColumns()
{
    return QStringLiteral("h.%1, h.%2, h.%3, v.%4, v.%5, v.%6 IS NOT NULL, v.%7, h.%8")
        .arg(NoteHistory::Codigo, NoteHistory::Data, NoteHistory::Cliente, RentedVideos::Codigo,
             RentedVideos::Titulo, RentedVideos::ReturnedAt, RentedVideos::DevolvidoEm, NoteHistory::Id);
}

History::Line lineOf(const KeptStatements::Row& r)
{
    return {r.text(0), r.text(1), r.text(2), r.text(3), r.text(4), r.value(5).toBool(), r.text(6)};
}

QString now()
{
    return QDateTime::currentDateTime().toString(Qt::ISODate);
}

} // namespace

History::History(store::Database& db) : m_statements(std::make_unique<KeptStatements>(db)) {}

History::~History() = default;

void History::noteSaved(const Note& note)
{
    namespace H = NoteHistory;
    namespace V = RentedVideos;
    static const QString addNote =
        QStringLiteral(
            "INSERT INTO %1 (%2, %3, %4, %5, %6, %7, %8) VALUES (?, ?, ?, ?, ?, ?, ?) RETURNING %9")
            .arg(H::Table, H::Codigo, H::Data, H::SavedAt, H::Cliente, H::ClienteCodigo, H::Valor,
                 H::Desconto, H::Id);
    static const QString addVideo =
        QStringLiteral("INSERT INTO %1 (%2, %3, %4, %5, %6, %7) VALUES (?, ?, ?, ?, ?, ?)")
            .arg(V::Table, V::Note, V::Slot, V::Codigo, V::Titulo, V::Tipo, V::Preco);
    qint64 id = -1;
    m_statements->first(
        AddNote, addNote,
        {note.code, note.date, now(), note.customer, note.customerCode, note.value, note.discount},
        [&](const KeptStatements::Row& row) { id = row.value(0).toLongLong(); }, Writing);
    for (const Video& v : note.videos)
        m_statements->write(AddVideo, addVideo, {id, v.slot, v.code, v.title, v.category, v.price}, Writing);
}

void History::videoReturned(const QString& noteCode, int slot, const QString& returnedOn)
{
    namespace H = NoteHistory;
    namespace V = RentedVideos;
    static const QString returned =
        QStringLiteral(
            "UPDATE %1 SET %2 = ?, %3 = ? WHERE %4 = (SELECT MAX(%5) FROM %6 WHERE %7 = ?) AND %8 = ?")
            .arg(V::Table, V::DevolvidoEm, V::ReturnedAt, V::Note, H::Id, H::Table, H::Codigo, V::Slot);
    m_statements->write(Returned, returned, {returnedOn, now(), noteCode, slot}, Writing);
}

QList<History::Line> History::customerHistory(const QString& customerCode, const QStringList& names,
                                              int limit)
{
    namespace H = NoteHistory;
    namespace V = RentedVideos;
    // Each seeks an index: the account, and the names on older notes.
    static const QString byAccount =
        QStringLiteral("SELECT %1 FROM %2 h JOIN %3 v ON v.%4 = h.%5 WHERE h.%6 = ? ORDER BY h.%5 DESC, v.%7 "
                       "LIMIT ?")
            .arg(lineColumns(), H::Table, V::Table, V::Note, H::Id, H::ClienteCodigo, V::Slot);
    static const QString byName =
        QStringLiteral(
            "SELECT %1 FROM %2 h JOIN %3 v ON v.%4 = h.%5 WHERE h.%6 IN (?, ?, ?, ?) AND h.%7 IS NULL "
            "ORDER BY h.%5 DESC, v.%8 LIMIT ?")
            .arg(lineColumns(), H::Table, V::Table, V::Note, H::Id, H::Cliente, H::ClienteCodigo, V::Slot);
    QList<QPair<qint64, Line>> found;
    const auto add = [&](const KeptStatements::Row& r) {
        found.append({r.value(7).toLongLong(), lineOf(r)});
    };
    if (!KeptStatements::namesNothing(customerCode))
        m_statements->each(ByAccount, byAccount, {customerCode, limit}, add, Reading);
    // The empty name names nobody: a missing one repeats a real one.
    QStringList real;
    for (const QString& name : names)
        if (!KeptStatements::namesNothing(name))
            real.append(name);
    if (!real.isEmpty()) {
        QVariantList values;
        for (int k = 0; k < 4; ++k)
            values.append(real.value(k, real.first()));
        values.append(limit);
        m_statements->each(ByName, byName, values, add, Reading);
    }
    // Latest note first; within a note, in slot order (stable).
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    QList<Line> lines;
    for (qsizetype i = 0; i < found.size() && i < limit; ++i)
        lines.append(found[i].second);
    return lines;
}

History::VideoRentals History::videoRentals(const QString& code)
{
    namespace H = NoteHistory;
    namespace V = RentedVideos;
    VideoRentals rentals;
    if (KeptStatements::namesNothing(code))
        return rentals;
    static const QString times =
        QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = ?").arg(V::Table, V::Codigo);
    m_statements->first(
        TimesRented, times, {code}, [&](const KeptStatements::Row& r) { rentals.times = r.value(0).toInt(); },
        Reading);
    static const QString out =
        QStringLiteral(
            "SELECT %1 FROM %2 v JOIN %3 h ON h.%4 = v.%5 WHERE v.%6 = ? AND v.%7 IS NULL ORDER BY h.%4")
            .arg(lineColumns(), V::Table, H::Table, H::Id, V::Note, V::Codigo, V::ReturnedAt);
    m_statements->each(
        OutNow, out, {code}, [&](const KeptStatements::Row& r) { rentals.out.append(lineOf(r)); }, Reading);
    return rentals;
}

std::optional<History::Note> History::savedNote(const QString& noteCode)
{
    namespace H = NoteHistory;
    namespace V = RentedVideos;
    if (KeptStatements::namesNothing(noteCode))
        return std::nullopt;
    static const QString noteSql =
        QStringLiteral("SELECT %1, %2, %3, %4, %5, %6 FROM %7 WHERE %8 = ? ORDER BY %1 "
                       "DESC LIMIT 1")
            .arg(H::Id, H::Data, H::Cliente, H::ClienteCodigo, H::Valor, H::Desconto, H::Table, H::Codigo);
    static const QString videosSql =
        QStringLiteral("SELECT %1, %2, %3, %4, %5 FROM %6 WHERE %7 = ? ORDER BY %1")
            .arg(V::Slot, V::Codigo, V::Titulo, V::Tipo, V::Preco, V::Table, V::Note);
    qint64 id = -1;
    Note note;
    note.code = noteCode;
    if (!m_statements->first(
            SavedNote, noteSql, {noteCode},
            [&](const KeptStatements::Row& r) {
                id = r.value(0).toLongLong();
                note.date = r.text(1);
                note.customer = r.text(2);
                note.customerCode = r.text(3);
                note.value = r.text(4);
                note.discount = r.text(5);
            },
            Reading))
        return std::nullopt;
    m_statements->each(
        SavedVideos, videosSql, {id},
        [&](const KeptStatements::Row& r) {
            // A category of no value stays a null text: an older note's,
            // kept whole in its title.
            QString category = r.text(3);
            if (!r.value(3).isNull() && category.isNull())
                category = QStringLiteral("");
            note.videos.append({r.value(0).toInt(), r.text(1), r.text(2), category, r.value(4).toLongLong()});
        },
        Reading);
    return note;
}

} // namespace counter
