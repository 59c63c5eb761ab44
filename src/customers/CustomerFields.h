#pragma once

#include "platform/widgets/RecordFields.h"

class FormGrid;
class LeaveChecks;
class MaskedEdit;
class QLineEdit;

// The customer's fields, labels and field rules, shared by the windows that
// register and that change customers: digits-only number and RG, masks,
// proper case for names and address, upper case for the issuing body.
class CustomerFields final : public RecordFields
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CustomerFields)

public:
    // Creates the fields on window, laid out on grid from row 1 on (row 0 is
    // left to the window: the date).
    CustomerFields(QWidget* window, FormGrid& grid, LeaveChecks& checks);

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

    int nextRow() const override { return m_nextRow; }
    QWidget* setTabOrder(QWidget* before) override;
    void clear() override;
    void show(const counter::Record& record) override;
    counter::Record read() const override;
    QWidget* field(const QString& column) const override;

private:
    // Each column with the field that shows it, in tab order.
    QList<std::pair<QString, QLineEdit*>> columns() const;

    int m_nextRow = 0;
};
