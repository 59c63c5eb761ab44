#include "CustomerFields.h"

#include "platform/Formats.h"
#include "platform/widgets/Fields.h"
#include "platform/widgets/LeaveChecks.h"
#include "platform/widgets/TaskWindow.h"
#include "store/RecordCursor.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

MaskedEdit* masked(QWidget* parent, const char* name, const char* mask)
{
    auto* edit = new MaskedEdit(QString::fromUtf8(mask), parent);
    edit->setObjectName(QString::fromUtf8(name));
    return edit;
}

} // namespace

CustomerFields::CustomerFields(QWidget* window, QGridLayout* grid, LeaveChecks& checks)
    : QObject(window), txtCodigo(platform::namedLineEdit(window, "txtCodigo")),
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

    auto label = [window](QWidget* field, const char* text) {
        return TaskWindow::labelFor(field, QString::fromUtf8(text), window);
    };
    // Four columns: label, field, label, field.
    int row = 1;
    grid->addWidget(label(txtCodigo, "Nº de Cadastro:"), row, 0);
    grid->addWidget(txtCodigo, row, 1);
    ++row;
    grid->addWidget(label(mskCPF, "CPF:"), row, 0);
    grid->addWidget(mskCPF, row, 1);
    grid->addWidget(label(txtRG, "RG:"), row, 2);
    grid->addWidget(txtRG, row, 3);
    ++row;
    grid->addWidget(label(txtEmissor, "Orgão Emissor:"), row, 0);
    grid->addWidget(txtEmissor, row, 1);
    ++row;
    grid->addWidget(label(txtNome, "Nome Completo:"), row, 0);
    grid->addWidget(txtNome, row, 1, 1, 3);
    ++row;
    grid->addWidget(label(txtEndereco, "Endereço:"), row, 0);
    grid->addWidget(txtEndereco, row, 1, 1, 3);
    ++row;
    grid->addWidget(label(mskCep, "CEP:"), row, 0);
    grid->addWidget(mskCep, row, 1);
    grid->addWidget(label(mskFoneResidencial, "Telefone Residencial:"), row, 2);
    grid->addWidget(mskFoneResidencial, row, 3);
    ++row;
    grid->addWidget(label(mskFoneComercial, "Telefone Comercial:"), row, 0);
    grid->addWidget(mskFoneComercial, row, 1);
    grid->addWidget(label(mskCelular, "Celular:"), row, 2);
    grid->addWidget(mskCelular, row, 3);
    ++row;
    int n = 1;
    for (QLineEdit* dependant : {txt1, txt2, txt3}) {
        grid->addWidget(label(dependant, "Dependente:"), row, 0);
        grid->addWidget(dependant, row, 1, 1, 3);
        // Three fields share one caption on screen; a screen reader needs more.
        dependant->setAccessibleName(QStringLiteral("Dependente %1:").arg(n++));
        ++row;
    }
    m_nextRow = row;

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
    txtCodigo->setText(row.text(QStringLiteral("Codigo")));
    txtNome->setText(row.text(QStringLiteral("Nome")));
    txtEndereco->setText(row.text(QStringLiteral("Endereco")));
    txt1->setText(row.text(QStringLiteral("Dependente1")));
    txt2->setText(row.text(QStringLiteral("Dependente2")));
    txt3->setText(row.text(QStringLiteral("Dependente3")));
    txtEmissor->setText(row.text(QStringLiteral("Emissor")));
    txtRG->setText(row.text(QStringLiteral("RG")));
    mskCPF->setValue(row.text(QStringLiteral("CPF")));
    mskFoneResidencial->setValue(row.text(QStringLiteral("FoneResidencial")));
    mskFoneComercial->setValue(row.text(QStringLiteral("FoneComercial")));
    mskCelular->setValue(row.text(QStringLiteral("Celular")));
    mskCep->setValue(row.text(QStringLiteral("CEP")));
}

void CustomerFields::store(store::RecordCursor& row) const
{
    row.setValue(QStringLiteral("Codigo"), txtCodigo->text());
    row.setValue(QStringLiteral("Nome"), txtNome->text());
    row.setValue(QStringLiteral("Endereco"), txtEndereco->text());
    row.setValue(QStringLiteral("Dependente1"), txt1->text());
    row.setValue(QStringLiteral("Dependente2"), txt2->text());
    row.setValue(QStringLiteral("Dependente3"), txt3->text());
    row.setValue(QStringLiteral("Emissor"), txtEmissor->text());
    row.setValue(QStringLiteral("RG"), txtRG->text());
    row.setValue(QStringLiteral("CPF"), mskCPF->value());
    row.setValue(QStringLiteral("FoneResidencial"), mskFoneResidencial->value());
    row.setValue(QStringLiteral("FoneComercial"), mskFoneComercial->value());
    row.setValue(QStringLiteral("Celular"), mskCelular->value());
    row.setValue(QStringLiteral("CEP"), mskCep->value());
}
