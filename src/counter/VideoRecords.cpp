#include "VideoRecords.h"

#include "store/Names.h"

using namespace store::names;

namespace counter {

VideoRecords::VideoRecords(store::Database& db)
    : RecordService(db, {.table = tblVideos::Table,
                         .unique = {{tblVideos::Codigo, tblVideos::indCodigo}},
                         .required = {{tblVideos::Codigo, QStringLiteral("Código")},
                                      {tblVideos::Nome, QStringLiteral("Vídeo")},
                                      {tblVideos::QTDE, QStringLiteral("Quantidade")},
                                      {tblVideos::Genero, QStringLiteral("Gênero")}}})
{
}

platform::PriceReading::Status VideoRecords::priceRule(const QString& text)
{
    return platform::readPrice(text).status;
}

std::optional<QString> VideoRecords::refused(const Record& record) const
{
    if (record.contains(tblVideos::Valor)) {
        const auto status = priceRule(record.value(tblVideos::Valor).toString());
        if (status != platform::PriceReading::Ok && status != platform::PriceReading::Empty)
            return tblVideos::Valor;
    }
    return RecordService::refused(record);
}

Record VideoRecords::stored(Record record) const
{
    // The column counts copies: a number, or no value at all when none is
    // given.
    const auto copies = record.find(tblVideos::QTDE);
    if (copies != record.end()) {
        bool ok = false;
        const qlonglong count = copies->toString().toLongLong(&ok);
        *copies = ok ? QVariant(count) : QVariant();
    }
    return RecordService::stored(std::move(record));
}

} // namespace counter
