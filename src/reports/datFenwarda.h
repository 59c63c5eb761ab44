#pragma once

#include "GroupStream.h"
#include "store/Database.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <utility>

// The reports' data environment: its own read-only connection to the data
// file (cnnClientes) and one grouping command per report. A command's
// result opens when it is first asked for and is read as the report needs
// it, on a connection of its own that keeps the tables as they were when
// it opened, until closed.
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

    // The three commands' names and data-shape texts.
    static QList<std::pair<QString, QString>> texts();
    // A command read from its text: the table and grouping columns, checked
    // against the store's schema; nothing, and why in error, when the text
    // does not parse or names what the schema lacks.
    static std::optional<Command> parse(const QString& name, const QString& text, QString* error = nullptr);
    // The three commands, read from texts().
    static const QList<Command>& commands();
    static const Command& command(const QString& name);

    explicit datFenwarda(const QString& folder);
    datFenwarda(const datFenwarda&) = delete;
    datFenwarda& operator=(const datFenwarda&) = delete;

    QString folder() const { return m_cnnClientes.folder(); }
    // Opens cnnClientes if it is not open. Throws StoreError.
    void open();
    store::Database& cnnClientes() { return m_cnnClientes; }

    // The command's result ("rs" + name), opening it when it is not open.
    // Throws StoreError.
    std::shared_ptr<GroupStream> result(const QString& command);
    bool isResultOpen(const QString& command) const { return m_results.contains(command); }
    void closeResult(const QString& command) { m_results.remove(command); }

private:
    store::Database m_cnnClientes;
    QHash<QString, std::shared_ptr<GroupStream>> m_results;
};
