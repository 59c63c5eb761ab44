#include "LeaveChecks.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFocusEvent>
#include <QTimer>
#include <QWidget>

LeaveChecks::LeaveChecks(QWidget* window) : QObject(window), m_window(window)
{
    window->installEventFilter(this);
}

void LeaveChecks::add(QWidget* field, std::function<bool()> check)
{
    m_checks.insert(field, std::move(check));
    field->installEventFilter(this);
    connect(field, &QObject::destroyed, this, [this, field] { m_checks.remove(field); });
}

void LeaveChecks::addRewrite(QWidget* field, std::function<void()> rewrite)
{
    m_rewrites.insert(field, std::move(rewrite));
    field->installEventFilter(this);
    connect(field, &QObject::destroyed, this, [this, field] { m_rewrites.remove(field); });
}

bool LeaveChecks::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window) {
        // From the close request on, focus changes are the window going away.
        if (event->type() == QEvent::Close || event->type() == QEvent::Hide)
            m_closing = event->type() == QEvent::Close ? true : m_closing;
        else if (event->type() == QEvent::Show)
            m_closing = false;
        return false;
    }
    auto* field = qobject_cast<QWidget*>(watched);
    if (!field)
        return false;
    if (event->type() == QEvent::FocusIn) {
        m_entered = field;
    } else if (event->type() == QEvent::FocusOut) {
        leave(field, static_cast<QFocusEvent*>(event)->reason());
    }
    return false;
}

void LeaveChecks::leave(QWidget* field, int reason)
{
    // Only a field the operator was in can be left; one that the focus merely
    // passed through while a check moved it never had the focus for real.
    if (m_busy || m_closing || field != m_entered)
        return;
    // A button's access key (Alt+S) leaves the field like a click on it.
    const bool clickLike = reason == Qt::MouseFocusReason || reason == Qt::ShortcutFocusReason;
    if (!clickLike && reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason)
        return;
    m_entered = nullptr;

    m_busy = true;
    if (auto rewrite = m_rewrites.value(field))
        rewrite();
    bool passed = true;
    QPointer<QWidget> target = QApplication::focusWidget();
    if (auto check = m_checks.value(field))
        passed = check();
    m_busy = false;

    if (passed)
        return;
    // The check said no: back to the field, and the click that tried to
    // leave it must not press anything.
    if (clickLike && target && target != field)
        blockButton(target);
    m_busy = true;
    field->setFocus(Qt::OtherFocusReason);
    m_busy = false;
    m_entered = field;
}

bool LeaveChecks::leaveFocused()
{
    QWidget* field = m_entered;
    if (!field || !field->hasFocus() || m_busy || m_closing)
        return true;
    m_busy = true;
    if (auto rewrite = m_rewrites.value(field))
        rewrite();
    bool passed = true;
    if (auto check = m_checks.value(field))
        passed = check();
    m_busy = false;
    if (!passed && !field->hasFocus()) {
        m_busy = true;
        field->setFocus(Qt::OtherFocusReason);
        m_busy = false;
        m_entered = field;
    }
    return passed;
}

void LeaveChecks::blockButton(QWidget* target)
{
    auto* button = qobject_cast<QAbstractButton*>(target);
    if (!button || !button->isEnabled())
        return;
    // The mouse press and release (or the access key's delayed click) are
    // still on their way to the button; a disabled button takes neither. It
    // comes back once they are spent.
    button->setEnabled(false);
    QPointer<QAbstractButton> guard(button);
    QTimer::singleShot(0, button, [guard] {
        if (guard)
            guard->setEnabled(true);
    });
}
