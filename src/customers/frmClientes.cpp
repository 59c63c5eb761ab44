#include "frmClientes.h"

#include "CustomerFields.h"
#include "platform/Formats.h"
#include "platform/widgets/Fields.h"
#include "platform/widgets/LeaveChecks.h"
#include "platform/widgets/MessageBox.h"
#include "platform/widgets/SaveOrNew.h"
#include "store/RecordCursor.h"
#include "store/StoreError.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString Title = QStringLiteral("Cadastro de Clientes");
const QString Duplicate = QStringLiteral("Cliente já Cadastrado");
const QString SystemInfo = QStringLiteral("Informação do Sistema");

} // namespace

frmClientes::frmClientes(store::Database& db, QWidget* parent) : TaskWindow(db, Title, parent)
{
    setObjectName(QStringLiteral("frmClientes"));
    setFont(formFont());

    auto* grid = new QGridLayout(this);
    m_txtData = platform::namedLineEdit(this, "txtData");
    m_txtData->setReadOnly(true);
    m_txtData->setAccessibleName(QStringLiteral("Data do cadastro"));
    m_txtData->setMaximumWidth(120);
    grid->addWidget(m_txtData, 0, 3, Qt::AlignRight);

    m_fields = new CustomerFields(this, grid, leaveChecks());

    m_buttons = new SaveOrNew(this, grid, m_fields->nextRow(), 3);

    QWidget* last = m_fields->setTabOrder();
    setTabOrder(last, m_buttons->cmdSalvar);
    setTabOrder(m_buttons->cmdSalvar, m_txtData);
    setTabOrder(m_txtData, m_buttons->cmdNovo);

    auto showDuplicate = [this] { this->showDuplicate(); };
    leaveChecks().add(m_fields->txtCodigo, [=, this] {
        return leaveKey([this] { return numberTaken(); }, showDuplicate, m_fields->mskCPF);
    });
    // A CPF not on file starts the new customer's row.
    leaveChecks().add(m_fields->mskCPF, [=, this] {
        return leaveKey([this] { return cpfTaken(); }, showDuplicate, m_fields->txtRG,
                        QStringLiteral("tblClientes"));
    });
    connect(m_buttons->cmdSalvar, &QPushButton::clicked, this, &frmClientes::save);
    connect(m_buttons->cmdNovo, &QPushButton::clicked, this, &frmClientes::startOver);
    finishSetup();

    guarded([this] { clientes().refresh(); });
    m_txtData->setText(platform::todayText());
    m_fields->txtCodigo->setFocus();
}

store::RecordCursor& frmClientes::clientes()
{
    return cursor(QStringLiteral("tblClientes"));
}

void frmClientes::ClearFields()
{
    m_fields->clear();
    m_txtData->setText(platform::todayText());
}

void frmClientes::ShowCustomer()
{
    m_fields->show(clientes());
    m_txtData->setText(clientes().text(QStringLiteral("Data")));
}

void frmClientes::StoreCustomer()
{
    store::RecordCursor& row = clientes();
    row.setValue(QStringLiteral("Codigo"), m_fields->txtCodigo->text());
    row.setValue(QStringLiteral("Data"), m_txtData->text());
    m_fields->store(row);
}

bool frmClientes::numberTaken()
{
    return clientes().lookUp(QStringLiteral("indCodigo"), m_fields->txtCodigo->text());
}

bool frmClientes::cpfTaken()
{
    return clientes().lookUp(QStringLiteral("indCPF"), m_fields->mskCPF->value());
}

void frmClientes::showDuplicate()
{
    MessageBox::information(this, Duplicate, SystemInfo);
    ShowCustomer();
    m_buttons->offerNew();
}

void frmClientes::save()
{
    // Alt+S clicks without leaving the field being typed in: leave it first,
    // as a click would. A duplicate found there offers Novo instead.
    if (!leaveChecks().leaveFocused() || !m_buttons->cmdSalvar->isEnabled())
        return;
    if (!requireFilled({{m_fields->txtCodigo, m_fields->txtCodigo->text(), QStringLiteral("Nº de Cadastro")},
                        {m_fields->txtRG, m_fields->txtRG->text(), QStringLiteral("RG")},
                        {m_fields->txtNome, m_fields->txtNome->text(), QStringLiteral("Nome Completo")},
                        {m_fields->txtEndereco, m_fields->txtEndereco->text(), QStringLiteral("Endereço")}}))
        return;

    // The keys are checked again right before writing: the fields may have
    // changed since they were left, or never been left at all. A taken key
    // keeps what was typed and sends the operator to the field.
    QWidget* taken = nullptr;
    const bool stored = guarded([&] {
        if (numberTaken())
            taken = m_fields->txtCodigo;
        else if (cpfTaken())
            taken = m_fields->mskCPF;
        if (taken)
            return;
        store::RecordCursor& row = clientes();
        row.addNew();
        StoreCustomer();
        row.update();
    });
    if (!stored)
        return;
    if (taken) {
        MessageBox::information(this, Duplicate, SystemInfo);
        taken->setFocus();
        return;
    }

    if (askForAnother(QStringLiteral("Quer cadastrar outro Cliente?"))) {
        ClearFields();
        m_fields->txtCodigo->setFocus();
    }
}

void frmClientes::startOver()
{
    ClearFields();
    m_buttons->offerSave();
    m_fields->txtCodigo->setFocus();
}
