#pragma once

class claFenwaurda;
class NamesakeList;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;
class SlotGrid;

// The rental window's widgets, laid out on the form grid after the drawing
// in twips; the window gives them their behaviour.
struct RentalForm
{
    QLineEdit* txtData = nullptr;
    QLineEdit* txtCodigo = nullptr;
    QComboBox* cboClientes = nullptr;
    QLineEdit* text1 = nullptr;
    QLabel* lblnome = nullptr;
    NamesakeList* lstClientes = nullptr; // shown when the name has namesakes
    QComboBox* cbo1 = nullptr;
    QLineEdit* txtValor = nullptr;
    QLineEdit* txtDesconto = nullptr;
    QPushButton* cmdSalvar = nullptr;
    QPushButton* cmdDesfazer = nullptr;
    SlotGrid* slotGrid = nullptr;

    // Makes the widgets in window, lays them out and chains the tab order.
    void setupUi(QWidget* window, claFenwaurda* autoComplete);
};
