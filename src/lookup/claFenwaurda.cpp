#include "lookup/claFenwaurda.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStringListModel>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>

#include <sys/resource.h>
#include <unistd.h>

namespace {

// How many rows a prefix search tries in list order before it asks the
// sorted index. The item selected now usually still matches, so most
// keystrokes end at the first row.
constexpr int LinearProbe = 32;

QString dropLastChar(const QString& s)
{
    if (s.isEmpty())
        return {};
    qsizetype n = 1;
    if (s.size() >= 2 && s.back().isLowSurrogate() && s.at(s.size() - 2).isHighSurrogate())
        n = 2;
    return s.left(s.size() - n);
}

// Drops what the line edit's Delete removes: one whole character, accent
// marks included.
QString dropFirstChar(const QString& s)
{
    if (s.isEmpty())
        return {};
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, s);
    qsizetype n = finder.toNextBoundary();
    if (n <= 0)
        n = 1;
    return s.mid(n);
}

// The same test the line edit applies before it inserts a key's text, so
// that exactly the characters it would type are completed.
bool isTypedCharacter(const QKeyEvent& key)
{
    const QString text = key.text();
    if (text.isEmpty())
        return false;
    const QChar c = text.front();
    if (c.category() == QChar::Other_Format)
        return true;
    const Qt::KeyboardModifiers mods = key.modifiers() & ~(Qt::KeypadModifier | Qt::GroupSwitchModifier);
    if (mods == Qt::ControlModifier || mods == (Qt::ControlModifier | Qt::ShiftModifier))
        return false;
    if (c.isPrint() || c.category() == QChar::Other_PrivateUse)
        return true;
    return c.isHighSurrogate() && text.size() > 1 && text.at(1).isLowSurrogate();
}

// Simple case folding, one code point at a time, straight into out: the
// same folding for the list and for the typed text, without a temporary
// string per item.
void appendFolded(QString& out, QStringView s)
{
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i].unicode();
        if (c < 0x80) {
            out += QChar(c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c);
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && s[i + 1].isLowSurrogate()) {
            const char32_t folded = QChar::toCaseFolded(QChar::surrogateToUcs4(c, s[i + 1].unicode()));
            for (QChar unit : QChar::fromUcs4(folded))
                out += unit;
            ++i;
        } else {
            const char32_t folded = QChar::toCaseFolded(char32_t(c));
            for (QChar unit : QChar::fromUcs4(folded))
                out += unit;
        }
    }
}

// The first four code units of s as one number, in the same order as the
// texts themselves; most comparisons of the sort end here.
quint64 leadingUnits(std::u16string_view s)
{
    quint64 key = 0;
    for (size_t i = 0; i < 4; ++i)
        key = key << 16 | (i < s.size() ? s[i] : 0);
    return key;
}

// Whether s, folded as appendFolded folds it, begins with (or, when whole,
// equals) folded. Folds one code point at a time and stops at the first
// difference, so a scan of the list seldom looks past the first letter.
bool foldedMatch(QStringView s, std::u16string_view folded, bool whole)
{
    const qsizetype n = s.size();
    const size_t m = folded.size();
    size_t j = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (j == m)
            return !whole;
        const char16_t c = s[i].unicode();
        if (c < 0x80) {
            if (folded[j] != (c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c))
                return false;
            ++j;
            continue;
        }
        char32_t code = c;
        if (QChar::isHighSurrogate(c) && i + 1 < n && s[i + 1].isLowSurrogate())
            code = QChar::surrogateToUcs4(c, s[++i].unicode());
        const char32_t f = QChar::toCaseFolded(code);
        if (QChar::requiresSurrogates(f)) {
            if (m - j < 2 || folded[j] != QChar::highSurrogate(f) || folded[j + 1] != QChar::lowSurrogate(f))
                return false;
            j += 2;
        } else {
            if (folded[j] != char16_t(f))
                return false;
            ++j;
        }
    }
    return j == m;
}

// The first eight code units of s, folded as appendFolded folds it, as two
// numbers: a scan compares these first and reads the text itself only when
// they agree.
std::array<quint64, 2> foldedLead(QStringView s)
{
    QString head;
    appendFolded(head, s.left(8));
    const std::u16string_view units{reinterpret_cast<const char16_t*>(head.utf16()), size_t(head.size())};
    return {leadingUnits(units), leadingUnits(units.substr(std::min<size_t>(4, units.size())))};
}

struct Cancelled
{
};

} // namespace

namespace lookup_detail {

// Case-folded copy of one list with its rows ordered by folded text, then
// by row, so that a binary search tells at once whether anything matches
// and which rows do. All items share one buffer: item i is
// chars[offsets[i], offsets[i + 1]). Never changed once built, so the
// worker that builds it and the searches need no lock.
struct Index
{
    QString chars;
    std::vector<qsizetype> offsets;
    std::vector<int> sorted;

    int size() const { return int(sorted.size()); }
    std::u16string_view item(int row) const
    {
        const auto begin = offsets[size_t(row)];
        return {reinterpret_cast<const char16_t*>(chars.utf16()) + begin,
                size_t(offsets[size_t(row) + 1] - begin)};
    }
};

// What the lookup object and its worker thread share. The worker sleeps
// until it is handed a list, so a keystroke never waits for a thread to be
// created. wanted is the generation of the current list; a build of any
// other stops at its next check.
struct Builder
{
    std::mutex mutex;
    std::condition_variable wake;
    bool stop = false;
    bool hasRequest = false;
    QStringList request;
    quint64 requestGeneration = 0;
    bool hasResult = false;
    std::shared_ptr<const Index> result;
    quint64 resultGeneration = 0;
    std::atomic<bool> resultWaiting{false};
    std::atomic<quint64> wanted{0};
};

} // namespace lookup_detail

namespace {

using lookup_detail::Builder;
using lookup_detail::Index;

// Runs on the worker thread: reads only the snapshot and its own buffers.
// Checks for cancellation often, so that a stale build stops at once.
std::shared_ptr<const Index> buildIndex(const QStringList& items, const std::atomic<quint64>& wanted,
                                        quint64 generation)
{
    const auto check = [&] {
        if (wanted.load(std::memory_order_relaxed) != generation)
            throw Cancelled{};
    };
    auto index = std::make_shared<Index>();
    const int n = int(items.size());
    index->offsets.reserve(size_t(n) + 1);
    index->offsets.push_back(0);
    index->chars.reserve(qsizetype(n) * 24);
    for (int row = 0; row < n; ++row) {
        if ((row & 1023) == 0)
            check();
        appendFolded(index->chars, items.at(row));
        index->offsets.push_back(index->chars.size());
    }

    struct Entry
    {
        quint64 lead0;
        quint64 lead1;
        int row;
    };
    std::vector<Entry> entries;
    entries.resize(size_t(n));
    for (int row = 0; row < n; ++row) {
        const std::u16string_view text = index->item(row);
        entries[size_t(row)] = {leadingUnits(text),
                                leadingUnits(text.substr(std::min<size_t>(4, text.size()))), row};
    }
    check();
    const Index& built = *index;
    std::sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        check();
        if (a.lead0 != b.lead0)
            return a.lead0 < b.lead0;
        if (a.lead1 != b.lead1)
            return a.lead1 < b.lead1;
        const int c = built.item(a.row).compare(built.item(b.row));
        return c < 0 || (c == 0 && a.row < b.row);
    });
    index->sorted.resize(size_t(n));
    for (int i = 0; i < n; ++i)
        index->sorted[size_t(i)] = entries[size_t(i)].row;
    return index;
}

void runBuilder(Builder& b)
{
    // The keystrokes come first: the build takes what CPU is left.
    setpriority(PRIO_PROCESS, id_t(gettid()), 10);
    for (;;) {
        QStringList items;
        quint64 generation = 0;
        {
            std::unique_lock lock(b.mutex);
            b.wake.wait(lock, [&b] { return b.stop || b.hasRequest; });
            if (b.stop)
                return;
            items = std::move(b.request);
            b.request = QStringList();
            b.hasRequest = false;
            generation = b.requestGeneration;
        }
        std::shared_ptr<const Index> built;
        bool cancelled = false;
        try {
            built = buildIndex(items, b.wanted, generation);
        } catch (const Cancelled&) {
            cancelled = true;
        } catch (...) {
            // Out of memory: searches go on scanning.
        }
        // The list is released here, not on the GUI thread.
        items = QStringList();
        if (cancelled)
            continue;
        std::lock_guard lock(b.mutex);
        b.result = std::move(built);
        b.resultGeneration = generation;
        b.hasResult = true;
        b.resultWaiting.store(true, std::memory_order_release);
    }
}

// The indexed search: the same answers as a scan in list order.
int findIndexed(const Index& index, std::u16string_view folded, int after, bool prefix)
{
    const int n = index.size();
    if (n == 0)
        return -1;
    if (after < -1 || after >= n)
        after = -1;
    const int start = after + 1;

    const auto matches = [&](int row) {
        return prefix ? index.item(row).starts_with(folded) : index.item(row) == folded;
    };
    if (prefix) {
        for (int i = 0, row = start; i < LinearProbe && i < n; ++i, ++row) {
            if (row == n)
                row = 0;
            if (matches(row))
                return row;
        }
    }

    // Matching rows are one run of the sorted index.
    const auto lo = std::partition_point(index.sorted.begin(), index.sorted.end(),
                                         [&](int row) { return index.item(row).compare(folded) < 0; });
    const auto hi = std::partition_point(lo, index.sorted.end(), matches);
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
        const int row = *it;
        first = std::min(first, row);
        if (row >= start)
            next = std::min(next, row);
    }
    return next != n ? next : first;
}

} // namespace

claFenwaurda::claFenwaurda(QObject* parent) : QObject(parent) {}

claFenwaurda::~claFenwaurda()
{
    detach();
    if (m_builder) {
        {
            std::lock_guard lock(m_builder->mutex);
            m_builder->stop = true;
            m_builder->request = QStringList();
            m_builder->hasRequest = false;
        }
        m_builder->wanted.store(0, std::memory_order_relaxed);
        m_builder->wake.notify_all();
    }
    if (m_thread.joinable())
        m_thread.join();
}

void claFenwaurda::AttachTo(QComboBox* combo)
{
    if (combo == m_combo)
        return;
    detach();
    if (!combo)
        return;
    m_combo = combo;
    combo->installEventFilter(this);
    // Typed text never becomes an item.
    combo->setInsertPolicy(QComboBox::NoInsert);
    m_destroyed = connect(combo, &QObject::destroyed, this, [this] {
        // Half destroyed already: not to be used as a combo, and its filters
        // go with it.
        m_combo.clear();
        m_lineEdit.clear();
        detach();
    });
    syncLineEdit();
    try {
        syncModel();
        // Index now, so that the first key finds it ready.
        startRebuild();
    } catch (...) {
        // Searches read the list again when it is needed.
        dropItems();
    }
}

QComboBox* claFenwaurda::attached() const
{
    return m_combo;
}

void claFenwaurda::detach()
{
    if (m_combo)
        m_combo->removeEventFilter(this);
    if (m_lineEdit)
        m_lineEdit->removeEventFilter(this);
    if (m_model)
        for (const QMetaObject::Connection& c : std::as_const(m_connections))
            disconnect(c);
    m_connections.clear();
    disconnect(m_destroyed);
    m_combo = nullptr;
    m_lineEdit = nullptr;
    m_model = nullptr;
    m_stringListModel = nullptr;
    m_root = QPersistentModelIndex();
    m_fromLineEdit = nullptr;
    dropItems();
}

// The combo may get a new line edit (setEditable, setLineEdit); keys sent
// straight to it must be seen too, and its fresh completer must not compete.
void claFenwaurda::syncLineEdit()
{
    QLineEdit* edit = m_combo ? m_combo->lineEdit() : nullptr;
    if (edit == m_lineEdit)
        return;
    if (m_lineEdit)
        m_lineEdit->removeEventFilter(this);
    m_lineEdit = edit;
    m_fromLineEdit = nullptr;
    if (edit) {
        m_combo->setCompleter(nullptr);
        edit->installEventFilter(this);
    }
}

// Follows the list: each change is applied to the copy of the texts at once
// (only the rows it touches) and a new index is built in the background.
void claFenwaurda::syncModel()
{
    QAbstractItemModel* model = m_combo ? m_combo->model() : nullptr;
    if (model == m_model && m_combo && m_combo->modelColumn() == m_column &&
        m_combo->rootModelIndex() == QModelIndex(m_root) && m_items.size() == m_combo->count())
        return;
    if (model != m_model) {
        // A model already destroyed has dropped its connections itself.
        if (m_model)
            for (const QMetaObject::Connection& c : std::as_const(m_connections))
                disconnect(c);
        m_connections.clear();
        m_model = model;
        m_stringListModel = qobject_cast<QStringListModel*>(model);
        if (model) {
            auto reread = [this] {
                readAllItems();
                itemsChanged();
            };
            m_connections
                << connect(model, &QAbstractItemModel::rowsInserted, this, &claFenwaurda::onRowsInserted)
                << connect(model, &QAbstractItemModel::rowsRemoved, this, &claFenwaurda::onRowsRemoved)
                << connect(model, &QAbstractItemModel::dataChanged, this, &claFenwaurda::onDataChanged)
                << connect(model, &QAbstractItemModel::rowsMoved, this, reread)
                << connect(model, &QAbstractItemModel::columnsInserted, this, reread)
                << connect(model, &QAbstractItemModel::columnsRemoved, this, reread)
                << connect(model, &QAbstractItemModel::columnsMoved, this, reread)
                << connect(model, &QAbstractItemModel::modelReset, this, reread)
                << connect(model, &QAbstractItemModel::layoutChanged, this, reread);
        }
    }
    readAllItems();
    itemsChanged();
}

void claFenwaurda::readAllItems()
{
    m_items.clear();
    m_leads.clear();
    m_column = m_combo ? m_combo->modelColumn() : 0;
    m_root = m_combo ? QPersistentModelIndex(m_combo->rootModelIndex()) : QPersistentModelIndex();
    if (!m_combo || !m_model)
        return;
    // A plain string list hands out its texts as one shared copy.
    if (m_stringListModel && m_column == 0 && !m_root.isValid()) {
        m_items = m_stringListModel->stringList();
        if (m_items.size() != m_combo->count())
            m_items.clear();
    }
    if (m_items.isEmpty()) {
        const int n = m_combo->count();
        m_items.reserve(n);
        for (int row = 0; row < n; ++row)
            m_items.append(m_combo->itemText(row));
    }
    m_leads.resize(size_t(m_items.size()));
    for (qsizetype row = 0; row < m_items.size(); ++row)
        m_leads[size_t(row)] = foldedLead(m_items.at(row));
}

void claFenwaurda::onRowsInserted(const QModelIndex& parent, int first, int last)
{
    if (!m_combo || parent != QModelIndex(m_root))
        return;
    if (first < 0 || first > m_items.size() || last < first) {
        readAllItems();
    } else {
        QStringList rows;
        std::vector<std::array<quint64, 2>> leads;
        rows.reserve(last - first + 1);
        leads.reserve(size_t(last - first + 1));
        for (int row = first; row <= last; ++row) {
            rows.append(m_combo->itemText(row));
            leads.push_back(foldedLead(rows.back()));
        }
        m_leads.insert(m_leads.begin() + first, leads.begin(), leads.end());
        if (first == m_items.size()) {
            m_items.append(std::move(rows));
        } else {
            m_items.insert(first, rows.size(), QString());
            std::move(rows.begin(), rows.end(), m_items.begin() + first);
        }
    }
    itemsChanged();
}

void claFenwaurda::onRowsRemoved(const QModelIndex& parent, int first, int last)
{
    if (!m_combo || parent != QModelIndex(m_root))
        return;
    if (first < 0 || last < first || last >= m_items.size()) {
        readAllItems();
    } else {
        m_items.remove(first, last - first + 1);
        m_leads.erase(m_leads.begin() + first, m_leads.begin() + last + 1);
    }
    itemsChanged();
}

void claFenwaurda::onDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                 const QList<int>& roles)
{
    if (!m_combo || topLeft.parent() != QModelIndex(m_root))
        return;
    if (topLeft.column() > m_column || bottomRight.column() < m_column)
        return;
    if (!roles.isEmpty() && !roles.contains(Qt::DisplayRole) && !roles.contains(Qt::EditRole))
        return;
    const int first = topLeft.row();
    const int last = bottomRight.row();
    if (first < 0 || last < first || last >= m_items.size()) {
        readAllItems();
        itemsChanged();
        return;
    }
    bool changed = false;
    for (int row = first; row <= last; ++row) {
        QString text = m_combo->itemText(row);
        if (text != m_items.at(row)) {
            m_leads[size_t(row)] = foldedLead(text);
            m_items[row] = std::move(text);
            changed = true;
        }
    }
    if (changed)
        itemsChanged();
}

// The index in use, or the one being built, no longer fits the list.
void claFenwaurda::itemsChanged()
{
    ++m_generation;
    m_index.reset();
    if (m_builder) {
        m_builder->wanted.store(m_generation, std::memory_order_relaxed);
        // A list not yet taken up would only share the texts for nothing.
        std::lock_guard lock(m_builder->mutex);
        if (m_builder->hasRequest) {
            m_builder->request = QStringList();
            m_builder->hasRequest = false;
        }
    }
    scheduleRebuild();
}

// A list filled row by row signals once per row: the build waits for the
// event loop, so that it starts once, right after the filling.
void claFenwaurda::scheduleRebuild()
{
    if (m_rebuildQueued)
        return;
    m_rebuildQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_rebuildQueued = false;
            try {
                adoptFinishedIndex();
                startRebuild();
            } catch (...) {
                // The next search tries again.
            }
        },
        Qt::QueuedConnection);
}

// Hands the current list to the worker, which is started once, here.
void claFenwaurda::startRebuild()
{
    if (!m_combo || m_requestedGeneration == m_generation)
        return;
    if (!m_builder) {
        auto builder = std::make_shared<Builder>();
        try {
            m_thread = std::thread([builder] { runBuilder(*builder); });
        } catch (const std::system_error&) {
            // No thread to be had: searches go on scanning the list.
            return;
        }
        m_builder = std::move(builder);
    }
    m_requestedGeneration = m_generation;
    m_builder->wanted.store(m_generation, std::memory_order_relaxed);
    {
        std::lock_guard lock(m_builder->mutex);
        m_builder->request = m_items;
        m_builder->requestGeneration = m_generation;
        m_builder->hasRequest = true;
    }
    m_builder->wake.notify_one();
}

void claFenwaurda::adoptFinishedIndex()
{
    if (!m_builder || !m_builder->resultWaiting.load(std::memory_order_acquire))
        return;
    std::shared_ptr<const Index> result;
    quint64 generation = 0;
    {
        std::lock_guard lock(m_builder->mutex);
        if (!m_builder->hasResult)
            return;
        result = std::move(m_builder->result);
        generation = m_builder->resultGeneration;
        m_builder->hasResult = false;
        m_builder->resultWaiting.store(false, std::memory_order_relaxed);
    }
    // An index of an older list is thrown away; so is a failed build, which
    // is not tried again until the list changes.
    if (generation == m_generation && result) {
        m_index = std::move(result);
        m_indexGeneration = generation;
    }
    if (generation == m_generation && !m_index)
        m_failedGeneration = generation;
}

void claFenwaurda::dropItems()
{
    m_items = QStringList();
    m_leads = {};
    ++m_generation;
    m_index.reset();
    if (m_builder)
        m_builder->wanted.store(m_generation, std::memory_order_relaxed);
}

bool claFenwaurda::indexReady() const
{
    return m_combo && m_index && m_indexGeneration == m_generation;
}

bool claFenwaurda::waitForIndex(int msecs)
{
    try {
        if (!m_combo)
            return false;
        syncModel();
        adoptFinishedIndex();
        startRebuild();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(msecs);
        while (m_builder && !indexReady() && m_failedGeneration != m_generation &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            adoptFinishedIndex();
        }
        return indexReady();
    } catch (...) {
        return false;
    }
}

bool claFenwaurda::Contains(const QString& text)
{
    return find(text, 0, Search::Exact) != -1;
}

int claFenwaurda::findPrefix(const QString& text, int after)
{
    return find(text, after, Search::Prefix);
}

int claFenwaurda::findExact(const QString& text, int after)
{
    return find(text, after, Search::Exact);
}

int claFenwaurda::find(const QString& text, int after, Search search)
{
    try {
        if (!m_combo)
            return -1;
        syncModel();
        adoptFinishedIndex();
        QString folded;
        appendFolded(folded, text);
        const std::u16string_view query{reinterpret_cast<const char16_t*>(folded.utf16()),
                                        size_t(folded.size())};
        if (m_index && m_indexGeneration == m_generation)
            return findIndexed(*m_index, query, after, search == Search::Prefix);
        // The index of this list is not ready yet: never wait for it.
        startRebuild();
        return scan(query, after, search);
    } catch (...) {
        // A search that cannot run is no match; the key goes on as typed.
        return -1;
    }
}

// The search without the index: every row in list order from after + 1,
// wrapping, folded on the fly.
int claFenwaurda::scan(std::u16string_view folded, int after, Search search) const
{
    const int n = int(m_items.size());
    if (n == 0)
        return -1;
    if (after < -1 || after >= n)
        after = -1;
    const bool whole = search == Search::Exact;
    const QString* items = m_items.constData();
    const std::array<quint64, 2>* leads = m_leads.data();
    // Only the leading units the query has must agree.
    const size_t known = std::min<size_t>(folded.size(), 8);
    const quint64 mask0 = known >= 4 ? ~quint64(0) : ~(~quint64(0) >> (16 * known));
    const quint64 mask1 = known <= 4 ? 0 : known == 8 ? ~quint64(0) : ~(~quint64(0) >> (16 * (known - 4)));
    const quint64 want0 = leadingUnits(folded);
    const quint64 want1 = leadingUnits(folded.substr(std::min<size_t>(4, folded.size()))) & mask1;
    const auto matchesAt = [&](int row) {
        const std::array<quint64, 2>& lead = leads[row];
        return (lead[0] & mask0) == (want0 & mask0) && (lead[1] & mask1) == want1 &&
               foldedMatch(items[row], folded, whole);
    };
    for (int row = after + 1; row < n; ++row)
        if (matchesAt(row))
            return row;
    for (int row = 0; row <= after; ++row)
        if (matchesAt(row))
            return row;
    return -1;
}

bool claFenwaurda::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::FocusIn && watched == m_combo && m_combo->model() != m_model) {
        // A new model (setModel) sends no signal; read it before the keys.
        try {
            syncModel();
        } catch (...) {
            dropItems();
        }
    }
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return false;
    if (!m_combo || (watched != m_combo && watched != m_lineEdit))
        return false;
    if (watched == m_combo)
        syncLineEdit();
    if (type == QEvent::KeyRelease) {
        if (watched == m_lineEdit)
            m_fromLineEdit = nullptr;
        return false;
    }
    if (watched == m_combo && event == m_fromLineEdit) {
        m_fromLineEdit = nullptr;
        return false;
    }
    m_fromLineEdit = watched == m_lineEdit ? event : nullptr;
    try {
        return handleKey(*static_cast<QKeyEvent*>(event));
    } catch (...) {
        return false;
    }
}

// True when the key has been dealt with and must not reach the control.
bool claFenwaurda::handleKey(const QKeyEvent& key)
{
    if (!m_lineEdit || m_lineEdit->isReadOnly())
        return false;
    switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        // Forms turn Enter into a move to the next field.
        return false;
    case Qt::Key_Delete:
        // Modifiers are not looked at for Delete.
        return selectMatch(textAfterKey(Qt::Key_Delete, {}), Search::Exact);
    case Qt::Key_Backspace:
        // Ctrl+Backspace and the like edit whole words; leave them alone.
        if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return false;
        return selectMatch(textAfterKey(Qt::Key_Backspace, {}), Search::Exact);
    default:
        break;
    }
    if (!isTypedCharacter(key))
        return false;
    return selectMatch(textAfterKey(key.key(), key.text()), Search::Prefix);
}

QString claFenwaurda::textAfterKey(int key, const QString& character) const
{
    const QString text = m_lineEdit->text();
    qsizetype start = m_lineEdit->cursorPosition();
    qsizetype length = 0;
    if (m_lineEdit->hasSelectedText()) {
        start = m_lineEdit->selectionStart();
        length = m_lineEdit->selectionLength();
    }
    start = std::clamp<qsizetype>(start, 0, text.size());
    length = std::clamp<qsizetype>(length, 0, text.size() - start);
    QString left = text.left(start);
    QString right = text.mid(start + length);

    if (key == Qt::Key_Backspace)
        return (length > 0 ? left : dropLastChar(left)) + right;
    if (key == Qt::Key_Delete)
        return left + (length > 0 ? right : dropFirstChar(right));
    return left + character + right;
}

bool claFenwaurda::selectMatch(const QString& text, Search search)
{
    QComboBox* combo = m_combo;
    QLineEdit* edit = m_lineEdit;
    if (!combo || !edit)
        return false;
    // Start at the item selected now, so the current suggestion stays while
    // it still matches.
    const int after = std::max(combo->currentIndex() - 1, -1);
    if (text.isEmpty()) {
        combo->setCurrentIndex(-1);
        // With nothing selected before, the index does not change and the
        // combo leaves the text alone.
        if (!edit->text().isEmpty())
            edit->clear();
        return after != -1;
    }
    const int found = find(text, after, search);
    if (found < 0)
        return false;
    combo->setCurrentIndex(found);
    const QString itemText = combo->itemText(found);
    // Not every Qt release rewrites the text when the index stays the same.
    if (edit->text() != itemText)
        edit->setText(itemText);
    const int typed = int(std::min(text.size(), itemText.size()));
    edit->setSelection(typed, int(itemText.size()) - typed);
    return true;
}
