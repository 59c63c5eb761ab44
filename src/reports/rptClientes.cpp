#include "rptClientes.h"

#include "store/Names.h"

using namespace store::names;

rptClientes::rptClientes(std::shared_ptr<datFenwarda> env)
    : LineReport(std::move(env), QString::fromLatin1(Name), QStringLiteral("cmdClientes_Grouping"),
                 QStringLiteral("Relatório de Clientes"), 18, 12,
                 {{QStringLiteral("Nome"), tblClientes::Nome, 0, 215},
                  {QStringLiteral("RG"), tblClientes::RG, 220, 65},
                  {QStringLiteral("CPF"), tblClientes::CPF, 290, 80},
                  {QStringLiteral("Celular"), tblClientes::Celular, 375, 65},
                  {QStringLiteral("Telefone"), tblClientes::FoneResidencial, 445, 78}})
{
}
