#include "VideoStatus.h"

#include "KeptStatements.h"
#include "store/Names.h"
#include "store/Schema.h"

#include <QSqlQuery>

namespace counter {

using namespace store::names;
using store::quoted;
using tblLocacao::codeColumn;
using tblLocacao::Slots;

namespace {

const QString Reading = QStringLiteral("consultar as locações");

// Keys of the kept statements.
enum Statement : size_t { FindVideo, RentalDate };

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
    QSqlQuery& q = m_statements->run(FindVideo, sql, {code}, Reading);
    if (!m_statements->next(q, Reading))
        return std::nullopt;
    Video video{KeptStatements::text(q, 0), KeptStatements::text(q, 1), KeptStatements::text(q, 2),
                std::nullopt};
    q.finish();
    video.rentedOn = rentalDateOf(code);
    return video;
}

std::optional<QString> VideoStatus::rentalDateOf(const QString& code)
{
    if (KeptStatements::namesNothing(code))
        return std::nullopt;
    // One limited seek per slot, lowest slot first; equal keys sit in an
    // index in rowid order, so each stops at its index's first entry.
    // COALESCE stops at the first slot that finds a note, and one statement
    // reads the file once instead of sixteen times. A date with no value
    // reads as an empty text, so that only "no note" gives NULL.
    static const QString sql = [] {
        QStringList seeks;
        for (int slot = 0; slot < Slots; ++slot)
            seeks.append(
                QStringLiteral("(SELECT IFNULL(%1, '') FROM %2 WHERE %3 = ? ORDER BY rowid LIMIT 1)")
                    .arg(quoted(tblLocacao::Data), quoted(tblLocacao::Table), quoted(codeColumn(slot))));
        return QStringLiteral("SELECT COALESCE(%1)").arg(seeks.join(QStringLiteral(", ")));
    }();
    const QVariantList codes(Slots, code);
    QSqlQuery& q = m_statements->run(RentalDate, sql, codes, Reading);
    std::optional<QString> date;
    if (m_statements->next(q, Reading) && !q.isNull(0))
        date = q.value(0).toString();
    q.finish();
    return date;
}

} // namespace counter
