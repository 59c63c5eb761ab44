#pragma once

#include "PeopleSearch.h"

#include <QString>
#include <array>
#include <memory>
#include <optional>

namespace store {
class Database;
class PendingNote;
class RecordCursor;
} // namespace store

namespace counter {

class KeptStatements;
class History;

// The rental note being composed at the counter: the renter, up to sixteen
// videos (each takes a copy off the shelf as it is entered, given back when
// undone or abandoned), the discount and the value. A note never saved gives
// its copies back. Every call that reads or writes the file throws
// StoreError on failure, with the draft as it was.
class RentalDraft final
{
public:
    static constexpr int Slots = 16;
    static constexpr int FirstNumber = 100;

    struct Slot
    {
        QString code;
        QString description; // title, " - ", category
        qint64 price = 0;    // centavos
        QString title;
        QString category;
    };

    enum class Entry {
        Entered,
        NotFound,       // no such video, or gone before its copy was taken
        Full,           // sixteen slots taken: looked up, nothing more
        BadPrice,       // the catalogue's price cannot be charged
        OverMax,        // the value would pass MaxNoteValue
        LeftoversStuck, // an interrupted note's copies could not go back
    };
    struct EntryResult
    {
        Entry outcome = Entry::NotFound;
        QString price; // the stored price, for BadPrice
        QString error; // the store's message, for LeftoversStuck
    };

    enum class Discount { Accepted, Invalid, TooLarge };
    enum class SaveCheck { Ready, NoRenter, NoVideos, DiscountInvalid, DiscountTooLarge };

    explicit RentalDraft(store::Database& db);
    ~RentalDraft();
    RentalDraft(const RentalDraft&) = delete;
    RentalDraft& operator=(const RentalDraft&) = delete;

    // Copies of a note a crash cut short go back before anyone counts
    // them; until they have, no video is entered.
    void recoverLeftovers();

    // The renter: a holder or a dependant found by name (the first of
    // namesakes).
    bool confirmRenter(const QString& name);
    // Everyone who bears one of names (see PeopleSearch::findAll), and the
    // one of them who rents: the note's account is that person's.
    QList<PeopleSearch::Person> findRenters(const QStringList& names);
    void chooseRenter(const PeopleSearch::Person& person);
    bool renterConfirmed() const { return m_renterConfirmed; }
    QString renter() const { return m_renter; }
    // The renter's account number.
    QString renterCode() const { return m_renterCode; }

    // One seek for the code, then its copy off the shelf into the next slot.
    EntryResult enter(const QString& code);
    // Gives the last slot's copy back; a video deleted meanwhile frees its
    // slot all the same. False when there is no slot to undo.
    bool undo();
    // Gives every copy back and empties the draft: the note is abandoned.
    void abandon();

    int count() const { return m_count; }
    const Slot& slot(int k) const { return m_slots.at(size_t(k)); }
    qint64 total() const;
    qint64 discount() const { return m_discount; }
    // The slot prices less the discount, however often it was given, and
    // never below nothing.
    qint64 value() const;
    bool discountTooLarge() const;

    // A discount as typed: empty is none; nullopt for no amount or a
    // negative one.
    static std::optional<qint64> readDiscount(const QString& text);
    // Puts a typed discount in force when it is an amount.
    Discount giveDiscount(const QString& text);
    // Whether the note can be stored with the discount as typed now.
    SaveCheck checkSave(const QString& discountText);

    // The number the next note takes.
    QString nextNumber();
    // Stores the note (after checkSave gave Ready) with its number row and
    // its history, in one step, and starts an empty draft. customer and discountText are
    // stored as the fields show them. The note takes number unless another
    // counter's note has taken it since (then the next free); returns the
    // number it took.
    QString save(const QString& date, const QString& number, const QString& customer,
                 const QString& discountText);
    // Forgets everything without touching the file.
    void clear();

private:
    store::RecordCursor& cursor(std::unique_ptr<store::RecordCursor>& slot, const QString& table);

    store::Database& m_db;
    std::unique_ptr<store::PendingNote> m_pending;
    std::unique_ptr<PeopleSearch> m_people;
    std::unique_ptr<History> m_history;
    std::unique_ptr<KeptStatements> m_statements;
    std::unique_ptr<store::RecordCursor> m_numbers;
    std::array<Slot, Slots> m_slots{};
    int m_count = 0;
    qint64 m_discount = 0;
    QString m_renter;
    QString m_renterCode;
    bool m_renterConfirmed = false;
};

} // namespace counter
