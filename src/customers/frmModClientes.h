#pragma once

#include "platform/widgets/ModifyRecordWindow.h"

// Changes or deletes a customer, looked up by the number the operator types.
class frmModClientes final : public ModifyRecordWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmModClientes)

public:
    explicit frmModClientes(store::Database& db, QWidget* parent = nullptr);
};
