#pragma once

#include "counter/RecordService.h"

#include <QObject>
#include <QWidget>

// A record's fields on a window, with their labels and field rules: one set
// serves both the window that registers records and the one that changes
// them. The windows own the date and the buttons.
class RecordFields : public QObject
{
    Q_DISABLE_COPY_MOVE(RecordFields)

public:
    using QObject::QObject;

    // A record into the fields, without Data; a column with no value shows
    // empty.
    virtual void show(const counter::Record& record) = 0;
    // The fields as a record, without Data.
    virtual counter::Record read() const = 0;
    // The field that shows column.
    virtual QWidget* field(const QString& column) const = 0;
    // Empties every field.
    virtual void clear() = 0;
    // Chains the fields in their tab order, first after before (or first in
    // the window when null); returns the last one.
    virtual QWidget* setTabOrder(QWidget* before) = 0;
    // The first grid row below the fields, for the window's buttons.
    virtual int nextRow() const = 0;
    // Last word of the fields before they are stored: a question to the
    // operator, or a rule's refusal said where it is typed. False (having
    // said why and put the focus where the operator should look) keeps the
    // record from being stored.
    virtual bool readyToStore(QWidget* window)
    {
        Q_UNUSED(window);
        return true;
    }

protected:
    // setTabOrder() for fields in order.
    static QWidget* chainTabOrder(QWidget* before, const QList<QWidget*>& order)
    {
        QWidget* previous = before;
        for (QWidget* w : order) {
            if (previous)
                QWidget::setTabOrder(previous, w);
            previous = w;
        }
        return previous;
    }
};
