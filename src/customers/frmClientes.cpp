#include "frmClientes.h"

#include "CustomerFields.h"
#include "platform/widgets/Fields.h"

frmClientes::frmClientes(store::Database& db, QWidget* parent)
    : NewRecordWindow(db, QStringLiteral("Cadastro de Clientes"), QStringLiteral("tblClientes"), parent)
{
    setObjectName(QStringLiteral("frmClientes"));
    setFont(formFont());
    auto* f = new CustomerFields(this, grid(), leaveChecks());
    setFields(f);
    startFlow({.keys = {{f->txtCodigo, QStringLiteral("indCodigo"), f->mskCPF},
                        {f->mskCPF, QStringLiteral("indCPF"), f->txtRG}},
               .required = {{f->txtCodigo, QStringLiteral("Nº de Cadastro")},
                            {f->txtRG, QStringLiteral("RG")},
                            {f->txtNome, QStringLiteral("Nome Completo")},
                            {f->txtEndereco, QStringLiteral("Endereço")}},
               .duplicate = QStringLiteral("Cliente já Cadastrado"),
               .another = QStringLiteral("Quer cadastrar outro Cliente?"),
               .dateLabel = nullptr});
}
