#include "frmLocacao.h"

#include "SlotGrid.h"

#include "lookup/LookupCombo.h"
#include "lookup/claFenwaurda.h"
#include "platform/Formats.h"
#include "platform/print/LinePrinter.h"
#include "platform/widgets/Fields.h"
#include "platform/widgets/FormGrid.h"
#include "platform/widgets/LeaveChecks.h"
#include "platform/widgets/MessageBox.h"
#include "videos/VideoFields.h"
#include "views/PickList.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

namespace {

const QString Title = QStringLiteral("Locação de Vídeos");
const QString NoDiscount = QStringLiteral("R$0,00");
const QString PrintTitle = QStringLiteral("Impressão do Movomento de Locação");
const QString Info = QStringLiteral("Informação");
const QString VideoInfo = QStringLiteral("Informação de Vídeo");
const QString CustomerInfo = QStringLiteral("Informação de Clientes");

} // namespace

frmLocacao::frmLocacao(store::Database& db, QWidget* parent)
    : TaskWindow(db, Title, parent), m_autoComplete(new claFenwaurda(this)), m_draft(db)
{
    setObjectName(QStringLiteral("frmLocacao"));
    setFont(formFont());
    buildLayout();

    leaveChecks().add(m_cboClientes, [this] { return confirmCustomer(); });
    leaveChecks().add(m_cbo1, [this] { return enterVideo(); });
    leaveChecks().add(m_txtDesconto, [this] { return leaveDiscount(); });
    // Installed after the leave checks, so it sees each focus loss first.
    m_txtDesconto->installEventFilter(this);
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
    connect(m_cmdSalvar, &QPushButton::clicked, this, [act] { act(&frmLocacao::save); });
    connect(m_cmdDesfazer, &QPushButton::clicked, this, [act] { act(&frmLocacao::undo); });
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
    setLookupItems(m_cboClientes, names);
    setLookupItems(m_cbo1, codes);
    ClearFields();
    showNextNumber();
    m_cmdDesfazer->setEnabled(false);
    m_cboClientes->setFocus();
}

static_assert(frmLocacao::Slots == SlotGrid::Slots);

frmLocacao::~frmLocacao() = default;

void frmLocacao::buildLayout()
{
    m_txtData = displayField(this, "txtData");
    m_txtCodigo = displayField(this, "txtCodigo");
    m_cboClientes = makeLookupCombo(this, "cboClientes", m_autoComplete);
    m_text1 = platform::namedLineEdit(this, "Text1");
    platform::setAccessibleLabel(m_text1, QStringLiteral("Passagem para o código do filme"));
    m_lblnome = new QLabel(this);
    m_lblnome->setObjectName(QStringLiteral("lblnome"));
    m_lblnome->hide();
    m_cbo1 = makeLookupCombo(this, "cbo1", m_autoComplete);
    m_txtValor = displayField(this, "txtValor");
    m_txtDesconto = platform::namedLineEdit(this, "txtDesconto");
    using platform::FieldLimit;
    platform::limitLength(m_cboClientes, FieldLimit::PersonName);
    platform::limitLength(m_text1, FieldLimit::Passage);
    platform::limitLength(m_cbo1, FieldLimit::VideoCode);
    platform::limitLength(m_txtDesconto, FieldLimit::Money);
    m_cmdSalvar = new QPushButton(QStringLiteral("&Salvar"), this);
    m_cmdSalvar->setObjectName(QStringLiteral("cmdSalvar"));
    m_cmdDesfazer = new QPushButton(QStringLiteral("&Desfazer"), this);
    m_cmdDesfazer->setObjectName(QStringLiteral("cmdDesfazer"));

    // On a grid after the drawing in twips: captions above their fields,
    // the buttons on the right, the slots framed below.
    FormGrid grid(this);
    QGridLayout* layout = grid.layout();
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setContentsMargins(0, FormGrid::pixels(240), FormGrid::pixels(135), FormGrid::pixels(195));
    layout->setVerticalSpacing(0);
    grid.keepDrawnColumns({120, 240, 2040, 2400, 4560, 6960, 7800});
    auto caption = [this](QWidget* field, const char* text) {
        QLabel* label = labelFor(field, QString::fromUtf8(text), this);
        label->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
        return label;
    };
    // A date or a scanned EAN-13 in this face may be wider than drawn; never clip it.
    const int dateTwips =
        std::max(1215, (m_txtData->fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")) + 12) * 15);
    const int codeTwips =
        std::max(1935, VideoFields::codeWidth(m_cbo1, font(), VideoFields::BarcodeDigits) * 15);
    m_slots = new SlotGrid(this);
    auto* slotsCaption = new QLabel(QStringLiteral("Codigo: Nome  - Tipo do Filme:"), this);
    slotsCaption->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    grid.add({{caption(m_txtData, "Data:"), nullptr, 0, 1},
              {caption(m_txtCodigo, "Nº da Referência:"), nullptr, 0, 2, 2},
              {m_txtData, nullptr, 1, 1, 1, dateTwips},
              {m_txtCodigo, nullptr, 1, 2, 2, 2175},
              {caption(m_cboClientes, "Nome e Nº do Cadastro do Cliente:"), nullptr, 3, 1, 4},
              {m_cboClientes, nullptr, 4, 1, 4},
              {m_text1, nullptr, 4, 5, 1, 225},
              {m_lblnome, nullptr, 5, 1, 4},
              {caption(m_cbo1, "Código do Filme:"), nullptr, 6, 1, 2},
              {caption(m_txtValor, "Valor da Locação:"), nullptr, 6, 3},
              {caption(m_txtDesconto, "Valor com Desconto:"), nullptr, 6, 4},
              {m_cbo1, nullptr, 7, 1, 2, codeTwips},
              {m_txtValor, nullptr, 7, 3, 1, 1935},
              {m_txtDesconto, nullptr, 7, 4, 1, 2295},
              {slotsCaption, nullptr, 8, 3, 3},
              {m_slots, nullptr, 9, 0, 7}});
    // The buttons stand beside the customer and the video lines.
    layout->addWidget(m_cmdSalvar, 2, 6, 3, 1, Qt::AlignLeft | Qt::AlignBottom);
    layout->addWidget(m_cmdDesfazer, 5, 6, 4, 1, Qt::AlignLeft | Qt::AlignVCenter);
    // A wider code field pushes the money fields right, not the reference;
    // room the slots leave over goes right of the buttons.
    layout->setColumnStretch(2, 1);
    layout->setColumnStretch(6, 1000);
    for (QPushButton* button : {m_cmdSalvar, m_cmdDesfazer})
        button->setFixedSize(FormGrid::pixels(1095), FormGrid::pixels(735));
    for (QWidget* field :
         {static_cast<QWidget*>(m_txtData), static_cast<QWidget*>(m_txtCodigo),
          static_cast<QWidget*>(m_cboClientes), static_cast<QWidget*>(m_text1), static_cast<QWidget*>(m_cbo1),
          static_cast<QWidget*>(m_txtValor), static_cast<QWidget*>(m_txtDesconto)})
        field->setFixedHeight(FormGrid::pixels(360));
    for (int row : {0, 3, 6})
        layout->setRowMinimumHeight(row, FormGrid::pixels(255));
    layout->setRowMinimumHeight(2, FormGrid::pixels(360));
    layout->setRowMinimumHeight(5, FormGrid::pixels(240));
    layout->setRowMinimumHeight(8, FormGrid::pixels(360));

    setTabOrderChain({m_txtCodigo, m_cboClientes, m_text1, m_cbo1, m_txtDesconto, m_cmdSalvar, m_txtValor,
                      m_txtData, m_cmdDesfazer});
}

void frmLocacao::ClearFields()
{
    m_txtData->setText(platform::todayText());
    m_txtCodigo->setText(QString::number(counter::RentalDraft::FirstNumber));
    clearLookup(m_cboClientes);
    clearLookup(m_cbo1);
    m_txtValor->clear();
    m_txtDesconto->setText(NoDiscount);
    m_draft.clear();
    for (int k = 0; k < Slots; ++k)
        showSlot(k);
}

void frmLocacao::showNextNumber()
{
    QString number;
    if (guarded([&] { number = m_draft.nextNumber(); }))
        m_txtCodigo->setText(number);
}

RentalNote frmLocacao::WriteRental() const
{
    RentalNote note;
    note.date = m_txtData->text();
    note.number = m_txtCodigo->text();
    note.customer = m_lblnome->text();
    for (int k = 0; k < Slots; ++k) {
        note.descriptions[k] = m_slots->description(k);
        note.codes[k] = m_slots->code(k);
    }
    note.value = m_txtValor->text();
    note.discount = m_txtDesconto->text();
    return note;
}

void frmLocacao::showValue()
{
    if (m_draft.count() == 0)
        m_txtValor->clear();
    else
        m_txtValor->setText(platform::formatMoney(m_draft.value()));
}

void frmLocacao::showSlot(int k)
{
    const bool used = k < m_draft.count();
    m_slots->setSlot(k, used ? m_draft.slot(k).code : QString(),
                     used ? m_draft.slot(k).description : QString());
}

void frmLocacao::sayDiscountTooLarge(const QString& consequence)
{
    MessageBox::information(
        this, Info,
        QStringLiteral("O desconto de %1 é maior que o valor da locação, %2.\n")
                .arg(platform::formatMoney(m_draft.discount()), platform::formatMoney(m_draft.total())) +
            consequence);
}

void frmLocacao::sayDiscountInvalid()
{
    MessageBox::information(this, Info,
                            QStringLiteral("O desconto \"%1\" não é um valor válido.\n"
                                           "Digite o valor do desconto em reais, por exemplo 2,00.")
                                .arg(m_txtDesconto->text().trimmed()));
}

bool frmLocacao::confirmCustomer()
{
    const QString name = m_cboClientes->currentText();
    bool found = false;
    if (!guarded([&] { found = m_draft.confirmRenter(name); }))
        return false;
    if (!found)
        return refuseLookup(m_cboClientes, CustomerInfo,
                            QStringLiteral("Cliente não Encontrado ou Cadastrado"));
    m_lblnome->setText(m_draft.renter());
    return true;
}

bool frmLocacao::enterVideo()
{
    using Entry = counter::RentalDraft::Entry;
    counter::RentalDraft::EntryResult result;
    if (!guarded([&] { result = m_draft.enter(m_cbo1->currentText()); }))
        return false;
    auto refuse = [this](const QString& message) { return refuseLookup(m_cbo1, VideoInfo, message); };
    switch (result.outcome) {
    case Entry::NotFound:
        return refuse(QStringLiteral("Vídeo não cadastrado"));
    case Entry::Full:
        return true; // the note is full: looked up, nothing more
    case Entry::BadPrice:
        return refuse(QStringLiteral("O preço de locação deste vídeo não é válido: \"%1\".\n"
                                     "Corrija o preço no cadastro do vídeo antes de alugá-lo.")
                          .arg(result.price));
    case Entry::OverMax:
        return refuse(QStringLiteral("Com este vídeo o valor da locação passaria do máximo de %1.\n"
                                     "Grave esta nota e faça outra para os demais vídeos.")
                          .arg(platform::formatMoney(platform::MaxNoteValue)));
    case Entry::LeftoversStuck:
        MessageBox::warning(this, QString::fromUtf8(StoreErrorTitle),
                            QStringLiteral("Uma locação interrompida deixou vídeos fora do estoque, e eles "
                                           "ainda não puderam voltar:\n%1\n"
                                           "Nenhum vídeo pode ser incluído na nota até que voltem.")
                                .arg(result.error));
        return false;
    case Entry::Entered:
        break;
    }
    const int k = m_draft.count() - 1;
    showSlot(k);
    showValue();
    if (k == 0)
        m_cmdDesfazer->setEnabled(true);
    m_txtDesconto->setFocus();
    // A discount typed before the videos may still be larger than they cost.
    if (m_draft.discountTooLarge())
        sayDiscountTooLarge(QStringLiteral("Corrija o desconto antes de salvar a nota."));
    return true;
}

bool frmLocacao::leaveDiscount()
{
    const counter::RentalDraft::Discount verdict = m_draft.giveDiscount(m_txtDesconto->text());
    // Left by pressing Salvar or Desfazer (a click, an access key), the
    // field never holds the operator: Salvar refuses a discount it cannot
    // use with its own message. Tab and Enter still go through the check.
    QWidget* to = QApplication::focusWidget();
    const bool acting = m_acting || (m_discountLeftByPress && (to == m_cmdSalvar || to == m_cmdDesfazer));
    if (verdict == counter::RentalDraft::Discount::Invalid) {
        if (acting)
            return true;
        sayDiscountInvalid();
        return false;
    }
    m_txtDesconto->setText(platform::formatMoney(m_draft.discount()));
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
    clearLookup(m_cbo1);
    if (k == 0) {
        m_cmdDesfazer->setEnabled(false);
        m_cboClientes->setFocus();
    } else {
        m_cmdDesfazer->setFocus();
    }
    if (m_draft.discountTooLarge())
        sayDiscountTooLarge(QStringLiteral("Corrija o desconto antes de salvar a nota."));
}

void frmLocacao::save()
{
    using Check = counter::RentalDraft::SaveCheck;
    switch (m_draft.checkSave(m_txtDesconto->text())) {
    case Check::NoRenter:
        MessageBox::information(this, CustomerInfo,
                                QStringLiteral("Informe o cliente antes de salvar a nota."));
        m_cboClientes->setFocus();
        return;
    case Check::NoVideos:
        MessageBox::information(this, Info,
                                QStringLiteral("A nota não tem nenhum vídeo e não foi gravada.\n"
                                               "Inclua ao menos um vídeo antes de salvar."));
        m_cbo1->setFocus();
        return;
    case Check::DiscountTooLarge:
        showValue();
        sayDiscountTooLarge(QStringLiteral("A nota não foi gravada: corrija o desconto."));
        m_txtDesconto->setFocus();
        m_txtDesconto->selectAll();
        return;
    case Check::DiscountInvalid:
        sayDiscountInvalid();
        m_txtDesconto->setFocus();
        m_txtDesconto->selectAll();
        return;
    case Check::Ready:
        break;
    }
    showValue();

    const bool print = MessageBox::question(this, PrintTitle, QStringLiteral("Deseja Imprimir o Movimento?"));
    const RentalNote note = WriteRental();
    // Stored first, printed after: a slip never stands for a note the file
    // does not hold. A failed store keeps the note on screen to try again.
    if (!guarded([&] { m_draft.save(note.date, note.number, m_cboClientes->currentText(), note.discount); }))
        return;
    if (print)
        printNote(note);

    ClearFields();
    m_cboClientes->setFocus();
    showNextNumber();
    m_cmdDesfazer->setEnabled(false);
}

void frmLocacao::printNote(const RentalNote& note)
{
    QString error;
    std::unique_ptr<LinePrinter> printer = platform::openDefaultPrinter(&error);
    if (printer && printRentalNote(*printer, note))
        return;
    if (printer)
        error = printer->errorText();
    MessageBox::warning(
        this, PrintTitle,
        QStringLiteral("A nota %1 foi gravada, mas não foi impressa: %2.").arg(note.number, error));
}

bool frmLocacao::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_txtDesconto && event->type() == QEvent::FocusOut) {
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
        ClearFields();
    TaskWindow::closeEvent(event);
}
