#include "SearchPanel.h"

#include "platform/widgets/TaskWindow.h"

#include <QApplication>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>

SearchPanel::SearchPanel(QWidget* parent, const QStringList& captions, Find find)
    : QWidget(parent), m_find(std::move(find)), m_field(new QLineEdit(this)), m_list(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("fraBuscar"));
    m_field->setObjectName(QStringLiteral("txtBuscar"));
    m_list->setObjectName(QStringLiteral("lstBuscar"));
    m_list->setAccessibleName(QStringLiteral("Resultados da busca"));
    m_list->setHeaderLabels(captions);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->header()->setStretchLastSection(true);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    // Beside the look-up, not a stop on the way round its fields (Tab and
    // Enter still go from OK back to the key): a click or Alt+B comes here,
    // the down arrow goes on into the list.
    grid->addWidget(TaskWindow::labelFor(m_field, QStringLiteral("&Buscar:"), this), 0, 0);
    m_field->setAccessibleName(QStringLiteral("Buscar:"));
    m_field->setFocusPolicy(Qt::ClickFocus);
    m_list->setFocusPolicy(Qt::ClickFocus);
    m_field->installEventFilter(this);
    grid->addWidget(m_field, 0, 1);
    grid->addWidget(m_list, 1, 0, 1, 2);

    connect(m_field, &QLineEdit::textEdited, this, &SearchPanel::search);
    // Choosing is moving onto a line with the keys, or a click (on the line
    // shown already too): Enter moves on to the next field, as everywhere
    // in the window, so it cannot be the choice.
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item && QApplication::mouseButtons() == Qt::NoButton)
            emit chosen(m_list->indexOfTopLevelItem(item));
    });
    connect(m_list, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { emit chosen(m_list->indexOfTopLevelItem(item)); });
}

bool SearchPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_field && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down && m_list->topLevelItemCount() > 0) {
        m_list->setFocus(Qt::OtherFocusReason);
        if (!m_list->currentItem())
            m_list->setCurrentItem(m_list->topLevelItem(0));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool SearchPanel::hasFocusWithin() const
{
    const QWidget* focus = QApplication::focusWidget();
    return focus && isAncestorOf(focus);
}

void SearchPanel::search(const QString& typed)
{
    const QList<QStringList> lines = m_find(typed);
    // A new list chooses nothing until the operator does.
    const QSignalBlocker quiet(m_list);
    m_list->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(lines.size());
    for (const QStringList& line : lines)
        items.append(new QTreeWidgetItem(line));
    m_list->addTopLevelItems(items);
    for (int c = 0; c + 1 < m_list->columnCount(); ++c)
        m_list->resizeColumnToContents(c);
}
