#include "LinePrinter.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>

namespace {

qreal fromTwips(int twips, int dpi)
{
    return qreal(twips) * dpi / 1440.0;
}

// The default printer owns its QPrinter.
class DefaultPrinter final : public PainterLinePrinter
{
public:
    explicit DefaultPrinter(std::unique_ptr<QPrinter> printer)
        : PainterLinePrinter(printer.get(), 150, 600), m_printer(std::move(printer))
    {
    }
    ~DefaultPrinter() override { stopPainting(); }

private:
    std::unique_ptr<QPrinter> m_printer;
};

platform::LinePrinterFactory& factory()
{
    static platform::LinePrinterFactory f;
    return f;
}

} // namespace

PainterLinePrinter::PainterLinePrinter(QPagedPaintDevice* device, int leftTwips, int topTwips)
    : m_device(device), m_left(fromTwips(leftTwips, device->logicalDpiX())),
      m_top(fromTwips(topTwips, device->logicalDpiY()))
{
    m_x = m_left;
    m_y = m_top;
}

PainterLinePrinter::~PainterLinePrinter()
{
    stopPainting();
}

void PainterLinePrinter::stopPainting()
{
    if (m_painter && m_painter->isActive())
        m_painter->end();
}

bool PainterLinePrinter::begin()
{
    if (m_painter)
        return !m_failed;
    m_painter = std::make_unique<QPainter>();
    if (!m_painter->begin(m_device)) {
        m_failed = true;
        m_error = QStringLiteral("a impressora não pôde ser aberta");
        return false;
    }
    return true;
}

void PainterLinePrinter::setFont(const QString& family, qreal points)
{
    m_family = family;
    m_points = points;
}

qreal PainterLinePrinter::averageCharWidth() const
{
    QFont font(m_family);
    font.setPointSizeF(m_points);
    return QFontMetricsF(font, m_device).averageCharWidth();
}

qreal PainterLinePrinter::lineHeight() const
{
    QFont font(m_family);
    font.setPointSizeF(m_points);
    return QFontMetricsF(font, m_device).height();
}

void PainterLinePrinter::printAt(int column, const QString& text)
{
    if (!begin())
        return;
    QFont font(m_family);
    font.setPointSizeF(m_points);
    m_painter->setFont(font);
    const QFontMetricsF metrics(font, m_device);
    const qreal x = m_left + (column - 1) * metrics.averageCharWidth();
    if (m_x > x + 0.5)
        endLine();
    m_lineHeight = std::max(m_lineHeight, metrics.height());
    if (m_y + metrics.height() > m_device->height()) {
        // A page holds the whole slip in practice; a tiny page still
        // gets every line, on the next sheet.
        m_device->newPage();
        m_y = m_top;
    }
    m_painter->drawText(QPointF(x, m_y + metrics.ascent()), text);
    m_x = x + metrics.horizontalAdvance(text);
}

void PainterLinePrinter::endLine()
{
    m_y += m_lineHeight > 0 ? m_lineHeight : lineHeight();
    m_lineHeight = 0;
    m_x = m_left;
}

bool PainterLinePrinter::endDocument()
{
    if (m_failed)
        return false;
    if (!begin())
        return false;
    if (m_painter->isActive() && !m_painter->end()) {
        m_failed = true;
        m_error = QStringLiteral("a impressora recusou o documento");
        return false;
    }
    if (auto* printer = dynamic_cast<QPrinter*>(m_device);
        printer && printer->printerState() == QPrinter::Error) {
        m_failed = true;
        m_error = QStringLiteral("a impressora informou um erro");
        return false;
    }
    return true;
}

void RecordingLinePrinter::setFont(const QString& family, qreal points)
{
    m_family = family;
    m_points = points;
}

void RecordingLinePrinter::printAt(int column, const QString& text)
{
    if (!items.isEmpty() && items.last().line == m_line && items.last().column >= column)
        ++m_line;
    items.append({m_line, column, text, m_family, m_points});
}

bool RecordingLinePrinter::endDocument()
{
    if (!m_failWith.isEmpty()) {
        m_error = m_failWith;
        return false;
    }
    ++documents;
    return true;
}

QStringList RecordingLinePrinter::lines() const
{
    QStringList out;
    for (const Item& item : items) {
        while (out.size() <= item.line)
            out.append(QString());
        QString& line = out[item.line];
        line += (line.isEmpty() ? QString() : QStringLiteral(" | ")) + item.text;
    }
    return out;
}

namespace platform {

std::unique_ptr<LinePrinter> openDefaultPrinter(QString* error)
{
    if (factory())
        return factory()(error);
    if (QPrinterInfo::defaultPrinter().isNull()) {
        if (error)
            *error = QStringLiteral("não há impressora padrão instalada");
        return nullptr;
    }
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (!printer->isValid()) {
        if (error)
            *error = QStringLiteral("a impressora padrão não está disponível");
        return nullptr;
    }
    printer->setDocName(QStringLiteral("Movimento de Locação"));
    return std::make_unique<DefaultPrinter>(std::move(printer));
}

void setLinePrinterFactory(LinePrinterFactory f)
{
    factory() = std::move(f);
}

} // namespace platform
