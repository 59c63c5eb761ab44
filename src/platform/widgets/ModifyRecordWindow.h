#pragma once

#include "RecordWindow.h"

class QPushButton;

// The flow of a window that changes or deletes records: leaving the key
// field looks the record up and opens it for changes; "&Editar" stores the
// fields back, "E&xcluir" deletes the record after a question. Both act only
// on the record the last lookup found, and refuse while none is shown.
class ModifyRecordWindow : public RecordWindow
{
    Q_OBJECT
protected:
    using RecordWindow::RecordWindow;

    // A column no two records may share, with the message shown when the
    // field is changed to another record's value.
    struct Unique
    {
        QWidget* field;
        QString index;
        QString taken;
        // An optional value: left empty it is no value at all, never taken.
        bool optional = false;
    };
    struct Flow
    {
        QWidget* key;      // the lookup field
        QString keyIndex;  // unique index of the key column
        QString keyColumn; // the column it covers
        QWidget* next;     // where the focus goes once a record is found
        QString notFound;  // message and title of a failed lookup
        QString notFoundTitle;
        QString noneShown; // Editar or Excluir before a lookup
        QString askDelete; // the question, followed by the name field's text
        QWidget* name;
        QList<Unique> unique; // checked before storing changes
    };
    // Call once the fields are made: adds the two buttons below the fields
    // and readies the window for the first lookup.
    void startFlow(Flow flow);

private:
    bool lookUp();
    void storeChanges();
    void deleteRecord();
    // The operator may act on the record shown: a field left, a record shown.
    bool mayAct();
    // Stands the cursor on the record shown; false (and the window emptied)
    // when it is no longer on file.
    bool findShown();
    void startAgain();

    Flow m_flow;
    QPushButton* m_cmdSalvar = nullptr;
    QPushButton* m_cmdNovo = nullptr;
    QString m_shownKey;
    bool m_showing = false;
};
