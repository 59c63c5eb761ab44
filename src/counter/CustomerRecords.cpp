#include "CustomerRecords.h"

#include "store/Names.h"

using namespace store::names;

namespace counter {

CustomerRecords::CustomerRecords(store::Database& db)
    : RecordService(db,
                    {.table = tblClientes::Table,
                     .unique = {{tblClientes::Codigo, tblClientes::indCodigo},
                                {.column = tblClientes::CPF, .index = tblClientes::indCPF, .optional = true}},
                     .required = {{tblClientes::Codigo, QStringLiteral("Nº de Cadastro")},
                                  {tblClientes::RG, QStringLiteral("RG")},
                                  {tblClientes::Nome, QStringLiteral("Nome Completo")},
                                  {tblClientes::Endereco, QStringLiteral("Endereço")}}})
{
}

} // namespace counter
