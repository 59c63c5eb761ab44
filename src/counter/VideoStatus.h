#pragma once

#include <QString>
#include <memory>
#include <optional>

namespace store {
class Database;
}

namespace counter {

class KeptStatements;

// A video by its code, as the status query shows it: title, copies on the
// shelf, place in the shop, and whether and since when it is out. Reads
// only; throws StoreError when the file cannot be read.
class VideoStatus final
{
public:
    struct Video
    {
        QString title;
        QString onShelf; // the shelf count as stored
        QString place;
        // The date of the note that has it out; nullopt when none has. A
        // date with no value reads as an empty text.
        std::optional<QString> rentedOn;
        // Who has it out: the note's name, and the account the note was
        // saved for (empty on a note saved before accounts were kept).
        QString renter;
        QString renterCode;
    };

    explicit VideoStatus(store::Database& db);
    ~VideoStatus();
    VideoStatus(const VideoStatus&) = delete;
    VideoStatus& operator=(const VideoStatus&) = delete;

    // nullopt when the catalogue has no such video (the empty code names none).
    std::optional<Video> find(const QString& code);

    // A video's catalogue record, every value as stored.
    struct Record
    {
        QString code;
        QString genre;
        QString onShelf;
        QString place;
        QString price;
    };
    // The first video stored with this title; nullopt when there is none
    // (the empty title names none).
    std::optional<Record> findTitle(const QString& title);

    // The note that has the video out: the lowest slot holding the code
    // wins, then the first note in that slot's index order (ties in
    // insertion order). One limited seek per slot, lowest first, stopping
    // at the first that finds one, so the time does not grow with the notes
    // holding the code.
    std::optional<QString> rentalDateOf(const QString& code);
    // The same note: its date, name and account.
    struct Rental
    {
        QString date;
        QString customer;
        QString customerCode;
    };
    std::optional<Rental> rentalOf(const QString& code);

private:
    std::unique_ptr<KeptStatements> m_statements;
};

} // namespace counter
