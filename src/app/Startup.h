#pragma once

#include "frmAbertura.h"

#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QAbstractItemModel;
class QApplication;
class frmMenu;

namespace store {
class Database;
class InstanceLock;
} // namespace store

// The shop's pick lists read off the interface thread as the program's
// start does it while the splash is up, their indexes then built in the
// background; finished() once every list is in (or its read failed, and the
// window that needs it reads it).
class StartReads final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StartReads)
public:
    explicit StartReads(store::Database& db, QObject* parent = nullptr);

    // Starts the reads with the next turn of the event loop.
    void start();
    bool isDone() const { return m_chainEnded && m_pending == 0; }

signals:
    void finished();

private:
    void read(int kind);
    // The list is in: its index is built next, in the background.
    void index(QAbstractItemModel* list);
    void listDone();
    void endChain();
    void tellIfDone();

    store::Database& m_db;
    int m_pending = 0;
    bool m_chainEnded = false;
    bool m_told = false;
};

// The start of the program: one copy per data file, the splash first and
// fast, the data file opened while the splash is on screen, then the main
// window.
class Startup final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Startup)
public:
    // Names, version, icon and quit rules of the application object.
    static void configure(QApplication& app);
    // The names and version alone, which need no window system.
    static void configureNames();
    // Qt's own dialogs and texts in Brazilian Portuguese.
    static void installTranslations();

    explicit Startup(const QString& dataFolder, QObject* parent = nullptr);
    ~Startup() override;

    // Takes the data file's lock and shows the splash. False when another
    // copy holds the lock (the operator has been told).
    bool start();

    // What ends the program once the main window has closed everything and
    // the day's backup is kept (QCoreApplication::quit by default); tests
    // replace it to stay in their loop.
    void setQuitFunction(std::function<void()> quit) { m_quit = std::move(quit); }

    // The longest the splash waits past its end for the start's reads.
    static constexpr int LongestHoldMilliseconds = 30000;

    frmAbertura* splash() const { return m_splash; }
    // The start's reads of the pick lists; none before the file is open, or
    // when it did not open.
    StartReads* reads() const { return m_reads.get(); }
    frmMenu* menu() const { return m_menu.get(); }
    store::Database* database() const { return m_db.get(); }

signals:
    void splashPainted();
    void databaseReady();
    void menuShown();

private:
    void prepare();
    void upgradeInBackground();
    void showMenu();
    // The clean exit's verified copy of the data file; a failure is told.
    void keepBackup();
    void releaseSplash();

    QString m_folder;
    std::unique_ptr<store::InstanceLock> m_lock;
    std::unique_ptr<store::Database> m_db;
    std::unique_ptr<frmMenu> m_menu;
    std::unique_ptr<StartReads> m_reads;
    QPointer<frmAbertura> m_splash;
    QString m_openError;
    bool m_prepared = false;
    bool m_menuDue = false; // asked for while the file was being upgraded
    std::function<void()> m_quit = [] { QCoreApplication::quit(); };
};
