#pragma once

#include "platform/widgets/TaskWindow.h"

class QLabel;
class QPushButton;
class QTreeWidget;

// "Locações em Atraso": the open notes with a video past due, most late
// first, one line per late video; the note, its renter and phones on the
// first line of each note.
class frmAtraso final : public TaskWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmAtraso)
public:
    explicit frmAtraso(store::Database& db, QWidget* parent = nullptr);

private:
    void refresh();

    QTreeWidget* m_grdAtraso = nullptr;
    QLabel* m_lblTotal = nullptr;
    QPushButton* m_cmdAtualizar = nullptr;
};
