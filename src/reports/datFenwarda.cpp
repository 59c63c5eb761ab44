#include "datFenwarda.h"

#include "store/Schema.h"
#include "store/StoreError.h"

#include <QRegularExpression>
#include <stdexcept>

namespace {

// The data-shape texts: one group per distinct combination of the BY
// columns, with the table's rows of that combination as its children.
const char* const Texts[][2] = {
    {"cmdClientes_Grouping", "SHAPE {SELECT * FROM `tblClientes`}  AS cmdClientes COMPUTE cmdClientes BY "
                             "'Nome','RG','CPF','Celular','FoneResidencial'"},
    {"cmdVideos_Grouping",
     "SHAPE {SELECT * FROM `tblVideos`}  AS cmdVideos COMPUTE cmdVideos BY 'Codigo','Nome','Genero','QTDE'"},
    {"cmdLocacao_Grouping",
     "SHAPE {SELECT * FROM `tblLocacao`}  AS cmdLocacao COMPUTE cmdLocacao BY "
     "'Data','Clientes','Codigo','Video-1','Video-2','Video-3','Video-4','Video-5','Video-6','Video-7',"
     "'Video-8','Video-9','Video-10','Video-11','Video-12','Video-13','Video-14','Video-15','Video-16'"},
};

} // namespace

std::optional<datFenwarda::Command> datFenwarda::parse(const QString& name, const QString& text,
                                                       QString* error)
{
    static const QRegularExpression shape(
        QStringLiteral(R"(^SHAPE \{SELECT \* FROM `([^`]+)`\}\s+AS (\w+) COMPUTE (\w+) BY (.+)$)"));
    static const QRegularExpression quotedName(QStringLiteral("'([^']+)'"));
    const auto refuse = [&](const QString& why) {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const QRegularExpressionMatch m = shape.match(text);
    if (!m.hasMatch() || m.captured(2) != m.captured(3))
        return refuse(QStringLiteral("%1 does not parse").arg(name));
    Command c{name, m.captured(2), text, m.captured(1), {}};
    const store::TableDef* table = store::table(c.table);
    if (!table)
        return refuse(QStringLiteral("%1 reads an unknown table: %2").arg(name, c.table));
    for (const QRegularExpressionMatch& column : quotedName.globalMatch(m.captured(4))) {
        if (!table->hasColumn(column.captured(1)))
            return refuse(QStringLiteral("%1 names an unknown column: %2").arg(name, column.captured(1)));
        c.by.append(column.captured(1));
    }
    if (c.by.isEmpty())
        return refuse(QStringLiteral("%1 groups by no column").arg(name));
    return c;
}

QList<std::pair<QString, QString>> datFenwarda::texts()
{
    QList<std::pair<QString, QString>> out;
    for (const auto& t : Texts)
        out.append({QString::fromUtf8(t[0]), QString::fromUtf8(t[1])});
    return out;
}

// The texts are checked by the reports' tests; one that went wrong anyway
// leaves its command without a table, which the store refuses when the
// report is asked for, rather than stopping the program.
const QList<datFenwarda::Command>& datFenwarda::commands()
{
    static const QList<Command> all = [] {
        QList<Command> out;
        for (const auto& [name, text] : texts())
            out.append(parse(name, text).value_or(Command{name, {}, text, {}, {}}));
        return out;
    }();
    return all;
}

const datFenwarda::Command& datFenwarda::command(const QString& name)
{
    for (const Command& c : commands())
        if (c.name == name)
            return c;
    throw std::logic_error("no grouping command " + name.toStdString());
}

datFenwarda::datFenwarda(const QString& folder) : m_cnnClientes(folder, store::Database::Access::ReadOnly) {}

void datFenwarda::open()
{
    m_cnnClientes.open();
}

std::shared_ptr<GroupStream> datFenwarda::result(const QString& name)
{
    if (auto open = m_results.value(name))
        return open;
    const Command& c = command(name);
    auto rows = std::make_shared<GroupStream>(folder(), c.table, c.by);
    m_results.insert(name, rows);
    return rows;
}
