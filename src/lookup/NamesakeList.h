#pragma once

#include <QListWidget>

// A short list that appears under a name when several customers bear it,
// each with the account's number (a dependant with the holder's name too),
// so that the operator can tell them apart. The current row is the one
// chosen; the list is hidden while the name has no namesakes.
class NamesakeList final : public QListWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(NamesakeList)
public:
    struct Entry
    {
        QString name;
        QString code;
        QString holder; // empty for the account's holder
    };

    NamesakeList(QWidget* parent, const char* name);

    // Shows the entries, the first chosen, when there are two or more;
    // otherwise empties and hides the list. Emits nothing.
    void showEntries(const QList<Entry>& entries);
    void clearEntries();

    static QString entryText(const Entry& entry);

signals:
    // The operator chose another row.
    void chosen(int row);
};
