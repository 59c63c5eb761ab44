#pragma once

#include <QList>
#include <QString>
#include <memory>
#include <optional>

namespace store {
class Database;
}

namespace counter {

class KeptStatements;

// Writes the shop's history: every note saved, with its videos, and every
// video that comes back. Each call runs inside the caller's transaction,
// so that the history is stored with the change it records or not at all.
// Throws StoreError.
class History final
{
public:
    struct Video
    {
        int slot = 0;
        QString code;
        QString title;
        QString category;
        qint64 price = 0; // centavos
    };
    struct Note
    {
        QString code;
        QString date; // as the note shows it
        QString customer;
        QString customerCode; // the renter's account
        QString value;        // as stored on the note
        QString discount;
        QList<Video> videos;
    };

    explicit History(store::Database& db);
    ~History();
    History(const History&) = delete;
    History& operator=(const History&) = delete;

    void noteSaved(const Note& note);
    // The video in slot of the latest note numbered noteCode came back;
    // returnedOn is the date the operator typed.
    void videoReturned(const QString& noteCode, int slot, const QString& returnedOn);

    // A video on a note of the history, as the queries show it.
    struct Line
    {
        QString note;
        QString date; // the note's date
        QString customer;
        QString code;
        QString title;
        bool returned = false;
        QString returnedOn; // the date typed at the return
    };
    // The videos a customer rented, latest note first, at most limit: on
    // notes of the account customerCode, and on notes of the version before
    // the history (no account kept) by any of names, the empty one never.
    QList<Line> customerHistory(const QString& customerCode, const QStringList& names, int limit = 500);
    // How many times a video was rented, and the notes that have it out now.
    struct VideoRentals
    {
        int times = 0;
        QList<Line> out;
    };
    VideoRentals videoRentals(const QString& code);

    // The latest note numbered noteCode as it was saved, every video it
    // held; nullopt when the history has no such note.
    std::optional<Note> savedNote(const QString& noteCode);

private:
    std::unique_ptr<KeptStatements> m_statements;
};

} // namespace counter
