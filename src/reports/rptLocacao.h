#pragma once

#include "DataReport.h"

#include <QPointF>

// "Relatório de Locação de Vídeos Pendentes": one block per open rental
// note, its sixteen slots in a grid of four columns.
class rptLocacao : public DataReport
{
public:
    static constexpr const char* Name = "rptLocacao";
    static constexpr qreal CellWidth = 122.25; // 2,445 twips

    explicit rptLocacao(std::shared_ptr<datFenwarda> env);

    // Where slot 1..16 sits in its block: column and line, from 0.
    static QPoint slotCell(int slot);

protected:
    qreal groupHeight() const override;
    void addGroupItems(QList<Item>& out, int group, qreal top) const override;
};
