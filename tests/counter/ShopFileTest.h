#pragma once

#include "store/Database.h"

#include <QObject>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <memory>

// Base of the GUI-less tests of the counter's rules: a data file of its own,
// made afresh for each test function, and plain SQL to stock it and to read
// back what the rules stored.
class ShopFileTest : public QObject
{
protected:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<store::Database> m_db;

    // A new, empty shop in a folder of its own.
    void makeShop()
    {
        m_db.reset();
        m_dir = std::make_unique<QTemporaryDir>();
        if (!m_dir->isValid())
            qFatal("no temporary folder");
        openShop();
    }
    // Opens the shop's file again, as the next start would.
    void openShop()
    {
        m_db.reset();
        m_db = std::make_unique<store::Database>(m_dir->path());
        m_db->open();
    }
    void closeShop()
    {
        m_db.reset();
        m_dir.reset();
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
