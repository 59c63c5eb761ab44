#include "rptClientes.h"

rptClientes::rptClientes(std::shared_ptr<datFenwarda> env)
    : LineReport(std::move(env), QString::fromLatin1(Name), QStringLiteral("cmdClientes_Grouping"),
                 QStringLiteral("Relatório de Clientes"), 18, 12,
                 {{QStringLiteral("Nome"), QStringLiteral("Nome"), 0, 215},
                  {QStringLiteral("RG"), QStringLiteral("RG"), 220, 65},
                  {QStringLiteral("CPF"), QStringLiteral("CPF"), 290, 80},
                  {QStringLiteral("Celular"), QStringLiteral("Celular"), 375, 65},
                  {QStringLiteral("Telefone"), QStringLiteral("FoneResidencial"), 445, 78}})
{
}
