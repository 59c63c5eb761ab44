#include "rptVideos.h"

rptVideos::rptVideos(std::shared_ptr<datFenwarda> env)
    : LineReport(std::move(env), QString::fromLatin1(Name), QStringLiteral("cmdVideos_Grouping"),
                 QStringLiteral("Relatório de Vídeos"), 18, 14.25,
                 {{QStringLiteral("Codigo"), QStringLiteral("Codigo"), 0, 65},
                  {QStringLiteral("Nome"), QStringLiteral("Nome"), 70, 235},
                  {QStringLiteral("Genero"), QStringLiteral("Genero"), 310, 110},
                  {QStringLiteral("Qtde na Loja"), QStringLiteral("QTDE"), 425, 98}})
{
}
