#pragma once

#include <QObject>

class LeaveChecks;
class MaskedEdit;
class QGridLayout;
class QLineEdit;
class QWidget;

namespace store {
class RecordCursor;
}

// The customer's fields, labels and field rules, shared by the windows that
// register and that change customers: digits-only number and RG, masks,
// proper case for names and address, upper case for the issuing body.
class CustomerFields : public QObject
{
    Q_OBJECT
public:
    // Creates the fields on window, laid out on grid from row 1 on (row 0 is
    // left to the window: the date).
    CustomerFields(QWidget* window, QGridLayout* grid, LeaveChecks& checks);

    QLineEdit* txtCodigo;
    MaskedEdit* mskCPF;
    QLineEdit* txtRG;
    QLineEdit* txtEmissor;
    QLineEdit* txtNome;
    QLineEdit* txtEndereco;
    MaskedEdit* mskCep;
    MaskedEdit* mskFoneResidencial;
    MaskedEdit* mskFoneComercial;
    MaskedEdit* mskCelular;
    QLineEdit* txt1;
    QLineEdit* txt2;
    QLineEdit* txt3;

    // The next free grid row, for the window's buttons.
    int nextRow() const { return m_nextRow; }

    // Chains the fields in their tab order, first after `before` (or first
    // in the window when null); returns the last field.
    QWidget* setTabOrder(QWidget* before = nullptr);

    // Empties every field; masked fields show their empty masks.
    void clear();
    // Current row into the fields (a column with no value shows empty).
    void show(const store::RecordCursor& row);
    // Fields into the pending row, in column order, without Data.
    void store(store::RecordCursor& row) const;

private:
    int m_nextRow = 0;
};
