#pragma once

#include <QString>

namespace counter {

// This workstation's own choice, kept per login rather than in the shop's
// data (it says where that data is): the PostgreSQL server the program
// opens, or none for the data file beside it.
QString savedServer();
// Stores address (empty: the data file) for the next start. False when it
// could not be written.
bool saveServer(const QString& address);

} // namespace counter
