#pragma once

#include "DataReport.h"

#include <QHash>
#include <QPointF>
#include <memory>

namespace counter {
class History;
}

// "Relatório de Locação de Vídeos Pendentes": one block per open rental
// note, its sixteen slots in a grid of four columns.
class rptLocacao : public DataReport
{
public:
    static constexpr const char* Name = "rptLocacao";
    static constexpr qreal CellWidth = 122.25; // 2,445 twips

    explicit rptLocacao(std::shared_ptr<datFenwarda> env);
    ~rptLocacao() override;

    // Where slot 1..16 sits in its block: column and line, from 0.
    static QPoint slotCell(int slot);

protected:
    qreal groupHeight() const override;
    void addGroupItems(QList<Item>& out, int group, qreal top) const override;

private:
    // The account a note was saved for, as the history keeps it; empty
    // when it kept none. Read once per note.
    QString accountOf(const QString& note) const;

    std::shared_ptr<datFenwarda> m_env;
    mutable std::unique_ptr<counter::History> m_history;
    mutable QHash<QString, QString> m_accounts;
};
