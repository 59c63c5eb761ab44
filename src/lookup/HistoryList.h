#pragma once

#include <QTreeWidget>

// A read-only list of rented videos for the query windows: one line per
// video, its columns given by the caller, never edited.
class HistoryList final : public QTreeWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HistoryList)
public:
    HistoryList(QWidget* parent, const char* name, const QStringList& captions);

    // Replaces every line.
    void setLines(const QList<QStringList>& lines);
};
