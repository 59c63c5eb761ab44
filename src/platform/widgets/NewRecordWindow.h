#pragma once

#include "RecordWindow.h"

class SaveOrNew;

// The flow of a window that registers new records: the keys are checked as
// the operator leaves them and again right before storing; a key on file
// shows that record and offers a fresh start through Novo; Salvar checks the
// required fields, stores the record and asks whether to register another.
// A window states only its fields, keys and messages.
class NewRecordWindow : public RecordWindow
{
    Q_OBJECT
protected:
    using RecordWindow::RecordWindow;

    struct Key
    {
        QWidget* field;
        QString index; // the unique index the key is sought in
        QWidget* next; // where the focus goes when the key is free
        // An optional key: left empty it is no key at all, never taken.
        bool optional = false;
    };
    struct Required
    {
        QWidget* field;
        QString name; // as the required-field message names it
    };
    struct Flow
    {
        QList<Key> keys; // in tab order; leaving the last one free starts the new row
        QList<Required> required;
        QString duplicate;     // shown when a key is on file
        QString another;       // the question after storing
        const char* dateLabel; // null: the date goes without a label
    };
    // Call once the fields are made: adds the date and the Salvar/Novo pair
    // below the fields, and readies the window for the first record.
    void startFlow(Flow flow);

private:
    bool leaveKey(const Key& key);
    bool keyTaken(const Key& key);
    void showDuplicate();
    void save();
    void startOver();

    Flow m_flow;
    SaveOrNew* m_buttons = nullptr;
};
