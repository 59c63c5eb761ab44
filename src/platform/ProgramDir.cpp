#include "ProgramDir.h"

#include "store/Database.h"
#include "store/DiskSpace.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {

QString programDir()
{
    return QCoreApplication::applicationDirPath();
}

bool isInstalled(const QString& programFolder)
{
    return QFileInfo::exists(QDir(programFolder).filePath(QStringLiteral(FENWARDA_ENTRY_FROM_BIN)));
}

QString dataDirFor(const QString& programFolder)
{
    const QFileInfo info(programFolder);
    // An installed program keeps the data apart from itself even where its
    // folder is writable (root, a prefix in the home folder): a reinstall or
    // removal must never touch the shop's file.
    if (!info.isDir() || isInstalled(programFolder))
        return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    // A shop's file beside the program is used, or refused with a word; never
    // traded silently for an empty file elsewhere.
    if (info.isWritable() || QFileInfo::exists(store::Database::filePath(programFolder)))
        return programFolder;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

void createDataDir(const QString& folder)
{
    if (folder != QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)) {
        QDir().mkpath(folder);
        return;
    }
    // The per-user folder holds the customers' personal data: no other
    // account on the computer may look in. Its parents are ordinary folders.
    QDir().mkpath(QFileInfo(folder).absolutePath());
    QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    store::restrictToOwner(folder);
}

QString dataDir()
{
    const QString folder = dataDirFor(programDir());
    createDataDir(folder);
    return folder;
}

} // namespace platform
