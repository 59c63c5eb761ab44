#include "frmMenu.h"

#include "AppInfo.h"
#include "frmSobre.h"
#include "help/frmManual.h"
#include "platform/widgets/MessageBox.h"
#include "platform/widgets/TaskWindow.h"
#include "store/StoreError.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>

namespace {

struct Entry
{
    const char* name; // "sep..." marks a separator
    const char* caption;
    QKeyCombination shortcut;
};

struct MenuDef
{
    const char* name;
    const char* caption;
    QList<Entry> entries;
};

constexpr QKeyCombination NoKey{};

const QList<MenuDef>& menuTable()
{
    static const QList<MenuDef> table = {
        {"mnuCadastro",
         "Cadas&tro",
         {{"mnuClientes", "&Clientes", Qt::CTRL | Qt::Key_C},
          {"sep10", nullptr, NoKey},
          {"mnuVídeos", "V&ideos", Qt::CTRL | Qt::Key_I},
          {"sep2", nullptr, NoKey},
          {"mnuConfiguracoes", "C&onfigurações", NoKey},
          {"sep1", nullptr, NoKey},
          {"mnuSair", "Sair do &Programa", Qt::CTRL | Qt::Key_P}}},
        {"mnuMod",
         "&Modificar ou Excluir",
         {{"mnuModCliente", "Clientes", NoKey}, {"sep87", nullptr, NoKey}, {"mnuModVideo", "Vídeos", NoKey}}},
        {"mnuMovimento",
         "Movime&nto",
         {{"mnuLocacao", "&Locação de Vídeos", Qt::CTRL | Qt::Key_L},
          {"sep11", nullptr, NoKey},
          {"mnuDevolucao", "&Devolução de Vídeos", Qt::CTRL | Qt::Key_D}}},
        {"mnuConsultas",
         "Consult&as",
         {{"mnuconVideo", "&Vídeos", Qt::CTRL | Qt::Key_V},
          {"sep20", nullptr, NoKey},
          {"mnuConVídeos", "L&ocação de Videos", Qt::CTRL | Qt::Key_O},
          {"sep12", nullptr, NoKey},
          {"mnuConClientes", "Cli&entes", Qt::CTRL | Qt::Key_E},
          {"sep21", nullptr, NoKey},
          {"mnuConAtraso", "Locações em &Atraso", NoKey}}},
        {"mnuRelatorio",
         "&Relatórios",
         {{"mnuRelClientes", "Clientes", NoKey},
          {"mnuRelVideos", "Videos em Estoque", NoKey},
          {"mnuRelLocVideo", "Locação de Vídeo Pendente", NoKey},
          {"mnuRelAtraso", "Locações em Atraso", NoKey},
          {"mnuRelMovimento", "Movimento do Dia", NoKey}}},
        {"mnuAjuda",
         "A&juda",
         {{"mnuManual", "&Manual", QKeyCombination(Qt::Key_F1)},
          {"sep30", nullptr, NoKey},
          {"mnuSobre", "&Sobre", Qt::CTRL | Qt::Key_S}}},
    };
    return table;
}

// The empty client area: the emblem and the title, nothing to work with.
class Backdrop : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        QLinearGradient sky(0, 0, 0, height());
        sky.setColorAt(0, QColor(0x2c, 0x3e, 0x66));
        sky.setColorAt(1, QColor(0x14, 0x1d, 0x33));
        p.fillRect(rect(), sky);

        const int side = qMin(160, qMin(width(), height()) / 3);
        const QPixmap logo = app::logoPixmap(side, devicePixelRatioF());
        const QPoint logoAt((width() - side) / 2, height() / 2 - side);
        p.drawPixmap(logoAt, logo);

        QFont font(QStringLiteral("Arial"));
        font.setPointSize(22);
        font.setBold(true);
        p.setFont(font);
        p.setPen(QColor(0xf2, 0xe6, 0xc4));
        const QRect textBox(0, logoAt.y() + side + 12, width(), 48);
        p.drawText(textBox, Qt::AlignCenter, app::applicationTitle());
    }
};

} // namespace

frmMenu::frmMenu(store::Database& db, QWidget* parent)
    : QMainWindow(parent), m_db(db), m_quit([] { QCoreApplication::quit(); })
{
    setObjectName(QStringLiteral("frmMenu"));
    setWindowTitle(QStringLiteral("Fenwarda de Vídeo"));
    buildMenus();
    setCentralWidget(new Backdrop(this));
    resize(800, 560);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    setTaskFactory(QStringLiteral("mnuSobre"), [](store::Database&) { return new frmSobre; });
    // The manual opens beside everything (F1 here, or in any task window at
    // its page) and goes with the other windows.
    QAction* manual = entry(QStringLiteral("mnuManual"));
    manual->setEnabled(true);
    connect(manual, &QAction::triggered, this, [this] {
        if (isEnabled())
            frmManual::showFor(this);
    });
    TaskWindow::setHelpHandler([](QWidget* window) { frmManual::showFor(window); });
}

frmMenu::~frmMenu()
{
    // Windows without a parent outlive us unless deleted here.
    for (const QPointer<QWidget>& w : m_reports)
        if (w)
            QObject::disconnect(w, nullptr, this, nullptr);
    if (m_task)
        QObject::disconnect(m_task, nullptr, this, nullptr);
    closeOtherWindows();
}

void frmMenu::buildMenus()
{
    for (const MenuDef& def : menuTable()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(def.caption));
        menu->setObjectName(QString::fromUtf8(def.name));
        for (const Entry& e : def.entries) {
            QAction* action = nullptr;
            if (!e.caption) {
                action = menu->addSeparator();
            } else {
                action = menu->addAction(QString::fromUtf8(e.caption));
                if (e.shortcut != NoKey)
                    action->setShortcut(QKeySequence(e.shortcut));
            }
            action->setObjectName(QString::fromUtf8(e.name));
            if (!e.caption)
                continue;
            if (action->objectName() == QLatin1String("mnuSair")) {
                // Not while a task window is open: its work would be lost.
                connect(action, &QAction::triggered, this, [this] {
                    if (isEnabled())
                        endProgram();
                });
            } else {
                action->setEnabled(false);
                connect(action, &QAction::triggered, this, [this, action] { runEntry(action); });
            }
        }
    }
}

QAction* frmMenu::entry(const QString& name) const
{
    return menuBar()->findChild<QAction*>(name);
}

void frmMenu::setTaskFactory(QAction* entry, WindowFactory factory)
{
    Q_ASSERT(entry);
    m_reportFactories.remove(entry);
    m_taskFactories.insert(entry, std::move(factory));
    entry->setEnabled(true);
}

void frmMenu::setTaskFactory(const QString& entryName, WindowFactory factory)
{
    setTaskFactory(entry(entryName), std::move(factory));
}

void frmMenu::setReportFactory(QAction* entry, WindowFactory factory)
{
    Q_ASSERT(entry);
    m_taskFactories.remove(entry);
    m_reportFactories.insert(entry, std::move(factory));
    entry->setEnabled(true);
}

void frmMenu::setReportFactory(const QString& entryName, WindowFactory factory)
{
    setReportFactory(entry(entryName), std::move(factory));
}

void frmMenu::runEntry(QAction* entry)
{
    // A shortcut must not get round the disabled window either.
    if (!isEnabled() || m_ending)
        return;
    const bool report = m_reportFactories.contains(entry);
    const WindowFactory factory = report ? m_reportFactories.value(entry) : m_taskFactories.value(entry);
    if (!factory)
        return;
    QWidget* window = nullptr;
    try {
        window = factory(m_db);
    } catch (const store::StoreError& error) {
        MessageBox::warning(this, QStringLiteral("Erro no Arquivo de Dados"), error.message());
        return;
    }
    if (!window)
        return;
    if (report)
        openReport(window);
    else
        openTask(window);
}

namespace {

void showTopLevel(QWidget* window, const QWidget* over)
{
    window->setAttribute(Qt::WA_DeleteOnClose);
    // A child window would be disabled along with the main window.
    if (window->parentWidget())
        window->setParent(nullptr, window->windowFlags() | Qt::Window);
    if (!window->testAttribute(Qt::WA_Moved)) {
        if (!window->testAttribute(Qt::WA_Resized))
            window->adjustSize();
        window->move(over->frameGeometry().center() - window->rect().center());
    }
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

void frmMenu::openTask(QWidget* window)
{
    if (!window)
        return;
    m_task = window;
    connect(window, &QObject::destroyed, this, [this] {
        setEnabled(true);
        if (!m_ending && isVisible())
            activateWindow();
    });
    showTopLevel(window, this);
    setEnabled(false);
}

void frmMenu::openReport(QWidget* window)
{
    if (!window)
        return;
    m_reports.removeAll(nullptr);
    m_reports.append(window);
    showTopLevel(window, this);
}

QList<QWidget*> frmMenu::reportWindows() const
{
    QList<QWidget*> out;
    for (const QPointer<QWidget>& w : m_reports)
        if (w)
            out.append(w);
    return out;
}

void frmMenu::closeOtherWindows()
{
    QList<QPointer<QWidget>> windows = m_reports;
    windows.append(m_task);
    // close() runs each window's own unload; delete makes it final now, as
    // the event loop that would run deleteLater is about to stop.
    for (QPointer<QWidget>& w : windows)
        if (w)
            w->close();
    for (QPointer<QWidget>& w : windows)
        delete w.data();
    m_reports.clear();
    frmManual::closeShown();
}

void frmMenu::endProgram()
{
    if (m_ending)
        return;
    m_ending = true;
    emit programEnding();
    closeOtherWindows();
    m_quit();
}

void frmMenu::closeEvent(QCloseEvent* event)
{
    // The window manager's close box still reaches a disabled window: while
    // a task window is open, bring it forward instead of losing its work.
    if (m_task && !m_ending) {
        event->ignore();
        m_task->raise();
        m_task->activateWindow();
        return;
    }
    endProgram();
    event->accept();
}
