#include "VideoStatus.h"

#include "KeptStatements.h"
#include "store/Names.h"
#include "store/Schema.h"

namespace counter {

using namespace store::names;
using store::quoted;
using tblLocacao::codeColumn;
using tblLocacao::Slots;

namespace {

const QString Reading = QStringLiteral("consultar as locações");

// Keys of the kept statements.
enum Statement : size_t { FindVideo, RentalDate, FindTitle };

} // namespace

VideoStatus::VideoStatus(store::Database& db) : m_statements(std::make_unique<KeptStatements>(db)) {}

VideoStatus::~VideoStatus() = default;

std::optional<VideoStatus::Video> VideoStatus::find(const QString& code)
{
    if (KeptStatements::namesNothing(code))
        return std::nullopt;
    static const QString sql =
        QStringLiteral("SELECT %1, %2, %3 FROM %4 WHERE %5 = ? LIMIT 1")
            .arg(quoted(tblVideos::Nome), quoted(tblVideos::QTDE), quoted(tblVideos::Local),
                 quoted(tblVideos::Table), quoted(tblVideos::Codigo));
    Video video;
    if (!m_statements->first(
            FindVideo, sql, {code},
            [&](const KeptStatements::Row& r) {
                video.title = r.text(0);
                video.onShelf = r.text(1);
                video.place = r.text(2);
            },
            Reading))
        return std::nullopt;
    if (const std::optional<Rental> rental = rentalOf(code)) {
        video.rentedOn = rental->date;
        video.renter = rental->customer;
        video.renterCode = rental->customerCode;
    }
    return video;
}

std::optional<VideoStatus::Record> VideoStatus::findTitle(const QString& title)
{
    if (KeptStatements::namesNothing(title))
        return std::nullopt;
    // Equal titles sit in the index in rowid order: the first one stored.
    static const QString sql =
        QStringLiteral("SELECT %1, %2, %3, %4, %5 FROM %6 WHERE %7 = ? ORDER BY rowid LIMIT 1")
            .arg(quoted(tblVideos::Codigo), quoted(tblVideos::Genero), quoted(tblVideos::QTDE),
                 quoted(tblVideos::Local), quoted(tblVideos::Valor), quoted(tblVideos::Table),
                 quoted(tblVideos::Nome));
    Record record;
    if (!m_statements->first(
            FindTitle, sql, {title},
            [&](const KeptStatements::Row& r) {
                record = {r.text(0), r.text(1), r.text(2), r.text(3), r.text(4)};
            },
            Reading))
        return std::nullopt;
    return record;
}

std::optional<QString> VideoStatus::rentalDateOf(const QString& code)
{
    const std::optional<Rental> rental = rentalOf(code);
    return rental ? std::optional<QString>(rental->date) : std::nullopt;
}

std::optional<VideoStatus::Rental> VideoStatus::rentalOf(const QString& code)
{
    if (KeptStatements::namesNothing(code))
        return std::nullopt;
    // One limited seek per slot, lowest slot first; equal keys sit in an
    // index in rowid order, so each stops at its index's first entry.
    // COALESCE stops at the first slot that finds a note, and one statement
    // reads the file once instead of sixteen times. A date with no value
    // reads as an empty text. The account is the one the history kept for
    // the note's number when it was saved.
    static const QString sql = [] {
        QStringList seeks;
        for (int slot = 0; slot < Slots; ++slot)
            seeks.append(QStringLiteral("(SELECT rowid FROM %1 WHERE %2 = ? ORDER BY rowid LIMIT 1)")
                             .arg(quoted(tblLocacao::Table), quoted(codeColumn(slot))));
        return QStringLiteral("SELECT COALESCE(n.%1, ''), n.%2, (SELECT h.%3 FROM %4 h WHERE h.%5 = n.%6 "
                              "ORDER BY h.%7 DESC LIMIT 1) FROM %8 n WHERE n.rowid = COALESCE(%9)")
            .arg(quoted(tblLocacao::Data), quoted(tblLocacao::Clientes), NoteHistory::ClienteCodigo,
                 NoteHistory::Table, NoteHistory::Codigo, quoted(tblLocacao::Codigo), NoteHistory::Id,
                 quoted(tblLocacao::Table), seeks.join(QStringLiteral(", ")));
    }();
    const QVariantList codes(Slots, code);
    std::optional<Rental> rental;
    m_statements->first(
        RentalDate, sql, codes,
        [&](const KeptStatements::Row& r) {
            rental = Rental{r.text(0), r.text(1), r.text(2)};
        },
        Reading);
    return rental;
}

} // namespace counter
