#pragma once

#include <QString>

namespace bench {

struct ShopSize
{
    int customers = 0;
    int videos = 0;
    int notes = 0;
};

// Fills a fresh data file in folder with a made-up shop: the same folder and
// sizes always give the same rows. Throws store::StoreError, or
// std::runtime_error when the folder already holds a data file.
void generateShop(const QString& folder, const ShopSize& size);

} // namespace bench
