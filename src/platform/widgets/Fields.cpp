#include "Fields.h"

#include "MessageBox.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QRegularExpressionValidator>
#include <QTextBoundaryFinder>

namespace platform {
namespace {

bool isDigitText(const QString& text)
{
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

// Keys that move between fields or close things pass every field filter.
bool isNavigationKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab || key == Qt::Key_Backtab ||
           key == Qt::Key_Escape;
}

class DigitsOnlyFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        auto* key = static_cast<QKeyEvent*>(event);
        if (isNavigationKey(key->key()))
            return false;
        if (key->key() == Qt::Key_Backspace)
            return true;
        // Shortcuts (copy, select all) produce control characters; paste is
        // checked by the validator.
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return false;
        // Delete arrives with the control character DEL on X11; like the
        // cursor keys it edits without typing, so it passes.
        if (key->key() == Qt::Key_Delete)
            return false;
        const QString text = key->text();
        return !text.isEmpty() && !isDigitText(text);
    }
};

class EnterMovesOnFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        QWidget* focus = QApplication::focusWidget();
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!focus || !widget || focus->window() != widget->window())
            return false;
        // An open combo list takes Enter as its choice.
        if (auto* combo = qobject_cast<QComboBox*>(focus); combo && combo->view()->isVisible())
            return false;
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QCoreApplication::sendEvent(focus, &tab);
        return true;
    }
};

// Drops control characters and halves of surrogate pairs: the data file
// keeps UTF-8, which has no way to hold half a character, and a control
// character in a name would break the printed note. A line break or a tab
// (pasted from a page of text) becomes one blank, so words stay apart.
QString storableText(const QString& text, bool* dropped)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
        } else if (c.isSurrogate() || c.category() == QChar::Other_Control) {
            *dropped = true;
            const bool crlf = c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n';
            if (c.isSpace() && !crlf)
                out += u' ';
        } else {
            out += c;
        }
    }
    return out;
}

// The longest start of text, at most room units long, that ends between
// two whole characters (a letter keeps its accents, a pair its two halves).
qsizetype wholeCharactersWithin(const QString& text, qsizetype room)
{
    if (text.size() <= room)
        return text.size();
    if (room <= 0)
        return 0;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.setPosition(room);
    qsizetype at = finder.isAtBoundary() ? room : std::max<qsizetype>(finder.toPreviousBoundary(), 0);
    // Qt takes the middle of a pair for a boundary before some letters
    // (U+0B77): a pair is never parted.
    if (at > 0 && text[at - 1].isHighSurrogate() && text[at].isLowSurrogate())
        --at;
    return at;
}

// Watches the operator's edits (typing, paste, drop, input methods, undo:
// all come as textEdited) and keeps what was inserted within the limit.
class LengthLimit : public QObject
{
public:
    LengthLimit(QLineEdit* edit, int limit) : QObject(edit), m_edit(edit), m_limit(limit), m_now(edit->text())
    {
        setObjectName(Name);
        // The field's own text, not the signal's: when an edit is cut here,
        // Qt goes on to announce the text from before the cut.
        connect(edit, &QLineEdit::textChanged, this, [this] { m_now = m_edit->text(); });
        connect(edit, &QLineEdit::textEdited, this, &LengthLimit::edited);
    }

    static inline const QString Name = QStringLiteral("lengthLimit");
    QString record() const { return m_now; }

private:
    void edited(const QString& text)
    {
        // Qt tells an edit before it announces the changed text, so the
        // text recorded is still the one the edit started from.
        const QString old = m_now;
        // What the edit put in: the text between the parts it left alone.
        qsizetype head = 0;
        const qsizetype shorter = std::min(old.size(), text.size());
        while (head < shorter && old[head] == text[head])
            ++head;
        if (head > 0 && text[head - 1].isHighSurrogate())
            --head;
        qsizetype tail = 0;
        while (tail < shorter - head && old[old.size() - 1 - tail] == text[text.size() - 1 - tail])
            ++tail;
        if (tail > 0 && text[text.size() - tail].isLowSurrogate())
            --tail;
        const QString inserted = text.mid(head, text.size() - head - tail);
        if (inserted.isEmpty())
            return;

        bool dropped = false;
        QString kept = storableText(inserted, &dropped);
        const qsizetype room = m_limit - head - tail;
        const qsizetype fits = wholeCharactersWithin(kept, room);
        const bool cut = fits < kept.size();
        if (!cut && !dropped)
            return;
        kept.truncate(fits);
        m_edit->setText(text.left(head) + kept + text.right(tail));
        m_edit->setCursorPosition(int(head + kept.size()));

        QStringList message;
        if (cut)
            message << QStringLiteral("Este campo aceita no máximo %1 caracteres; o texto que passou disso "
                                      "foi deixado de fora.")
                           .arg(m_limit);
        if (dropped)
            message << QStringLiteral("Quebras de linha, tabulações e outros caracteres de controle ou "
                                      "inválidos foram retirados do texto.");
        QString title = m_edit->window()->windowTitle();
        if (title.isEmpty())
            title = QStringLiteral("Fenwarda de Vídeo");
        MessageBox::information(m_edit->window(), title, message.join(u'\n'));
    }

    QLineEdit* m_edit;
    int m_limit;
    QString m_now;
};

} // namespace

void limitLength(QLineEdit* edit, int limit)
{
    new LengthLimit(edit, limit);
}

void limitLength(QComboBox* combo, int limit)
{
    limitLength(combo->lineEdit(), limit);
}

QString lengthLimitRecord(const QLineEdit* edit)
{
    auto* limit = edit->findChild<QObject*>(LengthLimit::Name, Qt::FindDirectChildrenOnly);
    auto* ours = dynamic_cast<const LengthLimit*>(limit);
    return ours ? ours->record() : QString();
}

QLineEdit* namedLineEdit(QWidget* parent, const char* name)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromUtf8(name));
    return edit;
}

void makeDigitsOnly(QLineEdit* edit)
{
    edit->installEventFilter(new DigitsOnlyFilter(edit));
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
}

void installEnterMovesOn(QWidget* window)
{
    auto* filter = new EnterMovesOnFilter(window);
    window->installEventFilter(filter);
    const QList<QWidget*> children = window->findChildren<QWidget*>();
    for (QWidget* w : children)
        w->installEventFilter(filter);
}

void setAccessibleLabel(QWidget* field, const QString& label)
{
    field->setAccessibleName(label);
}

QString fieldText(const QWidget* field)
{
    if (auto* masked = qobject_cast<const MaskedEdit*>(field))
        return masked->value();
    if (auto* combo = qobject_cast<const QComboBox*>(field))
        return combo->currentText();
    if (auto* edit = qobject_cast<const QLineEdit*>(field))
        return edit->text();
    return QString();
}

} // namespace platform

namespace {

// '#' is an optional digit; every other character of the mask is a literal,
// escaped where the widget's mask language gives it a meaning.
QString widgetMask(const QString& mask)
{
    static const QString special = QStringLiteral("AaNnXx90Dd#HhBb><!;[]{}\\");
    QString out;
    for (QChar c : mask) {
        if (c == u'#')
            out += u'9';
        else if (special.contains(c))
            out += u'\\' + QString(c);
        else
            out += c;
    }
    return out;
}

} // namespace

MaskedEdit::MaskedEdit(const QString& mask, QWidget* parent) : QLineEdit(parent), m_mask(mask)
{
    setInputMask(widgetMask(mask));
}

QString MaskedEdit::value() const
{
    const QString shown = displayText();
    bool anyDigit = false;
    for (QChar c : shown)
        anyDigit = anyDigit || (c >= u'0' && c <= u'9');
    if (!anyDigit)
        return QString();
    // An incomplete entry keeps its blanks, so every digit stays where it
    // was typed and shows again in the same place.
    return shown;
}

void MaskedEdit::setValue(const QString& text)
{
    if (text.isEmpty()) {
        clearValue();
        return;
    }
    setText(text);
}

void MaskedEdit::clearValue()
{
    setInputMask(QString());
    setText(QString());
    setInputMask(widgetMask(m_mask));
}

QSize MaskedEdit::minimumSizeHint() const
{
    QString full = m_mask;
    full.replace(u'#', u'0');
    // The frame and the text margins take about as much as two digits.
    const int width = fontMetrics().horizontalAdvance(full + QStringLiteral("00"));
    const QSize base = QLineEdit::minimumSizeHint();
    return {std::max(base.width(), width), base.height()};
}
