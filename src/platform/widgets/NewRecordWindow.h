#pragma once

#include "RecordWindow.h"

class SaveOrNew;

// The flow of a window that registers new records: the keys are checked as
// the operator leaves them and again right before storing; a key on file
// shows that record and offers a fresh start through Novo; Salvar checks the
// required fields, stores the record and asks whether to register another.
// A window states only its keys' fields and its messages; the rules are the
// service's.
class NewRecordWindow : public RecordWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(NewRecordWindow)
protected:
    using RecordWindow::RecordWindow;

    struct Key
    {
        QString column;          // one of the service's unique columns
        QWidget* next = nullptr; // where the focus goes when the key is free
    };
    struct Flow
    {
        QList<Key> keys;                 // in tab order
        QString duplicate;               // shown when a key is on file
        QString another;                 // the question after storing
        const char* dateLabel = nullptr; // null: the date goes without a label
    };
    // Call once the fields are made: adds the date and the Salvar/Novo pair
    // below the fields, and readies the window for the first record.
    void startFlow(Flow flow);

private:
    bool leaveKey(const Key& key);
    void showDuplicate(const counter::Record& record);
    void save();
    void startOver();
    QWidget* firstKey() const;

    Flow m_flow;
    SaveOrNew* m_buttons = nullptr;
};
