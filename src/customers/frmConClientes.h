#pragma once

#include "counter/History.h"
#include "counter/PeopleSearch.h"
#include "counter/Search.h"
#include "lookup/QueryWindow.h"

class HistoryList;
class NamesakeList;
class SearchPanel;
class QComboBox;
class QLineEdit;

// Looks a person up by name, as an account holder or as a dependant, and
// shows the holder's details or whose dependant the person is, and what the
// account rented. Only reads.
class frmConClientes final : public QueryWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmConClientes)
public:
    explicit frmConClientes(store::Database& db, QWidget* parent = nullptr);

private:
    bool lookUp() override;
    void clearResults() override;
    void showPerson(const counter::PeopleSearch::Person& person);
    // A line of the search chosen: that very customer, by number.
    void showFound(int line);

    counter::PeopleSearch m_people;
    counter::History m_history;
    HistoryList* m_lstHistorico;
    QComboBox* const m_cboCliente = m_key;
    QLineEdit* m_txtStatus;
    QList<QPair<QLineEdit*, QString>> m_details;  // field and its column
    NamesakeList* m_lstClientes;                  // shown when the name has namesakes
    QList<counter::PeopleSearch::Person> m_found; // the name's namesakes
    counter::Search m_search;
    QList<counter::Search::Person> m_searchFound; // the search's lines
    SearchPanel* m_buscar;
};
