#pragma once

#include "ServerShop.h"
#include "store/Database.h"
#include "store/Schema.h"

#include <QObject>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <algorithm>
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
        if (onServer())
            addSpellings();
    }
    // The tests' own SQL names tables and columns as the file takes them,
    // in any case; the server keeps the program's names as they are, and
    // folds a name not quoted to lower case. Views under the folded names
    // (which the server lets tests write through) read and write the
    // program's very tables.
    void addSpellings()
    {
        for (const store::TableDef& t : store::tables()) {
            QStringList cols{QStringLiteral("rowid")};
            for (const QString& c : t.columns) {
                const bool plain =
                    std::all_of(c.begin(), c.end(), [](QChar ch) { return ch.isLetterOrNumber(); });
                cols.append(store::quoted(c) + QStringLiteral(" AS ") +
                            store::quoted(plain ? c.toLower() : c));
            }
            exec(QStringLiteral("CREATE OR REPLACE VIEW %1 AS SELECT %2 FROM %3")
                     .arg(t.name.toLower(), cols.join(u','), store::quoted(t.name)));
        }
        exec(QStringLiteral(
            "CREATE OR REPLACE VIEW pendingcopies AS SELECT \"Estacao\" AS estacao, \"Slot\" AS slot, "
            "\"Codigo\" AS codigo FROM \"PendingCopies\""));
    }
    void closeShop()
    {
        m_db.reset();
        m_dir.reset();
        m_server.clear();
    }

    QSqlQuery exec(const QString& sql, const QVariantList& values = {})
    {
        return runSql(m_db->connection(), sql, values);
    }
    // From now on every op ("INSERT", "UPDATE") on table fails, until
    // allowWrites: a disk or server refusing halfway through.
    void refuseWrites(const QString& table, const QString& op)
    {
        if (!onServer()) {
            exec(QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON %2 BEGIN SELECT RAISE(ABORT, 'no'); END")
                     .arg(op, table));
            return;
        }
        exec(QStringLiteral("CREATE OR REPLACE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS "
                            "$$ BEGIN RAISE EXCEPTION 'no'; END $$"));
        exec(QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON %2 FOR EACH ROW EXECUTE FUNCTION refuse()")
                 .arg(op, table));
    }
    void allowWrites(const QString& table)
    {
        exec(onServer() ? QStringLiteral("DROP TRIGGER refuse ON %1").arg(table)
                        : QStringLiteral("DROP TRIGGER refuse"));
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
