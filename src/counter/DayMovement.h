#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <memory>

namespace store {
class Database;
}

namespace counter {

class KeptStatements;

// What the counter took in a span of days: the notes saved, with their
// value, discount and what was charged, and the returns booked. Read from
// the history a slice at a time, in the order things happened, so that a
// span of years is read only as far as it is shown. Only notes whose time
// of saving the history kept are counted. Throws StoreError.
class DayMovement final
{
public:
    struct Note
    {
        qint64 id = 0;
        QString code;
        QDateTime savedAt;
        QString customer;
        qint64 value = 0; // before the discount, centavos
        qint64 discount = 0;
        qint64 net() const { return value - discount; }
    };
    struct Return
    {
        qint64 id = 0;
        QString note;
        QString code;
        QString title;
        QString customer;
        QString returnedOn; // the date typed
        QDateTime bookedAt;
    };
    struct Totals
    {
        int notes = 0;
        qint64 value = 0;
        qint64 discount = 0;
        qint64 net = 0;
        void add(const Note& note);
    };
    // Where the previous slice ended: its last row's time and id.
    struct After
    {
        QString at;
        qint64 id = -1;
    };

    // From the start of from to the end of to.
    DayMovement(store::Database& db, const QDate& from, const QDate& to);
    ~DayMovement();
    DayMovement(const DayMovement&) = delete;
    DayMovement& operator=(const DayMovement&) = delete;

    // The next notes saved after after, at most limit; after moves on.
    QList<Note> notes(After& after, int limit);
    // The next returns booked after after, at most limit; after moves on.
    QList<Return> returns(After& after, int limit);
    // Every note of the span, added up.
    Totals totals();

    // A date as the shop types it (the short date format, or dd/mm/yyyy).
    static QDate readDate(const QString& text);

    // The note's value as stored is what was charged; the discount as typed
    // (unreadable or empty: none).
    static Note noteOf(qint64 id, const QString& code, const QString& savedAt, const QString& customer,
                       const QString& storedValue, const QString& storedDiscount);

private:
    std::unique_ptr<KeptStatements> m_statements;
    QString m_from; // ISO, inclusive
    QString m_to;   // ISO, exclusive
};

} // namespace counter
