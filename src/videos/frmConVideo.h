#pragma once

#include "lookup/QueryWindow.h"

class QLineEdit;

namespace store {
class RecordCursor;
}

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
    store::RecordCursor& videos();

    QLineEdit* m_txtCodigo;
    QLineEdit* m_txtGenero;
    QLineEdit* m_txtQTDE;
    QLineEdit* m_txtLocal;
    QLineEdit* m_txtValor;
};
