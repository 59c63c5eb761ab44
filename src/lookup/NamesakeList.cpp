#include "NamesakeList.h"

#include "counter/PeopleSearch.h"

#include <QSignalBlocker>

#include <algorithm>

NamesakeList::NamesakeList(QWidget* parent, const char* name) : QListWidget(parent)
{
    setObjectName(QString::fromUtf8(name));
    setAccessibleName(QStringLiteral("Clientes com o mesmo nome"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    hide();
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            emit chosen(row);
    });
}

QString NamesakeList::entryText(const Entry& entry)
{
    if (entry.holder.isEmpty())
        return counter::PeopleSearch::withNumber(entry.name, entry.code);
    return QStringLiteral("%1 (nº %2, dependente de %3)").arg(entry.name, entry.code, entry.holder);
}

void NamesakeList::showEntries(const QList<Entry>& entries)
{
    if (entries.size() < 2)
        return clearEntries();
    const QSignalBlocker quiet(this);
    clear();
    for (const Entry& entry : entries)
        addItem(entryText(entry));
    setCurrentRow(0);
    // A few rows at a time; more scroll.
    const int rows = int(std::min<qsizetype>(entries.size(), 4));
    setFixedHeight(rows * sizeHintForRow(0) + 2 * frameWidth());
    show();
}

void NamesakeList::clearEntries()
{
    const QSignalBlocker quiet(this);
    clear();
    hide();
}
