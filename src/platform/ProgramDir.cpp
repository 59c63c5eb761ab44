#include "ProgramDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {

QString programDir()
{
    return QCoreApplication::applicationDirPath();
}

QString dataDir()
{
    const QString own = programDir();
    const QFileInfo info(own);
    if (info.isDir() && info.isWritable())
        return own;
    // An installed program: its folder belongs to root, the data to the user.
    const QString user = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(user);
    return user;
}

} // namespace platform
