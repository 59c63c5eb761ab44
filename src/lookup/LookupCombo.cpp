#include "LookupCombo.h"

#include "ListIndex.h"
#include "claFenwaurda.h"
#include "platform/widgets/MessageBox.h"

#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QStringListModel>

namespace {

class AttachOnFocus : public QObject
{
public:
    AttachOnFocus(QComboBox* combo, claFenwaurda* autoComplete)
        : QObject(combo), m_combo(combo), m_autoComplete(autoComplete)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn && m_autoComplete)
            m_autoComplete->attachTo(m_combo);
        return QObject::eventFilter(watched, event);
    }

private:
    QComboBox* m_combo;
    QPointer<claFenwaurda> m_autoComplete;
};

} // namespace

QComboBox* makeLookupCombo(QWidget* parent, const char* name, claFenwaurda* autoComplete)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromUtf8(name));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    // A big list must not be measured item by item to size the box.
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(20);
    if (auto* view = qobject_cast<QListView*>(combo->view()))
        view->setUniformItemSizes(true);
    // Leaving the field, the combo would look the text up item by item (all
    // of a big list when nothing matches); the type-ahead has already
    // selected the item that matches, and the windows read the text.
    QObject::disconnect(combo->lineEdit(), SIGNAL(editingFinished()), combo, SLOT(_q_editingFinished()));
    combo->installEventFilter(new AttachOnFocus(combo, autoComplete));
    return combo;
}

void setLookupItems(QComboBox* combo, const QStringList& items)
{
    // The combo deletes the model it owned before.
    combo->setModel(new QStringListModel(items, combo));
    combo->setCurrentIndex(-1);
}

void setLookupItems(QComboBox* combo, QAbstractItemModel* list)
{
    if (!list)
        return setLookupItems(combo, QStringList());
    combo->setModel(list);
    combo->setCurrentIndex(-1);
    lookup_detail::ListIndex::of(list, combo->modelColumn(), combo->rootModelIndex())->setIncremental(true);
}

void prepareLookup(QAbstractItemModel* list)
{
    // A combo shows column 0 at the top level unless told otherwise.
    lookup_detail::ListIndex::of(list, 0, QModelIndex())->setIncremental(true);
}

QStringList lookupSpellings(QComboBox* combo, const QString& text)
{
    QStringList spellings;
    QAbstractItemModel* model = combo->model();
    if (!text.isEmpty() && model) {
        auto* list = lookup_detail::ListIndex::of(model, combo->modelColumn(), combo->rootModelIndex());
        // Equal texts are found in list order until the search wraps.
        for (int row = list->find(text, -1, false), last = -1; row > last;
             row = list->find(text, row, false)) {
            const QString item = combo->itemText(row);
            if (!spellings.contains(item))
                spellings.append(item);
            last = row;
        }
    }
    if (const qsizetype at = spellings.indexOf(text); at > 0)
        spellings.move(at, 0);
    else if (at < 0)
        spellings.append(text);
    return spellings;
}

void clearLookup(QComboBox* combo)
{
    combo->setCurrentIndex(-1);
    combo->clearEditText();
}

bool refuseLookup(QComboBox* combo, const QString& title, const QString& text)
{
    MessageBox::information(combo->window(), title, text);
    clearLookup(combo);
    return false;
}
