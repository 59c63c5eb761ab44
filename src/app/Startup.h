#pragma once

#include "frmAbertura.h"

#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QApplication;
class frmMenu;

namespace store {
class Database;
class InstanceLock;
} // namespace store

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

    frmAbertura* splash() const { return m_splash; }
    frmMenu* menu() const { return m_menu.get(); }
    store::Database* database() const { return m_db.get(); }

signals:
    void splashPainted();
    void databaseReady();
    void menuShown();

private:
    void prepare();
    void showMenu();
    // The clean exit's verified copy of the data file; a failure is told.
    void keepBackup();
    void readPickList(int kind);

    QString m_folder;
    std::unique_ptr<store::InstanceLock> m_lock;
    std::unique_ptr<store::Database> m_db;
    std::unique_ptr<frmMenu> m_menu;
    QPointer<frmAbertura> m_splash;
    QString m_openError;
    bool m_prepared = false;
    std::function<void()> m_quit = [] { QCoreApplication::quit(); };
};
