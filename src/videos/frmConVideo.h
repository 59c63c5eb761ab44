#pragma once

#include "counter/History.h"
#include "counter/Search.h"
#include "counter/VideoStatus.h"
#include "lookup/QueryWindow.h"

class HistoryList;
class SearchPanel;
class QLineEdit;

// Shows one video's catalogue record, looked up by its title as the
// operator leaves the title field, how often it was rented and who has it
// now. Reads only.
class frmConVideo final : public QueryWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmConVideo)
public:
    explicit frmConVideo(store::Database& db, QWidget* parent = nullptr);

private:
    bool lookUp() override;
    void clearResults() override;
    void showVideo(const counter::VideoStatus::Record& video);
    // A line of the search chosen: that very video, by code.
    void showFound(int line);

    counter::VideoStatus m_videos;
    counter::History m_history;
    QLineEdit* m_txtVezes;
    HistoryList* m_lstLocado;
    QLineEdit* m_txtCodigo;
    QLineEdit* m_txtGenero;
    QLineEdit* m_txtQTDE;
    QLineEdit* m_txtLocal;
    QLineEdit* m_txtValor;
    counter::Search m_search;
    QList<counter::Search::Video> m_found;
    SearchPanel* m_buscar;
};
