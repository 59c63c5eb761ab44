#pragma once

#include <QString>
#include <cstdio>

// fenwarda --copiar-para-servidor: copies the shop of the data file in
// folder to the empty database of the server at address, telling out how
// far it got. 0 when the copy is done and verified; 1 otherwise, with the
// reason on the standard error.
int copyToServerCommand(const QString& folder, const QString& server, std::FILE* out);
