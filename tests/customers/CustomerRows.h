#pragma once

#include "TestSupport.h"

// A customer registered on 01/02/2003 with one dependant, every other
// column filled but the work telephone.
inline void insertCustomer(Shop& shop, const QString& codigo, const QString& cpf, const QString& nome)
{
    shop.exec("INSERT INTO tblClientes (Codigo, Data, Nome, Endereco, Dependente1, Dependente2, "
              "Dependente3, Emissor, RG, CPF, FoneResidencial, FoneComercial, Celular, CEP) "
              "VALUES (?, '01/02/2003', ?, 'Rua A, 1', 'Ana', '', '', 'SSP', '777', ?, '1234-5678', "
              "'', '9999-0000', '12.345-678')",
              {codigo, nome, cpf});
}
