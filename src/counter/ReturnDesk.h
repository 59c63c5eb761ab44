#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace store {
class Database;
}

namespace counter {

class History;
class KeptStatements;

// Returns, one copy at a time: the note is found, a video open on it is
// checked, and the return is booked. Every call that reads or writes the
// file throws StoreError, with nothing written.
class ReturnDesk final
{
public:
    struct Note
    {
        QString date;          // a date with no value reads as an empty text
        QStringList openCodes; // in slot order; free slots left out
    };

    enum class VideoCheck {
        NotOnNote,      // not among the note's open videos (an empty code included)
        InCatalogue,    // open on the note and on file
        NotInCatalogue, // open on the note, deleted from the catalogue meanwhile
    };
    struct Video
    {
        VideoCheck check = VideoCheck::NotOnNote;
        QString title; // for InCatalogue
    };

    struct Booked
    {
        int slot = -1;                // 0..15, the slot freed
        bool videoInCatalogue = true; // false: no shelf count to raise
        QStringList stillOpen;        // the note's open videos afterwards
        bool noteDeleted = false;     // the last one came back
    };

    explicit ReturnDesk(store::Database& db);
    ~ReturnDesk();
    ReturnDesk(const ReturnDesk&) = delete;
    ReturnDesk& operator=(const ReturnDesk&) = delete;

    // Every note's code, for the pick list.
    QStringList noteCodes();
    // The note by its code; nullopt when there is none (the empty code
    // names none).
    std::optional<Note> findNote(const QString& code);
    // Whether code may be returned on a note whose open videos are
    // openCodes, and its title.
    Video checkVideo(const QStringList& openCodes, const QString& code);
    // Books the return of one copy of videoCode on noteCode, in one
    // transaction: the shelf count +1 when the video is in the catalogue,
    // the first slot holding the code freed and, when it was the last, the
    // note deleted; all stored together or not at all. nullopt, with nothing
    // written, when the note is gone or the code is not open on it.
    // The history records the return with returnedOn, the date typed.
    std::optional<Booked> book(const QString& noteCode, const QString& videoCode, const QString& returnedOn);

private:
    std::unique_ptr<KeptStatements> m_statements;
    std::unique_ptr<History> m_history;
};

} // namespace counter
