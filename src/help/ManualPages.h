#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The Portuguese manual shipped inside the program as a resource: its pages
// in reading order, which page explains which window, and a search that
// ignores case and accents, as the counter types ("locacao", "devolução").
namespace help {

struct ManualPage
{
    QString file;  // e.g. "locacao.html", under the resource folder
    QString title; // as the contents list shows it
};

// Where the pages live: ":/manual".
QString resourceFolder();
// The pages in the order of the contents list; the first is the start page.
const QList<ManualPage>& manualPages();
// The HTML of a page ("" for a file not in the manual).
QString pageHtml(const QString& file);

// The page about a window, found by its object name (the window's own name,
// "frmLocacao"); a report's preview ("rpt...") gets the reports' page, and
// a window the manual does not describe the start page.
QString pageForWindow(const QString& windowName);
// Every window name the manual knows, each with its page.
const QList<QPair<QString, QString>>& windowPages();

// Lower case without accents: "Locação" -> "locacao".
QString folded(const QString& text);
// The pages whose text holds every word typed, in contents order; all pages
// for an empty text.
QStringList searchPages(const QString& words);

} // namespace help
