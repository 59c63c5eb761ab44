#pragma once

#include "platform/widgets/NewRecordWindow.h"

// Registers new customers. The number and the CPF are checked for
// duplicates as the operator leaves them; a duplicate shows the stored
// customer and offers a fresh start through Novo. An empty CPF is never a
// duplicate: the CPF is optional.
class frmClientes : public NewRecordWindow
{
    Q_OBJECT
public:
    explicit frmClientes(store::Database& db, QWidget* parent = nullptr);
};
