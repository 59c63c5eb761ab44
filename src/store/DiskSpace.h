#pragma once

#include <QString>

namespace store {

// Room SQLite needs to start on a data file: the shared-memory index (32 KB)
// and the first pages of the journal.
constexpr qint64 StartRoom = 64 * 1024;

// True when writing bytes more into folder fails for want of room: a full
// disk, a full quota or a file size limit. Writes and removes a scratch file;
// a folder that cannot be written for other reasons answers false.
bool noRoomIn(const QString& folder, qint64 bytes = StartRoom);

// The operator's message for a full disk, naming the data file.
QString diskFullMessage(const QString& dataFile);

// True for the errno of a write refused for want of room.
bool isNoRoom(int error);

// Takes the group's and others' permissions off a file or folder of ours:
// the shop's files hold customers' personal data. A mode already stricter
// is kept; a missing path or one of another owner is left alone.
void restrictToOwner(const QString& path);

} // namespace store
