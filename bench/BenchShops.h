#pragma once

#include <vector>

namespace store {
class Database;
}

namespace bench {

// Every benchmark runs at three scales: 2,500, 25,000 and 100,000
// customers, whose four name columns give 10,000, 100,000 and 400,000
// names; as many videos as customers, a fifth as many open notes.
const std::vector<int>& shopScales();
inline int customersFor(int names)
{
    return names / 4;
}

// The store on the shop of that many customers, made once in
// FENWARDA_BENCH_SHOP (default: the temporary directory) and reused by later
// runs. With writable, a fresh copy, so that the shop itself stays as made.
store::Database& shop(int customers, bool writable = false);
// Closes every store; to be called before the application ends.
void closeShops();

} // namespace bench
