#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace store {
class Database;
}

namespace counter {

class KeptStatements;

// The open notes holding a video past its due time. A video is due at the
// note's time of saving plus its category's hours (ShopSettings); a note
// saved before the history kept times counts from the start of its date.
// "now" is always given, so that the same file reads the same way twice.
// Times are the shop's wall clock: a due time is given with no zone
// (held as Qt::UTC), to be shown as it is.
// Throws StoreError.
class Overdue final
{
public:
    struct Video
    {
        int slot = 0;
        QString code;
        QString title;
        QString category;
        QDateTime due;
        int daysLate = 0;
    };
    struct Note
    {
        QString code;
        QString date; // as the note shows it
        QString customer;
        QString customerCode;
        QStringList phones;  // labelled, the empty ones left out
        QList<Video> videos; // the late ones, in slot order
        int daysLate = 0;    // the latest of its videos
        QDateTime due;       // the earliest due of its late videos
    };

    explicit Overdue(store::Database& db);
    ~Overdue();
    Overdue(const Overdue&) = delete;
    Overdue& operator=(const Overdue&) = delete;

    // Every open note with a late video, most late first (ties: the note
    // saved first).
    QList<Note> notes(const QDateTime& now);
    // The copy of videoCode still out on the open note noteCode (the first
    // slot holding it, as a return frees) when it is late; nullopt when it
    // is not late, not out, or its due time is unknown.
    std::optional<Video> lateVideo(const QString& noteCode, const QString& videoCode, const QDateTime& now);

    // Whole days late, any part of a day counting as one; 0 when not late.
    static int daysLate(const QDateTime& due, const QDateTime& now);
    // When a note's video is due, on the shop's wall clock: from savedAt
    // (ISO) when kept, else from the start of the note's date; invalid when
    // neither can be read.
    static QDateTime dueAt(const QString& savedAt, const QString& noteDate, int hours);

private:
    std::unique_ptr<KeptStatements> m_statements;
};

} // namespace counter
