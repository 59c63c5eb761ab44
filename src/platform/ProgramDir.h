#pragma once

#include <QString>

namespace platform {

// The folder that holds the program's executable, whatever the working
// directory is.
QString programDir();

// Where the data file lives: the program's folder when it is writable,
// otherwise the per-user data folder (an installed program).
QString dataDir();

} // namespace platform
