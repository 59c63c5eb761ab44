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

// A full-text table over the given columns of content, whose own rows it
// reads (nothing copied), and the triggers that keep it in step with every
// write of those columns. Words are matched without their accents.
QStringList searchStatements(const QString& search, const QString& content, const QStringList& columns)
{
    QStringList cols;
    QStringList fresh;
    QStringList old;
    QStringList changed;
    for (const QString& c : columns) {
        cols.append(quoted(c));
        fresh.append(QStringLiteral("new.") + quoted(c));
        old.append(QStringLiteral("old.") + quoted(c));
        changed.append(QStringLiteral("old.%1 IS NOT new.%1").arg(quoted(c)));
    }
    const QString list = cols.join(QLatin1String(", "));
    const QString add = QStringLiteral("INSERT INTO %1 (rowid, %2) VALUES (new.rowid, %3);")
                            .arg(search, list, fresh.join(QLatin1String(", ")));
    // An external-content index forgets a row only when told the texts it
    // was given for it: the old ones.
    const QString drop = QStringLiteral("INSERT INTO %1 (%1, rowid, %2) VALUES ('delete', old.rowid, %3);")
                             .arg(search, list, old.join(QLatin1String(", ")));
    return {
        searchTableStatement(search, content, columns),
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1_insert AFTER INSERT ON %2 BEGIN %3 END")
            .arg(search, quoted(content), add),
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1_delete AFTER DELETE ON %2 BEGIN %3 END")
            .arg(search, quoted(content), drop),
        // A shelf count written leaves the index alone.
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1_update AFTER UPDATE ON %2 WHEN %3 BEGIN %4 %5 END")
            .arg(search, quoted(content), changed.join(QLatin1String(" OR ")), drop, add),
    };
}

// Both search indexes, empty.
QStringList searchStatements()
{
    return searchStatements(names::PeopleSearch::Table, names::tblClientes::Table,
                            names::PeopleSearch::Columns) +
           searchStatements(names::VideoSearch::Table, names::tblVideos::Table, names::VideoSearch::Columns);
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

QString searchTableStatement(const QString& search, const QString& content, const QStringList& columns)
{
    QStringList cols;
    for (const QString& c : columns)
        cols.append(quoted(c));
    // The one-letter index answers the first key of a search at once, where
    // every word of that letter would otherwise be merged.
    return QStringLiteral("CREATE VIRTUAL TABLE IF NOT EXISTS %1 USING fts5(%2, content=%3, prefix='1', "
                          "tokenize='unicode61 remove_diacritics 2')")
        .arg(search, cols.join(QLatin1String(", ")), quoted(content));
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
    out.append(searchStatements());
    return out;
}

namespace {

// The program's own tables; on a server the row numbers are made by the
// server and texts compare byte by byte, as SQLite's do.
QStringList ownTables(bool server)
{
    // The columns are plain identifiers, left unquoted so that the stored
    // statement reads as in files made before.
    namespace P = names::PendingCopies;
    namespace H = names::NoteHistory;
    namespace V = names::RentedVideos;
    const QString text = server ? QStringLiteral("TEXT COLLATE \"C\"") : QStringLiteral("TEXT");
    const QString integer = server ? QStringLiteral("BIGINT") : QStringLiteral("INTEGER");
    const QString id = server ? QStringLiteral("BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY")
                              : QStringLiteral("INTEGER PRIMARY KEY");
    // PendingCopies is written through quoted names, which the server
    // keeps as they are.
    const auto pending = [server](const QString& name) { return server ? quoted(name) : name; };
    QStringList out{
        QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2 %5 NOT NULL DEFAULT '', %3 INTEGER NOT NULL, "
                       "%4 %5 NOT NULL, PRIMARY KEY (%2, %3))")
            .arg(quoted(P::Table), pending(P::Estacao), pending(P::Slot), pending(P::Codigo), text),
        QStringLiteral(
            "CREATE TABLE IF NOT EXISTS %1 (%2 %10, %3 %11 NOT NULL, %4 %11, %5 %11, %6 %11, %7 %11, "
            "%8 %11, %9 %11)")
            .arg(H::Table, H::Id, H::Codigo, H::Data, H::SavedAt, H::Cliente, H::ClienteCodigo, H::Valor,
                 H::Desconto)
            .arg(id, text),
        QStringLiteral("CREATE INDEX IF NOT EXISTS %1_%2 ON %1 (%2)").arg(H::Table, H::Codigo),
        QStringLiteral("CREATE INDEX IF NOT EXISTS %1_%2 ON %1 (%2)").arg(H::Table, H::ClienteCodigo),
        QStringLiteral("CREATE INDEX IF NOT EXISTS %1_%2 ON %1 (%2)").arg(H::Table, H::Cliente),
        QStringLiteral("CREATE INDEX IF NOT EXISTS %1_%2 ON %1 (%2)").arg(H::Table, H::SavedAt),
        QStringLiteral(
            "CREATE TABLE IF NOT EXISTS %1 (%2 %12 NOT NULL REFERENCES %3 (%4), %5 INTEGER NOT NULL, "
            "%6 %13 NOT NULL, %7 %13, %8 %13, %9 %12, %10 %13, %11 %13, %14PRIMARY KEY (%2, %5))")
            .arg(V::Table, V::Note, H::Table, H::Id, V::Slot, V::Codigo, V::Titulo, V::Tipo, V::Preco)
            .arg(V::DevolvidoEm, V::ReturnedAt, integer, text,
                 // The returns of a day are read in slices by the row number
                 // the file keeps by itself.
                 server ? QStringLiteral("rowid BIGINT GENERATED BY DEFAULT AS IDENTITY UNIQUE, ")
                        : QString()),
        QStringLiteral("CREATE INDEX IF NOT EXISTS %1_%2 ON %1 (%2)").arg(V::Table, V::Codigo),
        QStringLiteral("CREATE INDEX IF NOT EXISTS %1_%2 ON %1 (%2)").arg(V::Table, V::ReturnedAt),
        QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2 %3 PRIMARY KEY, %4 %3)")
            .arg(names::Settings::Table, names::Settings::Name, text, names::Settings::Value),
    };
    return out;
}

} // namespace

QStringList ownTableStatements()
{
    return ownTables(false);
}

QString serverFolded(const QString& column)
{
    return QStringLiteral("translate(lower(%1), 'ÁÀÂÃÄÅáàâãäåÉÈÊËéèêëÍÌÎÏíìîïÓÒÔÕÖóòôõöÚÙÛÜúùûüÝýÿÇçÑñ', "
                          "'aaaaaaaaaaaaeeeeeeeeiiiiiiiioooooooooouuuuuuuuyyycccnn')")
        .arg(column);
}

QStringList serverSearchIndexStatements()
{
    QStringList out{QStringLiteral("CREATE EXTENSION IF NOT EXISTS pg_trgm")};
    const QList<QPair<QString, QString>> columns{
        {names::tblClientes::Table, names::tblClientes::Nome},
        {names::tblClientes::Table, names::tblClientes::Dependente1},
        {names::tblClientes::Table, names::tblClientes::Dependente2},
        {names::tblClientes::Table, names::tblClientes::Dependente3},
        {names::tblVideos::Table, names::tblVideos::Nome},
    };
    for (const auto& [table, column] : columns)
        out.append(QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 USING gin (%3 gin_trgm_ops)")
                       .arg(quoted(table + QStringLiteral("_busca") + column), quoted(table),
                            serverFolded(quoted(column))));
    // The planner weighs an index on an expression by what it has read of
    // the expression's values: without it a word nobody has reads the table.
    out.append(QStringLiteral("ANALYZE %1").arg(quoted(names::tblClientes::Table)));
    out.append(QStringLiteral("ANALYZE %1").arg(quoted(names::tblVideos::Table)));
    return out;
}

QStringList serverCreateStatements()
{
    const QString text = QStringLiteral(" TEXT COLLATE \"C\"");
    QStringList out;
    for (const TableDef& t : tables()) {
        // The file's hidden row number, made explicit: the cursors walk by it
        // and equal keys are found in the order their rows came.
        QStringList cols{QStringLiteral("rowid BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY")};
        for (const QString& c : t.columns) {
            const bool integer = t.name == names::tblVideos::Table && c == names::tblVideos::QTDE;
            cols.append(quoted(c) + (integer ? QStringLiteral(" BIGINT") : text));
        }
        out.append(
            QStringLiteral("CREATE TABLE %1 (%2)").arg(quoted(t.name), cols.join(QLatin1String(", "))));
        for (const IndexDef& i : t.indexes) {
            // A seek wants the first of equal keys by row number: the index
            // hands them over in that order.
            out.append(QStringLiteral("CREATE %1INDEX %2 ON %3 (%4%5)")
                           .arg(i.unique ? QLatin1String("UNIQUE ") : QLatin1String(),
                                quoted(t.fileIndexName(i.name)), quoted(t.name), quoted(i.column),
                                i.unique ? QLatin1String() : QLatin1String(", rowid")));
        }
    }
    out.append(ownTables(true));
    // What the pick lists show: the other counters read the row again.
    out.append(
        QStringLiteral(
            "CREATE FUNCTION fenwarda_notice() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
            "IF TG_OP = 'DELETE' THEN PERFORM pg_notify('%1', TG_TABLE_NAME || ' ' || OLD.rowid); "
            "ELSE PERFORM pg_notify('%1', TG_TABLE_NAME || ' ' || NEW.rowid); END IF; RETURN NULL; END $$")
            .arg(NotifyChannel));
    const QList<QPair<QString, QStringList>> told{
        {names::tblClientes::Table,
         {names::tblClientes::Codigo, names::tblClientes::Nome, names::tblClientes::Dependente1,
          names::tblClientes::Dependente2, names::tblClientes::Dependente3}},
        {names::tblVideos::Table, {names::tblVideos::Codigo, names::tblVideos::Nome}},
        {names::tblLocacao::Table, {names::tblLocacao::Codigo}},
    };
    for (const auto& [table, columns] : told) {
        QStringList changed;
        for (const QString& c : columns)
            changed.append(QStringLiteral("OLD.%1 IS DISTINCT FROM NEW.%1").arg(quoted(c)));
        out.append(QStringLiteral("CREATE TRIGGER %1 AFTER INSERT OR DELETE ON %2 FOR EACH ROW "
                                  "EXECUTE FUNCTION fenwarda_notice()")
                       .arg(quoted(table + QStringLiteral("_notice")), quoted(table)));
        // A shelf count or a slot returned changes nothing a list shows.
        out.append(QStringLiteral("CREATE TRIGGER %1 AFTER UPDATE ON %2 FOR EACH ROW WHEN (%3) "
                                  "EXECUTE FUNCTION fenwarda_notice()")
                       .arg(quoted(table + QStringLiteral("_notice_update")), quoted(table),
                            changed.join(QLatin1String(" OR "))));
    }
    out.append(QStringLiteral("CREATE TABLE %1 (Versao INTEGER NOT NULL)").arg(quoted(VersionTable)));
    out.append(
        QStringLiteral("INSERT INTO %1 (Versao) VALUES (%2)").arg(quoted(VersionTable)).arg(SchemaVersion));
    return out;
}

QStringList upgradeStatements(int from)
{
    // The search indexes learn the rows already in the file.
    const QStringList search =
        searchStatements() +
        QStringList{QStringLiteral("INSERT INTO %1 (%1) VALUES ('rebuild')").arg(names::PeopleSearch::Table),
                    QStringLiteral("INSERT INTO %1 (%1) VALUES ('rebuild')").arg(names::VideoSearch::Table)};
    namespace P = names::PendingCopies;
    // The table may have either shape here: its own from before, or the
    // one ownTableStatements has just made.
    const QStringList byCounter{
        QStringLiteral("CREATE TABLE PendingCopies_new (%1 TEXT NOT NULL DEFAULT '', %2 INTEGER NOT NULL, "
                       "%3 TEXT NOT NULL, PRIMARY KEY (%1, %2))")
            .arg(P::Estacao, P::Slot, P::Codigo),
        QStringLiteral("INSERT INTO PendingCopies_new (%1, %2) SELECT %1, %2 FROM %3")
            .arg(P::Slot, P::Codigo, quoted(P::Table)),
        QStringLiteral("DROP TABLE %1").arg(quoted(P::Table)),
        QStringLiteral("ALTER TABLE PendingCopies_new RENAME TO %1").arg(quoted(P::Table)),
    };
    if (from >= 5)
        return {};
    if (from == 4)
        return byCounter;
    if (from == 3)
        return search + byCounter;
    namespace H = names::NoteHistory;
    namespace V = names::RentedVideos;
    // Older notes carry no time of saving, no account and no prices: the
    // history holds what the note holds, and no more.
    QStringList out{QStringLiteral("INSERT INTO %1 (%2, %3, %4, %5, %6) SELECT %7, %8, %9, %10, %11 FROM %12 "
                                   "ORDER BY rowid")
                        .arg(H::Table, H::Codigo, H::Data, H::Cliente, H::Valor, H::Desconto,
                             quoted(names::tblLocacao::Codigo), quoted(names::tblLocacao::Data),
                             quoted(names::tblLocacao::Clientes), quoted(names::tblLocacao::Valor))
                        .arg(quoted(names::tblLocacao::Desconto), quoted(names::tblLocacao::Table))};
    // A slot's text is "title - category"; the category is cut off when it
    // is one the shop rents by, or none.
    QString title = QStringLiteral("d");
    QString category = QStringLiteral("NULL");
    for (const char* known : {"Super Lançamento", "Lançamento", "48 Horas", ""}) {
        const QString suffix = QStringLiteral(" - ") + QString::fromUtf8(known);
        title =
            QStringLiteral("CASE WHEN substr(d, -%1) = '%2' THEN substr(d, 1, length(d) - %1) ELSE %3 END")
                .arg(suffix.size())
                .arg(suffix, title);
        category = QStringLiteral("CASE WHEN substr(d, -%1) = '%2' THEN '%3' ELSE %4 END")
                       .arg(suffix.size())
                       .arg(suffix, QString::fromUtf8(known), category);
    }
    for (int slot = 0; slot < names::tblLocacao::Slots; ++slot)
        out.append(QStringLiteral("INSERT INTO %1 (%2, %3, %4, %5, %6) SELECT h.%7, %8, c, %9, %10 FROM "
                                  "(SELECT %11 AS k, %12 AS c, COALESCE(%13, '') AS d FROM %14 WHERE "
                                  "COALESCE(%12, '') <> '') JOIN %15 h ON h.%16 = k")
                       .arg(V::Table, V::Note, V::Slot, V::Codigo, V::Titulo, V::Tipo, H::Id)
                       .arg(slot)
                       .arg(title, category, quoted(names::tblLocacao::Codigo),
                            quoted(names::tblLocacao::codeColumn(slot)),
                            quoted(names::tblLocacao::videoColumn(slot)), quoted(names::tblLocacao::Table),
                            H::Table, H::Codigo));
    return out + search + byCounter;
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
