#include "InstanceLock.h"

#include "Database.h"
#include "DiskSpace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace store {

namespace {

// What QLockFile writes, a line each: process id, program name, host name,
// then (when known) the machine's id and its boot's id.
struct Holder
{
    bool readable = false;
    qint64 pid = 0;
    QString program;
    QString host;
    QByteArray machineId;
    QByteArray bootId;
};

Holder readHolder(int fd)
{
    QByteArray content;
    char buffer[4096];
    for (off_t at = 0; content.size() < 64 * 1024;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        content.append(buffer, n);
        at += n;
    }
    const QList<QByteArray> lines = content.split('\n');
    Holder h;
    bool ok = false;
    h.pid = lines.value(0).toLongLong(&ok);
    // Every field ends with its line: a cut write shows as a short file.
    h.readable = ok && h.pid > 0 && lines.size() >= 4;
    h.program = QString::fromUtf8(lines.value(1));
    h.host = QString::fromUtf8(lines.value(2));
    h.machineId = lines.value(3);
    h.bootId = lines.value(4);
    return h;
}

bool onThisComputer(const Holder& h)
{
    const QByteArray ours = QSysInfo::machineUniqueId();
    if (!h.machineId.isEmpty() && !ours.isEmpty())
        return h.machineId == ours;
    return h.host.isEmpty() || h.host == QSysInfo::machineHostName();
}

// The program a process of this computer runs, or an empty text when that
// cannot be read.
QString programOf(qint64 pid)
{
    const QFileInfo exe(QStringLiteral("/proc/%1/exe").arg(pid));
    const QString target = exe.symLinkTarget();
    return target.isEmpty() ? QString() : QFileInfo(target).fileName();
}

bool runsHere(const Holder& h)
{
    if (!h.bootId.isEmpty() && h.bootId != QSysInfo::bootUniqueId())
        return false; // written before the computer last started
    if (::kill(pid_t(h.pid), 0) != 0 && errno == ESRCH)
        return false;
    // The number may since have gone to another program.
    const QString program = programOf(h.pid);
    return program.isEmpty() || h.program.isEmpty() || program == h.program;
}

// Whether files on a network disk, shared with other computers, lie in folder.
bool onNetworkDisk(const QString& folder)
{
    struct statfs fs = {};
    if (::statfs(QFile::encodeName(folder).constData(), &fs) != 0)
        return true;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x6969:     // NFS
    case 0x517B:     // SMB
    case 0xFF534D42: // CIFS
    case 0xFE534D42: // SMB2
    case 0x65735546: // FUSE (sshfs and the like)
    case 0x01021997: // 9P
    case 0x00C36400: // Ceph
    case 0x5346414F: // AFS
    case 0x73757245: // Coda
    case 0x564C:     // NCP
    case 0x7461636F: // OCFS2
    case 0x01161970: // GFS2
        return true;
    default:
        return false;
    }
}

enum class SystemLock { Held, Free, Unknown };

// Takes both of the system's locks a live QLockFile keeps on its file: a
// live holder on this computer, or through a lock-aware network disk on
// another, is seen as Held.
SystemLock takeSystemLocks(int fd)
{
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return errno == EWOULDBLOCK ? SystemLock::Held : SystemLock::Unknown;
    struct flock whole = {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    if (::fcntl(fd, F_SETLK, &whole) != 0)
        return errno == EAGAIN || errno == EACCES ? SystemLock::Held : SystemLock::Unknown;
    return SystemLock::Free;
}

QString heldMessage(const Holder& h, const QString& lockPath)
{
    QString text = QStringLiteral("O programa Fenwarda de Vídeo já está aberto com este arquivo de dados");
    if (!h.readable)
        return text +
               QStringLiteral(".\nUse a janela que já está aberta, ou feche-a antes de abrir o programa "
                              "de novo.\n(Trava: %1)")
                   .arg(lockPath);
    text += QStringLiteral(": programa %1 (processo %2) no computador %3.\n")
                .arg(h.program, QString::number(h.pid), h.host);
    if (onThisComputer(h))
        text +=
            QStringLiteral("Use a janela que já está aberta, ou feche-a antes de abrir o programa de novo.");
    else
        text += QStringLiteral("Feche o programa no computador %1 antes de abri-lo aqui.").arg(h.host);
    return text + QStringLiteral("\n(Trava: %1)").arg(lockPath);
}

QString unsureMessage(const Holder& h, const QString& lockPath)
{
    return QStringLiteral("O arquivo de dados está marcado como aberto pelo programa %1 (processo %2) no "
                          "computador %3, e daqui não é possível saber se ele ainda está aberto lá.\n"
                          "Se estiver, feche-o naquele computador antes de abrir o programa aqui.\n"
                          "Se não estiver (o computador foi desligado com o programa aberto), apague o "
                          "arquivo de trava %4 e abra o programa de novo.")
        .arg(h.program, QString::number(h.pid), h.host, lockPath);
}

} // namespace

InstanceLock::InstanceLock(const QString& folder)
    : m_folder(folder),
      m_lock(std::make_unique<QLockFile>(Database::filePath(folder) + QLatin1String(".lock")))
{
    // Never stale by age: a live copy may run for days. Staleness is judged
    // by removeIfStale.
    m_lock->setStaleLockTime(0);
}

QString InstanceLock::fileName() const
{
    return m_lock->fileName();
}

bool InstanceLock::tryLock()
{
    if (m_lock->isLocked())
        return true;
    m_error.clear();
    // A stale lock removed here may be taken by another copy starting at
    // the same moment; the next round then finds that one held.
    for (int round = 0; round < 3; ++round) {
        if (m_lock->tryLock(0))
            return true;
        if (m_lock->error() != QLockFile::LockFailedError || !removeIfStale())
            break;
    }
    if (m_lock->error() == QLockFile::LockFailedError) {
        if (m_error.isEmpty())
            m_error = heldMessage(Holder(), QDir::toNativeSeparators(m_lock->fileName()));
        return false;
    }
    const QString lockPath = QDir::toNativeSeparators(m_lock->fileName());
    if (m_lock->error() == QLockFile::UnknownError && noRoomIn(m_folder)) {
        m_error = diskFullMessage(Database::filePath(m_folder)) +
                  QStringLiteral("\nO arquivo de dados não foi alterado.");
    } else if (!QFileInfo(m_folder).isDir()) {
        m_error = QStringLiteral("Não foi possível gravar o arquivo de trava %1:\na pasta %2 não existe.")
                      .arg(lockPath, QDir::toNativeSeparators(m_folder));
    } else if (QFileInfo::exists(Database::filePath(m_folder))) {
        // Said plainly: the operator must not take the shop for empty.
        m_error = QStringLiteral("O arquivo de dados %1 não pode ser usado:\n"
                                 "a pasta %2 está protegida contra gravação, e o programa precisa gravar "
                                 "nela (a trava e o diário do arquivo ficam ao lado dele).\n"
                                 "Retire a proteção da pasta, ou leve o programa e o arquivo de dados para "
                                 "uma pasta que permita gravação. O arquivo de dados não foi alterado.")
                      .arg(Database::filePath(m_folder), QDir::toNativeSeparators(m_folder));
    } else {
        m_error = QStringLiteral("Não foi possível gravar o arquivo de trava %1:\n"
                                 "a pasta %2 está protegida contra gravação.")
                      .arg(lockPath, QDir::toNativeSeparators(m_folder));
    }
    return false;
}

bool InstanceLock::removeIfStale()
{
    const QString lockPath = QDir::toNativeSeparators(m_lock->fileName());
    const QByteArray name = QFile::encodeName(m_lock->fileName());
    const int fd = ::open(name.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return true; // let go meanwhile
        m_error = heldMessage(Holder(), lockPath);
        return false;
    }
    const SystemLock system = takeSystemLocks(fd);
    const Holder holder = readHolder(fd);
    bool stale = false;
    if (system == SystemLock::Held) {
        m_error = heldMessage(holder, lockPath);
    } else if (!holder.readable) {
        stale = true; // a copy killed while it wrote the lock
    } else if (onThisComputer(holder)) {
        // A live copy here always keeps the system's locks; without them the
        // process number alone tells.
        stale = system == SystemLock::Free || !runsHere(holder);
        if (!stale)
            m_error = heldMessage(holder, lockPath);
    } else if (system == SystemLock::Free && !onNetworkDisk(m_folder)) {
        stale = true; // this computer's own disk, and no holder's locks on it
    } else {
        m_error = unsureMessage(holder, lockPath);
    }

    if (stale) {
        // Only the file judged: another copy may have put a new one in its place.
        struct stat judged = {};
        struct stat now = {};
        if (::fstat(fd, &judged) == 0 && ::stat(name.constData(), &now) == 0 && judged.st_dev == now.st_dev &&
            judged.st_ino == now.st_ino)
            ::unlink(name.constData());
    }
    ::close(fd);
    return stale;
}

} // namespace store
