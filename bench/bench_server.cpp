// Several counters on one PostgreSQL server (FENWARDA_BENCH_SERVER, the
// address of its maintenance database; the server on this machine): a seek
// and a note saved through the program's store, against the same SQL run
// bare through libpq; and eight counters, each a process of its own, saving
// notes at once: throughput, latency of each save, errors and numbers
// issued twice.
//
// The shop is the benchmarks' 100,000-customer one, copied to the server
// once (BenchShops.h). The same benchmarks of bench_store on the file give
// the figures to compare with.

#include "BenchShops.h"

#include "counter/RentalDraft.h"
#include "store/Database.h"
#include "store/Names.h"
#include "store/RecordCursor.h"
#include "store/Schema.h"
#include "store/ServerLink.h"
#include "store/StoreError.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlQuery>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <libpq-fe.h>
#include <random>

using namespace store::names;

namespace {

constexpr int Customers = 100000;
constexpr int Counters = 8;
constexpr int SavesPerCounter = 200;

std::vector<QString> column(store::Database& db, const QString& sql)
{
    std::vector<QString> out;
    QSqlQuery q(db.connection());
    q.exec(sql);
    while (q.next())
        out.push_back(q.value(0).toString());
    return out;
}

// The same pseudo-random existing codes for every run.
std::vector<QString> codes(int count, int of)
{
    std::mt19937 gen(42);
    std::vector<QString> out;
    for (int i = 0; i < count; ++i)
        out.push_back(QString::number(1 + gen() % unsigned(of)));
    return out;
}

// A statement run bare on the driver's own connection, as the program's
// would be: prepared once, values as text.
class Bare
{
public:
    explicit Bare(store::Database& db) : m_conn(store::libpqHandle(db.connection())) {}
    bool ok() const { return m_conn != nullptr; }
    void prepare(const char* name, const QString& sql)
    {
        PQclear(PQprepare(m_conn, name, sql.toUtf8().constData(), 0, nullptr));
    }
    // Rows of the first column.
    QStringList run(const char* name, const std::vector<QByteArray>& values)
    {
        std::vector<const char*> params;
        for (const QByteArray& v : values)
            params.push_back(v.constData());
        PGresult* r = PQexecPrepared(m_conn, name, int(params.size()), params.data(), nullptr, nullptr, 0);
        QStringList out;
        const ExecStatusType status = PQresultStatus(r);
        if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK)
            m_error = QString::fromUtf8(PQresultErrorMessage(r));
        for (int i = 0; status == PGRES_TUPLES_OK && i < PQntuples(r); ++i)
            out.append(QString::fromUtf8(PQgetvalue(r, i, 0)));
        PQclear(r);
        return out;
    }
    void exec(const char* sql) { PQclear(PQexec(m_conn, sql)); }
    QString error() const { return m_error; }

private:
    PGconn* m_conn;
    QString m_error;
};

void BM_SeekServer(benchmark::State& state)
{
    store::Database& db = bench::shop(Customers);
    store::RecordCursor c(db, tblClientes::Table);
    const std::vector<QString> keys = codes(4096, Customers);
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
BENCHMARK(BM_SeekServer)->Unit(benchmark::kMicrosecond);

void BM_SeekBareLibpq(benchmark::State& state)
{
    store::Database& db = bench::shop(Customers);
    Bare bare(db);
    if (!bare.ok())
        return state.SkipWithError("no libpq handle");
    const store::TableDef& t = *store::table(tblClientes::Table);
    QString seek = t.seekSql.at(t.indexPosition(tblClientes::indCodigo));
    bare.prepare("seek", seek.replace(u'?', QStringLiteral("$1")));
    const std::vector<QString> keys = codes(4096, Customers);
    size_t i = 0;
    for (auto _ : state)
        if (bare.run("seek", {keys[i++ % keys.size()].toUtf8()}).isEmpty())
            state.SkipWithError("code not found");
}
BENCHMARK(BM_SeekBareLibpq)->Unit(benchmark::kMicrosecond);

// A note of two videos, composed untimed and saved timed, as the rental
// window does.
struct Shop
{
    QString renter;
    std::vector<QString> videos;
};

Shop shopFacts(store::Database& db)
{
    Shop s;
    s.renter = column(db, QStringLiteral("SELECT \"Nome\" FROM \"tblClientes\" WHERE \"Nome\" <> '' "
                                         "ORDER BY rowid LIMIT 1"))
                   .front();
    // Video codes run from 1000 in the generator.
    for (const QString& code : codes(4096, Customers))
        s.videos.push_back(QString::number(999 + code.toInt()));
    return s;
}

void BM_SaveNoteServer(benchmark::State& state)
{
    store::Database& db = bench::shop(Customers, true);
    const Shop facts = shopFacts(db);
    counter::RentalDraft draft(db);
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++i;
        if (!draft.confirmRenter(facts.renter)) {
            state.SkipWithError(qPrintable("no renter " + facts.renter));
            break;
        }
        const auto a = draft.enter(facts.videos[size_t(2 * i) % facts.videos.size()]).outcome;
        const auto b = draft.enter(facts.videos[size_t(2 * i + 1) % facts.videos.size()]).outcome;
        if (a != counter::RentalDraft::Entry::Entered || b != counter::RentalDraft::Entry::Entered) {
            state.SkipWithError(
                qPrintable(QStringLiteral("the draft was not composed: %1 %2").arg(int(a)).arg(int(b))));
            break;
        }
        const QString number = draft.nextNumber();
        state.ResumeTiming();
        draft.save(QStringLiteral("08/12/2026"), number, facts.renter, QStringLiteral("R$ 0,00"));
    }
}
BENCHMARK(BM_SaveNoteServer)->Unit(benchmark::kMillisecond)->Iterations(200);

// The statements the program runs to save that note, bare.
void BM_SaveNoteBareLibpq(benchmark::State& state)
{
    store::Database& db = bench::shop(Customers, true);
    const Shop facts = shopFacts(db);
    Bare bare(db);
    if (!bare.ok())
        return state.SkipWithError("no libpq handle");
    const QString me = db.counterName();
    const QStringList columns = store::table(tblLocacao::Table)->columns;
    QStringList quotedColumns, marks;
    for (const QString& c : columns) {
        quotedColumns.append(store::quoted(c));
        marks.append(QStringLiteral("$%1").arg(marks.size() + 1));
    }
    // The program's one writer at a time.
    bare.prepare("lock", QStringLiteral("SELECT pg_advisory_xact_lock(%1, 0)").arg(store::WriterLock));
    bare.prepare("count", QStringLiteral("SELECT COUNT(*) FROM \"Number\""));
    bare.prepare("held",
                 QStringLiteral("SELECT \"Slot\", \"Codigo\" FROM \"PendingCopies\" WHERE \"Estacao\" = $1"));
    bare.prepare("note", QStringLiteral("INSERT INTO \"tblLocacao\" (%1) VALUES (%2) RETURNING rowid")
                             .arg(quotedColumns.join(u','), marks.join(u',')));
    bare.prepare("number", QStringLiteral("INSERT INTO \"Number\" (\"Codigo\") VALUES ($1)"));
    bare.prepare("history",
                 QStringLiteral("INSERT INTO NoteHistory (Codigo, Data, SavedAt, Cliente, "
                                "ClienteCodigo, Valor, Desconto) VALUES ($1, '08/12/2026', $2, $3, "
                                "'1', 'R$ 7,50', 'R$ 0,00') RETURNING Id"));
    bare.prepare("video", QStringLiteral("INSERT INTO RentedVideos (Note, Slot, Codigo, Titulo, Tipo, Preco) "
                                         "VALUES ($1, $2, $3, 'Um Filme Qualquer', 'Drama', 375)"));
    bare.prepare("forget", QStringLiteral("DELETE FROM \"PendingCopies\" WHERE \"Estacao\" = $1"));
    int i = 0;
    for (auto _ : state) {
        ++i;
        const QString a = facts.videos[size_t(2 * i) % facts.videos.size()];
        const QString b = facts.videos[size_t(2 * i + 1) % facts.videos.size()];
        std::vector<QByteArray> values;
        for (const QString& c : columns) {
            QString v;
            if (c == tblLocacao::Data)
                v = QStringLiteral("08/12/2026");
            else if (c == tblLocacao::Codigo)
                v = QString::number(7000000 + i);
            else if (c == tblLocacao::Clientes)
                v = facts.renter;
            else if (c == tblLocacao::codeColumn(0))
                v = a;
            else if (c == tblLocacao::codeColumn(1))
                v = b;
            values.push_back(v.toUtf8());
        }
        bare.exec("BEGIN");
        bare.run("lock", {});
        bare.run("count", {});
        bare.run("held", {me.toUtf8()});
        const QStringList row = bare.run("note", values);
        bare.run("number", {values[1]});
        const QStringList id =
            bare.run("history", {values[1], QDateTime::currentDateTime().toString(Qt::ISODate).toUtf8(),
                                 facts.renter.toUtf8()});
        bare.run("video", {id.value(0).toUtf8(), "0", a.toUtf8()});
        bare.run("video", {id.value(0).toUtf8(), "1", b.toUtf8()});
        bare.run("forget", {me.toUtf8()});
        bare.exec("COMMIT");
        if (row.isEmpty() || id.isEmpty())
            state.SkipWithError(qPrintable(bare.error()));
    }
}
BENCHMARK(BM_SaveNoteBareLibpq)->Unit(benchmark::kMillisecond)->Iterations(200);

// One counter of many: saves notes and prints the milliseconds of each
// save, one a line, or "erro ..." and a failing status.
int counterProcess(const QString& address, int saves, int seed)
{
    store::Database db(address);
    try {
        db.open();
        const Shop facts = shopFacts(db);
        counter::RentalDraft draft(db);
        std::mt19937 gen{unsigned(seed)};
        for (int i = 0; i < saves; ++i) {
            if (!draft.confirmRenter(facts.renter))
                throw store::StoreError(store::StoreError::Kind::Other, QStringLiteral("no renter"));
            for (int k = 0; k < 2; ++k)
                if (draft.enter(facts.videos[gen() % facts.videos.size()]).outcome !=
                    counter::RentalDraft::Entry::Entered)
                    throw store::StoreError(store::StoreError::Kind::Other, QStringLiteral("no video"));
            // The number shown when the note was started, as on screen.
            const QString shown = draft.nextNumber();
            QElapsedTimer timer;
            timer.start();
            draft.save(QStringLiteral("08/12/2026"), shown, facts.renter, QStringLiteral("R$ 0,00"));
            std::printf("%.3f\n", double(timer.nsecsElapsed()) / 1e6);
        }
    } catch (const store::StoreError& e) {
        std::printf("erro %s\n", qPrintable(e.message().simplified()));
        return 1;
    }
    return 0;
}

void BM_EightCountersSaving(benchmark::State& state)
{
    store::Database& db = bench::shop(Customers, true);
    const QString address = db.folder();
    for (auto _ : state) {
        const qint64 before =
            column(db, QStringLiteral("SELECT COUNT(*) FROM \"Number\"")).front().toLongLong();
        std::vector<std::unique_ptr<QProcess>> counters;
        QElapsedTimer wall;
        wall.start();
        for (int c = 0; c < Counters; ++c) {
            auto p = std::make_unique<QProcess>();
            p->start(
                QCoreApplication::applicationFilePath(),
                {QStringLiteral("--counter"), address, QString::number(SavesPerCounter), QString::number(c)});
            counters.push_back(std::move(p));
        }
        std::vector<double> latencies;
        int errors = 0;
        for (auto& p : counters) {
            p->waitForFinished(-1);
            errors += p->exitCode() != 0 || p->exitStatus() != QProcess::NormalExit;
            for (const QByteArray& line : p->readAllStandardOutput().split('\n')) {
                bool ok = false;
                const double ms = line.toDouble(&ok);
                if (ok)
                    latencies.push_back(ms);
                else if (line.startsWith("erro"))
                    std::fprintf(stderr, "%s\n", line.constData());
            }
        }
        const double seconds = double(wall.nsecsElapsed()) / 1e9;
        std::sort(latencies.begin(), latencies.end());
        const auto at = [&](double q) {
            return latencies.empty()
                       ? 0.0
                       : latencies[std::min(latencies.size() - 1, size_t(q * latencies.size()))];
        };
        const qint64 after =
            column(db, QStringLiteral("SELECT COUNT(*) FROM \"Number\"")).front().toLongLong();
        const qint64 distinct =
            column(db, QStringLiteral("SELECT COUNT(DISTINCT \"Codigo\") FROM \"Number\""))
                .front()
                .toLongLong();
        const qint64 notesTwice =
            column(db, QStringLiteral("SELECT COUNT(*) - COUNT(DISTINCT \"Codigo\") FROM "
                                      "\"tblLocacao\""))
                .front()
                .toLongLong();
        state.counters["saves"] = double(latencies.size());
        state.counters["saves_per_s"] = double(latencies.size()) / seconds;
        state.counters["p50_ms"] = at(0.50);
        state.counters["p99_ms"] = at(0.99);
        state.counters["max_ms"] = latencies.empty() ? 0.0 : latencies.back();
        state.counters["errors"] = errors;
        state.counters["numbers_twice"] = double(after - distinct) + double(notesTwice);
        state.counters["numbers_missing"] = double(before + qint64(Counters) * SavesPerCounter - after);
    }
}
BENCHMARK(BM_EightCountersSaving)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5 && args.at(1) == QLatin1String("--counter"))
        return counterProcess(args.at(2), args.at(3).toInt(), args.at(4).toInt());
    if (qEnvironmentVariable("FENWARDA_BENCH_SERVER").isEmpty()) {
        std::fprintf(stderr, "bench_server: set FENWARDA_BENCH_SERVER to a server's address "
                             "(postgresql://user@host/postgres)\n");
        return 2;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    bench::closeShops();
    return 0;
}
