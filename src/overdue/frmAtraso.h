#pragma once

#include "counter/Overdue.h"
#include "platform/widgets/TaskWindow.h"

#include <QFutureWatcher>
#include <exception>

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
    struct Read
    {
        QList<counter::Overdue::Note> notes;
        std::exception_ptr error; // the file's
        bool outOfMemory = false;
    };
    // Reads the late notes beside the window, which opens at once: in a big
    // shop every open video is looked at.
    void refresh();
    void showRead();

    QTreeWidget* m_grdAtraso = nullptr;
    QLabel* m_lblTotal = nullptr;
    QPushButton* m_cmdAtualizar = nullptr;
    QFutureWatcher<Read> m_reading;
};
