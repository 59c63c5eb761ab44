#pragma once

#include <QHash>
#include <QWidget>
#include <functional>
#include <memory>

class LeaveChecks;
class QKeyEvent;
class QLabel;
class QLineEdit;

namespace store {
class Database;
class RecordCursor;
} // namespace store

// Base of every task window: a top-level widget (never a dialog, so Enter
// never presses a default button), deleted when closed, with the shared
// leave checks and the store's failures shown to the operator.
class TaskWindow : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TaskWindow)
public:
    TaskWindow(store::Database& db, const QString& title, QWidget* parent = nullptr);
    ~TaskWindow() override;

    static constexpr const char* StoreErrorTitle = "Erro no Arquivo de Dados";

    // The bold face the forms use for labels and fields.
    static QFont formFont();
    // A field the window fills and the operator only reads: disabled, so
    // the focus skips it, yet drawn in the normal text colour to stay legible.
    static QLineEdit* displayField(QWidget* parent, const char* name);
    // A label whose buddy is field; the field's accessible name is the label.
    static QLabel* labelFor(QWidget* field, const QString& text, QWidget* parent);
    // Tab goes from each widget to the next, in this order.
    static void setTabOrderChain(std::initializer_list<QWidget*> order);
    // What F1 does in every task window (the program opens the manual at
    // the window's page); nothing until set.
    static void setHelpHandler(std::function<void(QWidget*)> handler);
    // F1's help for window, from any window of the program; false when
    // no handler is set.
    static bool showHelp(QWidget* window);

protected:
    // Esc that no field took (an open list takes it first) closes the
    // window as its close box does. F1 asks for help on the window.
    void keyPressEvent(QKeyEvent* event) override;

    store::Database& db() { return m_db; }
    LeaveChecks& leaveChecks() { return *m_checks; }

    // The window's cursor on a table, opened on first use, so that a file
    // that failed while the window opened is tried again. Throws StoreError.
    store::RecordCursor& cursor(const QString& table);

    // Tells the operator that the field, named as the message names it,
    // must be filled, and puts the focus there.
    void sayRequired(QWidget* field, const QString& name);

    // Leaving a key that must be free: a taken key goes to onTaken (which
    // shows the stored record); a free one starts a new row in the table
    // newRowIn, when given, and moves on to next. False when the store failed.
    bool leaveKey(const std::function<bool()>& taken, const std::function<void()>& onTaken, QWidget* next,
                  const QString& newRowIn = {});

    // After a record is stored: asks whether to register another. Yes gives
    // true (the caller clears the window); No closes the window.
    bool askForAnother(const QString& question);

    // Call once the widgets exist: Enter then moves on in every field.
    void finishSetup();

    // Runs work; a store failure is shown to the operator and gives false.
    // The same failure again before the event loop turns is not shown twice.
    bool guarded(const std::function<void()>& work);

private:
    store::Database& m_db;
    LeaveChecks* m_checks;
    QString m_shownError; // shown in the step now running
    QHash<QString, std::shared_ptr<store::RecordCursor>> m_cursors;
};
