#pragma once

#include "DataReport.h"

// "Relatório de Clientes": one line per distinct name, RG, CPF and phones.
class rptClientes : public LineReport
{
public:
    static constexpr const char* Name = "rptClientes";
    explicit rptClientes(std::shared_ptr<datFenwarda> env);
};
