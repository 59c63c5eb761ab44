#include "lookup/claFenwaurda.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTextBoundaryFinder>

#include <algorithm>

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

} // namespace

claFenwaurda::claFenwaurda(QObject* parent) : QObject(parent) {}

claFenwaurda::~claFenwaurda()
{
    detach();
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
    m_destroyed = connect(combo, &QObject::destroyed, this, [this] { detach(); });
    syncLineEdit();
    syncModel();
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
    for (const QMetaObject::Connection& c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    disconnect(m_destroyed);
    m_combo = nullptr;
    m_lineEdit = nullptr;
    m_model = nullptr;
    m_fromLineEdit = nullptr;
    dropFolded();
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

// Follows the list: any change marks the folded copy stale; it is rebuilt
// by the next search, so filling a list row by row costs nothing here.
void claFenwaurda::syncModel()
{
    QAbstractItemModel* model = m_combo ? m_combo->model() : nullptr;
    if (model == m_model && m_combo && m_combo->modelColumn() == m_column)
        return;
    for (const QMetaObject::Connection& c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_model = model;
    m_dirty = true;
    if (!model)
        return;
    auto stale = [this] { m_dirty = true; };
    m_connections << connect(model, &QAbstractItemModel::rowsInserted, this, stale)
                  << connect(model, &QAbstractItemModel::rowsRemoved, this, stale)
                  << connect(model, &QAbstractItemModel::rowsMoved, this, stale)
                  << connect(model, &QAbstractItemModel::dataChanged, this, stale)
                  << connect(model, &QAbstractItemModel::modelReset, this, stale)
                  << connect(model, &QAbstractItemModel::layoutChanged, this, stale);
}

void claFenwaurda::dropFolded()
{
    m_chars.clear();
    m_chars.squeeze();
    m_offsets = {};
    m_sorted = {};
    m_dirty = true;
}

void claFenwaurda::rebuildFolded()
{
    dropFolded();
    const int n = m_combo->count();
    m_column = m_combo->modelColumn();
    m_offsets.reserve(size_t(n) + 1);
    m_offsets.push_back(0);
    m_chars.reserve(qsizetype(n) * 24);
    for (int row = 0; row < n; ++row) {
        appendFolded(m_chars, m_combo->itemText(row));
        m_offsets.push_back(m_chars.size());
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
        const std::u16string_view text = item(row);
        entries[size_t(row)] = {leadingUnits(text),
                                leadingUnits(text.substr(std::min<size_t>(4, text.size()))), row};
    }
    std::sort(entries.begin(), entries.end(), [this](const Entry& a, const Entry& b) {
        if (a.lead0 != b.lead0)
            return a.lead0 < b.lead0;
        if (a.lead1 != b.lead1)
            return a.lead1 < b.lead1;
        const int c = item(a.row).compare(item(b.row));
        return c < 0 || (c == 0 && a.row < b.row);
    });
    m_sorted.resize(size_t(n));
    for (int i = 0; i < n; ++i)
        m_sorted[size_t(i)] = entries[size_t(i)].row;
    m_dirty = false;
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
        if (m_dirty || size_t(m_combo->count()) + 1 != m_offsets.size())
            rebuildFolded();
        QString folded;
        appendFolded(folded, text);
        return findFolded({reinterpret_cast<const char16_t*>(folded.utf16()), size_t(folded.size())}, after,
                          search);
    } catch (...) {
        // A search that cannot run is no match; the key goes on as typed.
        return -1;
    }
}

int claFenwaurda::findFolded(std::u16string_view folded, int after, Search search) const
{
    const int n = int(m_sorted.size());
    if (n == 0)
        return -1;
    if (after < -1 || after >= n)
        after = -1;
    const int start = after + 1;

    const auto matches = [&](int row) {
        return search == Search::Prefix ? item(row).starts_with(folded) : item(row) == folded;
    };
    if (search == Search::Prefix) {
        for (int i = 0, row = start; i < LinearProbe && i < n; ++i, ++row) {
            if (row == n)
                row = 0;
            if (matches(row))
                return row;
        }
    }

    // Matching rows are one run of the sorted index.
    const auto lo = std::partition_point(m_sorted.begin(), m_sorted.end(),
                                         [&](int row) { return item(row).compare(folded) < 0; });
    const auto hi = std::partition_point(lo, m_sorted.end(), matches);
    if (lo == hi)
        return -1;

    if (search == Search::Exact) {
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

bool claFenwaurda::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
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
