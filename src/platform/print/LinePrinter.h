#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <memory>

class QPagedPaintDevice;
class QPainter;

// A printer written line by line in text, as a counter slip is: choose a
// font, print items at character columns, end lines, end the document.
// Column 1 is the left margin; column n lies n - 1 average character widths
// of the current font to its right. An item asked for left of where the
// line already is goes to that column on the next line.
class LinePrinter
{
public:
    virtual ~LinePrinter() = default;

    virtual void setFont(const QString& family, qreal points) = 0;
    virtual void printAt(int column, const QString& text) = 0;
    virtual void endLine() = 0;
    // Sends the document. False when the printer failed; errorText() says why.
    virtual bool endDocument() = 0;
    virtual QString errorText() const = 0;
};

// Lays the lines out with QPainter on a paged device (a printer or a PDF
// writer), starting at the given point in twips from the page's corner.
class PainterLinePrinter : public LinePrinter
{
public:
    PainterLinePrinter(QPagedPaintDevice* device, int leftTwips, int topTwips);
    ~PainterLinePrinter() override;

    void setFont(const QString& family, qreal points) override;
    void printAt(int column, const QString& text) override;
    void endLine() override;
    bool endDocument() override;
    QString errorText() const override { return m_error; }

protected:
    // Ends an open painter; a device owned by a subclass must not outlive it.
    void stopPainting();

private:
    bool begin();
    qreal averageCharWidth() const;
    qreal lineHeight() const;

    QPagedPaintDevice* m_device;
    std::unique_ptr<QPainter> m_painter;
    QString m_family = QStringLiteral("Arial");
    qreal m_points = 12;
    qreal m_left = 0;
    qreal m_top = 0;
    qreal m_x = 0;
    qreal m_y = 0;
    qreal m_lineHeight = 0; // tallest font on the current line
    bool m_failed = false;
    QString m_error;
};

// Keeps what was printed, for tests.
class RecordingLinePrinter : public LinePrinter
{
public:
    struct Item
    {
        int line; // from 0
        int column;
        QString text;
        QString family;
        qreal points;
    };

    void setFont(const QString& family, qreal points) override;
    void printAt(int column, const QString& text) override;
    void endLine() override { ++m_line; }
    bool endDocument() override;
    QString errorText() const override { return m_error; }

    // A printer that fails when the document is sent.
    void failWith(const QString& error) { m_failWith = error; }

    QList<Item> items;
    int documents = 0;
    // Each line as text, items joined by " | ", so a test reads the slip.
    QStringList lines() const;

private:
    int m_line = 0;
    QString m_family;
    qreal m_points = 0;
    QString m_failWith;
    QString m_error;
};

namespace platform {

// The system's default printer, or nullptr with the reason in error.
std::unique_ptr<LinePrinter> openDefaultPrinter(QString* error);

// Tests replace the default printer; an empty function restores it.
using LinePrinterFactory = std::function<std::unique_ptr<LinePrinter>(QString* error)>;
void setLinePrinterFactory(LinePrinterFactory factory);

} // namespace platform
