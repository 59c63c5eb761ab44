#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace store {

// Keeps a second copy of the program off the same data file: a lock file
// beside it ("Fenwaurda.mdb.lock"), held for the whole run.
class InstanceLock
{
public:
    explicit InstanceLock(const QString& folder);
    // False when another live process holds the lock, or the lock file
    // cannot be written; errorMessage() then says why (another copy, a full
    // disk, a missing or write-protected folder), in Portuguese.
    bool tryLock();
    QString errorMessage() const { return m_error; }

private:
    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    QString m_error;
};

} // namespace store
