#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QPersistentModelIndex>
#include <QStringList>

#include "views/CompactTexts.h"

#include <array>
#include <atomic>
#include <memory>
#include <utility>
#include <vector>

class QAbstractItemModel;

namespace lookup_detail {

struct SortedIndex;
using BuildResult = std::pair<quint64, std::shared_ptr<SortedIndex>>;

// The texts of one list of an item model, folded (letter case and accents)
// and sorted, kept in
// step with the model through its signals. It lives as a child of the model,
// so every combo that shows the list, and every later window that shows it
// again, shares the folded texts and the index: attaching costs nothing.
class ListIndex : public QObject
{
    Q_OBJECT
public:
    // The index of the model's column under root; made on first use.
    static ListIndex* of(QAbstractItemModel* model, int column, const QModelIndex& root);
    ~ListIndex() override;

    bool follows(const QAbstractItemModel* model, int column, const QModelIndex& root) const;

    // For lists that change a row at a time (the pick lists of the shop):
    // a change updates the index in place instead of building it again.
    void setIncremental(bool on) { m_incremental = on; }

    // The first item at or after after + 1 that begins with (prefix) or
    // equals text, letter case and accents ignored, wrapping to the top; -1 for none.
    int find(QStringView text, int after, bool prefix);
    bool ready() const { return m_index != nullptr; }
    bool waitUntilReady(int msecs);

private:
    ListIndex(QAbstractItemModel* model, int column, const QModelIndex& root);
    QString itemText(int row) const;
    void readAll();
    void reset();
    void changed();
    void scheduleBuild();
    void startBuild();
    void built();
    bool inRange(const QModelIndex& parent, int first, int last, qsizetype size) const;
    void onRowsInserted(const QModelIndex& parent, int first, int last);
    void onRowsRemoved(const QModelIndex& parent, int first, int last);
    void onDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles);
    int scan(std::u16string_view folded, int after, bool prefix);
    void sortIntoBuckets();
    void dropBuckets();
    int bucketScan(std::u16string_view folded, int after, bool prefix) const;

    QAbstractItemModel* m_model;
    int m_column;
    QPersistentModelIndex m_root;
    // The texts: the model's own when it keeps them so (the shop's pick
    // lists, which are most of the memory), else a copy of them.
    const views::CompactTexts* m_texts = &m_own;
    views::CompactTexts m_own;
    bool ownTexts() const { return m_texts == &m_own; }
    // The first folded code units and the length of each item, for a scan
    // while the index is not ready; let go once it is, and made again for
    // the next scan.
    std::vector<std::array<quint64, 3>> m_leads;
    void makeLeads();
    // Until the index is ready: the rows grouped by their first two folded
    // code units (the low byte of each), in list order within a group, with
    // their leads beside them, so that a search looks only at the rows that
    // can match. Left empty once the list changes before the index is ready.
    std::vector<int> m_bucketStart;
    std::vector<std::array<quint64, 3>> m_bucketLeads;
    std::vector<int> m_bucketRows;
    // The index of the current list, or none while it is being built.
    std::shared_ptr<SortedIndex> m_index;
    bool m_incremental = false;
    // Counts list changes; a build of another count is stale.
    quint64 m_generation = 1;
    quint64 m_building = 0;
    quint64 m_failed = 0;
    bool m_buildQueued = false;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    QFutureWatcher<BuildResult> m_watcher;
};

} // namespace lookup_detail
