#pragma once

#include <QString>

namespace platform {

// The folder that holds the program's executable, whatever the working
// directory is.
QString programDir();

// True when the program in programFolder was installed (`cmake --install`,
// the Debian package): its desktop entry lies where the install puts it.
bool isInstalled(const QString& programFolder);

// Where the data file of the program in programFolder lives: that folder
// itself, unless the program is installed, or the folder is not writable and
// holds no data file; then the per-user data folder. Creates nothing.
QString dataDirFor(const QString& programFolder);

// Creates the data folder when missing. The per-user data folder is made
// (or kept) owner-only; the program's own folder is left as it is.
void createDataDir(const QString& folder);

// The data folder of this program, created when missing.
QString dataDir();

} // namespace platform
