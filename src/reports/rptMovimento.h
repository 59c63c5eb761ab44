#pragma once

#include "DataReport.h"

#include <QDate>

// "Movimento do Dia": every note saved from one date to another (number,
// time, customer, value, discount, what was charged) with their totals,
// then the returns booked in the same days.
class rptMovimento : public DataReport
{
public:
    static constexpr const char* Name = "rptMovimento";
    rptMovimento(std::shared_ptr<datFenwarda> env, const QDate& from, const QDate& to);

    // The title for the span: one date, or both.
    static QString title(const QDate& from, const QDate& to);

protected:
    qreal groupHeight() const override;
    void addGroupItems(QList<Item>& out, int group, qreal top) const override;
};
