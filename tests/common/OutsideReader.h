#pragma once

// Another program reading the data file: the test binary run again as
// `--count-child FOLDER` (see countChildMain), so that the file is opened and
// closed by a process of its own, as the sqlite3 tool would.

#include "store/Database.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <cstdio>

// The customers the other program reads in the data file of folder; -1 when
// it cannot read them.
inline int customersSeenFromOutside(const QString& folder)
{
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--count-child"), folder});
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return -1;
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed().toInt();
}

// The other program's main: prints the customers it reads.
inline int countChildMain(const QString& folder)
{
    int n = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("outside"));
        db.setDatabaseName(store::Database::filePath(folder));
        QSqlQuery q(db);
        if (db.open() && q.exec(QStringLiteral("SELECT COUNT(*) FROM tblClientes")) && q.next())
            n = q.value(0).toInt();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("outside"));
    std::printf("%d\n", n);
    return n < 0 ? 1 : 0;
}
