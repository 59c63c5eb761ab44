#include "Startup.h"

#include "AppInfo.h"
#include "Tasks.h"
#include "frmAbertura.h"
#include "frmMenu.h"
#include "lookup/LookupCombo.h"
#include "platform/widgets/MessageBox.h"
#include "store/Backup.h"
#include "store/Database.h"
#include "store/InstanceLock.h"
#include "store/PendingNote.h"
#include "store/ServerAddress.h"
#include "store/StoreError.h"
#include "views/PickList.h"

#include "store/Schema.h"

#include <QApplication>
#include <QDate>
#include <QEventLoop>
#include <QFile>
#include <QFutureWatcher>
#include <QIcon>
#include <QLibraryInfo>
#include <QProgressDialog>
#include <QTimer>
#include <QTranslator>
#include <QtConcurrent>

namespace {

// The schema version the file's header records, 0 when there is none to
// read (no file, not SQLite, a new shop). A version still in the journal
// reads older: at worst the upgrade is looked for in vain.
int headerVersion(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray header = file.read(100);
    if (header.size() < 100 || !header.startsWith(QByteArrayLiteral("SQLite format 3")))
        return 0;
    return int(quint32(quint8(header[60])) << 24 | quint32(quint8(header[61])) << 16 |
               quint32(quint8(header[62])) << 8 | quint32(quint8(header[63])));
}

} // namespace

void Startup::configureNames()
{
    // The name picks the per-user data folder (~/.local/share/Fenwarda). No
    // display name: the window system would append it to every window title.
    QCoreApplication::setApplicationName(QStringLiteral("Fenwarda"));
    QCoreApplication::setApplicationVersion(app::versionNumber());
}

void Startup::configure(QApplication& app)
{
    configureNames();
    // Lets the desktop match the windows with the installed menu entry.
    app.setDesktopFileName(QStringLiteral(FENWARDA_APP_ID));
    QIcon icon;
    for (const int side : {16, 32, 48, 64})
        icon.addPixmap(app::logoPixmap(side));
    app.setWindowIcon(icon);
    // Between the splash closing and the main window showing no window is
    // visible; the main window ends the program itself.
    app.setQuitOnLastWindowClosed(false);
}

void Startup::installTranslations()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    auto* translator = new QTranslator(qApp);
    if (translator->load(QStringLiteral("qtbase_pt_BR"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

Startup::Startup(const QString& dataFolder, QObject* parent) : QObject(parent), m_folder(dataFolder) {}

Startup::~Startup()
{
    // The main window holds a reference to the data file: it goes first.
    m_menu.reset();
    m_reads.reset();
    delete m_splash.data();
    m_db.reset();
}

bool Startup::start()
{
    // A server is shared by design; only the file keeps a second copy of
    // the program off it.
    if (!store::isServerAddress(m_folder))
        m_lock = std::make_unique<store::InstanceLock>(m_folder);
    if (m_lock && !m_lock->tryLock()) {
        MessageBox::warning(nullptr, app::applicationTitle(), m_lock->errorMessage());
        return false;
    }

    auto* splash = new frmAbertura;
    splash->setAttribute(Qt::WA_DeleteOnClose);
    m_splash = splash;
    connect(splash, &frmAbertura::firstPainted, this, [this] {
        emit splashPainted();
        prepare();
    });
    connect(splash, &frmAbertura::finished, this, &Startup::showMenu);
    splash->show();
    return true;
}

// Runs once the splash is on screen, so a large data file never delays it.
void Startup::prepare()
{
    if (m_prepared)
        return;
    m_prepared = true;
    installTranslations();
    upgradeInBackground();
    m_db = std::make_unique<store::Database>(m_folder);
    try {
        m_db->open();
        // Read every page now, while the splash is up, rather than find the
        // damage in the middle of a rental. A server looks after its own.
        if (!m_db->isServer())
            store::checkWhole(*m_db);
        // Copies taken for a note that a crash or power cut kept from being
        // saved go back on the shelf.
        store::PendingNote::giveBackLeftovers(*m_db);
    } catch (const store::StoreError& error) {
        // The program stays usable; each window reports the file again.
        m_openError = error.message();
        using K = store::StoreError::Kind;
        if (error.kind() == K::Damaged && m_db->isOpen() && !m_db->isServer()) {
            // A file that opens with damaged pages is still read, for the
            // queries and reports the operator needs until it is replaced,
            // but nothing more is written into it.
            m_db->refuseWrites(
                QStringLiteral("O arquivo de dados %1 está danificado, e o programa não grava mais nele: "
                               "as consultas e os relatórios continuam, mas nada pode ser salvo.\n"
                               "Feche o programa e volte a uma cópia de segurança em bom estado. "
                               "Nada foi gravado.")
                    .arg(m_db->filePath()));
            m_openError += QStringLiteral("\nO programa vai funcionar só para consultas e relatórios: "
                                          "nada mais será salvo nele.");
        }
        if ((error.kind() == K::Damaged || error.kind() == K::MissingTable) && !m_db->isServer())
            m_openError += QStringLiteral("\n\n") + store::backupAdvice(m_folder);
    }
    m_menu = std::make_unique<frmMenu>(*m_db);
    m_menu->setQuitFunction([this] {
        keepBackup();
        m_quit();
    });
    registerTasks(*m_menu);
    emit databaseReady();
    if (m_openError.isEmpty()) {
        m_reads = std::make_unique<StartReads>(*m_db);
        // The splash stays up until the lists are in, so that the first
        // window opens at once; the interface answers meanwhile. A read that never ends holds it only
        // so long: the window then waits for the list itself.
        if (m_splash && !m_splash->isFinished()) {
            m_splash->hold();
            connect(m_reads.get(), &StartReads::finished, this, &Startup::releaseSplash);
            QTimer::singleShot(LongestHoldMilliseconds, this, &Startup::releaseSplash);
        }
        m_reads->start();
    } else {
        releaseSplash(); // held for the upgrade, if there was one
    }
    if (m_menuDue)
        showMenu();
}

// An older file gets the search indexes of all its customers and videos
// when it is first opened, several seconds at the largest shops: on a
// connection of its own in the background, the splash held meanwhile and,
// past a second, a word to the operator. Whatever fails there fails again
// on the program's own opening, which reports it.
void Startup::upgradeInBackground()
{
    if (store::isServerAddress(m_folder))
        return;
    const int version = headerVersion(store::Database::filePath(m_folder));
    if (version <= 0 || version >= store::SearchSchemaVersion)
        return;
    if (m_splash)
        m_splash->hold();
    QFutureWatcher<void> watcher;
    QEventLoop loop;
    connect(&watcher, &QFutureWatcher<void>::finished, &loop, &QEventLoop::quit);
    // The splash owns it (it stands over the splash), and may go first.
    QPointer<QProgressDialog> progress = new QProgressDialog(
        QStringLiteral("Preparando a busca de clientes e vídeos.\nIsto é feito só uma vez."), QString(), 0, 0,
        m_splash);
    progress->setObjectName(QStringLiteral("prgBusca"));
    progress->setWindowTitle(app::applicationTitle());
    progress->setCancelButton(nullptr);
    progress->setMinimumDuration(0);
    progress->reset();
    QTimer later;
    later.setSingleShot(true);
    connect(&later, &QTimer::timeout, progress, &QProgressDialog::show);
    later.start(1000);
    const QString folder = m_folder;
    watcher.setFuture(QtConcurrent::run([folder] {
        try {
            store::Database(folder).open();
        } catch (const store::StoreError&) {
        }
    }));
    if (!watcher.isFinished())
        loop.exec();
    later.stop();
    delete progress.data();
}

void Startup::releaseSplash()
{
    if (m_splash)
        m_splash->release();
}

// The shop's pick lists are read while the splash is up, one after the
// other on a connection of their own in the background (the two lists of
// the rental window first), and then indexed in the background too. Without
// a background read, one list is read per turn of the event loop, so that a
// key on the splash is still answered between them.
StartReads::StartReads(store::Database& db, QObject* parent) : QObject(parent), m_db(db) {}

void StartReads::start()
{
    QTimer::singleShot(0, this, [this] { read(0); });
}

void StartReads::read(int kind)
{
    using store::PickListKind;
    const PickListKind kinds[] = {PickListKind::CustomerNames, PickListKind::VideoCodes,
                                  PickListKind::VideoTitles};
    if (kind >= int(std::size(kinds)) || !m_db.isOpen())
        return endChain();
    try {
        views::PickList& list = views::loadPickList(m_db, kinds[kind]);
        if (list.loading()) {
            ++m_pending;
            connect(
                &list, &views::PickList::loadEnded, this,
                [this, &list](bool inList) {
                    if (inList)
                        index(&list);
                    else
                        listDone();
                },
                Qt::SingleShotConnection);
            return read(kind + 1);
        }
        views::PickList& read = views::pickList(m_db, kinds[kind]);
        ++m_pending;
        index(&read);
    } catch (const store::StoreError&) {
        return endChain(); // the window that needs the list reports the file
    }
    QTimer::singleShot(0, this, [this, kind] { read(kind + 1); });
}

void StartReads::index(QAbstractItemModel* list)
{
    // The build goes on in the background once the list is in: at the
    // largest shops it takes several seconds, and a key before the index is
    // ready is answered as fast.
    prepareLookup(list);
    listDone();
}

void StartReads::listDone()
{
    --m_pending;
    tellIfDone();
}

void StartReads::endChain()
{
    m_chainEnded = true;
    tellIfDone();
}

void StartReads::tellIfDone()
{
    if (isDone() && !m_told) {
        m_told = true;
        emit finished();
    }
}

void Startup::keepBackup()
{
    // A file that never opened has been reported already, and has nothing
    // to copy; a damaged one was not written, and its copy would only push
    // a good one out.
    if (!m_db || !m_db->isOpen() || m_db->writesRefused() || m_db->isServer())
        return;
    try {
        store::keepBackup(*m_db, QDate::currentDate());
    } catch (const store::StoreError& error) {
        MessageBox::warning(m_menu.get(), QStringLiteral("Erro no Arquivo de Dados"), error.message());
    }
}

void Startup::showMenu()
{
    prepare();
    if (!m_menu) {
        // The splash was closed while an older file is being brought up to
        // date: the main window follows once it is.
        m_menuDue = true;
        return;
    }
    m_menu->show();
    m_menu->activateWindow();
    emit menuShown();
    if (!m_openError.isEmpty()) {
        // Queued: the splash's key or timer handler is still on the stack.
        QTimer::singleShot(0, m_menu.get(), [this] {
            MessageBox::warning(m_menu.get(), QStringLiteral("Erro no Arquivo de Dados"), m_openError);
        });
    }
}
