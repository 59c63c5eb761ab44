#pragma once

#include <QWidget>
#include <functional>
#include <memory>

class DataReport;
class QLabel;
class QPrinter;
class QProgressDialog;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QTimer;

namespace reports {
class PageView;
}

// The non-modal preview of one report: page through it, zoom, print it on
// a printer chosen in the print dialog, or save it as a PDF file. Only the
// page on screen is drawn, and the table is read on in short turns of the
// event loop while the window answers, so a long report opens at once; the
// page count shows once the table has been read. The window owns the
// report; closing it ends the report and its result.
class ReportPreview : public QWidget
{
    Q_OBJECT
public:
    explicit ReportPreview(std::unique_ptr<DataReport> report, QWidget* parent = nullptr);
    ~ReportPreview() override;

    const DataReport& report() const { return *m_report; }
    int currentPage() const; // from 0
    void setCurrentPage(int page);
    qreal zoom() const;

    // The dialogs the print and PDF buttons ask through; tests replace them.
    // The printer chooser gets a printer set up for the report's pages and
    // returns false when the operator cancels; the file chooser returns an
    // empty text then.
    void setPrinterChooser(std::function<bool(QPrinter&)> choose) { m_choosePrinter = std::move(choose); }
    void setFileChooser(std::function<QString()> choose) { m_chooseFile = std::move(choose); }
    // Called after each page saved as PDF with the progress dialog, whether
    // it shows yet or not; tests press its Cancel button from here.
    void setOnPdfProgress(std::function<void(QProgressDialog&)> hook) { m_onPdfProgress = std::move(hook); }

    // Where the file chooser starts: the report's name in the user's
    // documents folder.
    QString pdfStartPath() const;
    // Writes the whole report to a PDF file, with a progress dialog that
    // can cancel it. The file appears only once complete: false, and no
    // file (an older one stays as it was), when cancelled or on failure;
    // a failure also says so in a message.
    bool savePdf(const QString& path);
    // Prints the pages the printer's range asks for (all by default).
    bool print(QPrinter& printer);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void updatePage();
    void setZoom(qreal zoom);
    void askAndPrint();
    void askAndSavePdf();
    void readMore();
    // Runs read; a file that cannot be read is told, and false.
    bool reading(const std::function<void()>& read);
    // Reads the rest of the table now, for what needs the whole of it.
    int pageCount();

    std::unique_ptr<DataReport> m_report;
    reports::PageView* m_view;
    QScrollArea* m_scroll;
    QSpinBox* m_page;
    QLabel* m_pageCount;
    QLabel* m_zoomText;
    QTimer* m_reading;
    QPushButton* m_first;
    QPushButton* m_previous;
    QPushButton* m_next;
    QPushButton* m_last;
    std::function<bool(QPrinter&)> m_choosePrinter;
    std::function<QString()> m_chooseFile;
    std::function<void(QProgressDialog&)> m_onPdfProgress;
};
