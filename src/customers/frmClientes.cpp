#include "frmClientes.h"

#include "CustomerFields.h"
#include "platform/widgets/Fields.h"
#include "store/Names.h"

using namespace store::names;

frmClientes::frmClientes(store::Database& db, QWidget* parent)
    : NewRecordWindow(db, QStringLiteral("Cadastro de Clientes"), tblClientes::Table, parent)
{
    setObjectName(QStringLiteral("frmClientes"));
    setFont(formFont());
    auto* f = new CustomerFields(this, grid(), leaveChecks());
    setFields(f);
    // The CPF is optional: customers without one are never duplicates.
    startFlow(
        {.keys = {{f->txtCodigo, tblClientes::indCodigo, f->mskCPF},
                  {.field = f->mskCPF, .index = tblClientes::indCPF, .next = f->txtRG, .optional = true}},
         .required = {{f->txtCodigo, QStringLiteral("Nº de Cadastro")},
                      {f->txtRG, QStringLiteral("RG")},
                      {f->txtNome, QStringLiteral("Nome Completo")},
                      {f->txtEndereco, QStringLiteral("Endereço")}},
         .duplicate = QStringLiteral("Cliente já Cadastrado"),
         .another = QStringLiteral("Quer cadastrar outro Cliente?"),
         .dateLabel = nullptr});
}
