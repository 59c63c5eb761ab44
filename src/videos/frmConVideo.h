#pragma once

#include "counter/VideoStatus.h"
#include "lookup/QueryWindow.h"

class QLineEdit;

// Shows one video's catalogue record, looked up by its title as the
// operator leaves the title field. Reads only.
class frmConVideo final : public QueryWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmConVideo)
public:
    explicit frmConVideo(store::Database& db, QWidget* parent = nullptr);

private:
    bool lookUp() override;
    void clearResults() override;

    counter::VideoStatus m_videos;
    QLineEdit* m_txtCodigo;
    QLineEdit* m_txtGenero;
    QLineEdit* m_txtQTDE;
    QLineEdit* m_txtLocal;
    QLineEdit* m_txtValor;
};
