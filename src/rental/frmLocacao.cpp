#include "frmLocacao.h"

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
#include <QFrame>
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

// The layout is drawn in twips.
int px(int twips)
{
    return FormGrid::pixels(twips);
}

QRect twips(int left, int top, int width, int height)
{
    return {px(left), px(top), px(width), px(height)};
}

QFrame* line(QWidget* parent, QFrame::Shape shape, const QRect& rect)
{
    auto* f = new QFrame(parent);
    f->setFrameShape(shape);
    f->setFrameShadow(QFrame::Plain);
    f->setGeometry(rect);
    return f;
}

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

    struct Placement
    {
        QWidget* field;
        QRect rect;
        const char* caption; // shown above the field
        QRect captionRect;
    };
    const Placement placements[] = {
        {m_txtData, twips(240, 480, 1215, 360), "Data:", twips(240, 240, 1215, 255)},
        {m_txtCodigo, twips(2040, 480, 2175, 360), "Nº da Referência:", twips(2040, 240, 2055, 255)},
        {m_cboClientes, twips(240, 1440, 6615, 360),
         "Nome e Nº do Cadastro do Cliente:", twips(240, 1200, 6615, 255)},
        {m_cbo1, twips(240, 2280, 1935, 360), "Código do Filme:", twips(240, 2040, 1935, 255)},
        {m_txtValor, twips(2400, 2280, 1935, 360), "Valor da Locação:", twips(2400, 2040, 1935, 255)},
        {m_txtDesconto, twips(4560, 2280, 2295, 360), "Valor com Desconto:", twips(4560, 2040, 2295, 255)},
    };
    // A date in this face may be wider than the drawn field; never clip it.
    const int dateWidth = m_txtData->fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")) + 12;
    // The code field shows a scanned EAN-13 whole (longer codes scroll);
    // the two money fields beside it make room, short of the buttons.
    const int grow =
        std::max(0, VideoFields::codeWidth(m_cbo1, font(), VideoFields::BarcodeDigits) - px(1935));
    for (const Placement& p : placements) {
        QRect rect = p.rect;
        QRect r = p.captionRect;
        if (p.field == m_txtData)
            rect.setWidth(std::max(rect.width(), dateWidth));
        if (p.field == m_cbo1)
            rect.setWidth(rect.width() + grow);
        if (p.field == m_txtValor || p.field == m_txtDesconto) {
            rect.translate(grow, 0);
            r.translate(grow, 0);
            rect.setRight(std::min(rect.right(), px(7800 - 120)));
        }
        p.field->setGeometry(rect);
        QLabel* label = labelFor(p.field, QString::fromUtf8(p.caption), this);
        // A face wider than the drawing's must not clip the caption.
        r.setWidth(std::max(r.width(), label->sizeHint().width()));
        label->setGeometry(r);
    }
    m_text1->setGeometry(twips(6960, 1440, 225, 360));
    m_lblnome->setGeometry(twips(240, 1800, 4935, 255));
    m_cmdSalvar->setGeometry(twips(7800, 1080, 1095, 735));
    m_cmdDesfazer->setGeometry(twips(7800, 2040, 1095, 735));

    auto* gridCaption = new QLabel(QStringLiteral("Codigo: Nome  - Tipo do Filme:"), this);
    QRect captionRect = twips(2760, 2760, 3615, 255);
    captionRect.setWidth(std::max(captionRect.width(), gridCaption->sizeHint().width()));
    gridCaption->setGeometry(captionRect);

    // The slot grid: two columns of eight, framed and ruled.
    line(this, QFrame::Box, twips(120, 3000, 9015, 3855));
    line(this, QFrame::VLine, QRect(px(4560), px(3000), 1, px(3840)));
    for (int top : {3480, 3960, 4440, 4920, 5400, 5880, 6360})
        line(this, QFrame::HLine, QRect(px(120), px(top), px(9000), 1));
    QFont descriptionFont = font();
    descriptionFont.setPointSizeF(8.25);
    descriptionFont.setBold(false);
    descriptionFont.setItalic(true);
    QFont codeFont = descriptionFont;
    codeFont.setItalic(false);
    for (int k = 1; k <= Slots; ++k) {
        const bool left = k <= 8;
        const int top = 3120 + 480 * ((k - 1) % 8);
        auto* code = new QLabel(this);
        code->setObjectName(QStringLiteral("lblCodigo%1").arg(k - 1));
        code->setFont(codeFont);
        code->setGeometry(twips(left ? 240 : 4680, top, 615, 255));
        code->setAccessibleName(QStringLiteral("Código do vídeo %1").arg(k));
        auto* description = new QLabel(this);
        description->setObjectName(QStringLiteral("lbl%1").arg(k));
        description->setFont(descriptionFont);
        description->setGeometry(twips(left ? 960 : 5400, top, left ? 3495 : 3615, 255));
        description->setAccessibleName(QStringLiteral("Vídeo %1").arg(k));
        m_lblCodigo[k - 1] = code;
        m_lbl[k - 1] = description;
    }
    setFixedSize(px(9270), px(7050));

    setTabOrderChain({m_txtCodigo, m_cboClientes, m_text1, m_cbo1, m_txtDesconto, m_cmdSalvar, m_txtValor,
                      m_txtData, m_cmdDesfazer});
}

// A slot's code shows whole, however long: the code label grows past its
// drawn width when it must, and the description gives up that room.
void frmLocacao::fitSlot(int k)
{
    const bool left = k < 8;
    const int top = 3120 + 480 * (k % 8);
    const QRect code = twips(left ? 240 : 4680, top, 615, 255);
    const QRect description = twips(left ? 960 : 5400, top, left ? 3495 : 3615, 255);
    QRect c = code;
    c.setWidth(std::max(code.width(), m_lblCodigo[k]->sizeHint().width()));
    m_lblCodigo[k]->setGeometry(c);
    const int gap = description.left() - (code.left() + code.width());
    QRect d = description;
    d.setLeft(std::max(description.left(), c.left() + c.width() + gap));
    m_lbl[k]->setGeometry(d);
}

void frmLocacao::ClearFields()
{
    m_txtData->setText(platform::todayText());
    m_txtCodigo->setText(QString::number(counter::RentalDraft::FirstNumber));
    m_cboClientes->setCurrentIndex(-1);
    m_cboClientes->clearEditText();
    m_cbo1->setCurrentIndex(-1);
    m_cbo1->clearEditText();
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
        note.descriptions[k] = m_lbl[k]->text();
        note.codes[k] = m_lblCodigo[k]->text();
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
    m_lbl[k]->setText(used ? m_draft.slot(k).description : QString());
    m_lblCodigo[k]->setText(used ? m_draft.slot(k).code : QString());
    fitSlot(k);
}

void frmLocacao::sayDiscountTooLarge(const QString& consequence)
{
    MessageBox::information(
        this,
        QStringLiteral("O desconto de %1 é maior que o valor da locação, %2.\n")
                .arg(platform::formatMoney(m_draft.discount()), platform::formatMoney(m_draft.total())) +
            consequence,
        Info);
}

void frmLocacao::sayDiscountInvalid()
{
    MessageBox::information(this,
                            QStringLiteral("O desconto \"%1\" não é um valor válido.\n"
                                           "Digite o valor do desconto em reais, por exemplo 2,00.")
                                .arg(m_txtDesconto->text().trimmed()),
                            Info);
}

bool frmLocacao::confirmCustomer()
{
    const QString name = m_cboClientes->currentText();
    bool found = false;
    if (!guarded([&] { found = m_draft.confirmRenter(name); }))
        return false;
    if (!found) {
        MessageBox::information(this, QStringLiteral("Cliente não Encontrado ou Cadastrado"),
                                QStringLiteral("Informação de Clientes"));
        m_cboClientes->setCurrentIndex(-1);
        m_cboClientes->clearEditText();
        return false;
    }
    m_lblnome->setText(m_draft.renter());
    return true;
}

bool frmLocacao::enterVideo()
{
    using Entry = counter::RentalDraft::Entry;
    counter::RentalDraft::EntryResult result;
    if (!guarded([&] { result = m_draft.enter(m_cbo1->currentText()); }))
        return false;
    auto refuse = [this](const QString& message) {
        MessageBox::information(this, message, VideoInfo);
        m_cbo1->setCurrentIndex(-1);
        m_cbo1->clearEditText();
        return false;
    };
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
        MessageBox::warning(this,
                            QStringLiteral("Uma locação interrompida deixou vídeos fora do estoque, e eles "
                                           "ainda não puderam voltar:\n%1\n"
                                           "Nenhum vídeo pode ser incluído na nota até que voltem.")
                                .arg(result.error),
                            QString::fromUtf8(StoreErrorTitle));
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
    m_cbo1->setCurrentIndex(-1);
    m_cbo1->clearEditText();
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
        MessageBox::information(this, QStringLiteral("Informe o cliente antes de salvar a nota."),
                                QStringLiteral("Informação de Clientes"));
        m_cboClientes->setFocus();
        return;
    case Check::NoVideos:
        MessageBox::information(this,
                                QStringLiteral("A nota não tem nenhum vídeo e não foi gravada.\n"
                                               "Inclua ao menos um vídeo antes de salvar."),
                                Info);
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

    const bool print = MessageBox::question(this, QStringLiteral("Deseja Imprimir o Movimento?"), PrintTitle);
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
        this, QStringLiteral("A nota %1 foi gravada, mas não foi impressa: %2.").arg(note.number, error),
        PrintTitle);
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
