#include "Schema.h"

namespace store {

namespace {

QList<TableDef> buildTables()
{
    QList<TableDef> out;

    TableDef clientes;
    {
        using namespace names::tblClientes;
        clientes.name = Table;
        clientes.columns = {Codigo,  Data, Nome, Endereco,        Dependente1,   Dependente2, Dependente3,
                            Emissor, RG,   CPF,  FoneResidencial, FoneComercial, Celular,     CEP};
        clientes.indexes = {
            {indCodigo, Codigo, true},
            {indCPF, CPF, true},
            {indNome, Nome, false},
            {indDependente1, Dependente1, false},
            {indDependente2, Dependente2, false},
            {indDependente3, Dependente3, false},
        };
    }
    out.append(clientes);

    TableDef videos;
    {
        using namespace names::tblVideos;
        videos.name = Table;
        videos.columns = {Data, Codigo, Nome, Genero, QTDE, Local, Valor, Tipo};
        videos.indexes = {{indCodigo, Codigo, true}, {indNome, Nome, false}};
    }
    out.append(videos);

    TableDef locacao;
    {
        using namespace names::tblLocacao;
        locacao.name = Table;
        locacao.columns = {Data, Codigo, Clientes};
        for (int slot = 0; slot < Slots; ++slot)
            locacao.columns.append(videoColumn(slot));
        for (int slot = 0; slot < Slots; ++slot)
            locacao.columns.append(codeColumn(slot));
        locacao.columns.append(Valor);
        locacao.columns.append(Desconto);
        locacao.indexes = {{indCodigo, Codigo, true}};
        for (int slot = 0; slot < Slots; ++slot)
            locacao.indexes.append({codeIndex(slot), codeColumn(slot), false});
    }
    out.append(locacao);

    TableDef number;
    number.name = names::Number::Table;
    number.columns = {names::Number::Codigo};
    out.append(number);

    for (TableDef& t : out) {
        const QString select = selectColumns(t);
        t.rowSql = select + QStringLiteral(" WHERE rowid = ?");
        t.firstSql = select + QStringLiteral(" ORDER BY rowid LIMIT 1");
        t.walkSql = select + QStringLiteral(" WHERE rowid > ? ORDER BY rowid");
        t.deleteSql = QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quoted(t.name));
        t.countSql = QStringLiteral("SELECT COUNT(*) FROM %1").arg(quoted(t.name));
        for (const IndexDef& i : std::as_const(t.indexes))
            t.seekSql.append(seekStatement(t, i));
    }
    return out;
}

} // namespace

std::optional<IndexDef> TableDef::index(const QString& name) const
{
    const int at = indexPosition(name);
    return at < 0 ? std::nullopt : std::optional<IndexDef>(indexes.at(at));
}

int TableDef::indexPosition(const QString& name) const
{
    for (int i = 0; i < indexes.size(); ++i)
        if (indexes.at(i).name == name)
            return i;
    return -1;
}

const QList<TableDef>& tables()
{
    static const QList<TableDef> all = buildTables();
    return all;
}

const TableDef* table(const QString& name)
{
    for (const TableDef& t : tables()) {
        if (t.name == name)
            return &t;
    }
    return nullptr;
}

QString quoted(const QString& name)
{
    QString out = name;
    out.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

QStringList createStatements()
{
    QStringList out;
    for (const TableDef& t : tables()) {
        QStringList cols;
        for (const QString& c : t.columns) {
            // Only the shelf count is a number; everything else keeps the
            // text exactly as the windows show it.
            const bool integer = t.name == names::tblVideos::Table && c == names::tblVideos::QTDE;
            cols.append(quoted(c) + (integer ? QLatin1String(" INTEGER") : QLatin1String(" TEXT")));
        }
        out.append(
            QStringLiteral("CREATE TABLE %1 (%2)").arg(quoted(t.name), cols.join(QLatin1String(", "))));
        for (const IndexDef& i : t.indexes) {
            out.append(QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                           .arg(i.unique ? QLatin1String("UNIQUE ") : QLatin1String(),
                                quoted(t.fileIndexName(i.name)), quoted(t.name), quoted(i.column)));
        }
    }
    out.append(ownTableStatements());
    return out;
}

QStringList ownTableStatements()
{
    // Both columns are plain identifiers, left unquoted so that the stored
    // statement reads as in files made before.
    using namespace names::PendingCopies;
    return {QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2 INTEGER PRIMARY KEY, %3 TEXT NOT NULL)")
                .arg(quoted(Table), Slot, Codigo)};
}

QString selectColumns(const TableDef& t)
{
    QStringList cols{QStringLiteral("rowid")};
    for (const QString& c : t.columns)
        cols.append(quoted(c));
    return QStringLiteral("SELECT %1 FROM %2").arg(cols.join(QLatin1String(", ")), quoted(t.name));
}

QString seekStatement(const TableDef& t, const IndexDef& index)
{
    // Equal keys sit in the index in rowid order, so ORDER BY rowid costs
    // no sort and gives the first row inserted.
    return selectColumns(t) +
           QStringLiteral(" WHERE %1 = ? ORDER BY rowid LIMIT 1").arg(quoted(index.column));
}

} // namespace store
