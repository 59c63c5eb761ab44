#include "Schema.h"

namespace store {

namespace {

QList<TableDef> buildTables()
{
    QList<TableDef> out;

    TableDef clientes;
    clientes.name = QStringLiteral("tblClientes");
    clientes.columns = {
        QStringLiteral("Codigo"),
        QStringLiteral("Data"),
        QStringLiteral("Nome"),
        QStringLiteral("Endereco"),
        QStringLiteral("Dependente1"),
        QStringLiteral("Dependente2"),
        QStringLiteral("Dependente3"),
        QStringLiteral("Emissor"),
        QStringLiteral("RG"),
        QStringLiteral("CPF"),
        QStringLiteral("FoneResidencial"),
        QStringLiteral("FoneComercial"),
        QStringLiteral("Celular"),
        QStringLiteral("CEP"),
    };
    clientes.indexes = {
        {QStringLiteral("indCodigo"), QStringLiteral("Codigo"), true},
        {QStringLiteral("indCPF"), QStringLiteral("CPF"), true},
        {QStringLiteral("indNome"), QStringLiteral("Nome"), false},
        {QStringLiteral("indDependente1"), QStringLiteral("Dependente1"), false},
        {QStringLiteral("indDependente2"), QStringLiteral("Dependente2"), false},
        {QStringLiteral("indDependente3"), QStringLiteral("Dependente3"), false},
    };
    out.append(clientes);

    TableDef videos;
    videos.name = QStringLiteral("tblVideos");
    videos.columns = {
        QStringLiteral("Data"), QStringLiteral("Codigo"), QStringLiteral("Nome"),  QStringLiteral("Genero"),
        QStringLiteral("QTDE"), QStringLiteral("Local"),  QStringLiteral("Valor"), QStringLiteral("Tipo"),
    };
    videos.indexes = {
        {QStringLiteral("indCodigo"), QStringLiteral("Codigo"), true},
        {QStringLiteral("indNome"), QStringLiteral("Nome"), false},
    };
    out.append(videos);

    TableDef locacao;
    locacao.name = QStringLiteral("tblLocacao");
    locacao.columns = {QStringLiteral("Data"), QStringLiteral("Codigo"), QStringLiteral("Clientes")};
    for (int k = 1; k <= 16; ++k)
        locacao.columns.append(QStringLiteral("Video-%1").arg(k));
    for (int k = 0; k < 16; ++k)
        locacao.columns.append(QStringLiteral("Codigo(%1)").arg(k));
    locacao.columns.append(QStringLiteral("Valor"));
    locacao.columns.append(QStringLiteral("Desconto"));
    locacao.indexes = {{QStringLiteral("indCodigo"), QStringLiteral("Codigo"), true}};
    for (int k = 0; k < 16; ++k)
        locacao.indexes.append({QStringLiteral("ind%1").arg(k), QStringLiteral("Codigo(%1)").arg(k), false});
    out.append(locacao);

    TableDef number;
    number.name = QStringLiteral("Number");
    number.columns = {QStringLiteral("Codigo")};
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
            const bool integer = t.name == QLatin1String("tblVideos") && c == QLatin1String("QTDE");
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
    return {QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (Slot INTEGER PRIMARY KEY, Codigo TEXT NOT NULL)")
                .arg(quoted(QString::fromLatin1(PendingCopiesTable)))};
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
