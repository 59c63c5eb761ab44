#include "frmManual.h"

#include "ManualPages.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

QPointer<frmManual> g_window;

QString titleOf(const QString& file)
{
    for (const help::ManualPage& page : help::manualPages())
        if (page.file == file)
            return page.title;
    return file;
}

} // namespace

frmManual::frmManual()
    : QWidget(nullptr, Qt::Window), m_txtBuscar(new QLineEdit(this)), m_lstPaginas(new QListWidget(this)),
      m_txtPagina(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("frmManual"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Manual do Fenwarda de Vídeo"));
    m_txtBuscar->setObjectName(QStringLiteral("txtBuscar"));
    m_txtBuscar->setClearButtonEnabled(true);
    m_lstPaginas->setObjectName(QStringLiteral("lstPaginas"));
    m_txtPagina->setObjectName(QStringLiteral("txtPagina"));
    m_txtPagina->setSearchPaths({help::resourceFolder()});
    m_txtPagina->setOpenExternalLinks(true);

    auto* lblBuscar = new QLabel(QStringLiteral("&Buscar:"), this);
    lblBuscar->setBuddy(m_txtBuscar);
    auto* lblPaginas = new QLabel(QStringLiteral("&Conteúdo:"), this);
    lblPaginas->setBuddy(m_lstPaginas);
    m_txtBuscar->setAccessibleName(QStringLiteral("Buscar"));
    m_lstPaginas->setAccessibleName(QStringLiteral("Conteúdo"));
    m_txtPagina->setAccessibleName(QStringLiteral("Página do manual"));

    auto* side = new QVBoxLayout;
    side->addWidget(lblBuscar);
    side->addWidget(m_txtBuscar);
    side->addWidget(lblPaginas);
    side->addWidget(m_lstPaginas, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(side);
    layout->addWidget(m_txtPagina, 1);
    m_lstPaginas->setMaximumWidth(240);
    setTabOrder(m_txtBuscar, m_lstPaginas);
    setTabOrder(m_lstPaginas, m_txtPagina);

    connect(m_txtBuscar, &QLineEdit::textChanged, this, &frmManual::search);
    // Enter in the search field reads the first page found.
    connect(m_txtBuscar, &QLineEdit::returnPressed, this, [this] {
        if (m_lstPaginas->count() > 0) {
            m_lstPaginas->setCurrentRow(0);
            m_txtPagina->setFocus();
        }
    });
    connect(m_lstPaginas, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item)
            open(item->data(Qt::UserRole).toString());
    });
    connect(m_lstPaginas, &QListWidget::itemActivated, this, [this] { m_txtPagina->setFocus(); });
    // A link followed in the page moves the mark in the list with it.
    connect(m_txtPagina, &QTextBrowser::sourceChanged, this,
            [this](const QUrl& url) { markCurrent(url.fileName()); });

    listPages(help::searchPages({}));
    resize(900, 640);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

frmManual::~frmManual() = default;

frmManual* frmManual::showPage(const QString& file)
{
    if (!g_window)
        g_window = new frmManual;
    g_window->open(file);
    g_window->show();
    g_window->raise();
    g_window->activateWindow();
    g_window->m_txtPagina->setFocus();
    return g_window;
}

frmManual* frmManual::showFor(const QWidget* window)
{
    return showPage(help::pageForWindow(window ? window->window()->objectName() : QString()));
}

frmManual* frmManual::shown()
{
    return g_window;
}

void frmManual::closeShown()
{
    if (g_window) {
        g_window->close();
        delete g_window.data();
    }
}

QString frmManual::currentPage() const
{
    return m_txtPagina->source().fileName();
}

void frmManual::search(const QString& text)
{
    listPages(help::searchPages(text));
}

void frmManual::listPages(const QStringList& files)
{
    const QSignalBlocker quiet(m_lstPaginas);
    m_lstPaginas->clear();
    for (const QString& file : files) {
        auto* item = new QListWidgetItem(titleOf(file), m_lstPaginas);
        item->setData(Qt::UserRole, file);
    }
    markCurrent(currentPage());
}

void frmManual::markCurrent(const QString& file)
{
    const QSignalBlocker quiet(m_lstPaginas);
    m_lstPaginas->setCurrentItem(nullptr);
    for (int row = 0; row < m_lstPaginas->count(); ++row)
        if (m_lstPaginas->item(row)->data(Qt::UserRole).toString() == file)
            m_lstPaginas->setCurrentRow(row);
}

void frmManual::open(const QString& file)
{
    const QUrl url(QStringLiteral("qrc%1/%2").arg(help::resourceFolder(), file));
    if (m_txtPagina->source() != url)
        m_txtPagina->setSource(url);
}

void frmManual::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
