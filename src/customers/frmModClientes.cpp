#include "frmModClientes.h"

#include "CustomerFields.h"
#include "platform/widgets/Fields.h"
#include "store/Names.h"

using namespace store::names;

frmModClientes::frmModClientes(store::Database& db, QWidget* parent)
    : ModifyRecordWindow(db, QStringLiteral("Modificar ou Excluir Clientes"), tblClientes::Table, parent)
{
    setObjectName(QStringLiteral("frmModClientes"));
    auto* f = new CustomerFields(this, grid(), leaveChecks());
    setFields(f);
    // Shown as on the register window, but never written: the registration
    // date stays as stored.
    addDate(DateRole::Today, nullptr);
    startFlow({.key = f->txtCodigo,
               .keyIndex = tblClientes::indCodigo,
               .keyColumn = tblClientes::Codigo,
               .next = f->mskCPF,
               .notFound = QStringLiteral("Cliente não encontrado ou cadastrado!"),
               .notFoundTitle = QStringLiteral("Informação de Vídeo"),
               .noneShown = QStringLiteral("Procure primeiro um cliente pelo Nº de Cadastro."),
               .askDelete = QStringLiteral("Tem certeza que deseja excluir o Cliente: "),
               .name = f->txtNome,
               .unique = {{f->txtCodigo, tblClientes::indCodigo,
                           QStringLiteral("Este Nº de Cadastro já pertence a outro cliente.")},
                          {.field = f->mskCPF,
                           .index = tblClientes::indCPF,
                           .taken = QStringLiteral("Este CPF já pertence a outro cliente."),
                           .optional = true}}});
}
