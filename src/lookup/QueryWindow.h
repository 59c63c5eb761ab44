#pragma once

#include "platform/widgets/TaskWindow.h"

#include <functional>

class claFenwaurda;
class QComboBox;
class QPushButton;

namespace store {
enum class PickListKind;
}

// A window that looks one record up by what the operator types or picks in
// one combo, and shows what it finds. Leaving the combo runs the look-up;
// OK runs it too, then empties the window for the next one. It only reads.
class QueryWindow : public TaskWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(QueryWindow)
protected:
    // Makes the combo (named comboName, holding at most limit characters)
    // with the type-ahead, and the OK button.
    QueryWindow(store::Database& db, const QString& title, const char* name, const char* comboName, int limit,
                QWidget* parent);

    // Call once the layout is done: wires the look-up, finishes the setup,
    // fills the combo with the pick list (after prepare, when given, in the
    // same guarded step) and gives it the focus. A list that cannot be read
    // leaves the window open with an empty one.
    void finishQuery(store::PickListKind list, const std::function<void()>& prepare = {});

    // Runs when the operator leaves the combo; false keeps the focus there.
    virtual bool lookUp() = 0;
    // Empties what the look-up shows.
    virtual void clearResults() = 0;

    // What was typed finds nothing: says so and empties the window. False.
    bool refuse(const QString& title, const QString& text);
    void clearQuery();

private:
    claFenwaurda* const m_autoComplete;

protected:
    QComboBox* const m_key;
    QPushButton* const m_cmdOk;
};
