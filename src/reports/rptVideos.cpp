#include "rptVideos.h"

#include "store/Names.h"

using namespace store::names;

rptVideos::rptVideos(std::shared_ptr<datFenwarda> env)
    : LineReport(std::move(env), QString::fromLatin1(Name), QStringLiteral("cmdVideos_Grouping"),
                 QStringLiteral("Relatório de Vídeos"), 18, 14.25,
                 {{QStringLiteral("Codigo"), tblVideos::Codigo, 0, 65},
                  {QStringLiteral("Nome"), tblVideos::Nome, 70, 235},
                  {QStringLiteral("Genero"), tblVideos::Genero, 310, 110},
                  {QStringLiteral("Qtde na Loja"), tblVideos::QTDE, 425, 98}})
{
}
