#include "frmAtraso.h"

#include "platform/Formats.h"
#include "store/Database.h"
#include "store/StoreError.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>
#include <new>

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
    connect(&m_reading, &QFutureWatcherBase::finished, this, &frmAtraso::showRead);
    setTabOrderChain({m_grdAtraso, m_cmdAtualizar});
    finishSetup();
    refresh();
    m_grdAtraso->setFocus();
}

void frmAtraso::refresh()
{
    if (m_reading.isRunning())
        return;
    m_cmdAtualizar->setEnabled(false);
    m_lblTotal->setText(QStringLiteral("Lendo as locações em atraso..."));
    m_reading.setFuture(QtConcurrent::run([folder = db().folder(), now = QDateTime::currentDateTime()] {
        Read read;
        try {
            // Qt SQL connections belong to the thread that opens them.
            store::Database reader(folder, store::Database::Access::ReadOnly);
            read.notes = counter::Overdue(reader).notes(now);
        } catch (...) {
            read.error = std::current_exception();
        }
        return read;
    }));
}

void frmAtraso::showRead()
{
    const Read read = m_reading.result();
    m_cmdAtualizar->setEnabled(true);
    if (read.outOfMemory) {
        m_lblTotal->setText(QStringLiteral("Memória insuficiente para ler as locações em atraso."));
        return;
    }
    if (!guarded([&] {
            if (read.error)
                std::rethrow_exception(read.error);
        })) {
        m_lblTotal->clear();
        return;
    }
    const QList<counter::Overdue::Note>& notes = read.notes;
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
