#include "Returns.h"

#include "Database.h"
#include "RecordCursor.h"
#include "Schema.h"
#include "Transaction.h"

#include <QSqlError>
#include <QSqlQuery>

namespace store {

using namespace names;
using tblLocacao::codeColumn;
using tblLocacao::Slots;

namespace {

// The open codes of the note the cursor stands on (or is editing).
QStringList openCodes(const RecordCursor& note)
{
    QStringList out;
    for (int slot = 0; slot < Slots; ++slot) {
        const QString code = note.text(codeColumn(slot));
        if (!code.isEmpty())
            out.append(code);
    }
    return out;
}

} // namespace

QStringList openVideoCodes(Database& db, const QString& noteCode)
{
    RecordCursor notes(db, tblLocacao::Table);
    if (!notes.find(tblLocacao::indCodigo, noteCode))
        return {};
    return openCodes(notes);
}

std::optional<ReturnBooked> bookReturn(Database& db, const QString& noteCode, const QString& videoCode)
{
    if (videoCode.isEmpty())
        return std::nullopt;
    Transaction t(db);
    RecordCursor notes(db, tblLocacao::Table);
    if (!notes.find(tblLocacao::indCodigo, noteCode))
        return std::nullopt;
    ReturnBooked booked;
    for (int slot = 0; slot < Slots && booked.slot < 0; ++slot) {
        if (notes.text(codeColumn(slot)) == videoCode)
            booked.slot = slot;
    }
    if (booked.slot < 0)
        return std::nullopt;

    RecordCursor videos(db, tblVideos::Table);
    booked.videoInCatalogue = videos.find(tblVideos::indCodigo, videoCode);
    if (booked.videoInCatalogue) {
        videos.edit();
        videos.setValue(tblVideos::QTDE, videos.value(tblVideos::QTDE).toLongLong() + 1);
        videos.update();
    }

    // A returned slot holds no value, as a slot never used on an older file.
    notes.edit();
    notes.setValue(codeColumn(booked.slot), QVariant());
    notes.setValue(tblLocacao::videoColumn(booked.slot), QVariant());
    notes.update();
    booked.stillOpen = openCodes(notes);
    if (booked.stillOpen.isEmpty()) {
        notes.remove();
        booked.noteDeleted = true;
    }
    t.commit();
    return booked;
}

struct RentalStatus::Statement
{
    quint64 serial = 0;
    QSqlQuery query;
};

RentalStatus::RentalStatus(Database& db) : m_db(db) {}

RentalStatus::~RentalStatus() = default;

std::optional<QString> RentalStatus::rentalDateOf(const QString& videoCode)
{
    // A code SQLite would bind altered names no note.
    if (videoCode.isEmpty() || !unstorableText(videoCode).isEmpty())
        return std::nullopt;
    QSqlDatabase connection = m_db.connection();
    if (!m_statement || m_statement->serial != m_db.openSerial()) {
        // Each branch is one seek on its slot's index.
        QStringList branches;
        for (int slot = 0; slot < Slots; ++slot)
            branches.append(QStringLiteral("SELECT %1 AS slot, rowid AS r, %2 FROM %3 WHERE %4 = :code")
                                .arg(QString::number(slot), quoted(tblLocacao::Data),
                                     quoted(tblLocacao::Table), quoted(codeColumn(slot))));
        auto statement = std::make_unique<Statement>();
        statement->query = QSqlQuery(connection);
        statement->query.setForwardOnly(true);
        if (!statement->query.prepare(
                QStringLiteral("SELECT %1 FROM (%2) ORDER BY slot, r LIMIT 1")
                    .arg(quoted(tblLocacao::Data), branches.join(QStringLiteral(" UNION ALL ")))))
            m_db.fail(statement->query.lastError(), QStringLiteral("consultar as locações"));
        statement->serial = m_db.openSerial();
        m_statement = std::move(statement);
    }
    QSqlQuery& q = m_statement->query;
    q.bindValue(QStringLiteral(":code"), videoCode);
    if (!q.exec())
        m_db.fail(q.lastError(), QStringLiteral("consultar as locações"));
    std::optional<QString> date;
    if (q.next())
        date = q.isNull(0) ? QString() : q.value(0).toString();
    else if (q.lastError().isValid())
        m_db.fail(q.lastError(), QStringLiteral("consultar as locações"));
    q.finish();
    return date;
}

} // namespace store
