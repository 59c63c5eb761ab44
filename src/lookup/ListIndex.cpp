#include "lookup/ListIndex.h"

#include "platform/TextFold.h"
#include "views/CompactTexts.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPointer>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <array>
#include <new>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace lookup_detail {

namespace {

using Units = std::u16string_view;
// The first eight folded code units as two numbers, and the item's length.
using Lead = std::array<quint64, 3>;

// How many rows a prefix search tries in list order before it asks the
// sorted index. The item selected now usually still matches, so most
// keystrokes end at the first row.
constexpr int LinearProbe = 32;
// More rows than this changed at once are indexed again from scratch.
constexpr int IncrementalLimit = 64;

Units units(const QString& s)
{
    return {reinterpret_cast<const char16_t*>(s.utf16()), size_t(s.size())};
}

// The program's folding (letter case and accents), one code point at a
// time: the one folding for the list and for the typed text. Hands each folded code point of s to
// onCode, in order, until it returns false; says whether it never did.
template <typename OnCode> bool forEachFolded(QStringView s, OnCode&& onCode)
{
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i].unicode();
        // Most names are ASCII: no table look-up for them.
        if (c < 0x80) {
            if (!onCode(char32_t(c >= u'A' && c <= u'Z' ? c + 32 : c)))
                return false;
            continue;
        }
        char32_t code = c;
        if (QChar::isHighSurrogate(c) && i + 1 < n && s[i + 1].isLowSurrogate())
            code = QChar::surrogateToUcs4(c, s[++i].unicode());
        if (!onCode(platform::foldedCode(code)))
            return false;
    }
    return true;
}

void appendFolded(QString& out, QStringView s)
{
    forEachFolded(s, [&](char32_t code) {
        for (QChar unit : QChar::fromUcs4(code))
            out += unit;
        return true;
    });
}

// Whether s, folded as appendFolded folds it, begins with (or, when whole,
// equals) folded. Stops at the first difference, so a scan of the list
// seldom looks past the first letter.
bool foldedMatch(QStringView s, Units folded, bool whole)
{
    const size_t m = folded.size();
    size_t j = 0;
    bool longer = false;
    const bool same = forEachFolded(s, [&](char32_t code) {
        if (j == m) {
            longer = true;
            return false;
        }
        for (QChar unit : QChar::fromUcs4(code))
            if (j == m || folded[j++] != unit.unicode())
                return false;
        return true;
    });
    if (longer)
        return !whole;
    return same && j == m;
}

// The first four code units of s as one number, in the same order as the
// texts themselves; most comparisons of the sort end here.
quint64 leadingUnits(Units s)
{
    quint64 key = 0;
    for (size_t i = 0; i < 4; ++i)
        key = key << 16 | (i < s.size() ? s[i] : 0);
    return key;
}

// The first eight code units of s, folded, as two numbers: a scan compares
// these first, from one array, and reads the text itself (one more memory
// block per item) only when they agree.
Lead foldedLead(QStringView s)
{
    // Folds as appendFolded does, without a string per item: a whole list
    // of leads is made while a window opens.
    std::array<char16_t, 8> head{};
    size_t size = 0;
    forEachFolded(s.left(8), [&](char32_t code) {
        for (QChar unit : QChar::fromUcs4(code))
            if (size < head.size())
                head[size++] = unit.unicode();
        return size < head.size();
    });
    const Units u(head.data(), size);
    // Folding keeps the length of a text in code units.
    return {leadingUnits(u), leadingUnits(u.substr(std::min<size_t>(4, u.size()))), quint64(s.size())};
}

// A big list's build and its scratch (the buckets, the sort's entries) take
// tens of megabytes on their own threads, which the C library would keep
// in those threads' heaps once free: they go back to the system.
void giveBackScratch(int rows)
{
#ifdef __GLIBC__
    if (rows >= 100000)
        malloc_trim(0);
#else
    Q_UNUSED(rows);
#endif
}

// Builds run one at a time, beside the user-interface thread; the pool goes
// with the application.
QThreadPool* buildPool()
{
    static QPointer<QThreadPool> pool;
    if (!pool) {
        pool = new QThreadPool(QCoreApplication::instance());
        pool->setMaxThreadCount(1);
    }
    return pool;
}

} // namespace

namespace {

// The folded code unit of s at i: folding keeps every code point's width,
// so a text is compared folded without being copied.
char16_t foldedUnitAt(QStringView s, qsizetype i)
{
    const char16_t c = s[i].unicode();
    if (!QChar::isSurrogate(c))
        return c < 0x80 ? (c >= u'A' && c <= u'Z' ? c + 32 : c) : char16_t(platform::foldedCode(c));
    const bool high = QChar::isHighSurrogate(c);
    const qsizetype other = high ? i + 1 : i - 1;
    if (other < 0 || other >= s.size() || (high ? !s[other].isLowSurrogate() : !s[other].isHighSurrogate()))
        return c;
    const char32_t code =
        high ? QChar::surrogateToUcs4(c, s[other].unicode()) : QChar::surrogateToUcs4(s[other].unicode(), c);
    const char32_t folded = platform::foldedCode(code);
    return high ? QChar::highSurrogate(folded) : QChar::lowSurrogate(folded);
}

// a and b folded, compared as their code units are.
int compareFolded(QStringView a, QStringView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = foldedUnitAt(a, i);
        const char16_t y = foldedUnitAt(b, i);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// s folded against a text folded already.
int compareFolded(QStringView s, Units folded)
{
    const qsizetype n = std::min(s.size(), qsizetype(folded.size()));
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = foldedUnitAt(s, i);
        if (x != folded[size_t(i)])
            return x < folded[size_t(i)] ? -1 : 1;
    }
    return s.size() < qsizetype(folded.size()) ? -1 : s.size() > qsizetype(folded.size()) ? 1 : 0;
}

} // namespace

// The rows ordered by (folded text, row), so that a binary search tells at
// once whether anything matches and which rows do. The texts are the list's
// own, folded as they are compared: the index holds four bytes a row.
struct SortedIndex
{
    const views::CompactTexts* texts = nullptr;
    std::vector<int> sorted;

    int size() const { return int(sorted.size()); }
    QStringView item(int row) const { return texts->at(row); }
    // Where (the row's text, row) stands, or would stand, in sorted.
    std::vector<int>::iterator position(int row)
    {
        const QStringView text = item(row);
        return std::lower_bound(sorted.begin(), sorted.end(), row, [&](int r, int key) {
            const int c = compareFolded(item(r), text);
            return c < 0 || (c == 0 && r < key);
        });
    }
    void place(int row) { sorted.insert(position(row), row); }

    // The row's text has changed: it moves to its new place.
    void moveRow(int row)
    {
        sorted.erase(std::find(sorted.begin(), sorted.end(), row));
        place(row);
    }
    // The texts have rows first..first + count - 1 new.
    void insertRows(int first, int count)
    {
        for (int& r : sorted)
            r += r >= first ? count : 0;
        for (int row = first; row < first + count; ++row)
            place(row);
    }
    void removeRows(int first, int last)
    {
        std::erase_if(sorted, [&](int r) { return r >= first && r <= last; });
        for (int& r : sorted)
            r -= r > last ? last - first + 1 : 0;
    }

    // The indexed search: the same answers as a scan in list order.
    int find(Units folded, int after, bool prefix) const
    {
        const int n = size();
        const int start = after + 1;
        const auto matches = [&](int row) { return foldedMatch(item(row), folded, !prefix); };
        if (prefix)
            for (int i = 0, row = start; i < LinearProbe && i < n; ++i, ++row)
                if (matches(row %= n))
                    return row;
        // Matching rows are one run of the sorted index.
        const auto lo = std::partition_point(sorted.begin(), sorted.end(),
                                             [&](int row) { return compareFolded(item(row), folded) < 0; });
        const auto hi = std::partition_point(lo, sorted.end(), matches);
        if (lo == hi)
            return -1;
        if (!prefix) {
            // Equal texts are ordered by row.
            const auto at = std::lower_bound(lo, hi, start);
            return at != hi ? *at : *lo;
        }
        int first = n;
        int next = n;
        for (auto it = lo; it != hi; ++it) {
            first = std::min(first, *it);
            if (*it >= start)
                next = std::min(next, *it);
        }
        return next != n ? next : first;
    }
};

namespace {

// Runs on the build thread: reads only its own copy of the list, and stops
// at its next check once cancelled. The index it gives reads that copy
// until the list's own texts are handed to it.
std::shared_ptr<SortedIndex> build(const views::CompactTexts& items, const std::atomic<bool>& cancelled)
{
    auto index = std::make_shared<SortedIndex>();
    index->texts = &items;
    const int n = int(items.size());
    // Sixteen bytes: the first six folded units, then the row.
    struct Entry
    {
        quint64 lead0;
        quint32 lead1;
        int row;
    };
    std::vector<Entry> entries(static_cast<size_t>(n));
    for (int row = 0; row < n; ++row) {
        if ((row & 4095) == 0 && cancelled)
            return nullptr;
        const Lead lead = foldedLead(items.at(row));
        entries[size_t(row)] = {lead[0], quint32(lead[1] >> 32), row};
    }
    if (cancelled)
        return nullptr;
    std::sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        if (a.lead0 != b.lead0)
            return a.lead0 < b.lead0;
        if (a.lead1 != b.lead1)
            return a.lead1 < b.lead1;
        const int c = compareFolded(items.at(a.row), items.at(b.row));
        return c < 0 || (c == 0 && a.row < b.row);
    });
    index->sorted.resize(size_t(n));
    for (int i = 0; i < n; ++i)
        index->sorted[size_t(i)] = entries[size_t(i)].row;
    index->texts = nullptr;
    return index;
}

} // namespace

ListIndex* ListIndex::of(QAbstractItemModel* model, int column, const QModelIndex& root)
{
    for (ListIndex* list : model->findChildren<ListIndex*>(Qt::FindDirectChildrenOnly))
        if (list->follows(model, column, root))
            return list;
    return new ListIndex(model, column, root);
}

ListIndex::ListIndex(QAbstractItemModel* model, int column, const QModelIndex& root)
    : QObject(model), m_model(model), m_column(column), m_root(root)
{
    const auto reset = [this] { this->reset(); };
    connect(model, &QAbstractItemModel::rowsInserted, this, &ListIndex::onRowsInserted);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &ListIndex::onRowsRemoved);
    connect(model, &QAbstractItemModel::dataChanged, this, &ListIndex::onDataChanged);
    connect(model, &QAbstractItemModel::rowsMoved, this, reset);
    connect(model, &QAbstractItemModel::columnsInserted, this, reset);
    connect(model, &QAbstractItemModel::columnsRemoved, this, reset);
    connect(model, &QAbstractItemModel::columnsMoved, this, reset);
    connect(model, &QAbstractItemModel::modelReset, this, reset);
    connect(model, &QAbstractItemModel::layoutChanged, this, reset);
    connect(&m_watcher, &QFutureWatcherBase::finished, this, &ListIndex::built);
    readAll();
    // Index now, so that the first key finds it ready.
    startBuild();
}

ListIndex::~ListIndex()
{
    if (m_cancel)
        *m_cancel = true;
}

bool ListIndex::follows(const QAbstractItemModel* model, int column, const QModelIndex& root) const
{
    return model == m_model && column == m_column && root == QModelIndex(m_root);
}

QString ListIndex::itemText(int row) const
{
    return m_model->data(m_model->index(row, m_column, m_root), Qt::DisplayRole).toString();
}

void ListIndex::readAll()
{
    if (auto* list = dynamic_cast<const views::KeepsCompactTexts*>(m_model);
        list && m_column == 0 && !m_root.isValid()) {
        m_texts = &list->texts();
        m_own.clear();
    } else {
        m_texts = &m_own;
        QStringList items;
        const int n = m_model->rowCount(m_root);
        items.reserve(n);
        for (int row = 0; row < n; ++row)
            items.append(itemText(row));
        m_own.assign(items);
    }
    makeLeads();
    sortIntoBuckets();
    // The buckets hold the leads until the index is ready; a scan after a
    // change makes them again.
    m_leads = {};
}

void ListIndex::makeLeads()
{
    const qsizetype n = m_texts->size();
    m_leads.resize(size_t(n));
    m_leads.shrink_to_fit();
    for (qsizetype row = 0; row < n; ++row)
        m_leads[size_t(row)] = foldedLead(m_texts->at(row));
}

namespace {

constexpr int Buckets = 1 << 16;

int bucketOf(quint64 lead0)
{
    return int((lead0 >> 48 & 0xFF) << 8 | (lead0 >> 32 & 0xFF));
}

} // namespace

// One counting sort of the leads: a few milliseconds for a million names.
void ListIndex::sortIntoBuckets()
{
    const size_t n = m_leads.size();
    std::vector<int> start(Buckets + 1, 0);
    for (const Lead& lead : m_leads)
        ++start[size_t(bucketOf(lead[0])) + 1];
    for (size_t b = 1; b < start.size(); ++b)
        start[b] += start[b - 1];
    std::vector<int> next(start.begin(), start.end() - 1);
    std::vector<Lead> leads(n);
    std::vector<int> rows(n);
    for (size_t row = 0; row < n; ++row) {
        const size_t at = size_t(next[size_t(bucketOf(m_leads[row][0]))]++);
        leads[at] = m_leads[row];
        rows[at] = int(row);
    }
    m_bucketStart = std::move(start);
    m_bucketLeads = std::move(leads);
    m_bucketRows = std::move(rows);
}

void ListIndex::reset()
{
    readAll();
    changed();
}

// The index no longer fits the list. A list filled row by row signals once
// per row: the build waits for the event loop, so that it starts once.
void ListIndex::changed()
{
    ++m_generation;
    m_index.reset();
    if (m_cancel)
        *m_cancel = true;
    scheduleBuild();
}

void ListIndex::scheduleBuild()
{
    if (m_buildQueued)
        return;
    m_buildQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_buildQueued = false;
            startBuild();
        },
        Qt::QueuedConnection);
}

void ListIndex::startBuild()
{
    if (ready() || m_building == m_generation || m_failed == m_generation)
        return;
    m_building = m_generation;
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    m_watcher.setFuture(QtConcurrent::run(
        buildPool(), [items = *m_texts, cancel = m_cancel, generation = m_generation]() -> BuildResult {
            try {
                return {generation, build(items, *cancel)};
            } catch (const std::bad_alloc&) {
                // Searches go on scanning the list.
                return {generation, nullptr};
            }
        }));
}

// The result comes through the watcher's queued signal, or straight from
// waitUntilReady; an index of an older list is thrown away.
void ListIndex::built()
{
    const QFuture<BuildResult> future = m_watcher.future();
    if (!future.isFinished() || future.resultCount() == 0 || future.result().first != m_building)
        return;
    const auto [generation, index] = future.result();
    m_building = 0;
    if (generation != m_generation) {
        startBuild();
        return;
    }
    m_index = index;
    if (index) {
        index->texts = m_texts;
        // The index answers from now on.
        dropBuckets();
        m_leads = {};
        giveBackScratch(index->size());
    }
    if (!index)
        m_failed = generation; // not tried again until the list changes
}

bool ListIndex::waitUntilReady(int msecs)
{
    const QDeadlineTimer deadline(msecs);
    while (!ready() && m_failed != m_generation && !deadline.hasExpired()) {
        startBuild();
        buildPool()->waitForDone(int(deadline.remainingTime()));
        built();
    }
    return ready();
}

bool ListIndex::inRange(const QModelIndex& parent, int first, int last, qsizetype size) const
{
    return parent == QModelIndex(m_root) && first >= 0 && first <= last && last < size;
}

void ListIndex::onRowsInserted(const QModelIndex& parent, int first, int last)
{
    if (parent != QModelIndex(m_root))
        return;
    const qsizetype before = ownTexts() ? m_texts->size() : m_texts->size() - (last - first + 1);
    if (!inRange(parent, first, last, before + (last - first + 1)))
        return reset();
    QStringList rows;
    for (int row = first; row <= last; ++row)
        rows.append(ownTexts() ? itemText(row) : m_texts->at(row).toString());
    if (!m_leads.empty()) {
        std::vector<Lead> leads;
        for (const QString& row : std::as_const(rows))
            leads.push_back(foldedLead(row));
        m_leads.insert(m_leads.begin() + first, leads.begin(), leads.end());
    }
    dropBuckets();
    if (ownTexts())
        m_own.insert(first, rows);
    if (m_incremental && ready() && rows.size() <= IncrementalLimit)
        m_index->insertRows(first, int(rows.size()));
    else
        changed();
}

void ListIndex::onRowsRemoved(const QModelIndex& parent, int first, int last)
{
    if (parent != QModelIndex(m_root))
        return;
    const qsizetype before = ownTexts() ? m_texts->size() : m_texts->size() + (last - first + 1);
    if (!inRange(parent, first, last, before))
        return reset();
    if (ownTexts())
        m_own.remove(first, last - first + 1);
    if (!m_leads.empty())
        m_leads.erase(m_leads.begin() + first, m_leads.begin() + last + 1);
    dropBuckets();
    if (m_incremental && ready() && last - first < IncrementalLimit)
        m_index->removeRows(first, last);
    else
        changed();
}

void ListIndex::onDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                              const QList<int>& roles)
{
    if (topLeft.parent() != QModelIndex(m_root) || topLeft.column() > m_column ||
        bottomRight.column() < m_column)
        return;
    if (!roles.isEmpty() && !roles.contains(Qt::DisplayRole) && !roles.contains(Qt::EditRole))
        return;
    const int first = topLeft.row();
    const int last = bottomRight.row();
    if (!inRange(topLeft.parent(), first, last, m_texts->size()))
        return reset();
    const bool inPlace = m_incremental && ready() && last - first < IncrementalLimit;
    bool anyChange = false;
    for (int row = first; row <= last; ++row) {
        // The model's own texts have changed already, and said so.
        if (ownTexts()) {
            const QString text = itemText(row);
            if (text == m_texts->at(row))
                continue;
            m_own.replace(row, text);
        }
        if (inPlace)
            m_index->moveRow(row);
        if (!m_leads.empty())
            m_leads[size_t(row)] = foldedLead(m_texts->at(row));
        dropBuckets();
        anyChange = true;
    }
    if (anyChange && !inPlace)
        changed();
}

int ListIndex::find(QStringView text, int after, bool prefix)
{
    // A change the model did not signal is caught here.
    if (m_texts->size() != m_model->rowCount(m_root))
        reset();
    const int n = int(m_texts->size());
    if (n == 0)
        return -1;
    if (after < -1 || after >= n)
        after = -1;
    QString folded;
    appendFolded(folded, text);
    if (ready())
        return m_index->find(units(folded), after, prefix);
    // The index of this list is not ready yet: never wait for it.
    return scan(units(folded), after, prefix);
}

// The search without the index: every row in list order from after + 1,
// wrapping, folded on the fly.
int ListIndex::scan(Units folded, int after, bool prefix)
{
    // Every item begins with nothing: the linear scan ends at once.
    if (!folded.empty() && !m_bucketRows.empty() && m_bucketRows.size() == size_t(m_texts->size()))
        return bucketScan(folded, after, prefix);
    const int n = int(m_texts->size());
    if (m_leads.size() != size_t(n))
        makeLeads();
    const views::CompactTexts& items = *m_texts;
    const Lead* leads = m_leads.data();
    // Only the leading units the query has must agree.
    const size_t known = std::min<size_t>(folded.size(), 8);
    const quint64 mask0 = known >= 4 ? ~quint64(0) : ~(~quint64(0) >> (16 * known));
    const quint64 mask1 = known <= 4 ? 0 : known == 8 ? ~quint64(0) : ~(~quint64(0) >> (16 * (known - 4)));
    const Lead want{leadingUnits(folded), leadingUnits(folded.substr(std::min<size_t>(4, folded.size()))),
                    quint64(folded.size())};
    // An exact search looks only at items of the same length, not at every
    // item that shares the first letters.
    const auto matches = [&](int row) {
        const Lead& lead = leads[row];
        return (prefix ? lead[2] >= want[2] : lead[2] == want[2]) && (lead[0] & mask0) == (want[0] & mask0) &&
               (lead[1] & mask1) == (want[1] & mask1) && foldedMatch(items.at(row), folded, !prefix);
    };
    for (int row = after + 1; row < n; ++row)
        if (matches(row))
            return row;
    for (int row = 0; row <= after; ++row)
        if (matches(row))
            return row;
    return -1;
}

} // namespace lookup_detail

namespace lookup_detail {

void ListIndex::dropBuckets()
{
    m_bucketStart = {};
    m_bucketLeads = {};
    m_bucketRows = {};
}

// The search before the index is ready, through the buckets: the rows of
// the one bucket the first two units name (of the 256 the first unit names,
// for one unit typed), each in list order.
int ListIndex::bucketScan(Units folded, int after, bool prefix) const
{
    const size_t known = std::min<size_t>(folded.size(), 8);
    const quint64 mask0 = known >= 4 ? ~quint64(0) : ~(~quint64(0) >> (16 * known));
    const quint64 mask1 = known <= 4 ? 0 : known == 8 ? ~quint64(0) : ~(~quint64(0) >> (16 * (known - 4)));
    const Lead want{leadingUnits(folded), leadingUnits(folded.substr(std::min<size_t>(4, folded.size()))),
                    quint64(folded.size())};
    const views::CompactTexts& items = *m_texts;
    const auto matches = [&](size_t at) {
        const Lead& lead = m_bucketLeads[at];
        return (prefix ? lead[2] >= want[2] : lead[2] == want[2]) && (lead[0] & mask0) == (want[0] & mask0) &&
               (lead[1] & mask1) == (want[1] & mask1) &&
               (folded.size() <= 8 || foldedMatch(items.at(m_bucketRows[at]), folded, !prefix));
    };
    const int first = bucketOf(want[0]);
    const int last = folded.size() == 1 ? first | 0xFF : first;
    int next = -1;
    int lowest = -1;
    for (int b = first; b <= last; ++b) {
        const auto begin = m_bucketRows.begin() + m_bucketStart[size_t(b)];
        const auto end = m_bucketRows.begin() + m_bucketStart[size_t(b) + 1];
        if (begin == end)
            continue;
        // The first match after the current row, else the first of all.
        auto it = std::upper_bound(begin, end, after);
        for (; it != end && (next < 0 || *it < next); ++it)
            if (matches(size_t(it - m_bucketRows.begin()))) {
                next = *it;
                break;
            }
        if (next >= 0)
            continue;
        const auto stop = std::upper_bound(begin, end, after);
        for (it = begin; it != stop && (lowest < 0 || *it < lowest); ++it)
            if (matches(size_t(it - m_bucketRows.begin()))) {
                lowest = *it;
                break;
            }
    }
    return next >= 0 ? next : lowest;
}

} // namespace lookup_detail
