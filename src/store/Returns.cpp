#include "Returns.h"

#include "Database.h"
#include "RecordCursor.h"
#include "Transaction.h"

namespace store {

namespace {

constexpr int Slots = 16;
const QString Notes = QStringLiteral("tblLocacao");
const QString CodeIndex = QStringLiteral("indCodigo");

QString codeColumn(int slot)
{
    return QStringLiteral("Codigo(%1)").arg(slot);
}

QString nameColumn(int slot)
{
    return QStringLiteral("Video-%1").arg(slot + 1);
}

// The open codes of the note the cursor stands on (or is editing).
QStringList openCodes(const RecordCursor& note)
{
    QStringList out;
    for (int slot = 0; slot < Slots; ++slot) {
        const QString code = note.text(codeColumn(slot));
        if (!code.isEmpty())
            out.append(code);
    }
    return out;
}

} // namespace

QStringList openVideoCodes(Database& db, const QString& noteCode)
{
    RecordCursor notes(db, Notes);
    if (!notes.find(CodeIndex, noteCode))
        return {};
    return openCodes(notes);
}

std::optional<ReturnBooked> bookReturn(Database& db, const QString& noteCode, const QString& videoCode)
{
    if (videoCode.isEmpty())
        return std::nullopt;
    Transaction t(db);
    RecordCursor notes(db, Notes);
    if (!notes.find(CodeIndex, noteCode))
        return std::nullopt;
    ReturnBooked booked;
    for (int slot = 0; slot < Slots && booked.slot < 0; ++slot) {
        if (notes.text(codeColumn(slot)) == videoCode)
            booked.slot = slot;
    }
    if (booked.slot < 0)
        return std::nullopt;

    RecordCursor videos(db, QStringLiteral("tblVideos"));
    booked.videoInCatalogue = videos.find(CodeIndex, videoCode);
    if (booked.videoInCatalogue) {
        videos.edit();
        videos.setValue(QStringLiteral("QTDE"), videos.value(QStringLiteral("QTDE")).toLongLong() + 1);
        videos.update();
    }

    // A returned slot holds no value, as a slot never used on an older file.
    notes.edit();
    notes.setValue(codeColumn(booked.slot), QVariant());
    notes.setValue(nameColumn(booked.slot), QVariant());
    notes.update();
    booked.stillOpen = openCodes(notes);
    if (booked.stillOpen.isEmpty()) {
        notes.remove();
        booked.noteDeleted = true;
    }
    t.commit();
    return booked;
}

std::optional<QString> rentalDateOf(RecordCursor& notes, const QString& videoCode)
{
    for (int slot = 0; slot < Slots; ++slot) {
        if (notes.find(QStringLiteral("ind%1").arg(slot), videoCode))
            return notes.text(QStringLiteral("Data"));
        if (videoCode.isEmpty())
            break;
    }
    return std::nullopt;
}

} // namespace store
