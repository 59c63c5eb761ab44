#include "FormGrid.h"

#include "TaskWindow.h"

#include <QGridLayout>
#include <QLabel>

FormGrid::FormGrid(QWidget* window) : m_window(window), m_grid(new QGridLayout(window)) {}

QList<QLabel*> FormGrid::add(std::initializer_list<Cell> cells)
{
    QList<QLabel*> labels;
    for (const Cell& c : cells) {
        int column = c.column;
        if (c.label) {
            QLabel* label = TaskWindow::labelFor(c.field, QString::fromUtf8(c.label), m_window);
            m_grid->addWidget(label, c.row, column++);
            labels.append(label);
        }
        if (c.twips > 0) {
            c.field->setFixedWidth(pixels(c.twips));
            m_grid->addWidget(c.field, c.row, column, 1, c.span, Qt::AlignLeft);
        } else {
            m_grid->addWidget(c.field, c.row, column, 1, c.span);
        }
    }
    return labels;
}

void FormGrid::keepDrawnColumns(std::initializer_list<int> lefts)
{
    const QMargins margins = m_grid->contentsMargins();
    int previous = -1;
    int column = -1;
    for (int left : lefts) {
        if (column < 0)
            m_grid->setContentsMargins(pixels(left), margins.top(), margins.right(), margins.bottom());
        else
            m_grid->setColumnMinimumWidth(
                column, std::max(0, pixels(left) - pixels(previous) - m_grid->horizontalSpacing()));
        previous = left;
        ++column;
    }
}

int FormGrid::pixels(int twips)
{
    return (twips + 7) / 15;
}
