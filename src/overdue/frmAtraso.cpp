#include "frmAtraso.h"

#include "counter/Overdue.h"
#include "platform/Formats.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

frmAtraso::frmAtraso(store::Database& db, QWidget* parent)
    : TaskWindow(db, QStringLiteral("Locações em Atraso"), parent)
{
    setObjectName(QStringLiteral("frmAtraso"));
    m_grdAtraso = new QTreeWidget(this);
    m_grdAtraso->setObjectName(QStringLiteral("grdAtraso"));
    m_grdAtraso->setHeaderLabels({QStringLiteral("Nota"), QStringLiteral("Data"), QStringLiteral("Cliente"),
                                  QStringLiteral("Telefones"), QStringLiteral("Vídeo"),
                                  QStringLiteral("Vencimento"), QStringLiteral("Dias de Atraso")});
    m_grdAtraso->setRootIsDecorated(false);
    m_grdAtraso->setUniformRowHeights(true);
    m_grdAtraso->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grdAtraso->setAccessibleName(windowTitle());
    // Columns fitted to the first lines: a big shop's list runs to thousands.
    m_grdAtraso->header()->setResizeContentsPrecision(200);
    m_lblTotal = new QLabel(this);
    m_lblTotal->setObjectName(QStringLiteral("lblTotal"));
    m_cmdAtualizar = new QPushButton(QStringLiteral("&Atualizar"), this);
    m_cmdAtualizar->setObjectName(QStringLiteral("cmdAtualizar"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_grdAtraso);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_lblTotal, 1);
    bottom->addWidget(m_cmdAtualizar);
    layout->addLayout(bottom);
    resize(900, 420);

    connect(m_cmdAtualizar, &QPushButton::clicked, this, [this] { refresh(); });
    setTabOrderChain({m_grdAtraso, m_cmdAtualizar});
    finishSetup();
    refresh();
    m_grdAtraso->setFocus();
}

void frmAtraso::refresh()
{
    QList<counter::Overdue::Note> notes;
    if (!guarded([&] { notes = counter::Overdue(db()).notes(QDateTime::currentDateTime()); }))
        return;
    m_grdAtraso->clear();
    QList<QTreeWidgetItem*> items;
    int videos = 0;
    for (const counter::Overdue::Note& note : notes) {
        bool first = true;
        for (const counter::Overdue::Video& v : note.videos) {
            const QString due = platform::shortDate(v.due.date()) + v.due.toString(QStringLiteral(" HH:mm"));
            QStringList line{first ? note.code : QString(),
                             first ? note.date : QString(),
                             first ? note.customer : QString(),
                             first ? note.phones.join(QStringLiteral(" / ")) : QString(),
                             v.code + QStringLiteral(" - ") + v.title,
                             due,
                             QString::number(v.daysLate)};
            auto* item = new QTreeWidgetItem(line);
            item->setTextAlignment(6, Qt::AlignRight | Qt::AlignVCenter);
            items.append(item);
            first = false;
            ++videos;
        }
    }
    m_grdAtraso->addTopLevelItems(items);
    for (int c = 0; c + 1 < m_grdAtraso->columnCount(); ++c)
        m_grdAtraso->resizeColumnToContents(c);
    m_lblTotal->setText(
        notes.isEmpty() ? QStringLiteral("Nenhuma locação em atraso.")
                        : QStringLiteral("%1 nota(s) em atraso, %2 vídeo(s).").arg(notes.size()).arg(videos));
}
