// Cursor seeks against bare SQLite, side by side in one run, the
// whole-table read behind the customer pick list, and the counter's
// services (a return, a note saved, a video entered and undone, the status
// query) against the same statements run bare, at 10,000, 100,000 and
// 400,000 customers.
//
// The shops are made once (see BenchShops.h) and reused by later runs; the
// benchmarks that write work on a fresh copy.

#include "BenchShops.h"

#include "counter/RentalDraft.h"
#include "counter/ReturnDesk.h"
#include "counter/VideoStatus.h"
#include "store/Database.h"
#include "store/Names.h"
#include "store/Queries.h"
#include "store/RecordCursor.h"
#include "store/Schema.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>
#include <memory>
#include <random>
#include <sqlite3.h>
#include <time.h>

using namespace store::names;

namespace {

int customers(const benchmark::State& state)
{
    return int(state.range(0));
}

store::Database& shop(const benchmark::State& state)
{
    return bench::shop(customers(state));
}

// The same pseudo-random existing codes for every benchmark.
std::vector<QString> codes(int shopCustomers)
{
    std::mt19937 gen(42);
    std::vector<QString> out;
    for (int i = 0; i < 4096; ++i)
        out.push_back(QString::number(1 + gen() % unsigned(shopCustomers)));
    return out;
}

void scales(benchmark::internal::Benchmark* b)
{
    for (int customers : bench::shopScales())
        b->Arg(customers);
}

void BM_CursorSeek(benchmark::State& state)
{
    store::RecordCursor c(shop(state), tblClientes::Table);
    const std::vector<QString> keys = codes(customers(state));
    size_t i = 0;
    for (auto _ : state) {
        // What a window does for each lookup.
        c.refresh();
        c.setIndex(tblClientes::indCodigo);
        if (!c.seek(keys[i++ % keys.size()]))
            state.SkipWithError("code not found");
        benchmark::DoNotOptimize(c.text(tblClientes::Nome));
    }
}
BENCHMARK(BM_CursorSeek)->Apply(scales);

void BM_CursorSeekWithoutRefresh(benchmark::State& state)
{
    store::RecordCursor c(shop(state), tblClientes::Table);
    c.setIndex(tblClientes::indCodigo);
    const std::vector<QString> keys = codes(customers(state));
    size_t i = 0;
    for (auto _ : state) {
        if (!c.seek(keys[i++ % keys.size()]))
            state.SkipWithError("code not found");
        benchmark::DoNotOptimize(c.text(tblClientes::Nome));
    }
}
BENCHMARK(BM_CursorSeekWithoutRefresh)->Apply(scales);

void bareLookup(benchmark::State& state, const char* sql)
{
    const QByteArray path = QFile::encodeName(shop(state).filePath());
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        state.SkipWithError("cannot open the shop");
        sqlite3_close(db);
        return;
    }
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    std::vector<QByteArray> keys;
    for (const QString& k : codes(customers(state)))
        keys.push_back(k.toUtf8());
    size_t i = 0;
    for (auto _ : state) {
        const QByteArray& key = keys[i++ % keys.size()];
        sqlite3_bind_text(stmt, 1, key.constData(), int(key.size()), SQLITE_STATIC);
        if (sqlite3_step(stmt) != SQLITE_ROW)
            state.SkipWithError("code not found");
        benchmark::DoNotOptimize(sqlite3_column_text(stmt, 0));
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
}

void BM_BareSqliteLookup(benchmark::State& state)
{
    bareLookup(state, "SELECT Nome FROM tblClientes WHERE Codigo = ?");
}
BENCHMARK(BM_BareSqliteLookup)->Apply(scales);

// The bare lookup of the whole row, which is what a cursor has to read.
void BM_BareSqliteLookupWholeRow(benchmark::State& state)
{
    bareLookup(state, "SELECT Nome, rowid, * FROM tblClientes WHERE Codigo = ?");
}
BENCHMARK(BM_BareSqliteLookupWholeRow)->Apply(scales);

void BM_CustomerNames(benchmark::State& state)
{
    store::Database& db = shop(state);
    qsizetype names = 0;
    for (auto _ : state) {
        const QStringList list = store::customerNames(db);
        names = list.size();
        benchmark::DoNotOptimize(list.constData());
    }
    state.counters["names"] = double(names);
}
BENCHMARK(BM_CustomerNames)->Apply(scales)->Unit(benchmark::kMillisecond);

void BM_VideoTitles(benchmark::State& state)
{
    store::Database& db = shop(state);
    for (auto _ : state)
        benchmark::DoNotOptimize(store::videoTitles(db).size());
}
BENCHMARK(BM_VideoTitles)->Apply(scales)->Unit(benchmark::kMillisecond);

// The counter's services against bare SQLite. Each round runs the
// service, then the same statements on a connection of its own through the
// SQLite C API, prepared once, in the same transactions; each side is timed
// on the thread's CPU clock. The benchmark's own time is the service's; the
// counters give both sides per operation (µs) and their ratio.

double cpuMicroseconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e6 + double(ts.tv_nsec) / 1e3;
}

// CPU time of each side of one operation, summed over the rounds.
struct SideBySide
{
    double service = 0;
    double bare = 0;
    int operations = 0;

    template <typename F> void timeService(benchmark::State& state, F&& f)
    {
        const double start = cpuMicroseconds();
        f();
        service += cpuMicroseconds() - start;
        (void)state;
    }
    template <typename F> void timeBare(benchmark::State& state, F&& f)
    {
        state.PauseTiming();
        const double start = cpuMicroseconds();
        f();
        bare += cpuMicroseconds() - start;
        state.ResumeTiming();
    }
    void report(benchmark::State& state, const std::string& name) const
    {
        if (operations == 0)
            return;
        state.counters[name + "_us"] = service / operations;
        state.counters[name + "_bare_us"] = bare / operations;
        state.counters[name + "_ratio"] = bare > 0 ? service / bare : 0;
    }
};

// A connection of its own on the same file, set as the program sets its
// own, with the statements prepared once.
class Bare
{
public:
    explicit Bare(const store::Database& db)
    {
        const QByteArray path = QFile::encodeName(db.filePath());
        if (sqlite3_open_v2(path.constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            qFatal("cannot open %s", path.constData());
        exec("PRAGMA journal_mode=WAL");
        exec("PRAGMA synchronous=FULL");
        exec("PRAGMA busy_timeout=1000");
    }
    ~Bare()
    {
        for (sqlite3_stmt* s : m_statements)
            sqlite3_finalize(s);
        sqlite3_close(m_db);
    }
    Bare(const Bare&) = delete;
    Bare& operator=(const Bare&) = delete;

    sqlite3_stmt* prepare(const QString& sql)
    {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v3(m_db, sql.toUtf8().constData(), -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) !=
            SQLITE_OK)
            qFatal("%s: %s", qPrintable(sql), sqlite3_errmsg(m_db));
        m_statements.push_back(s);
        return s;
    }
    void exec(const char* sql)
    {
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            qFatal("%s: %s", sql, sqlite3_errmsg(m_db));
    }
    // Binds texts (an empty QString as NULL when nullEmpty), steps once and
    // resets; the row's columns go to read first.
    template <typename Read = void (*)(sqlite3_stmt*)>
    int run(
        sqlite3_stmt* s, std::initializer_list<QByteArray> values, Read read = [](sqlite3_stmt*) {})
    {
        int i = 0;
        for (const QByteArray& v : values)
            sqlite3_bind_text(s, ++i, v.constData(), int(v.size()), SQLITE_STATIC);
        const int rc = sqlite3_step(s);
        if (rc == SQLITE_ROW)
            read(s);
        else if (rc != SQLITE_DONE)
            qFatal("%s", sqlite3_errmsg(m_db));
        sqlite3_reset(s);
        return rc;
    }
    int changes() const { return sqlite3_changes(m_db); }
    sqlite3* handle() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
    std::vector<sqlite3_stmt*> m_statements;
};

store::Database& writableShop(const benchmark::State& state)
{
    return bench::shop(customers(state), true);
}

QString videoCode(const benchmark::State& state, int i)
{
    // Video codes run from 1000 in the generator.
    return QString::number(1000 + (i * 7919) % customers(state));
}

QString slotList(const QString& format)
{
    QStringList out;
    for (int k = 0; k < tblLocacao::Slots; ++k)
        out.append(format.arg(k));
    return out.join(QLatin1Char(','));
}

// One return booked: the shelf count, the slot, the history and (the
// second of each round) the note's deletion, each in one transaction.
void BM_ReturnAgainstBare(benchmark::State& state)
{
    store::Database& db = writableShop(state);
    counter::ReturnDesk desk(db);
    Bare bare(db);
    sqlite3_stmt* addNote =
        bare.prepare(QStringLiteral("INSERT INTO tblLocacao (Codigo, Data, \"Codigo(0)\", \"Codigo(1)\") "
                                    "VALUES (?, '08/12/2026', ?, ?)"));
    sqlite3_stmt* begin = bare.prepare(QStringLiteral("BEGIN IMMEDIATE"));
    sqlite3_stmt* commit = bare.prepare(QStringLiteral("COMMIT"));
    sqlite3_stmt* findNote =
        bare.prepare(QStringLiteral("SELECT rowid, Data, %1 FROM tblLocacao WHERE Codigo = ? LIMIT 1")
                         .arg(slotList("\"Codigo(%1)\"")));
    sqlite3_stmt* raise = bare.prepare(QStringLiteral(
        "UPDATE tblVideos SET QTDE = COALESCE(CAST(QTDE AS INTEGER), 0) + 1 WHERE Codigo = ?"));
    std::vector<sqlite3_stmt*> freeSlot;
    for (int k = 0; k < tblLocacao::Slots; ++k)
        freeSlot.push_back(bare.prepare(
            QStringLiteral("UPDATE tblLocacao SET \"Codigo(%1)\" = NULL, \"Video-%2\" = NULL WHERE rowid = ?")
                .arg(k)
                .arg(k + 1)));
    sqlite3_stmt* removeNote = bare.prepare(QStringLiteral("DELETE FROM tblLocacao WHERE rowid = ?"));
    sqlite3_stmt* history =
        bare.prepare(QStringLiteral("UPDATE RentedVideos SET DevolvidoEm = ?, ReturnedAt = ? WHERE Note = "
                                    "(SELECT MAX(Id) FROM NoteHistory WHERE Codigo = ?) AND Slot = ?"));

    const auto bareReturn = [&](const QByteArray& note, const QByteArray& code) {
        bare.run(begin, {});
        qint64 rowid = -1;
        int slot = -1;
        int open = 0;
        bare.run(findNote, {note}, [&](sqlite3_stmt* s) {
            rowid = sqlite3_column_int64(s, 0);
            benchmark::DoNotOptimize(sqlite3_column_text(s, 1));
            for (int k = 0; k < tblLocacao::Slots; ++k) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, 2 + k));
                if (!text || !*text)
                    continue;
                if (slot < 0 && code == text)
                    slot = k;
                else
                    ++open;
            }
        });
        bare.run(raise, {code});
        if (open == 0) {
            sqlite3_bind_int64(removeNote, 1, rowid);
            bare.run(removeNote, {});
        } else {
            sqlite3_bind_int64(freeSlot[size_t(slot)], 1, rowid);
            bare.run(freeSlot[size_t(slot)], {});
        }
        bare.run(history, {"08/12/2026", QDateTime::currentDateTime().toString(Qt::ISODate).toUtf8(), note,
                           QByteArray::number(slot)});
        bare.run(commit, {});
    };

    SideBySide timing;
    int i = 0;
    for (auto _ : state) {
        ++i;
        const QString a = videoCode(state, 2 * i), b = videoCode(state, 2 * i + 1);
        const QString mine = QStringLiteral("R%1").arg(i), theirs = QStringLiteral("B%1").arg(i);
        state.PauseTiming();
        bare.run(addNote, {mine.toUtf8(), a.toUtf8(), b.toUtf8()});
        bare.run(addNote, {theirs.toUtf8(), a.toUtf8(), b.toUtf8()});
        state.ResumeTiming();
        timing.timeService(state, [&] {
            if (!desk.book(mine, a, "08/12/2026") || !desk.book(mine, b, "08/12/2026")->noteDeleted)
                state.SkipWithError("the return was not booked");
        });
        timing.timeBare(state, [&] {
            bareReturn(theirs.toUtf8(), a.toUtf8());
            bareReturn(theirs.toUtf8(), b.toUtf8());
        });
        timing.operations += 2;
    }
    timing.report(state, "return");
}
BENCHMARK(BM_ReturnAgainstBare)->Apply(scales)->Unit(benchmark::kMicrosecond)->Iterations(200);

// A video entered into slot 1 of the draft (its row read, the copy off the
// shelf and recorded), then undone (the copy back, the record gone).
void BM_EnterAndUndoAgainstBare(benchmark::State& state)
{
    store::Database& db = writableShop(state);
    counter::RentalDraft draft(db);
    draft.recoverLeftovers();
    Bare bare(db);
    sqlite3_stmt* begin = bare.prepare(QStringLiteral("BEGIN IMMEDIATE"));
    sqlite3_stmt* commit = bare.prepare(QStringLiteral("COMMIT"));
    sqlite3_stmt* findVideo =
        bare.prepare(QStringLiteral("SELECT Nome, Tipo, Valor FROM tblVideos WHERE Codigo = ? LIMIT 1"));
    sqlite3_stmt* shelf =
        bare.prepare(QStringLiteral("UPDATE tblVideos SET QTDE = COALESCE(QTDE, 0) + ? WHERE Codigo = ?"));
    sqlite3_stmt* record =
        bare.prepare(QStringLiteral("INSERT INTO PendingCopies (Slot, Codigo) VALUES (?, ?)"));
    sqlite3_stmt* forget = bare.prepare(QStringLiteral("DELETE FROM PendingCopies WHERE Slot = ?"));
    const auto readRow = [](sqlite3_stmt* s) {
        for (int c = 0; c < sqlite3_column_count(s); ++c)
            benchmark::DoNotOptimize(sqlite3_column_text(s, c));
    };

    SideBySide enter, undo;
    int i = 0;
    for (auto _ : state) {
        const QString code = videoCode(state, ++i);
        const QByteArray bytes = code.toUtf8();
        enter.timeService(state, [&] {
            if (draft.enter(code).outcome != counter::RentalDraft::Entry::Entered)
                state.SkipWithError("the video was not entered");
        });
        undo.timeService(state, [&] { draft.undo(); });
        enter.timeBare(state, [&] {
            bare.run(findVideo, {bytes}, readRow);
            bare.run(begin, {});
            sqlite3_bind_int(shelf, 1, -1);
            sqlite3_bind_text(shelf, 2, bytes.constData(), int(bytes.size()), SQLITE_STATIC);
            bare.run(shelf, {});
            sqlite3_bind_int(record, 1, 1);
            sqlite3_bind_text(record, 2, bytes.constData(), int(bytes.size()), SQLITE_STATIC);
            bare.run(record, {});
            bare.run(commit, {});
        });
        undo.timeBare(state, [&] {
            bare.run(begin, {});
            sqlite3_bind_int(shelf, 1, 1);
            sqlite3_bind_text(shelf, 2, bytes.constData(), int(bytes.size()), SQLITE_STATIC);
            bare.run(shelf, {});
            sqlite3_bind_int(forget, 1, 1);
            bare.run(forget, {});
            bare.run(commit, {});
        });
        ++enter.operations;
        ++undo.operations;
    }
    enter.report(state, "enter");
    undo.report(state, "undo");
}
BENCHMARK(BM_EnterAndUndoAgainstBare)->Apply(scales)->Unit(benchmark::kMicrosecond)->Iterations(200);

// A note of two videos saved: the note row with every column, its number
// row, its history and the composing record forgotten, in one transaction.
void BM_SaveNoteAgainstBare(benchmark::State& state)
{
    store::Database& db = writableShop(state);
    counter::RentalDraft draft(db);
    Bare bare(db);
    // A holder with a name, for the renter.
    QString renter;
    bare.run(bare.prepare(QStringLiteral("SELECT Nome FROM tblClientes WHERE Nome <> '' LIMIT 1")), {},
             [&](sqlite3_stmt* s) {
                 renter = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
             });
    const QStringList columns = store::table(tblLocacao::Table)->columns;
    QStringList quotedColumns, marks;
    for (const QString& c : columns) {
        quotedColumns.append(store::quoted(c));
        marks.append(QStringLiteral("?"));
    }
    sqlite3_stmt* begin = bare.prepare(QStringLiteral("BEGIN IMMEDIATE"));
    sqlite3_stmt* commit = bare.prepare(QStringLiteral("COMMIT"));
    sqlite3_stmt* insertNote =
        bare.prepare(QStringLiteral("INSERT INTO tblLocacao (%1) VALUES (%2)")
                         .arg(quotedColumns.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
    sqlite3_stmt* insertNumber = bare.prepare(QStringLiteral("INSERT INTO Number (Codigo) VALUES (?)"));
    sqlite3_stmt* forgetAll =
        bare.prepare(QStringLiteral("DELETE FROM PendingCopies WHERE Slot IS NOT NULL"));
    sqlite3_stmt* shelf =
        bare.prepare(QStringLiteral("UPDATE tblVideos SET QTDE = COALESCE(QTDE, 0) - 1 WHERE Codigo = ?"));
    sqlite3_stmt* record =
        bare.prepare(QStringLiteral("INSERT INTO PendingCopies (Slot, Codigo) VALUES (?, ?)"));
    sqlite3_stmt* historyNote = bare.prepare(QStringLiteral(
        "INSERT INTO NoteHistory (Codigo, Data, SavedAt, Cliente, ClienteCodigo, Valor, Desconto) "
        "VALUES (?, '08/12/2026', ?, ?, '1', 'R$ 7,50', 'R$ 0,00') RETURNING Id"));
    sqlite3_stmt* historyVideo =
        bare.prepare(QStringLiteral("INSERT INTO RentedVideos (Note, Slot, Codigo, Titulo, Tipo, Preco) "
                                    "VALUES (?, ?, ?, 'Um Filme Qualquer', 'Drama', 375)"));

    SideBySide save;
    int i = 0;
    for (auto _ : state) {
        ++i;
        const QString a = videoCode(state, 2 * i), b = videoCode(state, 2 * i + 1);
        const QString number = QString::number(5000000 + i), theirs = QString::number(6000000 + i);
        state.PauseTiming();
        if (!draft.confirmRenter(renter) || draft.enter(a).outcome != counter::RentalDraft::Entry::Entered ||
            draft.enter(b).outcome != counter::RentalDraft::Entry::Entered)
            state.SkipWithError("the draft was not composed");
        state.ResumeTiming();
        save.timeService(state, [&] {
            draft.save(QStringLiteral("08/12/2026"), number, renter, QStringLiteral("R$ 0,00"));
        });
        // Saving forgot every recorded copy: the bare note's go in after.
        state.PauseTiming();
        int slot = 0;
        for (const QString& code : {a, b}) {
            const QByteArray bytes = code.toUtf8();
            bare.run(begin, {});
            bare.run(shelf, {bytes});
            sqlite3_bind_int(record, 1, ++slot);
            sqlite3_bind_text(record, 2, bytes.constData(), int(bytes.size()), SQLITE_STATIC);
            bare.run(record, {});
            bare.run(commit, {});
        }
        // The bare note's columns as the draft stores them.
        std::vector<QByteArray> values;
        for (const QString& c : columns) {
            QString v;
            if (c == tblLocacao::Data)
                v = QStringLiteral("08/12/2026");
            else if (c == tblLocacao::Codigo)
                v = theirs;
            else if (c == tblLocacao::Clientes)
                v = renter;
            else if (c == tblLocacao::Valor)
                v = QStringLiteral("R$ 7,50");
            else if (c == tblLocacao::Desconto)
                v = QStringLiteral("R$ 0,00");
            else if (c == tblLocacao::codeColumn(0))
                v = a;
            else if (c == tblLocacao::codeColumn(1))
                v = b;
            else if (c == tblLocacao::videoColumn(0) || c == tblLocacao::videoColumn(1))
                v = QStringLiteral("Um Filme Qualquer - Drama");
            values.push_back(v.toUtf8());
        }
        state.ResumeTiming();
        save.timeBare(state, [&] {
            bare.run(begin, {});
            for (size_t c = 0; c < values.size(); ++c)
                sqlite3_bind_text(insertNote, int(c + 1), values[c].constData(), int(values[c].size()),
                                  SQLITE_STATIC);
            bare.run(insertNote, {});
            const QByteArray n = theirs.toUtf8();
            bare.run(insertNumber, {n});
            bare.run(forgetAll, {});
            qint64 id = -1;
            bare.run(historyNote,
                     {n, QDateTime::currentDateTime().toString(Qt::ISODate).toUtf8(), renter.toUtf8()},
                     [&](sqlite3_stmt* s) { id = sqlite3_column_int64(s, 0); });
            int slot = 0;
            for (const QString& code : {a, b}) {
                sqlite3_bind_int64(historyVideo, 1, id);
                sqlite3_bind_int(historyVideo, 2, slot++);
                const QByteArray bytes = code.toUtf8();
                sqlite3_bind_text(historyVideo, 3, bytes.constData(), int(bytes.size()), SQLITE_STATIC);
                bare.run(historyVideo, {});
            }
            bare.run(commit, {});
        });
        ++save.operations;
    }
    save.report(state, "save");
}
BENCHMARK(BM_SaveNoteAgainstBare)->Apply(scales)->Unit(benchmark::kMicrosecond)->Iterations(200);

// The status query's store time for a video held, in the sixteenth slot
// only, by 0, 1,000 or 10,000 notes: the video's row, then one statement
// with a limited seek per slot until one holds the code (all sixteen run
// here).
void BM_StatusQueryAgainstBare(benchmark::State& state)
{
    store::Database& db = writableShop(state);
    const int holders = int(state.range(1));
    const QString code = QStringLiteral("STATUS-%1").arg(holders);
    const QByteArray bytes = code.toUtf8();
    Bare bare(db);
    bare.exec("BEGIN");
    bare.run(bare.prepare(QStringLiteral(
                 "INSERT INTO tblVideos (Codigo, Nome, QTDE, Local) VALUES (?, 'Status', 1, 'A1')")),
             {bytes});
    sqlite3_stmt* addNote = bare.prepare(
        QStringLiteral("INSERT INTO tblLocacao (Codigo, Data, \"Codigo(15)\") VALUES (?, '08/12/2026', ?)"));
    for (int n = 0; n < holders; ++n)
        bare.run(addNote, {QStringLiteral("S%1-%2").arg(holders).arg(n).toUtf8(), bytes});
    bare.exec("COMMIT");

    counter::VideoStatus status(db);
    sqlite3_stmt* findVideo =
        bare.prepare(QStringLiteral("SELECT Nome, QTDE, Local FROM tblVideos WHERE Codigo = ? LIMIT 1"));
    QStringList branches;
    for (int k = 0; k < tblLocacao::Slots; ++k)
        branches.append(
            QStringLiteral(
                "(SELECT IFNULL(Data, '') FROM tblLocacao WHERE \"Codigo(%1)\" = ? ORDER BY rowid LIMIT 1)")
                .arg(k));
    sqlite3_stmt* rentalDate =
        bare.prepare(QStringLiteral("SELECT COALESCE(%1)").arg(branches.join(QStringLiteral(", "))));
    SideBySide query;
    for (auto _ : state) {
        query.timeService(state, [&] {
            const std::optional<counter::VideoStatus::Video> video = status.find(code);
            if (!video || video->rentedOn.has_value() != (holders > 0))
                state.SkipWithError("wrong answer");
        });
        query.timeBare(state, [&] {
            bare.run(findVideo, {bytes}, [](sqlite3_stmt* s) {
                for (int c = 0; c < 3; ++c)
                    benchmark::DoNotOptimize(sqlite3_column_text(s, c));
            });
            for (int k = 1; k <= tblLocacao::Slots; ++k)
                sqlite3_bind_text(rentalDate, k, bytes.constData(), int(bytes.size()), SQLITE_STATIC);
            bare.run(rentalDate, {},
                     [](sqlite3_stmt* s) { benchmark::DoNotOptimize(sqlite3_column_text(s, 0)); });
        });
        ++query.operations;
    }
    query.report(state, "query");
    // The shop as it was for the benchmarks after this one.
    bare.exec("BEGIN");
    bare.run(bare.prepare(QStringLiteral("DELETE FROM tblLocacao WHERE \"Codigo(15)\" = ?")), {bytes});
    bare.run(bare.prepare(QStringLiteral("DELETE FROM tblVideos WHERE Codigo = ?")), {bytes});
    bare.exec("COMMIT");
}
BENCHMARK(BM_StatusQueryAgainstBare)
    ->Apply([](benchmark::internal::Benchmark* b) {
        for (int customers : bench::shopScales())
            for (int holders : {0, 1000, 10000})
                b->Args({customers, holders});
    })
    ->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    for (int customers : bench::shopScales())
        bench::shop(customers); // made before any timing starts
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    bench::closeShops();
    return 0;
}
