#pragma once

#include "RecordWindow.h"

#include <QHash>

class QPushButton;

// The flow of a window that changes or deletes records: leaving the key
// field looks the record up and shows it; "&Editar" stores the fields back,
// "E&xcluir" deletes the record after a question. Both act only on the
// record the last lookup found, and refuse while none is shown.
class ModifyRecordWindow : public RecordWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ModifyRecordWindow)
protected:
    using RecordWindow::RecordWindow;

    struct Flow
    {
        QWidget* next;    // where the focus goes once a record is found
        QString notFound; // message and title of a failed lookup
        QString notFoundTitle;
        QString noneShown; // Editar or Excluir before a lookup
        QString askDelete; // the question, followed by the name field's text
        QWidget* name = nullptr;
        // The message for each of the service's unique columns when the
        // field is changed to another record's value.
        QHash<QString, QString> taken;
    };
    // Call once the fields are made: adds the two buttons below the fields
    // and readies the window for the first lookup.
    void startFlow(Flow flow);

private:
    QWidget* keyField() const;
    bool lookUp();
    void storeChanges();
    void deleteRecord();
    // The operator may act on the record shown: a field left, a record shown.
    bool mayAct();
    // After a store or a delete: a record no longer on file is said so; the
    // window starts again.
    void finish(const counter::RecordService::Outcome& outcome);

    Flow m_flow;
    QPushButton* m_cmdSalvar = nullptr;
    QPushButton* m_cmdNovo = nullptr;
    QString m_shownKey;
    bool m_showing = false;
};
