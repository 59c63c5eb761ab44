#include "frmModClientes.h"

#include "CustomerFields.h"
#include "counter/CustomerRecords.h"
#include "platform/widgets/Fields.h"
#include "store/Names.h"

using namespace store::names;

frmModClientes::frmModClientes(store::Database& db, QWidget* parent)
    : ModifyRecordWindow(db, QStringLiteral("Modificar ou Excluir Clientes"),
                         std::make_unique<counter::CustomerRecords>(db), parent)
{
    setObjectName(QStringLiteral("frmModClientes"));
    auto* f = new CustomerFields(this, grid(), leaveChecks());
    setFields(f);
    // Shown as on the register window, but never written: the registration
    // date stays as stored.
    addDate(DateRole::Today, nullptr);
    startFlow(
        {.next = f->mskCPF,
         .notFound = QStringLiteral("Cliente não encontrado ou cadastrado!"),
         .notFoundTitle = QStringLiteral("Informação de Vídeo"),
         .noneShown = QStringLiteral("Procure primeiro um cliente pelo Nº de Cadastro."),
         .askDelete = QStringLiteral("Tem certeza que deseja excluir o Cliente: "),
         .name = f->txtNome,
         .taken = {{tblClientes::Codigo, QStringLiteral("Este Nº de Cadastro já pertence a outro cliente.")},
                   {tblClientes::CPF, QStringLiteral("Este CPF já pertence a outro cliente.")}}});
}
