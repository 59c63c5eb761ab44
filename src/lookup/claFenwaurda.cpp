#include "lookup/claFenwaurda.h"

#include "lookup/ListIndex.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <new>

using lookup_detail::ListIndex;

namespace {

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
    const qsizetype n = finder.toNextBoundary();
    return s.mid(n > 0 ? n : 1);
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

} // namespace

struct claFenwaurda::Private
{
    explicit Private(claFenwaurda* owner) : q(owner) {}

    claFenwaurda* q;
    QPointer<QComboBox> combo;
    QPointer<QLineEdit> lineEdit;
    QPointer<ListIndex> list;
    QMetaObject::Connection destroyed;
    // A key sent to the line edit and ignored there travels on to the
    // combo; remembered so that it is not handled twice.
    const QEvent* fromLineEdit = nullptr;

    // The index of the list the combo shows now (setModel sends no signal).
    ListIndex* currentList()
    {
        if (!combo)
            return nullptr;
        QAbstractItemModel* model = combo->model();
        if (!list || !list->follows(model, combo->modelColumn(), combo->rootModelIndex()))
            list = model ? ListIndex::of(model, combo->modelColumn(), combo->rootModelIndex()) : nullptr;
        return list;
    }

    int find(const QString& text, int after, bool prefix)
    {
        ListIndex* index = currentList();
        return index ? index->find(text, after, prefix) : -1;
    }

    void detach()
    {
        if (combo)
            combo->removeEventFilter(q);
        if (lineEdit)
            lineEdit->removeEventFilter(q);
        QObject::disconnect(destroyed);
        combo = nullptr;
        lineEdit = nullptr;
        list = nullptr;
        fromLineEdit = nullptr;
    }

    // The combo may get a new line edit (setEditable, setLineEdit); keys
    // sent straight to it must be seen too, and its fresh completer must not
    // compete.
    void syncLineEdit()
    {
        QLineEdit* edit = combo ? combo->lineEdit() : nullptr;
        if (edit == lineEdit)
            return;
        if (lineEdit)
            lineEdit->removeEventFilter(q);
        lineEdit = edit;
        fromLineEdit = nullptr;
        if (edit) {
            combo->setCompleter(nullptr);
            edit->installEventFilter(q);
        }
    }

    // True when the key has been dealt with and must not reach the control.
    bool handleKey(const QKeyEvent& key)
    {
        if (!lineEdit || lineEdit->isReadOnly())
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
            return selectMatch(textAfterKey(Qt::Key_Delete, {}), false);
        case Qt::Key_Backspace:
            // Ctrl+Backspace and the like edit whole words; leave them alone.
            if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
                return false;
            return selectMatch(textAfterKey(Qt::Key_Backspace, {}), false);
        default:
            break;
        }
        return isTypedCharacter(key) && selectMatch(textAfterKey(key.key(), key.text()), true);
    }

    QString textAfterKey(int key, const QString& character) const
    {
        const QString text = lineEdit->text();
        qsizetype start = lineEdit->cursorPosition();
        qsizetype length = 0;
        if (lineEdit->hasSelectedText()) {
            start = lineEdit->selectionStart();
            length = lineEdit->selectionLength();
        }
        start = std::clamp<qsizetype>(start, 0, text.size());
        length = std::clamp<qsizetype>(length, 0, text.size() - start);
        const QString left = text.left(start);
        const QString right = text.mid(start + length);
        if (key == Qt::Key_Backspace)
            return (length > 0 ? left : dropLastChar(left)) + right;
        if (key == Qt::Key_Delete)
            return left + (length > 0 ? right : dropFirstChar(right));
        return left + character + right;
    }

    bool selectMatch(const QString& text, bool prefix)
    {
        QComboBox* box = combo;
        QLineEdit* edit = lineEdit;
        // Start at the item selected now, so the current suggestion stays
        // while it still matches.
        const int after = std::max(box->currentIndex() - 1, -1);
        if (text.isEmpty()) {
            box->setCurrentIndex(-1);
            // With nothing selected before, the index does not change and
            // the combo leaves the text alone.
            if (!edit->text().isEmpty())
                edit->clear();
            return after != -1;
        }
        const int found = find(text, after, prefix);
        if (found < 0)
            return false;
        box->setCurrentIndex(found);
        const QString itemText = box->itemText(found);
        // Not every Qt release rewrites the text when the index stays the same.
        if (edit->text() != itemText)
            edit->setText(itemText);
        const int typed = int(std::min(text.size(), itemText.size()));
        edit->setSelection(typed, int(itemText.size()) - typed);
        return true;
    }
};

claFenwaurda::claFenwaurda(QObject* parent) : QObject(parent), d(std::make_unique<Private>(this)) {}

claFenwaurda::~claFenwaurda()
{
    d->detach();
}

void claFenwaurda::attachTo(QComboBox* combo)
{
    if (combo == d->combo)
        return;
    d->detach();
    if (!combo)
        return;
    d->combo = combo;
    combo->installEventFilter(this);
    // Typed text never becomes an item.
    combo->setInsertPolicy(QComboBox::NoInsert);
    d->destroyed = connect(combo, &QObject::destroyed, this, [this] {
        // Half destroyed already: not to be used as a combo, and its filters
        // go with it.
        d->combo.clear();
        d->lineEdit.clear();
        d->detach();
    });
    d->syncLineEdit();
    try {
        // A list seen before comes with its index; a new one is indexed now,
        // so that the first key finds it ready.
        d->currentList();
    } catch (const std::bad_alloc&) {
        // Searches try again; until then the keys go on as typed.
    }
}

QComboBox* claFenwaurda::attached() const
{
    return d->combo;
}

bool claFenwaurda::indexReady() const
{
    ListIndex* list = d->currentList();
    return list && list->ready();
}

bool claFenwaurda::waitForIndex(int msecs)
{
    ListIndex* list = d->currentList();
    return list && list->waitUntilReady(msecs);
}

bool claFenwaurda::contains(const QString& text)
{
    return d->find(text, 0, false) != -1;
}

int claFenwaurda::findPrefix(const QString& text, int after)
{
    return d->find(text, after, true);
}

int claFenwaurda::findExact(const QString& text, int after)
{
    return d->find(text, after, false);
}

bool claFenwaurda::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    // Other events arrive while the combo is being destroyed, when it is no
    // longer to be looked at as a combo.
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::FocusIn)
        return false;
    if (!d->combo || (watched != d->combo && watched != d->lineEdit))
        return false;
    try {
        if (type == QEvent::FocusIn) {
            if (watched == d->combo)
                d->currentList(); // a new model is indexed before the keys
            return false;
        }
        if (watched == d->combo)
            d->syncLineEdit();
        if (type == QEvent::KeyRelease) {
            if (watched == d->lineEdit)
                d->fromLineEdit = nullptr;
            return false;
        }
        if (watched == d->combo && event == d->fromLineEdit) {
            d->fromLineEdit = nullptr;
            return false;
        }
        d->fromLineEdit = watched == d->lineEdit ? event : nullptr;
        return d->handleKey(*static_cast<QKeyEvent*>(event));
    } catch (const std::bad_alloc&) {
        // Out of memory: the key goes on as typed.
        return false;
    }
}
