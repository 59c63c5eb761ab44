#pragma once

#include "platform/widgets/NewRecordWindow.h"

// Registers new customers. The number and the CPF are checked for
// duplicates as the operator leaves them; a duplicate shows the stored
// customer and offers a fresh start through Novo. An empty CPF is never a
// duplicate: the CPF is optional.
class frmClientes final : public NewRecordWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmClientes)

public:
    explicit frmClientes(store::Database& db, QWidget* parent = nullptr);
};
