#pragma once

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <functional>
#include <memory>

namespace store {

class Database;
class RecordCursor;

// The rental note being composed, as far as the file is concerned: every
// copy taken off the shelf for it is recorded in the same transaction as the
// shelf count, so that a note never saved (window closed, program killed)
// gives its copies back instead of losing them. Every method throws
// StoreError on failure, with nothing written.
class PendingNote
{
public:
    explicit PendingNote(Database& db);
    ~PendingNote();
    PendingNote(const PendingNote&) = delete;
    PendingNote& operator=(const PendingNote&) = delete;

    // Gives back the copies a run that ended before its note was saved left
    // recorded (a crash), so that this note starts from none. Throws when
    // the file refuses; leftoversRecovered() stays false then.
    void recoverLeftovers();
    bool leftoversRecovered() const { return m_recovered; }

    // Takes one copy of the video off the shelf for slot (1..16). The
    // caller has found the video; false when it is gone meanwhile (the
    // shelf count is changed by its code, never sought again). Recovers
    // leftovers first when that has not been done; a copy already recorded
    // for the slot is never replaced (StoreError instead).
    bool takeCopy(int slot, const QString& code);
    // Gives the copy of slot back. False when the video is no longer in the
    // catalogue: the slot is freed all the same, no shelf count changes.
    bool giveBack(int slot, const QString& code);
    // Gives back every copy recorded for the note: it is abandoned.
    void giveBackAll();
    // Stores the note row and its number row and forgets the recorded
    // copies (they now belong to the stored note), all in one transaction.
    // number gives the note's Codigo, asked for inside the transaction (it
    // counts what other counters have saved); returns it.
    // alsoStore runs last in the same transaction, with the number: what it
    // writes is stored with the note or not at all.
    QString store(QHash<QString, QString> note, const std::function<QString()>& number,
                  const std::function<void(const QString&)>& alsoStore = {});

    // Start-up: copies recorded by a run that ended before its note was
    // saved go back on the shelf (on a server, those of this counter and of
    // every counter that has ended). Returns how many.
    static int giveBackLeftovers(Database& db);

private:
    struct Statements;
    Statements& statements();
    // Whether a copy was recorded for slot.
    bool forget(int slot);
    bool addToShelf(const QString& code, int delta);
    QList<QPair<int, QString>> recorded(const QString& counter);
    void forgetAll(const QString& counter);
    int giveBackRecorded();

    Database& m_db;
    // Prepared once per connection and kept: a counter enters, undoes and
    // saves many times while the window stays open.
    std::unique_ptr<Statements> m_statements;
    std::unique_ptr<RecordCursor> m_notes;
    bool m_recovered = false;
};

} // namespace store
