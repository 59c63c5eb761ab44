#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

// Runs a field's check when the operator leaves it, with the rules every
// window shares:
//  - a check runs once each time the field is left by Tab, Shift+Tab, Enter,
//    a click elsewhere in the window or a button's access key (Alt+S);
//  - focus taken by a popup list or by another window (a message box) is
//    not leaving;
//  - a failing check shows its own message and returns false; the focus then
//    goes back to the field, no other field's check runs because the focus
//    passed through it, and a button clicked to leave does not act;
//  - closing the window runs no checks.
// A check may move the focus itself (for instance to the next field to fill);
// the helper then leaves the focus where the check put it.
class LeaveChecks final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LeaveChecks)
public:
    explicit LeaveChecks(QWidget* window);

    // check returns true when the field may be left.
    void add(QWidget* field, std::function<bool()> check);
    // A rewrite that cannot fail (proper case, currency): runs on the same
    // moves, before the field's check.
    void addRewrite(QWidget* field, std::function<void()> rewrite);

    // A button's access key clicks it without taking the focus from the
    // field being typed in; its handler calls this first so the field is
    // left as a click would leave it. False when the field's check failed
    // (the focus then stays in the field and the button must not act).
    bool leaveFocused();

    // True while a check is running (a check's own focus moves do not count
    // as leaving).
    bool busy() const { return m_busy; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void leave(QWidget* field, int reason);
    void blockButton(QWidget* target);

    QWidget* m_window;
    QHash<QWidget*, std::function<bool()>> m_checks;
    QHash<QWidget*, std::function<void()>> m_rewrites;
    QPointer<QWidget> m_entered; // the field that got the focus last
    bool m_busy = false;
    bool m_closing = false;
};
