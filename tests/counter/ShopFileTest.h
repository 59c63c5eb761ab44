#pragma once

#include "ServerShop.h"
#include "store/Database.h"

#include <QObject>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <memory>

// Base of the GUI-less tests of the counter's rules: a shop of its own, made
// afresh for each test function, and plain SQL to stock it and to read back
// what the rules stored. The shop is a data file in a temporary folder or,
// when the tests run against a server, the process's own server database.
class ShopFileTest : public QObject
{
protected:
    std::unique_ptr<QTemporaryDir> m_dir; // file shops only
    QString m_server;                     // server shops: the database's address
    std::unique_ptr<store::Database> m_db;

    // The whole test process runs on the server or on files.
    bool onServer() const { return serverTestsWanted(); }
    // Where the shop is: the folder of its file or its server address.
    QString shopAddress() const { return onServer() ? m_server : m_dir->path(); }

    // A new, empty shop.
    void makeShop()
    {
        m_db.reset();
        m_dir.reset();
        if (onServer()) {
            m_server = freshServerShop();
        } else {
            m_dir = std::make_unique<QTemporaryDir>();
            if (!m_dir->isValid())
                qFatal("no temporary folder");
        }
        openShop();
    }
    // Opens the shop again, as the next start would.
    void openShop()
    {
        m_db.reset();
        m_db = std::make_unique<store::Database>(shopAddress());
        m_db->open();
    }
    void closeShop()
    {
        m_db.reset();
        m_dir.reset();
        m_server.clear();
    }

    QSqlQuery exec(const QString& sql, const QVariantList& values = {})
    {
        QSqlQuery q(m_db->connection());
        q.prepare(sql);
        for (const QVariant& v : values)
            q.addBindValue(v);
        if (!q.exec())
            qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return q;
    }
    QVariant scalar(const QString& sql, const QVariantList& values = {})
    {
        QSqlQuery q = exec(sql, values);
        return q.next() ? q.value(0) : QVariant();
    }
    // Every row of sql, its columns joined by "|" (no value as "~").
    QStringList rows(const QString& sql)
    {
        QSqlQuery q = exec(sql);
        QStringList out;
        while (q.next()) {
            QStringList cells;
            for (int i = 0; i < q.record().count(); ++i)
                cells.append(q.isNull(i) ? QStringLiteral("~") : q.value(i).toString());
            out.append(cells.join(u'|'));
        }
        return out;
    }
};
