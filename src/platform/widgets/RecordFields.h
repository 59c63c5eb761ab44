#pragma once

#include <QObject>

class QWidget;

namespace store {
class RecordCursor;
}

// A record's fields on a window, with their labels and field rules: one set
// serves both the window that registers records and the one that changes
// them. The windows own the date and the buttons.
class RecordFields : public QObject
{
public:
    using QObject::QObject;

    // Current row into the fields, without Data; a column with no value
    // shows empty.
    virtual void show(const store::RecordCursor& row) = 0;
    // Fields into the pending row, without Data. The caller stores the row.
    virtual void write(store::RecordCursor& row) const = 0;
    // Empties every field.
    virtual void clear() = 0;
    // Chains the fields in their tab order, first after before (or first in
    // the window when null); returns the last one.
    virtual QWidget* setTabOrder(QWidget* before) = 0;
    // The first grid row below the fields, for the window's buttons.
    virtual int nextRow() const = 0;
    // Last word of the fields before they are stored: a rule that spans the
    // record or asks the operator. False (having said why and put the focus
    // where the operator should look) keeps the record from being stored.
    virtual bool readyToStore(QWidget* window)
    {
        Q_UNUSED(window);
        return true;
    }
};
