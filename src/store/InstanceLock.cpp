#include "InstanceLock.h"

#include "Database.h"

#include <QDir>

namespace store {

InstanceLock::InstanceLock(const QString& folder)
    : m_lock(std::make_unique<QLockFile>(Database::filePath(folder) + QLatin1String(".lock")))
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
    } else {
        m_error = QStringLiteral("Não foi possível gravar o arquivo de trava %1:\n"
                                 "a pasta do arquivo de dados está protegida contra gravação ou não existe.")
                      .arg(lockPath);
    }
    return false;
}

} // namespace store
