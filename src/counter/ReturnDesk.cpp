#include "ReturnDesk.h"

#include "History.h"
#include "KeptStatements.h"
#include "store/Database.h"
#include "store/Names.h"
#include "store/Queries.h"
#include "store/Schema.h"
#include "store/Transaction.h"

#include <array>

namespace counter {

using namespace store::names;
using store::quoted;
using tblLocacao::codeColumn;
using tblLocacao::Slots;

namespace {

const QString Reading = QStringLiteral("ler a locação");
const QString Writing = QStringLiteral("gravar a devolução");

// Keys of the kept statements; one to free each slot follows FreeSlot.
enum Statement : size_t { FindNote, FindVideo, RaiseShelf, DeleteNote, FreeSlot };

struct NoteRow
{
    qint64 rowid = -1;
    QString date;
    QStringList slotCodes; // all sixteen, free ones empty
};

// The note by its unique code, in one seek.
std::optional<NoteRow> readNote(KeptStatements& statements, const QString& code)
{
    if (KeptStatements::namesNothing(code))
        return std::nullopt;
    static const QString sql = [] {
        QStringList columns{QStringLiteral("rowid"), quoted(tblLocacao::Data)};
        for (int slot = 0; slot < Slots; ++slot)
            columns.append(quoted(codeColumn(slot)));
        return QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ? LIMIT 1")
            .arg(columns.join(QLatin1Char(',')), quoted(tblLocacao::Table), quoted(tblLocacao::Codigo));
    }();
    NoteRow row;
    const bool found = statements.first(
        FindNote, sql, {code},
        [&](const KeptStatements::Row& r) {
            row.rowid = r.value(0).toLongLong();
            row.date = r.text(1);
            for (int slot = 0; slot < Slots; ++slot)
                row.slotCodes.append(r.text(2 + slot));
        },
        Reading);
    if (!found)
        return std::nullopt;
    return row;
}

QStringList openCodes(const QStringList& slotCodes)
{
    QStringList out;
    for (const QString& code : slotCodes)
        if (!code.isEmpty())
            out.append(code);
    return out;
}

} // namespace

ReturnDesk::ReturnDesk(store::Database& db)
    : m_statements(std::make_unique<KeptStatements>(db)), m_history(std::make_unique<History>(db))
{
}

ReturnDesk::~ReturnDesk() = default;

QStringList ReturnDesk::noteCodes()
{
    return store::rentalNoteCodes(m_statements->db());
}

std::optional<ReturnDesk::Note> ReturnDesk::findNote(const QString& code)
{
    const std::optional<NoteRow> row = readNote(*m_statements, code);
    if (!row)
        return std::nullopt;
    return Note{row->date, openCodes(row->slotCodes)};
}

ReturnDesk::Video ReturnDesk::checkVideo(const QStringList& openCodes, const QString& code)
{
    Video video;
    if (code.isEmpty() || !openCodes.contains(code))
        return video;
    static const QString sql =
        QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ? LIMIT 1")
            .arg(quoted(tblVideos::Nome), quoted(tblVideos::Table), quoted(tblVideos::Codigo));
    if (m_statements->first(
            FindVideo, sql, {code}, [&](const KeptStatements::Row& r) { video.title = r.text(0); },
            Reading)) {
        video.check = VideoCheck::InCatalogue;
    } else {
        // Deleted while it was out: it can still come back, or the note
        // would stay pending for ever.
        video.check = VideoCheck::NotInCatalogue;
    }
    return video;
}

std::optional<ReturnDesk::Booked> ReturnDesk::book(const QString& noteCode, const QString& videoCode,
                                                   const QString& returnedOn)
{
    if (KeptStatements::namesNothing(videoCode))
        return std::nullopt;
    KeptStatements& statements = *m_statements;
    store::Transaction t(statements.db());
    const std::optional<NoteRow> note = readNote(statements, noteCode);
    if (!note)
        return std::nullopt;
    Booked booked;
    booked.slot = int(note->slotCodes.indexOf(videoCode));
    if (booked.slot < 0)
        return std::nullopt;

    // By the unique code, on the count as it stands in the file; a count
    // that holds no number counts as none.
    static const QString raise =
        QStringLiteral("UPDATE %1 SET %2 = COALESCE(CAST(%2 AS INTEGER), 0) + 1 WHERE %3 = ?")
            .arg(quoted(tblVideos::Table), quoted(tblVideos::QTDE), quoted(tblVideos::Codigo));
    booked.videoInCatalogue = statements.write(RaiseShelf, raise, {videoCode}, Writing) > 0;

    QStringList slotCodes = note->slotCodes;
    slotCodes[booked.slot] = QString();
    booked.stillOpen = openCodes(slotCodes);
    if (booked.stillOpen.isEmpty()) {
        static const QString remove =
            QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quoted(tblLocacao::Table));
        statements.write(DeleteNote, remove, {note->rowid}, Writing);
        booked.noteDeleted = true;
    } else {
        // A returned slot holds no value, as a slot never used on an older file.
        static const std::array<QString, Slots> free = [] {
            std::array<QString, Slots> out;
            for (int slot = 0; slot < Slots; ++slot)
                out[size_t(slot)] = QStringLiteral("UPDATE %1 SET %2 = NULL, %3 = NULL WHERE rowid = ?")
                                        .arg(quoted(tblLocacao::Table), quoted(codeColumn(slot)),
                                             quoted(tblLocacao::videoColumn(slot)));
            return out;
        }();
        statements.write(FreeSlot + size_t(booked.slot), free[size_t(booked.slot)], {note->rowid}, Writing);
    }
    m_history->videoReturned(noteCode, booked.slot, returnedOn);
    t.commit();
    return booked;
}

} // namespace counter
