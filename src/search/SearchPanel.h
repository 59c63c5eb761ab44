#pragma once

#include <QStringList>
#include <QWidget>
#include <functional>

class QLineEdit;
class QTreeWidget;

// The "Buscar" of a query window: a field for part of a name or title, a
// number, CPF or telephone, and the list of what it finds, found again at
// each key. Choosing a line (a click, the arrow keys) tells the window,
// which shows that record as its look-up would.
class SearchPanel final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SearchPanel)
public:
    // The lines found for what was typed, one text per caption.
    using Find = std::function<QList<QStringList>(const QString& typed)>;

    SearchPanel(QWidget* parent, const QStringList& captions, Find find);

    QLineEdit* field() const { return m_field; }
    QTreeWidget* list() const { return m_list; }

    // Whether the focus is in the panel, or going to it: leaving the
    // query's key for the search is not a look-up of an empty key.
    bool hasFocusWithin() const;

signals:
    // The line at this position of the last search was chosen.
    void chosen(int line);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void search(const QString& typed);

    Find m_find;
    QLineEdit* m_field;
    QTreeWidget* m_list;
};
