#pragma once

#include "store/Database.h"
#include "store/Grouping.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

// The reports' data environment: its own read-only connection to the data
// file (cnnClientes) and one grouping command per report. A command's
// result is read when it is first asked for and kept until closed, so a
// report shows the tables as they were when it opened.
class datFenwarda
{
public:
    struct Command
    {
        QString name;  // "cmdClientes_Grouping"
        QString child; // "cmdClientes"
        QString text;  // the data-shape text the command stands for
        QString table; // read from the text
        QStringList by;
    };

    // The three commands; table and grouping columns are read from each
    // text and checked against the store's schema.
    static const QList<Command>& commands();
    static const Command& command(const QString& name);

    explicit datFenwarda(const QString& folder);
    datFenwarda(const datFenwarda&) = delete;
    datFenwarda& operator=(const datFenwarda&) = delete;

    QString folder() const { return m_cnnClientes.folder(); }
    // Opens cnnClientes if it is not open. Throws StoreError.
    void open();
    store::Database& cnnClientes() { return m_cnnClientes; }

    // The command's result ("rs" + name), running the command when it is
    // not open. Throws StoreError.
    std::shared_ptr<const store::GroupedRows> result(const QString& command);
    bool isResultOpen(const QString& command) const { return m_results.contains(command); }
    void closeResult(const QString& command) { m_results.remove(command); }

private:
    store::Database m_cnnClientes;
    QHash<QString, std::shared_ptr<const store::GroupedRows>> m_results;
};
