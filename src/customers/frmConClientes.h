#pragma once

#include "counter/PeopleSearch.h"
#include "platform/widgets/TaskWindow.h"

class claFenwaurda;
class QComboBox;
class QLineEdit;
class QPushButton;

// Looks a person up by name, as an account holder or as a dependant, and
// shows the holder's details or whose dependant the person is. Only reads.
class frmConClientes : public TaskWindow
{
    Q_OBJECT
public:
    explicit frmConClientes(store::Database& db, QWidget* parent = nullptr);

private:
    bool lookUp();
    void clearResults();
    void clearQuery();

    claFenwaurda* m_autoComplete;
    counter::PeopleSearch m_people;
    QComboBox* m_cboCliente;
    QPushButton* m_cmdOk;
    QLineEdit* m_txtStatus;
    QList<QPair<QLineEdit*, QString>> m_details; // field and its column
};
