#include "Fields.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QRegularExpressionValidator>

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

} // namespace

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
