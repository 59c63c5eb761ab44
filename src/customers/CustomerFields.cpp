#include "CustomerFields.h"

#include "platform/Formats.h"
#include "platform/widgets/Fields.h"
#include "platform/widgets/FormGrid.h"
#include "platform/widgets/LeaveChecks.h"
#include "store/Names.h"

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
    QList<QWidget*> order;
    for (const auto& [column, edit] : columns())
        order << edit;
    return chainTabOrder(before, order);
}

void CustomerFields::clear()
{
    for (const auto& [column, edit] : columns()) {
        if (auto* masked = qobject_cast<MaskedEdit*>(edit))
            masked->clearValue();
        else
            edit->clear();
    }
}

QList<std::pair<QString, QLineEdit*>> CustomerFields::columns() const
{
    return {{tblClientes::Codigo, txtCodigo},
            {tblClientes::CPF, mskCPF},
            {tblClientes::RG, txtRG},
            {tblClientes::Emissor, txtEmissor},
            {tblClientes::Nome, txtNome},
            {tblClientes::Endereco, txtEndereco},
            {tblClientes::CEP, mskCep},
            {tblClientes::FoneResidencial, mskFoneResidencial},
            {tblClientes::FoneComercial, mskFoneComercial},
            {tblClientes::Celular, mskCelular},
            {tblClientes::Dependente1, txt1},
            {tblClientes::Dependente2, txt2},
            {tblClientes::Dependente3, txt3}};
}

QWidget* CustomerFields::field(const QString& column) const
{
    for (const auto& [name, edit] : columns()) {
        if (name == column)
            return edit;
    }
    return nullptr;
}

void CustomerFields::show(const counter::Record& record)
{
    for (const auto& [column, edit] : columns()) {
        const QString text = record.value(column).toString();
        if (auto* masked = qobject_cast<MaskedEdit*>(edit))
            masked->setValue(text);
        else
            edit->setText(text);
    }
}

counter::Record CustomerFields::read() const
{
    counter::Record record;
    for (const auto& [column, edit] : columns())
        record.insert(column, platform::fieldText(edit));
    return record;
}
