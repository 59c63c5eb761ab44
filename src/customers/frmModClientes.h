#pragma once

#include "platform/widgets/ModifyRecordWindow.h"

// Changes or deletes a customer, looked up by the number the operator types.
class frmModClientes : public ModifyRecordWindow
{
    Q_OBJECT
public:
    explicit frmModClientes(store::Database& db, QWidget* parent = nullptr);
};
