#pragma once

#include "RecordService.h"
#include "platform/Formats.h"

namespace counter {

// The video catalogue's rules: the code is one video's own; a video is
// registered with code, title, copies and genre; its price is empty or a
// number from zero to the highest price; the copies are a count.
class VideoRecords final : public RecordService
{
public:
    explicit VideoRecords(store::Database& db);

    // The price rule. Ok is stored; Empty (blanks too) rents for nothing and
    // is stored once the operator agrees; anything else is refused.
    static platform::PriceReading::Status priceRule(const QString& text);

    std::optional<QString> refused(const Record& record) const override;

protected:
    Record stored(Record record) const override;
};

} // namespace counter
