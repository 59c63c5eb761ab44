#include "DiskSpace.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace store {

namespace {

// The errno of writing bytes to fd, 0 when all of them reached the disk.
int writeError(int fd, qint64 bytes)
{
    const std::vector<char> block(64 * 1024, '\0');
    while (bytes > 0) {
        const auto chunk = static_cast<size_t>(std::min<qint64>(bytes, qint64(block.size())));
        const ssize_t n = ::write(fd, block.data(), chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        bytes -= n;
    }
    return ::fsync(fd) == 0 ? 0 : errno;
}

} // namespace

bool isNoRoom(int error)
{
    return error == ENOSPC || error == EDQUOT || error == EFBIG;
}

bool noRoomIn(const QString& folder, qint64 bytes)
{
    QByteArray path = QFile::encodeName(QDir(folder).filePath(QStringLiteral(".fenwarda-espaco-XXXXXX")));
    const int fd = ::mkstemp(path.data());
    if (fd < 0)
        return isNoRoom(errno);
    const int error = writeError(fd, bytes);
    ::close(fd);
    ::unlink(path.constData());
    return isNoRoom(error);
}

QString diskFullMessage(const QString& dataFile)
{
    return QStringLiteral("Não há espaço livre no disco para gravar no arquivo de dados %1.\n"
                          "O disco está cheio: libere espaço no disco e tente de novo.")
        .arg(QDir::toNativeSeparators(dataFile));
}

void restrictToOwner(const QString& path)
{
    // By name: a descriptor of the live data file, once closed, would drop
    // SQLite's locks on it.
    const QByteArray name = QFile::encodeName(path);
    struct stat st = {};
    if (::stat(name.constData(), &st) != 0 || st.st_uid != ::geteuid() || (st.st_mode & 077) == 0)
        return;
    ::chmod(name.constData(), st.st_mode & 07700);
}

} // namespace store
