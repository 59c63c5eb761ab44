#pragma once

#include <QPixmap>
#include <QString>

namespace app {

// The title every window of the shop shows for the program.
QString applicationTitle();
// "1.0.0", from the build's version numbers.
QString versionNumber();
// The splash line: "Version 1.0.0".
QString splashVersionText();

// The product emblem (a film reel with a strip of film), drawn in code so the
// program ships no image files. side is in device-independent pixels.
QPixmap logoPixmap(int side, qreal devicePixelRatio = 1.0);

} // namespace app
