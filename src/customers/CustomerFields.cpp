#include "CustomerFields.h"

#include "platform/Formats.h"
#include "platform/widgets/Fields.h"
#include "platform/widgets/FormGrid.h"
#include "platform/widgets/LeaveChecks.h"
#include "store/Names.h"
#include "store/RecordCursor.h"

#include <QLineEdit>

using namespace store::names;

namespace {

MaskedEdit* masked(QWidget* parent, const char* name, const char* mask)
{
    auto* edit = new MaskedEdit(QString::fromUtf8(mask), parent);
    edit->setObjectName(QString::fromUtf8(name));
    return edit;
}

} // namespace

CustomerFields::CustomerFields(QWidget* window, FormGrid& grid, LeaveChecks& checks)
    : RecordFields(window), txtCodigo(platform::namedLineEdit(window, "txtCodigo")),
      mskCPF(masked(window, "mskCPF", "###.###.###-##")), txtRG(platform::namedLineEdit(window, "txtRG")),
      txtEmissor(platform::namedLineEdit(window, "txtEmissor")),
      txtNome(platform::namedLineEdit(window, "txtNome")),
      txtEndereco(platform::namedLineEdit(window, "txtEndereco")),
      mskCep(masked(window, "mskCep", "##.###-###")),
      mskFoneResidencial(masked(window, "mskFoneResidencial", "####-####")),
      mskFoneComercial(masked(window, "mskFoneComercial", "####-####")),
      mskCelular(masked(window, "mskCelular", "####-####")), txt1(platform::namedLineEdit(window, "txt1")),
      txt2(platform::namedLineEdit(window, "txt2")), txt3(platform::namedLineEdit(window, "txt3"))
{
    platform::makeDigitsOnly(txtCodigo);
    platform::makeDigitsOnly(txtRG);
    using platform::FieldLimit;
    platform::limitLength(txtCodigo, FieldLimit::Code);
    platform::limitLength(txtRG, FieldLimit::IdentityNumber);
    platform::limitLength(txtEmissor, FieldLimit::IssuingBody);
    platform::limitLength(txtEndereco, FieldLimit::Address);
    for (QLineEdit* name : {txtNome, txt1, txt2, txt3})
        platform::limitLength(name, FieldLimit::PersonName);

    // Four columns: label, field, label, field.
    grid.add({{txtCodigo, "Nº de Cadastro:", 1, 0},
              {mskCPF, "CPF:", 2, 0},
              {txtRG, "RG:", 2, 2},
              {txtEmissor, "Orgão Emissor:", 3, 0},
              {txtNome, "Nome Completo:", 4, 0, 3},
              {txtEndereco, "Endereço:", 5, 0, 3},
              {mskCep, "CEP:", 6, 0},
              {mskFoneResidencial, "Telefone Residencial:", 6, 2},
              {mskFoneComercial, "Telefone Comercial:", 7, 0},
              {mskCelular, "Celular:", 7, 2},
              {txt1, "Dependente:", 8, 0, 3},
              {txt2, "Dependente:", 9, 0, 3},
              {txt3, "Dependente:", 10, 0, 3}});
    m_nextRow = 11;
    // Three fields share one caption on screen; a screen reader needs more.
    int n = 1;
    for (QLineEdit* dependant : {txt1, txt2, txt3})
        dependant->setAccessibleName(QStringLiteral("Dependente %1:").arg(n++));

    for (QLineEdit* edit : {txtNome, txtEndereco, txt1, txt2, txt3})
        checks.addRewrite(edit, [edit] { edit->setText(platform::properCase(edit->text())); });
    checks.addRewrite(txtEmissor, [this] { txtEmissor->setText(platform::upperCase(txtEmissor->text())); });
}

QWidget* CustomerFields::setTabOrder(QWidget* before)
{
    QWidget* previous = before;
    for (QWidget* w :
         {static_cast<QWidget*>(txtCodigo), static_cast<QWidget*>(mskCPF), static_cast<QWidget*>(txtRG),
          static_cast<QWidget*>(txtEmissor), static_cast<QWidget*>(txtNome),
          static_cast<QWidget*>(txtEndereco), static_cast<QWidget*>(mskCep),
          static_cast<QWidget*>(mskFoneResidencial), static_cast<QWidget*>(mskFoneComercial),
          static_cast<QWidget*>(mskCelular), static_cast<QWidget*>(txt1), static_cast<QWidget*>(txt2),
          static_cast<QWidget*>(txt3)}) {
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
    return previous;
}

void CustomerFields::clear()
{
    for (QLineEdit* edit : {txtCodigo, txtNome, txtEndereco, txt1, txt2, txt3, txtRG, txtEmissor})
        edit->clear();
    for (MaskedEdit* edit : {mskCPF, mskFoneResidencial, mskFoneComercial, mskCelular, mskCep})
        edit->clearValue();
}

void CustomerFields::show(const store::RecordCursor& row)
{
    txtCodigo->setText(row.text(tblClientes::Codigo));
    txtNome->setText(row.text(tblClientes::Nome));
    txtEndereco->setText(row.text(tblClientes::Endereco));
    txt1->setText(row.text(tblClientes::Dependente1));
    txt2->setText(row.text(tblClientes::Dependente2));
    txt3->setText(row.text(tblClientes::Dependente3));
    txtEmissor->setText(row.text(tblClientes::Emissor));
    txtRG->setText(row.text(tblClientes::RG));
    mskCPF->setValue(row.text(tblClientes::CPF));
    mskFoneResidencial->setValue(row.text(tblClientes::FoneResidencial));
    mskFoneComercial->setValue(row.text(tblClientes::FoneComercial));
    mskCelular->setValue(row.text(tblClientes::Celular));
    mskCep->setValue(row.text(tblClientes::CEP));
}

void CustomerFields::write(store::RecordCursor& row) const
{
    row.setValue(tblClientes::Codigo, txtCodigo->text());
    row.setValue(tblClientes::Nome, txtNome->text());
    row.setValue(tblClientes::Endereco, txtEndereco->text());
    row.setValue(tblClientes::Dependente1, txt1->text());
    row.setValue(tblClientes::Dependente2, txt2->text());
    row.setValue(tblClientes::Dependente3, txt3->text());
    row.setValue(tblClientes::Emissor, txtEmissor->text());
    row.setValue(tblClientes::RG, txtRG->text());
    // The CPF is optional: without one the column holds no value, which the
    // unique index admits for any number of customers (it reads back empty).
    const QString cpf = mskCPF->value();
    row.setValue(tblClientes::CPF, cpf.isEmpty() ? QVariant() : QVariant(cpf));
    row.setValue(tblClientes::FoneResidencial, mskFoneResidencial->value());
    row.setValue(tblClientes::FoneComercial, mskFoneComercial->value());
    row.setValue(tblClientes::Celular, mskCelular->value());
    row.setValue(tblClientes::CEP, mskCep->value());
}
