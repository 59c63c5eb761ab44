#include "frmConClientes.h"

#include "lookup/HistoryList.h"
#include "lookup/LookupCombo.h"
#include "lookup/NamesakeList.h"
#include "platform/widgets/Fields.h"
#include "platform/widgets/FormGrid.h"
#include "platform/widgets/MessageBox.h"
#include "search/SearchPanel.h"
#include "store/Names.h"
#include "store/Queries.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace store::names;

frmConClientes::frmConClientes(store::Database& db, QWidget* parent)
    : QueryWindow(db, QStringLiteral("Consulta de Clientes e Dependentes"), "frmConClientes", "cboCliente",
                  platform::FieldLimit::PersonName, parent),
      m_people(db), m_history(db), m_search(db)
{
    FormGrid grid(this);

    m_cboCliente->setMinimumContentsLength(40);
    m_txtStatus = displayField(this, "txtStatus");
    grid.add({{m_cboCliente, "Nome Completo:", 0, 0, 3},
              {m_cmdOk, nullptr, 0, 4},
              {m_txtStatus, "Status:", 1, 0, 3}});

    const struct
    {
        const char* name;
        const char* label;
        const QString& column;
        int row, col, span;
    } fields[] = {{"txtEndereco", "Endereço:", tblClientes::Endereco, 2, 0, 3},
                  {"txtRG", "RG:", tblClientes::RG, 3, 0, 1},
                  {"txtCPF", "CPF:", tblClientes::CPF, 3, 2, 1},
                  {"txtCep", "CEP:", tblClientes::CEP, 4, 0, 1},
                  {"txtCelular", "Celular:", tblClientes::Celular, 4, 2, 1},
                  {"txtFoneResidencial", "Telefone Residencial:", tblClientes::FoneResidencial, 5, 0, 1},
                  {"txtFoneComercial", "Telefone Comercial:", tblClientes::FoneComercial, 5, 2, 1}};
    for (const auto& f : fields) {
        QLineEdit* edit = displayField(this, f.name);
        grid.add({{edit, f.label, f.row, f.col, f.span}});
        m_details.append({edit, f.column});
    }
    m_lstHistorico =
        new HistoryList(this, "lstHistorico",
                        {QStringLiteral("Nota"), QStringLiteral("Data"), QStringLiteral("Cliente"),
                         QStringLiteral("Vídeo"), QStringLiteral("Título"), QStringLiteral("Devolução")});
    m_lstHistorico->setMinimumHeight(FormGrid::pixels(2400));
    QLabel* listCaption = grid.add({{m_lstHistorico, "Histórico:", 6, 0, 3}}).last();
    // A list's caption stands at its top line.
    listCaption->setAlignment((listCaption->alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignTop);
    // Namesakes are listed at the foot, picked before going on.
    m_lstClientes = new NamesakeList(this, "lstClientes");
    grid.layout()->addWidget(m_lstClientes, 7, 1, 1, 3);
    connect(m_lstClientes, &NamesakeList::chosen, this, [this](int row) { showPerson(m_found.at(row)); });
    setTabOrder(m_cboCliente, m_lstClientes);
    setTabOrder(m_lstClientes, m_cmdOk);
    m_buscar = new SearchPanel(this,
                               {QStringLiteral("Nome"), QStringLiteral("Nº"), QStringLiteral("CPF"),
                                QStringLiteral("Telefone"), QStringLiteral("Dependente de")},
                               [this](const QString& typed) {
                                   m_searchFound.clear();
                                   guarded([&] { m_searchFound = m_search.people(typed); });
                                   QList<QStringList> lines;
                                   for (const auto& p : std::as_const(m_searchFound))
                                       lines.append({p.name, p.number, p.cpf, p.phone, p.holder});
                                   return lines;
                               });
    m_buscar->list()->setMinimumHeight(FormGrid::pixels(1800));
    grid.add({{m_buscar, nullptr, 8, 0, 4}});
    connect(m_buscar, &SearchPanel::chosen, this, &frmConClientes::showFound);

    // The list is read once; a failure leaves it empty and the window usable.
    finishQuery(store::PickListKind::CustomerNames, [this] { m_people.refresh(); });
}

bool frmConClientes::lookUp()
{
    // Off to the search with nothing typed: nobody was looked up.
    if (m_cboCliente->currentText().isEmpty() && m_buscar->hasFocusWithin())
        return true;
    const QString name = m_cboCliente->currentText();
    // Left again on the namesake shown: it stays.
    if (!m_lstClientes->isHidden() && name == m_found.value(m_lstClientes->currentRow()).name)
        return true;
    QList<counter::PeopleSearch::Person> people;
    if (!guarded([&] { people = m_people.findAll(lookupSpellings(m_cboCliente, name)); }))
        return false;
    if (people.isEmpty())
        return refuse(QStringLiteral("Informação de Clientes"),
                      QStringLiteral("Cliente não Encontrado ou Cadastrado"));
    m_found = people;
    showPerson(people.front());
    QList<NamesakeList::Entry> entries;
    for (const auto& person : std::as_const(people))
        entries.append({person.name, person.code(), person.holder()});
    m_lstClientes->showEntries(entries);
    if (people.size() > 1)
        m_lstClientes->setFocus();
    return true;
}

void frmConClientes::showFound(int line)
{
    std::optional<counter::PeopleSearch::Person> person;
    if (line < 0 || line >= m_searchFound.size() ||
        !guarded([&] { person = m_search.account(m_searchFound.at(line)); }))
        return;
    if (!person) {
        refuse(QStringLiteral("Informação de Clientes"),
               QStringLiteral("Cliente não Encontrado ou Cadastrado"));
        return;
    }
    // That very customer: no namesake left to pick.
    m_lstClientes->clearEntries();
    showPerson(*person);
}

void frmConClientes::showPerson(const counter::PeopleSearch::Person& person)
{
    if (m_cboCliente->currentText() != person.name)
        m_cboCliente->setEditText(person.name);
    // A dependant shows only whose dependant the person is.
    const bool holder = person.role == counter::PeopleSearch::Role::Holder;
    for (const auto& [edit, column] : m_details)
        edit->setText(holder ? person.customer.value(column) : QString());
    m_txtStatus->setText(holder
                             ? QStringLiteral("Cliente Titular")
                             : QStringLiteral("Dependente de: ") + person.customer.value(tblClientes::Nome));
    // What the whole account rented, the dependants' notes included.
    QList<counter::History::Line> lines;
    guarded([&] {
        QStringList names;
        for (const QString& column : tblClientes::NameColumns)
            names.append(person.customer.value(column));
        lines = m_history.customerHistory(person.code(), names);
    });
    QList<QStringList> shown;
    for (const auto& l : lines)
        shown.append({l.note, l.date, l.customer, l.code, l.title,
                      l.returned ? l.returnedOn : QStringLiteral("Não devolvido")});
    m_lstHistorico->setLines(shown);
}

void frmConClientes::clearResults()
{
    for (const auto& detail : m_details)
        detail.first->clear();
    m_txtStatus->clear();
    m_lstHistorico->clear();
    m_lstClientes->clearEntries();
}
