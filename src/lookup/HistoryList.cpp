#include "HistoryList.h"

#include <QHeaderView>

HistoryList::HistoryList(QWidget* parent, const char* name, const QStringList& captions) : QTreeWidget(parent)
{
    setObjectName(QString::fromUtf8(name));
    setHeaderLabels(captions);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setStretchLastSection(true);
    // Shown beside the look-up, not a stop on the way round the fields:
    // Tab and Enter still go from OK back to the key.
    setFocusPolicy(Qt::ClickFocus);
}

void HistoryList::setLines(const QList<QStringList>& lines)
{
    clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(lines.size());
    for (const QStringList& line : lines)
        items.append(new QTreeWidgetItem(line));
    addTopLevelItems(items);
    for (int c = 0; c + 1 < columnCount(); ++c)
        resizeColumnToContents(c);
}
