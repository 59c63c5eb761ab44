#include "Search.h"

#include "KeptStatements.h"
#include "platform/TextFold.h"
#include "store/Database.h"
#include "store/Names.h"
#include "store/Schema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <numeric>
#include <tuple>

namespace counter {

using namespace store::names;
using store::quoted;
// Not counter::PeopleSearch, the look-up by a whole name.
namespace PeopleIndex = store::names::PeopleSearch;
namespace VideoIndex = store::names::VideoSearch;

namespace {

const QString Reading = QStringLiteral("buscar");

// Keys of the kept statements.
enum Statement : size_t {
    CustomerByNumber,
    PeopleMatch,
    VideoByCode,
    VideoMatch,
    Account,
    VideoRecord,
    // On a server, one statement for each count of words (up to ScanWords).
    PeopleScan,
    VideoScan = PeopleScan + 2 * 8 + 2,
};
constexpr int ScanWords = 8;

// Customer rows are read in batches until the limit is reached: a row the
// index found by its numbers gives its holder only, and one whose spelling
// the index and this code fold apart may give no one.
constexpr int Batch = Search::Limit;

// The words of a text as the index holds them: runs of letters and digits.
QStringList words(const QString& text)
{
    QStringList out;
    QString word;
    for (const QChar c : platform::searchFolded(text)) {
        if (c.isLetterOrNumber()) {
            word.append(c);
        } else if (!word.isEmpty()) {
            out.append(word);
            word.clear();
        }
    }
    if (!word.isEmpty())
        out.append(word);
    return out;
}

QString digitsOf(const QString& text)
{
    QString out;
    for (const QChar c : text)
        if (c >= u'0' && c <= u'9')
            out.append(c);
    return out;
}

// What the operator typed, as terms of the full-text query.
struct Terms
{
    QStringList words;
    bool lastIsBeginning = false; // the operator is still typing it
    bool digitsOnly = false;      // no letter: a number, CPF or telephone

    explicit Terms(const QString& typed)
        : words(counter::words(typed)), lastIsBeginning(!typed.isEmpty() && typed.back().isLetterOrNumber()),
          digitsOnly(std::none_of(typed.begin(), typed.end(), [](QChar c) { return c.isLetter(); }))
    {
    }

    // Every word, in any order: ("joao" AND "silva"*). Each is quoted, so
    // nothing typed is read as the query language.
    QString all() const
    {
        QStringList out;
        for (qsizetype i = 0; i < words.size(); ++i) {
            QString word = words.at(i);
            word.replace(u'"', QLatin1String("\"\""));
            out.append(u'"' + word + u'"' + (lastIsBeginning && i == words.size() - 1 ? "*" : ""));
        }
        return u'(' + out.join(QLatin1String(" AND ")) + u')';
    }

    // Whether a name holds every word, the last one as a beginning.
    bool match(const QString& name) const
    {
        const QStringList held = counter::words(name);
        for (qsizetype i = 0; i < words.size(); ++i) {
            const QString& term = words.at(i);
            const bool beginning = lastIsBeginning && i == words.size() - 1;
            if (std::none_of(held.begin(), held.end(), [&](const QString& w) {
                    return w == term || (beginning && w.startsWith(term));
                }))
                return false;
        }
        return true;
    }
};

// Digits as the mask's groups split them, one word each, from the first
// word of the column on (^"123 456 78"*): a CPF "123.456.789-09" is indexed
// as the words 123, 456, 789 and 09.
QString maskedPhrase(const QString& digits, std::initializer_list<int> groups)
{
    QStringList parts;
    qsizetype at = 0;
    for (const int size : groups) {
        if (at >= digits.size())
            break;
        parts.append(digits.mid(at, size));
        at += size;
    }
    const qsizetype whole = std::accumulate(groups.begin(), groups.end(), qsizetype(0));
    return QStringLiteral("^\"") + parts.join(u' ') + u'"' + (digits.size() < whole ? "*" : "");
}

// A server has no full-text index: its rows are read by patterns that
// every match meets (each word a word of the name folded as
// store::serverFolded does, digits among the punctuation), in row order,
// and this code then keeps the true matches as the file's index would.
QString digitsColumn(const QString& column)
{
    return QStringLiteral("regexp_replace(%1, '[^0-9]', '', 'g')").arg(column);
}

// Every word (up to ScanWords) in one of columns: "(w1 AND w2) OR (...)".
QString wordsIn(const QStringList& columns, int words)
{
    QStringList any;
    for (const QString& c : columns) {
        QStringList all;
        for (int i = 0; i < words; ++i)
            all.append(store::serverFolded(c) + QStringLiteral(" ~ ?"));
        any.append(u'(' + all.join(QLatin1String(" AND ")) + u')');
    }
    return any.join(QLatin1String(" OR "));
}

// Each word as a word of the folded text (the last one, still being typed,
// as a word's beginning): nearly every row read then matches, even for a
// word of one letter, which no index helps to find.
QVariantList patterns(const Terms& terms, int columns)
{
    QVariantList out;
    const qsizetype words = terms.words.size();
    for (int c = 0; c < columns; ++c)
        for (qsizetype i = 0; i < std::min<qsizetype>(ScanWords, words); ++i)
            out.append(QStringLiteral("\\m") + terms.words.at(i) +
                       (terms.lastIsBeginning && i == words - 1 ? QString() : QStringLiteral("\\M")));
    return out;
}

constexpr qsizetype CpfDigits = 11;
constexpr qsizetype PhoneDigits = 8;

const QString PeopleColumns = [] {
    QStringList cols{QStringLiteral("c.rowid"), QStringLiteral("c.") + quoted(tblClientes::Codigo)};
    for (const QString& c : PeopleIndex::Columns)
        cols.append(QStringLiteral("c.") + quoted(c));
    return cols.join(QLatin1String(", "));
}();

// Column positions in a customer row read with PeopleColumns.
enum PeopleColumn { RowId, Number, Names, Cpf = Names + 4, Phones };

using Take = std::function<void(const KeptStatements::Row&)>;

// The rows of sql (whose last value is the row number to go on after, and
// whose first column is the row number) a batch at a time, until none is
// left or full() says enough.
void scan(KeptStatements& statements, size_t key, const QString& sql, const QVariantList& values,
          const Take& take, const std::function<bool()>& full)
{
    qint64 after = 0;
    for (int read = Batch; read == Batch && !full();) {
        read = 0;
        QVariantList bound = values;
        bound.append(after);
        statements.each(
            key, sql, bound,
            [&](const KeptStatements::Row& r) {
                ++read;
                after = r.value(0).toLongLong();
                take(r);
            },
            Reading);
    }
}

// Customer rows that may match, until full() says enough.
void peopleOnServer(KeptStatements& statements, const Terms& terms, const QString& digits, qint64 exact,
                    const Take& take, const std::function<bool()>& full)
{
    QString where;
    QVariantList values;
    size_t key = PeopleScan;
    if (terms.digitsOnly) {
        QStringList any;
        if (digits.size() <= CpfDigits) {
            any.append(digitsColumn(QStringLiteral("c.") + quoted(tblClientes::CPF)) +
                       QStringLiteral(" LIKE ?"));
            values.append(digits + u'%');
        }
        if (digits.size() <= PhoneDigits)
            for (const QString& phone :
                 {tblClientes::FoneResidencial, tblClientes::FoneComercial, tblClientes::Celular}) {
                any.append(digitsColumn(QStringLiteral("c.") + quoted(phone)) + QStringLiteral(" LIKE ?"));
                values.append(digits + u'%');
            }
        if (any.isEmpty())
            return;
        where = any.join(QLatin1String(" OR "));
        key += digits.size() <= PhoneDigits ? 0 : 1;
    } else {
        const int words = std::min<int>(ScanWords, int(terms.words.size()));
        QStringList names;
        for (const QString& n : tblClientes::NameColumns)
            names.append(QStringLiteral("c.") + quoted(n));
        where = wordsIn(names, words);
        values = patterns(terms, int(names.size()));
        key += 1 + size_t(words);
    }
    const QString sql =
        QStringLiteral("SELECT %1 FROM %2 c WHERE (%3) AND c.rowid > ? ORDER BY c.rowid LIMIT %4")
            .arg(PeopleColumns, quoted(tblClientes::Table), where)
            .arg(Batch);
    scan(
        statements, key, sql, values,
        [&](const KeptStatements::Row& r) {
            if (r.value(RowId).toLongLong() != exact)
                take(r);
        },
        full);
}

// Videos that may match, in row order: a title holding every word, or a
// code that the digits begin.
void videosOnServer(KeptStatements& statements, const QString& columns, const Terms& terms, const Take& take,
                    const std::function<bool()>& full)
{
    const int words = std::min<int>(ScanWords, int(terms.words.size()));
    QString where = wordsIn({QStringLiteral("v.") + quoted(tblVideos::Nome)}, words);
    QVariantList values = patterns(terms, 1);
    if (terms.digitsOnly) {
        where += QStringLiteral(" OR v.%1 LIKE ?").arg(quoted(tblVideos::Codigo));
        values.append(terms.words.join(QString()) + u'%');
    }
    const QString sql =
        QStringLiteral("SELECT %1 FROM %2 v WHERE (%3) AND v.rowid > ? ORDER BY v.rowid LIMIT %4")
            .arg(columns, quoted(tblVideos::Table), where)
            .arg(Batch);
    const size_t key = VideoScan + size_t(words) * 2 + (terms.digitsOnly ? 1 : 0);
    scan(statements, key, sql, values, take, full);
}

} // namespace

Search::Search(store::Database& db) : m_statements(std::make_unique<KeptStatements>(db)) {}

Search::~Search() = default;

QList<Search::Person> Search::people(const QString& typed)
{
    const Terms terms(typed);
    const QString digits = digitsOf(typed);
    QList<Person> out;
    if (terms.words.isEmpty())
        return out;

    // Each matching person of a customer row, or the holder when the row
    // was found by its numbers.
    const auto take = [&](const KeptStatements::Row& r, bool byNumber) {
        const QString phones[] = {r.text(Phones), r.text(Phones + 1), r.text(Phones + 2)};
        QString phone;
        for (const QString& p : phones)
            if (phone.isEmpty() && !p.isEmpty())
                phone = p;
        if (byNumber)
            for (const QString& p : phones)
                if (!digits.isEmpty() && digitsOf(p).startsWith(digits))
                    phone = p;
        for (int which = 0; which < 4 && out.size() < Limit; ++which) {
            const QString name = r.text(Names + which);
            if (byNumber ? which > 0 : !terms.match(name))
                continue;
            Person p;
            p.name = name;
            p.number = r.text(Number);
            p.which = which;
            if (which == 0) {
                p.cpf = r.text(Cpf);
                p.phone = phone;
            } else {
                p.holder = r.text(Names);
            }
            out.append(p);
        }
    };

    qint64 exact = -1;
    if (terms.digitsOnly && !KeptStatements::namesNothing(digits)) {
        static const QString sql =
            QStringLiteral("SELECT %1 FROM %2 c WHERE c.%3 = ? LIMIT 1")
                .arg(PeopleColumns, quoted(tblClientes::Table), quoted(tblClientes::Codigo));
        m_statements->first(
            CustomerByNumber, sql, {digits},
            [&](const KeptStatements::Row& r) {
                exact = r.value(RowId).toLongLong();
                take(r, true);
            },
            Reading);
    }

    if (m_statements->db().isServer()) {
        peopleOnServer(
            *m_statements, terms, digits, exact,
            [&](const KeptStatements::Row& r) { take(r, terms.digitsOnly); },
            [&] { return out.size() >= Limit; });
        return out;
    }

    QStringList match;
    if (terms.digitsOnly) {
        if (digits.size() <= CpfDigits)
            match.append(
                QStringLiteral("{%1} : %2").arg(tblClientes::CPF, maskedPhrase(digits, {3, 3, 3, 2})));
        if (digits.size() <= PhoneDigits)
            match.append(QStringLiteral("{%1 %2 %3} : %4")
                             .arg(tblClientes::FoneResidencial, tblClientes::FoneComercial,
                                  tblClientes::Celular, maskedPhrase(digits, {4, 4})));
    } else {
        // One word: any of the four names, in one pass of the index. More:
        // every word in the same name, so that the words of two people of
        // one account find no one without reading every such account.
        const QStringList names(tblClientes::NameColumns.begin(), tblClientes::NameColumns.end());
        if (terms.words.size() == 1)
            match.append(QStringLiteral("{%1} : %2").arg(names.join(u' '), terms.all()));
        else
            for (const QString& name : names)
                match.append(name + QStringLiteral(" : ") + terms.all());
    }
    if (match.isEmpty())
        return out;

    // The index gives its rows in rowid order, so reading stops at the
    // limit however many match.
    static const QString sql = QStringLiteral("SELECT %1 FROM %2(?) s CROSS JOIN %3 c ON c.rowid = s.rowid "
                                              "WHERE s.rowid > ? ORDER BY s.rowid LIMIT %4")
                                   .arg(PeopleColumns, PeopleIndex::Table, quoted(tblClientes::Table))
                                   .arg(Batch);
    const QString query = match.join(QLatin1String(" OR "));
    qint64 after = 0;
    for (int read = Batch; read == Batch && out.size() < Limit;) {
        read = 0;
        m_statements->each(
            PeopleMatch, sql, {query, after},
            [&](const KeptStatements::Row& r) {
                ++read;
                after = r.value(RowId).toLongLong();
                if (after != exact)
                    take(r, terms.digitsOnly);
            },
            Reading);
    }
    return out;
}

QList<Search::Video> Search::videos(const QString& typed)
{
    const Terms terms(typed);
    const QString digits = digitsOf(typed);
    QList<Video> out;
    if (terms.words.isEmpty())
        return out;
    static const QString columns = QStringLiteral("v.rowid, v.%1, v.%2, v.%3, v.%4")
                                       .arg(quoted(tblVideos::Nome), quoted(tblVideos::Codigo),
                                            quoted(tblVideos::Tipo), quoted(tblVideos::QTDE));
    qint64 exact = -1;
    const auto take = [&](const KeptStatements::Row& r) {
        if (out.size() >= Limit || r.value(0).toLongLong() == exact)
            return;
        out.append({r.text(1), r.text(2), r.text(3), r.text(4)});
    };

    if (terms.digitsOnly && !KeptStatements::namesNothing(digits)) {
        static const QString sql = QStringLiteral("SELECT %1 FROM %2 v WHERE v.%3 = ? LIMIT 1")
                                       .arg(columns, quoted(tblVideos::Table), quoted(tblVideos::Codigo));
        m_statements->first(
            VideoByCode, sql, {digits},
            [&](const KeptStatements::Row& r) {
                take(r);
                exact = r.value(0).toLongLong();
            },
            Reading);
    }

    if (m_statements->db().isServer()) {
        videosOnServer(
            *m_statements, columns, terms,
            [&](const KeptStatements::Row& r) {
                if (r.value(0).toLongLong() == exact)
                    return;
                if (terms.match(r.text(1)) ||
                    (terms.digitsOnly && r.text(2).startsWith(terms.words.join(QString()))))
                    take(r);
            },
            [&] { return out.size() >= Limit; });
        return out;
    }

    // A number typed may begin a code, or be a word of a title ("Rocky 2").
    QString match = tblVideos::Nome + QStringLiteral(" : ") + terms.all();
    if (terms.digitsOnly)
        match += QStringLiteral(" OR %1 : %2").arg(tblVideos::Codigo, terms.all());
    static const QString sql = QStringLiteral("SELECT %1 FROM %2(?) s CROSS JOIN %3 v ON v.rowid = s.rowid "
                                              "ORDER BY s.rowid LIMIT %4")
                                   .arg(columns, VideoIndex::Table, quoted(tblVideos::Table))
                                   .arg(Limit + 1);
    m_statements->each(VideoMatch, sql, {match}, take, Reading);
    return out;
}

std::optional<PeopleSearch::Person> Search::account(const Person& chosen)
{
    if (KeptStatements::namesNothing(chosen.number))
        return std::nullopt;
    const QStringList& columns = store::table(tblClientes::Table)->columns;
    static const QString sql = QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ? LIMIT 1")
                                   .arg(
                                       [&] {
                                           QStringList quotedColumns;
                                           for (const QString& c : columns)
                                               quotedColumns.append(quoted(c));
                                           return quotedColumns.join(QLatin1String(", "));
                                       }(),
                                       quoted(tblClientes::Table), quoted(tblClientes::Codigo));
    PeopleSearch::Person person;
    person.role = chosen.which == 0 ? PeopleSearch::Role::Holder : PeopleSearch::Role::Dependant;
    person.name = chosen.name;
    if (!m_statements->first(
            Account, sql, {chosen.number},
            [&](const KeptStatements::Row& r) {
                for (int i = 0; i < columns.size(); ++i)
                    person.customer.insert(columns.at(i), r.text(i));
            },
            Reading))
        return std::nullopt;
    return person;
}

std::optional<VideoStatus::Record> Search::record(const Video& chosen)
{
    if (KeptStatements::namesNothing(chosen.code))
        return std::nullopt;
    static const QString sql =
        QStringLiteral("SELECT %1, %2, %3, %4, %5 FROM %6 WHERE %1 = ? LIMIT 1")
            .arg(quoted(tblVideos::Codigo), quoted(tblVideos::Genero), quoted(tblVideos::QTDE),
                 quoted(tblVideos::Local), quoted(tblVideos::Valor), quoted(tblVideos::Table));
    VideoStatus::Record record;
    if (!m_statements->first(
            VideoRecord, sql, {chosen.code},
            [&](const KeptStatements::Row& r) {
                record = {r.text(0), r.text(1), r.text(2), r.text(3), r.text(4)};
            },
            Reading))
        return std::nullopt;
    return record;
}

bool Search::indexesMatchTables(store::Database& db)
{
    QSqlDatabase c = db.connection();
    const auto run = [&](const QString& sql) {
        QSqlQuery q(c);
        if (!q.exec(sql))
            db.fail(q.lastError(), Reading);
        return q.next() ? q.value(0).toLongLong() : 0;
    };
    // A twin built afresh from the tables, its words compared with the
    // kept index's, then all of it undone.
    run(QStringLiteral("SAVEPOINT search_check"));
    bool same = true;
    try {
        for (const auto& [search, content, columns] :
             {std::tuple<QString, QString, QStringList>{PeopleIndex::Table, tblClientes::Table,
                                                        PeopleIndex::Columns},
              std::tuple{VideoIndex::Table, tblVideos::Table, VideoIndex::Columns}}) {
            const QString twin = search + QStringLiteral("Twin");
            run(store::searchTableStatement(twin, content, columns));
            run(QStringLiteral("INSERT INTO %1 (%1) VALUES ('rebuild')").arg(twin));
            for (const QString& t : {QString(search), twin})
                run(QStringLiteral("CREATE VIRTUAL TABLE temp.%1Words USING fts5vocab(main, %1, instance)")
                        .arg(t));
            const QString differ = QStringLiteral("SELECT COUNT(*) FROM (SELECT * FROM temp.%1Words EXCEPT "
                                                  "SELECT * FROM temp.%2Words)");
            same = same && run(differ.arg(search, twin)) == 0 && run(differ.arg(twin, search)) == 0;
        }
    } catch (...) {
        run(QStringLiteral("ROLLBACK TO search_check"));
        run(QStringLiteral("RELEASE search_check"));
        throw;
    }
    run(QStringLiteral("ROLLBACK TO search_check"));
    run(QStringLiteral("RELEASE search_check"));
    return same;
}

} // namespace counter
