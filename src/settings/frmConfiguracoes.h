#pragma once

#include "platform/widgets/TaskWindow.h"

#include <array>
#include <memory>

class QLineEdit;
class QPushButton;

namespace counter {
class SettingsStore;
}

// The shop's own settings: how many hours each rental category may stay
// out, and the name, address and phone printed above notes and reports;
// and this workstation's own (per login): the server holding the shop's
// data, taken at the next start. Opens showing what is stored; Salvar
// stores everything at once and closes.
class frmConfiguracoes final : public TaskWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmConfiguracoes)

public:
    // Throws StoreError (no window is built then) when the settings cannot
    // be read: a window showing defaults in their place could overwrite them.
    explicit frmConfiguracoes(store::Database& db, QWidget* parent = nullptr);
    ~frmConfiguracoes() override;

private:
    void save();

    std::unique_ptr<counter::SettingsStore> m_store;
    std::array<QLineEdit*, 3> m_txtPrazo{};
    QLineEdit* m_txtNomeLoja = nullptr;
    QLineEdit* m_txtEndereco = nullptr;
    QLineEdit* m_txtTelefone = nullptr;
    QLineEdit* m_txtServidor = nullptr;
    QPushButton* m_cmdSalvar = nullptr;
    QPushButton* m_cmdFechar = nullptr;
};
