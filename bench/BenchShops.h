#pragma once

#include <vector>

namespace store {
class Database;
}

namespace bench {

// Every benchmark runs at three scales: 10,000, 100,000 and 400,000
// customers (up to four names each: 1.6 million names at the top), as many
// videos, and one open note for every twenty customers.
const std::vector<int>& shopScales();

// The store on the shop of that many customers, made once in
// FENWARDA_BENCH_SHOP (default: the temporary directory) and reused by later
// runs. With writable, a fresh copy, so that the shop itself stays as made.
store::Database& shop(int customers, bool writable = false);
// Closes every store; to be called before the application ends.
void closeShops();

} // namespace bench
