#pragma once

#include <QList>
#include <initializer_list>

class QGridLayout;
class QLabel;
class QWidget;

// Lays a window's fields out from a table, one line per field: where it
// goes on the grid and the label left of it. The label is the field's buddy
// and its text the field's accessible name.
//
//     FormGrid grid(this);
//     grid.add({{txtCodigo, "Código:", 0, 0},
//               {txtLocal, "Local da Loja:", 1, 2},
//               {cmdOk, nullptr, 2, 3, 1, 855}});
class FormGrid final
{
public:
    struct Cell
    {
        QWidget* field;
        // The label's text; null when the field goes without one (a button,
        // a frame with its own title) and takes the column itself.
        const char* label;
        int row;
        int column;    // of the label; the field comes in the next one
        int span = 1;  // grid columns the field covers
        int twips = 0; // a fixed width as drawn, in twips; 0: fills its cells
    };

    // Gives window a grid layout of its own.
    explicit FormGrid(QWidget* window);

    // Places the fields; returns the labels made, in table order.
    QList<QLabel*> add(std::initializer_list<Cell> cells);

    // Keeps the columns at least where a drawing puts them: the left edges,
    // in twips, of columns 0, 1, 2... from the window's left edge. A label
    // wider than drawn pushes the columns right of it further right.
    void keepDrawnColumns(std::initializer_list<int> lefts);

    QGridLayout* layout() const { return m_grid; }

    // About 15 twips make a pixel on a common screen.
    static int pixels(int twips);

private:
    QWidget* m_window;
    QGridLayout* m_grid;
};
