#include "VideoStatus.h"

#include "KeptStatements.h"
#include "store/Names.h"
#include "store/RecordCursor.h"
#include "store/Schema.h"

#include <QSqlQuery>
#include <array>

namespace counter {

using namespace store::names;
using store::quoted;
using tblLocacao::codeColumn;
using tblLocacao::Slots;

namespace {

const QString Reading = QStringLiteral("consultar as locações");

// Keys of the kept statements; one seek per slot follows FirstSlot.
enum Statement : size_t { FindVideo, FirstSlot };

bool namesNothing(const QString& key)
{
    // A code SQLite would bind altered names no row.
    return key.isEmpty() || !store::unstorableText(key).isEmpty();
}

QString text(const QSqlQuery& q, int column)
{
    return q.isNull(column) ? QString() : q.value(column).toString();
}

} // namespace

VideoStatus::VideoStatus(store::Database& db) : m_statements(std::make_unique<KeptStatements>(db)) {}

VideoStatus::~VideoStatus() = default;

std::optional<VideoStatus::Video> VideoStatus::find(const QString& code)
{
    if (namesNothing(code))
        return std::nullopt;
    static const QString sql =
        QStringLiteral("SELECT %1, %2, %3 FROM %4 WHERE %5 = ? LIMIT 1")
            .arg(quoted(tblVideos::Nome), quoted(tblVideos::QTDE), quoted(tblVideos::Local),
                 quoted(tblVideos::Table), quoted(tblVideos::Codigo));
    QSqlQuery& q = m_statements->run(FindVideo, sql, {code}, Reading);
    if (!m_statements->next(q, Reading))
        return std::nullopt;
    Video video{text(q, 0), text(q, 1), text(q, 2), std::nullopt};
    q.finish();
    video.rentedOn = rentalDateOf(code);
    return video;
}

std::optional<QString> VideoStatus::rentalDateOf(const QString& code)
{
    if (namesNothing(code))
        return std::nullopt;
    // Equal keys sit in an index in rowid order, so ordering by rowid walks
    // the slot's index and stops at its first entry.
    static const std::array<QString, Slots> seeks = [] {
        std::array<QString, Slots> out;
        for (int slot = 0; slot < Slots; ++slot)
            out[size_t(slot)] =
                QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ? ORDER BY rowid LIMIT 1")
                    .arg(quoted(tblLocacao::Data), quoted(tblLocacao::Table), quoted(codeColumn(slot)));
        return out;
    }();
    for (int slot = 0; slot < Slots; ++slot) {
        QSqlQuery& q = m_statements->run(FirstSlot + size_t(slot), seeks[size_t(slot)], {code}, Reading);
        if (m_statements->next(q, Reading)) {
            const QString date = text(q, 0);
            q.finish();
            return date;
        }
    }
    return std::nullopt;
}

} // namespace counter
