#pragma once

// The start's work in the background, as the program does it while the
// splash is up; for the benchmarks that time what follows it.

#include "app/Startup.h"
#include "lookup/ListIndex.h"
#include "store/Database.h"
#include "views/PickList.h"

#include <QModelIndex>
#include <memory>

namespace bench {

// What the program's start does while the splash is up.
inline std::unique_ptr<StartReads> programStart(store::Database& db)
{
#ifdef FENWARDA_BENCH_BEFORE
    for (auto kind : {store::PickListKind::CustomerNames, store::PickListKind::VideoCodes,
                      store::PickListKind::VideoTitles})
        views::pickList(db, kind);
    return nullptr;
#else
    auto reads = std::make_unique<StartReads>(db);
    reads->start();
    return reads;
#endif
}

// Untimed, between two runs: the work the start left in the background is
// finished, so that it does not slow down the next run.
inline void settle(store::Database& db)
{
    for (auto kind : {store::PickListKind::CustomerNames, store::PickListKind::VideoCodes,
                      store::PickListKind::VideoTitles})
        lookup_detail::ListIndex::of(&views::pickList(db, kind), 0, QModelIndex())->waitUntilReady(120000);
}

} // namespace bench
