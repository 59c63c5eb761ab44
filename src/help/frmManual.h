#pragma once

#include <QWidget>

class QLineEdit;
class QListWidget;
class QTextBrowser;

// The manual's window: the contents (or the pages a search found) on the
// left, the page on the right. One window serves the whole program; it has
// no parent, so it stays usable while a task window disables the main one.
class frmManual final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmManual)
public:
    // Shows the window (made on first use) at a page of the manual.
    static frmManual* showPage(const QString& file);
    // Shows the page about window, F1's answer.
    static frmManual* showFor(const QWidget* window);
    // The window while it is open, else nullptr.
    static frmManual* shown();
    // Closes the window, if open; the program is ending.
    static void closeShown();

    // The file of the page on screen, "locacao.html".
    QString currentPage() const;
    // Lists the pages holding every word of text (all pages when empty).
    void search(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    frmManual();
    ~frmManual() override;
    void open(const QString& file);
    void listPages(const QStringList& files);
    void markCurrent(const QString& file);

    QLineEdit* m_txtBuscar;
    QListWidget* m_lstPaginas;
    QTextBrowser* m_txtPagina;
};
