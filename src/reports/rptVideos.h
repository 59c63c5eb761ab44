#pragma once

#include "DataReport.h"

// "Relatório de Vídeos": one line per video with its shelf count.
class rptVideos : public LineReport
{
public:
    static constexpr const char* Name = "rptVideos";
    explicit rptVideos(std::shared_ptr<datFenwarda> env);
};
