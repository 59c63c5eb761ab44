#include "frmLocacao.h"

#include "RentalMessages.h"
#include "SlotGrid.h"

#include "counter/ShopSettings.h"
#include "lookup/LookupCombo.h"
#include "lookup/NamesakeList.h"
#include "lookup/claFenwaurda.h"
#include "platform/Formats.h"
#include "platform/widgets/LeaveChecks.h"
#include "platform/widgets/MessageBox.h"
#include "views/PickList.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString Title = QStringLiteral("Locação de Vídeos");
const QString NoDiscount = QStringLiteral("R$0,00");

} // namespace

using namespace rentalMessages;

frmLocacao::frmLocacao(store::Database& db, QWidget* parent) : TaskWindow(db, Title, parent), m_draft(db)
{
    setObjectName(QStringLiteral("frmLocacao"));
    setFont(formFont());
    m_ui.setupUi(this, m_autoComplete);

    leaveChecks().add(m_ui.cboClientes, [this] { return confirmCustomer(); });
    connect(m_ui.lstClientes, &NamesakeList::chosen, this,
            [this](int row) { chooseCustomer(m_renters.at(row)); });
    leaveChecks().add(m_ui.cbo1, [this] { return enterVideo(); });
    leaveChecks().add(m_ui.txtDesconto, [this] { return leaveDiscount(); });
    // Installed after the leave checks, so it sees each focus loss first.
    m_ui.txtDesconto->installEventFilter(this);
    // The access keys leave the field being typed in first, as a click does.
    // Whatever the discount field holds, these two still act: Salvar judges
    // the discount itself, Desfazer is how a discount too large gets fixed.
    auto act = [this](void (frmLocacao::*action)()) {
        m_acting = true;
        const bool left = leaveChecks().leaveFocused();
        m_acting = false;
        if (left)
            (this->*action)();
    };
    connect(m_ui.cmdSalvar, &QPushButton::clicked, this, [act] { act(&frmLocacao::save); });
    connect(m_ui.cmdDesfazer, &QPushButton::clicked, this, [act] { act(&frmLocacao::undo); });
    finishSetup();

    // Whatever fails here leaves the window open with what could be read;
    // the operator is told, and each later step tries the file again.
    // Copies of a note a crash cut short go back before anyone counts them;
    // until they have, no video is entered (see enterVideo).
    guarded([&] { m_draft.recoverLeftovers(); });
    views::PickList* names = nullptr;
    views::PickList* codes = nullptr;
    guarded([&] {
        names = &views::pickList(db, store::PickListKind::CustomerNames);
        codes = &views::pickList(db, store::PickListKind::VideoCodes);
    });
    setLookupItems(m_ui.cboClientes, names);
    setLookupItems(m_ui.cbo1, codes);
    clearFields();
    showNextNumber();
    m_ui.cmdDesfazer->setEnabled(false);
    m_ui.cboClientes->setFocus();
}

frmLocacao::~frmLocacao() = default;

void frmLocacao::clearFields()
{
    m_ui.txtData->setText(platform::todayText());
    m_ui.txtCodigo->setText(QString::number(counter::RentalDraft::FirstNumber));
    clearLookup(m_ui.cboClientes);
    m_ui.lstClientes->clearEntries();
    m_renters.clear();
    clearLookup(m_ui.cbo1);
    m_ui.txtValor->clear();
    m_ui.txtDesconto->setText(NoDiscount);
    m_draft.clear();
    for (int k = 0; k < Slots; ++k)
        showSlot(k);
}

void frmLocacao::showNextNumber()
{
    QString number;
    if (guarded([&] { number = m_draft.nextNumber(); }))
        m_ui.txtCodigo->setText(number);
}

void frmLocacao::showValue()
{
    m_ui.txtValor->setText(m_draft.count() == 0 ? QString() : platform::formatMoney(m_draft.value()));
}

void frmLocacao::showSlot(int k)
{
    const bool used = k < m_draft.count();
    m_ui.slotGrid->setSlot(k, used ? m_draft.slot(k).code : QString(),
                           used ? m_draft.slot(k).description : QString());
}

void frmLocacao::sayDiscountTooLarge(const QString& consequence)
{
    MessageBox::information(this, Info, discountTooLarge(m_draft, consequence));
}

bool frmLocacao::confirmCustomer()
{
    const QString name = m_ui.cboClientes->currentText();
    // Left again on the namesake chosen: the choice stands.
    if (!m_ui.lstClientes->isHidden() && m_draft.renterConfirmed() && name == m_draft.renter())
        return true;
    QList<counter::PeopleSearch::Person> people;
    if (!guarded([&] { people = m_draft.findRenters(lookupSpellings(m_ui.cboClientes, name)); }))
        return false;
    if (people.isEmpty()) {
        m_ui.lstClientes->clearEntries();
        return refuseLookup(m_ui.cboClientes, CustomerInfo,
                            QStringLiteral("Cliente não Encontrado ou Cadastrado"));
    }
    m_renters = people;
    chooseCustomer(people.front());
    QList<NamesakeList::Entry> entries;
    for (const auto& person : std::as_const(people))
        entries.append({person.name, person.code(), person.holder()});
    m_ui.lstClientes->showEntries(entries);
    // Namesakes: the operator picks one before going on.
    if (people.size() > 1)
        m_ui.lstClientes->setFocus();
    return true;
}

// The note takes the name as stored, with this person's account.
void frmLocacao::chooseCustomer(const counter::PeopleSearch::Person& person)
{
    m_draft.chooseRenter(person);
    if (m_ui.cboClientes->currentText() != person.name)
        m_ui.cboClientes->setEditText(person.name);
    m_ui.lblnome->setText(m_draft.renter());
}

bool frmLocacao::enterVideo()
{
    using Entry = counter::RentalDraft::Entry;
    counter::RentalDraft::EntryResult result;
    if (!guarded([&] { result = m_draft.enter(m_ui.cbo1->currentText()); }))
        return false;
    if (result.outcome == Entry::LeftoversStuck) {
        MessageBox::warning(this, QString::fromUtf8(StoreErrorTitle), leftoversStuck(result.error));
        return false;
    }
    if (result.outcome != Entry::Entered) {
        const QString why = entryRefused(result);
        return why.isEmpty() || refuseLookup(m_ui.cbo1, VideoInfo, why);
    }
    const int k = m_draft.count() - 1;
    showSlot(k);
    showValue();
    if (k == 0)
        m_ui.cmdDesfazer->setEnabled(true);
    m_ui.txtDesconto->setFocus();
    // A discount typed before the videos may still be larger than they cost.
    if (m_draft.discountTooLarge())
        sayDiscountTooLarge(QStringLiteral("Corrija o desconto antes de salvar a nota."));
    return true;
}

bool frmLocacao::leaveDiscount()
{
    const counter::RentalDraft::Discount verdict = m_draft.giveDiscount(m_ui.txtDesconto->text());
    // Left by pressing Salvar or Desfazer (a click, an access key), the
    // field never holds the operator: Salvar refuses a discount it cannot
    // use with its own message. Tab and Enter still go through the check.
    QWidget* to = QApplication::focusWidget();
    const bool acting =
        m_acting || (m_discountLeftByPress && (to == m_ui.cmdSalvar || to == m_ui.cmdDesfazer));
    if (verdict == counter::RentalDraft::Discount::Invalid) {
        if (acting)
            return true;
        MessageBox::information(this, Info, discountInvalid(m_ui.txtDesconto->text()));
        return false;
    }
    m_ui.txtDesconto->setText(platform::formatMoney(m_draft.discount()));
    showValue();
    if (verdict == counter::RentalDraft::Discount::TooLarge && !acting)
        sayDiscountTooLarge(QStringLiteral("A nota só poderá ser gravada com um desconto menor."));
    return true;
}

void frmLocacao::undo()
{
    bool undone = false;
    if (!guarded([&] { undone = m_draft.undo(); }) || !undone)
        return;
    const int k = m_draft.count();
    showSlot(k);
    showValue();
    clearLookup(m_ui.cbo1);
    if (k == 0) {
        m_ui.cmdDesfazer->setEnabled(false);
        m_ui.cboClientes->setFocus();
    } else {
        m_ui.cmdDesfazer->setFocus();
    }
    if (m_draft.discountTooLarge())
        sayDiscountTooLarge(QStringLiteral("Corrija o desconto antes de salvar a nota."));
}

void frmLocacao::save()
{
    using Check = counter::RentalDraft::SaveCheck;
    const Check check = m_draft.checkSave(m_ui.txtDesconto->text());
    if (check == Check::NoRenter || check == Check::NoVideos) {
        MessageBox::information(this, check == Check::NoRenter ? CustomerInfo : Info, saveRefused(check));
        (check == Check::NoRenter ? m_ui.cboClientes : m_ui.cbo1)->setFocus();
        return;
    }
    if (check != Check::Ready) {
        showValue();
        if (check == Check::DiscountTooLarge)
            sayDiscountTooLarge(QStringLiteral("A nota não foi gravada: corrija o desconto."));
        else
            MessageBox::information(this, Info, discountInvalid(m_ui.txtDesconto->text()));
        m_ui.txtDesconto->setFocus();
        m_ui.txtDesconto->selectAll();
        return;
    }
    showValue();

    const bool print = MessageBox::question(this, PrintTitle, QStringLiteral("Deseja Imprimir o Movimento?"));
    // Read before the note is stored: a file that fails here keeps the note
    // on screen, unsaved, as a failed save does.
    counter::ShopSettings shop;
    if (print && !guarded([&] { shop = counter::SettingsStore(db()).read(); }))
        return;
    RentalNote note =
        noteOf(m_draft, m_ui.txtData->text(), m_ui.txtCodigo->text(), m_ui.txtDesconto->text(), shop);
    // Stored first, printed after: a slip never stands for a note the file
    // does not hold. A failed store keeps the note on screen to try again.
    if (!guarded([&] {
            note.number =
                m_draft.save(note.date, note.number, m_ui.cboClientes->currentText(), note.discount);
        }))
        return;
    QString error;
    if (print && !printOnDefaultPrinter(note, &error))
        MessageBox::warning(this, PrintTitle, notPrinted(note.number, error));

    clearFields();
    m_ui.cboClientes->setFocus();
    showNextNumber();
    m_ui.cmdDesfazer->setEnabled(false);
}

bool frmLocacao::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ui.txtDesconto && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        m_discountLeftByPress = reason == Qt::MouseFocusReason || reason == Qt::ShortcutFocusReason;
    }
    return TaskWindow::eventFilter(watched, event);
}

void frmLocacao::closeEvent(QCloseEvent* event)
{
    // A note never saved gives every copy back, without a question; if the
    // file fails now, the next start gives them back.
    if (m_draft.count() > 0 && guarded([this] { m_draft.abandon(); }))
        clearFields();
    TaskWindow::closeEvent(event);
}
