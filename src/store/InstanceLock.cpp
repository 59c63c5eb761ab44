#include "InstanceLock.h"

#include "Database.h"
#include "DiskSpace.h"

#include <QDir>
#include <QFileInfo>

namespace store {

InstanceLock::InstanceLock(const QString& folder)
    : m_folder(folder),
      m_lock(std::make_unique<QLockFile>(Database::filePath(folder) + QLatin1String(".lock")))
{
    // Never stale by age: a live copy may run for days. A lock left by a
    // crashed copy is still taken over, since its process is gone.
    m_lock->setStaleLockTime(0);
}

bool InstanceLock::tryLock()
{
    if (m_lock->isLocked())
        return true;
    if (m_lock->tryLock(0)) {
        m_error.clear();
        return true;
    }
    const QString lockPath = QDir::toNativeSeparators(m_lock->fileName());
    if (m_lock->error() == QLockFile::LockFailedError) {
        m_error =
            QStringLiteral("O programa Fenwarda de Vídeo já está aberto com este arquivo de dados.\n"
                           "Use a janela que já está aberta, ou feche-a antes de abrir o programa de novo.\n"
                           "(Trava: %1)")
                .arg(lockPath);
    } else if (m_lock->error() == QLockFile::UnknownError && noRoomIn(m_folder)) {
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

} // namespace store
