#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace store {

class Database;

// The codes of a note's open videos, in slot order (a free slot holds no
// value or an empty text).
QStringList openVideoCodes(Database& db, const QString& noteCode);

struct ReturnBooked
{
    int slot = -1;                // 0..15, the slot freed
    bool videoInCatalogue = true; // false: no shelf count to raise
    QStringList stillOpen;        // the note's open videos afterwards
    bool noteDeleted = false;     // the last one came back
};

// Books the return of one copy of videoCode on the note noteCode, in one
// transaction: the shelf count, the first slot holding the code and, for
// the last open video, the note's deletion are stored together or not at
// all. Nothing happens (nullopt) when the note is not found or the code is
// not open on it. Throws StoreError.
std::optional<ReturnBooked> bookReturn(Database& db, const QString& noteCode, const QString& videoCode);

// Whether a video is out, asked in one statement over the sixteen slot
// columns; kept by the window so that the statement is prepared once.
class RentalStatus
{
public:
    explicit RentalStatus(Database& db);
    ~RentalStatus();
    RentalStatus(const RentalStatus&) = delete;
    RentalStatus& operator=(const RentalStatus&) = delete;

    // The date of the note that has the video out: the lowest slot holding
    // the code wins, then the first note in that slot's index order (ties in
    // insertion order). nullopt when no note holds it (an empty code
    // included). A date with no value reads as an empty text. Throws
    // StoreError.
    std::optional<QString> rentalDateOf(const QString& videoCode);

private:
    struct Statement;
    Database& m_db;
    std::unique_ptr<Statement> m_statement;
};

} // namespace store
