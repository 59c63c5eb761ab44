#include "History.h"

#include "KeptStatements.h"
#include "store/Names.h"

#include <QDateTime>

namespace counter {

using namespace store::names;

namespace {

const QString Writing = QStringLiteral("gravar o histórico");

enum Statement : size_t { AddNote, AddVideo, Returned };

QString now()
{
    return QDateTime::currentDateTime().toString(Qt::ISODate);
}

} // namespace

History::History(store::Database& db) : m_statements(std::make_unique<KeptStatements>(db)) {}

History::~History() = default;

void History::noteSaved(const Note& note)
{
    namespace H = NoteHistory;
    namespace V = RentedVideos;
    static const QString addNote =
        QStringLiteral(
            "INSERT INTO %1 (%2, %3, %4, %5, %6, %7, %8) VALUES (?, ?, ?, ?, ?, ?, ?) RETURNING %9")
            .arg(H::Table, H::Codigo, H::Data, H::SavedAt, H::Cliente, H::ClienteCodigo, H::Valor,
                 H::Desconto, H::Id);
    static const QString addVideo =
        QStringLiteral("INSERT INTO %1 (%2, %3, %4, %5, %6, %7) VALUES (?, ?, ?, ?, ?, ?)")
            .arg(V::Table, V::Note, V::Slot, V::Codigo, V::Titulo, V::Tipo, V::Preco);
    qint64 id = -1;
    m_statements->first(
        AddNote, addNote,
        {note.code, note.date, now(), note.customer, note.customerCode, note.value, note.discount},
        [&](const KeptStatements::Row& row) { id = row.value(0).toLongLong(); }, Writing);
    for (const Video& v : note.videos)
        m_statements->write(AddVideo, addVideo, {id, v.slot, v.code, v.title, v.category, v.price}, Writing);
}

void History::videoReturned(const QString& noteCode, int slot, const QString& returnedOn)
{
    namespace H = NoteHistory;
    namespace V = RentedVideos;
    static const QString returned =
        QStringLiteral(
            "UPDATE %1 SET %2 = ?, %3 = ? WHERE %4 = (SELECT MAX(%5) FROM %6 WHERE %7 = ?) AND %8 = ?")
            .arg(V::Table, V::DevolvidoEm, V::ReturnedAt, V::Note, H::Id, H::Table, H::Codigo, V::Slot);
    m_statements->write(Returned, returned, {returnedOn, now(), noteCode, slot}, Writing);
}

} // namespace counter
