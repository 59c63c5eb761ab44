#include "CopyCommand.h"
#include "store/Database.h"
#include "store/InstanceLock.h"
#include "store/ServerAddress.h"
#include "store/ServerCopy.h"
#include "store/StoreError.h"

#include <QDir>
#include <QElapsedTimer>

namespace {

void print(std::FILE* to, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fflush(to);
}

} // namespace

int copyToServerCommand(const QString& folder, const QString& server, std::FILE* out)
{
    // A counter still writing to the file would leave its later rows behind.
    store::InstanceLock lock(folder);
    if (!lock.tryLock()) {
        print(stderr, lock.errorMessage() + QStringLiteral("\nFeche o programa antes de copiar a loja.\n"));
        return 1;
    }
    print(out,
          QStringLiteral("Copiando o arquivo de dados %1 para o servidor %2.\n")
              .arg(QDir::toNativeSeparators(store::Database::filePath(folder)), store::shownAddress(server)));
    QElapsedTimer shown;
    qint64 last = -1;
    const auto progress = [&](qint64 done, qint64 total) {
        // A few lines a second at most, and always the last.
        if (done == last || (shown.isValid() && shown.elapsed() < 500 && done < total))
            return;
        shown.start();
        last = done;
        const qint64 percent = total > 0 ? done * 100 / total : 100;
        print(out, QStringLiteral("Copiando: %1 de %2 linhas (%3%)\n").arg(done).arg(total).arg(percent));
    };
    try {
        const store::CopyResult result = store::copyToServer(folder, server, progress);
        print(out, QStringLiteral("Linhas conferidas no servidor, tabela por tabela:\n"));
        for (const store::CopiedTable& t : result.tables)
            print(out, QStringLiteral("  %1: %2\n").arg(t.table, -16).arg(t.rows));
        print(out, QStringLiteral("  total: %1\n").arg(result.rows));
        print(out, QStringLiteral("Cópia concluída: o arquivo de dados não foi alterado.\n"));
        return 0;
    } catch (const store::StoreError& e) {
        print(stderr, e.message() + u'\n');
        return 1;
    }
}
