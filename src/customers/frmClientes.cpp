#include "frmClientes.h"

#include "CustomerFields.h"
#include "counter/CustomerRecords.h"
#include "platform/widgets/Fields.h"
#include "store/Names.h"

using namespace store::names;

frmClientes::frmClientes(store::Database& db, QWidget* parent)
    : NewRecordWindow(db, QStringLiteral("Cadastro de Clientes"),
                      std::make_unique<counter::CustomerRecords>(db), parent)
{
    setObjectName(QStringLiteral("frmClientes"));
    setFont(formFont());
    auto* f = new CustomerFields(this, grid(), leaveChecks());
    setFields(f);
    startFlow({.keys = {{tblClientes::Codigo, f->mskCPF}, {tblClientes::CPF, f->txtRG}},
               .duplicate = QStringLiteral("Cliente já Cadastrado"),
               .another = QStringLiteral("Quer cadastrar outro Cliente?"),
               .dateLabel = nullptr});
}
