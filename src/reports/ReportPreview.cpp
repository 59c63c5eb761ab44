#include "ReportPreview.h"

#include "DataReport.h"
#include "platform/widgets/MessageBox.h"
#include "platform/widgets/TaskWindow.h"
#include "store/StoreError.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollArea>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

namespace reports {

// One page of the report, drawn at the zoom on a sheet of paper.
class PageView : public QWidget
{
public:
    PageView(const DataReport& report, QWidget* parent) : QWidget(parent), m_report(report)
    {
        setObjectName(QStringLiteral("pagView"));
        setAttribute(Qt::WA_OpaquePaintEvent);
        resizeToPage();
    }

    int page() const { return m_page; }
    void setPage(int page)
    {
        m_page = page;
        update();
    }
    qreal zoom() const { return m_zoom; }
    void setZoom(qreal zoom)
    {
        m_zoom = zoom;
        resizeToPage();
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), QColor(0x80, 0x80, 0x80));
        const qreal scale = m_zoom * logicalDpiX() / 72.0;
        const QRectF paper = DataReport::pageLayout().fullRectPoints();
        p.translate(Border, Border);
        p.scale(scale, scale);
        p.fillRect(paper, Qt::white);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.translate(DataReport::pageLayout().paintRectPoints().topLeft());
        try {
            m_report.paintPage(p, m_page);
        } catch (const store::StoreError& error) {
            // Told once, after the paint: a message box must not open inside one.
            if (!m_told) {
                m_told = true;
                QTimer::singleShot(0, this, [this, text = error.message()] {
                    MessageBox::warning(window(), QStringLiteral("Erro no Arquivo de Dados"), text);
                });
            }
        }
    }

private:
    static constexpr int Border = 12;

    void resizeToPage()
    {
        const QSizeF paper = DataReport::pageLayout().fullRectPoints().size() * m_zoom * logicalDpiX() / 72.0;
        setFixedSize(paper.toSize() + QSize(2 * Border, 2 * Border));
    }

    const DataReport& m_report;
    int m_page = 0;
    qreal m_zoom = 1.0;
    bool m_told = false;
};

} // namespace reports

namespace {

constexpr qreal ZoomStep = 1.25;
constexpr qreal MinZoom = 0.25;
constexpr qreal MaxZoom = 4.0;
constexpr int ProgressDelay = 500;                // ms before a long save shows its progress
constexpr std::chrono::milliseconds ReadTurn{15}; // short enough for the window to keep answering
constexpr int EventsEvery = 50;                   // ms between two looks at the events while saving

QPushButton* button(const QString& caption, const QString& name, const QString& accessible, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAccessibleName(accessible);
    b->setToolTip(accessible);
    b->setAutoDefault(false);
    return b;
}

} // namespace

ReportPreview::ReportPreview(std::unique_ptr<DataReport> report, QWidget* parent)
    : QWidget(parent, Qt::Window), m_report(std::move(report))
{
    setObjectName(m_report->name());
    setWindowTitle(m_report->windowTitle());

    m_first =
        button(QStringLiteral("|<"), QStringLiteral("cmdPrimeira"), QStringLiteral("Primeira página"), this);
    m_previous =
        button(QStringLiteral("<"), QStringLiteral("cmdAnterior"), QStringLiteral("Página anterior"), this);
    m_page = new QSpinBox(this);
    m_page->setObjectName(QStringLiteral("spnPagina"));
    m_page->setAccessibleName(QStringLiteral("Página"));
    m_pageCount = new QLabel(this);
    m_pageCount->setObjectName(QStringLiteral("lblPaginas"));
    m_next =
        button(QStringLiteral(">"), QStringLiteral("cmdProxima"), QStringLiteral("Próxima página"), this);
    m_last = button(QStringLiteral(">|"), QStringLiteral("cmdUltima"), QStringLiteral("Última página"), this);
    QPushButton* zoomOut =
        button(QStringLiteral("-"), QStringLiteral("cmdReduzir"), QStringLiteral("Reduzir"), this);
    m_zoomText = new QLabel(this);
    m_zoomText->setObjectName(QStringLiteral("lblZoom"));
    QPushButton* zoomIn =
        button(QStringLiteral("+"), QStringLiteral("cmdAmpliar"), QStringLiteral("Ampliar"), this);
    QPushButton* print = button(QStringLiteral("&Imprimir..."), QStringLiteral("cmdImprimir"),
                                QStringLiteral("Imprimir"), this);
    QPushButton* pdf = button(QStringLiteral("Salvar como &PDF..."), QStringLiteral("cmdPDF"),
                              QStringLiteral("Salvar como PDF"), this);

    auto* bar = new QHBoxLayout;
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_first, m_previous, m_page, m_pageCount, m_next, m_last})
        bar->addWidget(w);
    bar->addSpacing(16);
    bar->addWidget(zoomOut);
    bar->addWidget(m_zoomText);
    bar->addWidget(zoomIn);
    bar->addStretch();
    bar->addWidget(print);
    bar->addWidget(pdf);

    m_view = new reports::PageView(*m_report, this);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("scrPagina"));
    m_scroll->setWidget(m_view);
    m_scroll->setAlignment(Qt::AlignHCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_scroll);

    connect(m_first, &QPushButton::clicked, this, [this] { setCurrentPage(0); });
    connect(m_previous, &QPushButton::clicked, this, [this] { setCurrentPage(currentPage() - 1); });
    connect(m_next, &QPushButton::clicked, this, [this] { setCurrentPage(currentPage() + 1); });
    connect(m_last, &QPushButton::clicked, this, [this] {
        if (const int pages = pageCount())
            setCurrentPage(pages - 1);
    });
    connect(m_page, &QSpinBox::valueChanged, this, [this](int value) { setCurrentPage(value - 1); });
    connect(zoomOut, &QPushButton::clicked, this, [this] { setZoom(zoom() / ZoomStep); });
    connect(zoomIn, &QPushButton::clicked, this, [this] { setZoom(zoom() * ZoomStep); });
    connect(print, &QPushButton::clicked, this, &ReportPreview::askAndPrint);
    connect(pdf, &QPushButton::clicked, this, &ReportPreview::askAndSavePdf);

    m_choosePrinter = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, this);
        const int pages = pageCount();
        if (!pages)
            return false;
        dialog.setMinMax(1, pages);
        return dialog.exec() == QDialog::Accepted;
    };
    m_chooseFile = [this] {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Salvar Relatório como PDF"), pdfStartPath(),
                                            QStringLiteral("Arquivos PDF (*.pdf)"));
    };

    m_reading = new QTimer(this);
    connect(m_reading, &QTimer::timeout, this, &ReportPreview::readMore);
    if (!m_report->isComplete())
        m_reading->start(0);

    updatePage();
    setZoom(1.0);
    resize(m_view->width() + 60, 820);
}

bool ReportPreview::reading(const std::function<void()>& read)
{
    try {
        read();
        return true;
    } catch (const store::StoreError& error) {
        // What was read stays on screen; the rest of the table cannot be had.
        m_reading->stop();
        MessageBox::warning(this, QStringLiteral("Erro no Arquivo de Dados"), error.message());
        return false;
    }
}

void ReportPreview::readMore()
{
    reading([this] {
        if (m_report->readFor(ReadTurn))
            m_reading->stop();
    });
    updatePage();
}

int ReportPreview::pageCount()
{
    if (!m_report->isComplete()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const bool read = reading([this] { m_report->pageCount(); });
        QApplication::restoreOverrideCursor();
        if (!read)
            return 0;
        m_reading->stop();
        updatePage();
    }
    return m_report->pageCount();
}

ReportPreview::~ReportPreview() = default;

int ReportPreview::currentPage() const
{
    return m_view->page();
}

void ReportPreview::setCurrentPage(int page)
{
    if (!m_report->isComplete())
        reading([&] { m_report->readTo(std::max(page, 0)); });
    page = std::clamp(page, 0, m_report->pagesKnown() - 1);
    if (page == m_view->page() && m_page->value() == page + 1)
        return;
    m_view->setPage(page);
    updatePage();
}

qreal ReportPreview::zoom() const
{
    return m_view->zoom();
}

void ReportPreview::updatePage()
{
    const int page = m_view->page();
    const int known = m_report->pagesKnown();
    const bool complete = m_report->isComplete();
    {
        const QSignalBlocker block(m_page);
        m_page->setRange(1, known);
        m_page->setValue(page + 1);
    }
    // Until the table has been read, the pages so far and a mark that more follow.
    m_pageCount->setText(complete ? QStringLiteral("de %1").arg(known) : QStringLiteral("de %1…").arg(known));
    const bool more = page < known - 1 || !complete;
    m_first->setEnabled(page > 0);
    m_previous->setEnabled(page > 0);
    m_next->setEnabled(more);
    m_last->setEnabled(more);
}

void ReportPreview::setZoom(qreal zoom)
{
    m_view->setZoom(std::clamp(zoom, MinZoom, MaxZoom));
    m_zoomText->setText(QStringLiteral("%1%").arg(qRound(m_view->zoom() * 100)));
}

void ReportPreview::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_PageDown:
        setCurrentPage(currentPage() + 1);
        return;
    case Qt::Key_PageUp:
        setCurrentPage(currentPage() - 1);
        return;
    case Qt::Key_F1:
        if (event->modifiers() == Qt::NoModifier && TaskWindow::showHelp(this))
            return;
        break;
    case Qt::Key_Escape: // as the close box: the keyboard has no other way out
        if (event->modifiers() == Qt::NoModifier) {
            close();
            return;
        }
        break;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

bool ReportPreview::print(QPrinter& printer)
{
    const int pages = pageCount();
    if (!pages)
        return false;
    int first = 0;
    int last = pages - 1;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = printer.fromPage() - 1;
        last = std::max(first, printer.toPage() - 1);
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool ok = false;
    const bool read = reading([&] { ok = m_report->render(printer, first, last); });
    QApplication::restoreOverrideCursor();
    if (read && !ok)
        MessageBox::warning(this, windowTitle(), QStringLiteral("Não foi possível imprimir o relatório."));
    return ok;
}

void ReportPreview::askAndPrint()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(DataReport::pageLayout());
    printer.setDocName(m_report->name());
    if (m_choosePrinter(printer))
        print(printer);
}

QString ReportPreview::pdfStartPath() const
{
    // Not the folder the program happened to start in.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    return QDir(folder).filePath(m_report->name() + QStringLiteral(".pdf"));
}

bool ReportPreview::savePdf(const QString& path)
{
    const QString shown = QDir::toNativeSeparators(path);
    // Written under another name in the same folder and renamed when
    // complete, so that a cancelled or failed save (a full disk) leaves no
    // half-written file behind, nor spoils an older file of that name.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        MessageBox::warning(
            this, windowTitle(),
            QStringLiteral("Não foi possível criar o arquivo %1.\nVerifique se a pasta existe e "
                           "permite gravação.")
                .arg(shown));
        return false;
    }

    const int pages = pageCount();
    if (!pages) {
        file.cancelWriting();
        return false;
    }
    QProgressDialog progress(QStringLiteral("Salvando o relatório como PDF..."), QStringLiteral("Cancelar"),
                             0, pages, this);
    progress.setWindowTitle(windowTitle());
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(ProgressDelay);
    progress.setAutoReset(false); // a Cancel on the last page still counts
    progress.setValue(0);
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    const auto pageDone = [&](int done) {
        progress.setValue(done);
        // Events only once the dialog shows: from then on it keeps every
        // other window from acting (or closing) while the windows repaint.
        // A few times a second is enough, and a big report has thousands
        // of pages.
        if (progress.isVisible() && sinceEvents.elapsed() >= EventsEvery) {
            QCoreApplication::processEvents();
            sinceEvents.restart();
        }
        if (m_onPdfProgress)
            m_onPdfProgress(progress);
        return !progress.wasCanceled();
    };

    bool rendered = false;
    bool read = true;
    {
        QPdfWriter writer(&file);
        writer.setPageLayout(DataReport::pageLayout());
        writer.setTitle(m_report->windowTitle());
        writer.setCreator(QStringLiteral("Fenwarda de Vídeo"));
        read = reading([&] { rendered = m_report->render(writer, 0, pages - 1, pageDone); });
    }
    const bool cancelled = !rendered && progress.wasCanceled();
    progress.reset();
    if (!rendered)
        file.cancelWriting();
    if (cancelled || !read)
        return false;
    // The writer never reports a failed write; the file remembers one.
    if (!rendered || !file.commit()) {
        MessageBox::warning(
            this, windowTitle(),
            QStringLiteral("Não foi possível gravar o arquivo %1.\nVerifique se há espaço livre "
                           "no disco.\nO relatório não foi salvo.")
                .arg(shown));
        return false;
    }
    return true;
}

void ReportPreview::askAndSavePdf()
{
    const QString path = m_chooseFile();
    if (!path.isEmpty())
        savePdf(path);
}
