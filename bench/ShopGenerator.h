#pragma once

#include <QString>

namespace bench {

struct ShopSize
{
    int customers = 0;
    int videos = 0;
    int notes = 0;
    // Settled notes in the history, spread over the two years before
    // HistoryEnd, each with its videos, all returned; the open notes then get
    // their history too, saved in the last fortnight. None: no history.
    int historyNotes = 0;
};

// The day a generated history ends: a fixed one, so that the same sizes
// always give the same file.
inline constexpr int HistoryEndYear = 2026, HistoryEndMonth = 11, HistoryEndDay = 30;

// Fills a fresh data file in folder with a made-up shop: the same folder and
// sizes always give the same rows. Throws store::StoreError, or
// std::runtime_error when the folder already holds a data file.
void generateShop(const QString& folder, const ShopSize& size);

} // namespace bench
