#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace store {

// Keeps a second copy of the program off the same data file: a lock file
// beside it ("Fenwaurda.mdb.lock"), held for the whole run.
//
// A lock file that is there is held only while a live copy keeps the
// system's locks on it. One that no live copy holds is stale and taken over:
// its content cannot be read (a copy killed while writing it), its process
// no longer runs on this computer, or it names another computer while the
// file lies on this computer's own disk (a holder elsewhere would reach the
// disk through a file server here, whose locks are seen). On a network disk
// a lock of another computer cannot be judged from here: the operator is
// told which computer holds it and how to free it.
class InstanceLock final
{
public:
    explicit InstanceLock(const QString& folder);
    // False when another live process holds the lock, or the lock file
    // cannot be written; errorMessage() then says why (another copy, named
    // with its computer, a full disk, a missing or write-protected folder),
    // in Portuguese.
    bool tryLock();
    QString errorMessage() const { return m_error; }

    // The lock file's path.
    QString fileName() const;

private:
    // True when the lock file in the way was stale and is gone (or went by
    // itself); false, with m_error set, when it must be left alone.
    bool removeIfStale();

    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    QString m_error;
};

} // namespace store
