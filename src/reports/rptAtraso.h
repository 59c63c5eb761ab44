#pragma once

#include "DataReport.h"

#include <QDateTime>

// "Locações em Atraso": one line per video past due on an open note, the
// note, its renter and phones on the first; the most late note first.
class rptAtraso : public LineReport
{
public:
    static constexpr const char* Name = "rptAtraso";
    // Late as at now.
    rptAtraso(std::shared_ptr<datFenwarda> env, const QDateTime& now);
    explicit rptAtraso(std::shared_ptr<datFenwarda> env)
        : rptAtraso(std::move(env), QDateTime::currentDateTime())
    {
    }
};
