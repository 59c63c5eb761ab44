#pragma once

#include "platform/widgets/TaskWindow.h"

class CustomerFields;
class QLineEdit;
class QPushButton;
class SaveOrNew;

namespace store {
class RecordCursor;
}

// Registers new customers. The number and the CPF are checked for
// duplicates as the operator leaves them; a duplicate shows the stored
// customer and offers a fresh start through Novo.
class frmClientes : public TaskWindow
{
    Q_OBJECT
public:
    explicit frmClientes(store::Database& db, QWidget* parent = nullptr);

private:
    void ClearFields();
    void ShowCustomer();
    void StoreCustomer();

    void showDuplicate();
    void save();
    void startOver();
    // Whether a stored customer already has this number or CPF; the cursor
    // then stands on that customer.
    bool numberTaken();
    bool cpfTaken();
    store::RecordCursor& clientes();

    CustomerFields* m_fields;
    QLineEdit* m_txtData;
    SaveOrNew* m_buttons;
};
