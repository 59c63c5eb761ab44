#pragma once

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <functional>

namespace store {
class Database;
}

// The main window: the menu is the only way into the task windows. While a
// task window (or the About box) is open the whole main window is disabled,
// so only one task runs at a time; report windows leave it enabled.
class frmMenu final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmMenu)
public:
    // Builds a window for an entry; the window opens its own cursors.
    using WindowFactory = std::function<QWidget*(store::Database&)>;

    explicit frmMenu(store::Database& db, QWidget* parent = nullptr);
    ~frmMenu() override;

    // A menu entry (or separator) by its name, e.g. "mnuClientes"; nullptr if none.
    QAction* entry(const QString& name) const;

    // Entries are disabled until their window can be built.
    void setTaskFactory(QAction* entry, WindowFactory factory);
    void setTaskFactory(const QString& entryName, WindowFactory factory);
    void setReportFactory(QAction* entry, WindowFactory factory);
    void setReportFactory(const QString& entryName, WindowFactory factory);

    // Shows a task window non-modal and disables this window until the task
    // window is destroyed (it is deleted when closed).
    void openTask(QWidget* window);
    // Shows a report window beside everything else; this window stays enabled.
    void openReport(QWidget* window);

    QWidget* currentTask() const { return m_task; }
    QList<QWidget*> reportWindows() const;

    // What actually ends the program (QCoreApplication::quit by default);
    // tests replace it to observe the request without leaving their loop.
    void setQuitFunction(std::function<void()> quit) { m_quit = std::move(quit); }

public slots:
    // Ends the program at once: every task and report window is closed
    // without questions.
    void endProgram();

signals:
    void programEnding();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void runEntry(QAction* entry);
    void closeOtherWindows();

    store::Database& m_db;
    QHash<QAction*, WindowFactory> m_taskFactories;
    QHash<QAction*, WindowFactory> m_reportFactories;
    QPointer<QWidget> m_task;
    QList<QPointer<QWidget>> m_reports;
    std::function<void()> m_quit;
    bool m_ending = false;
};
