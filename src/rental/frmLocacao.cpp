#include "frmLocacao.h"

#include "lookup/LookupCombo.h"
#include "lookup/claFenwaurda.h"
#include "platform/Formats.h"
#include "platform/print/LinePrinter.h"
#include "platform/widgets/Fields.h"
#include "platform/widgets/FormGrid.h"
#include "platform/widgets/LeaveChecks.h"
#include "platform/widgets/MessageBox.h"
#include "store/Names.h"
#include "store/PendingNote.h"
#include "store/RecordCursor.h"
#include "store/StoreError.h"
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

using namespace store::names;

namespace {

const QString Title = QStringLiteral("Locação de Vídeos");
const QString FirstNumber = QStringLiteral("100");
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
    : TaskWindow(db, Title, parent), m_autoComplete(new claFenwaurda(this)),
      m_pending(std::make_unique<store::PendingNote>(db))
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
    guarded([&] { m_pending->recoverLeftovers(); });
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
    m_txtCodigo->setText(FirstNumber);
    m_cboClientes->setCurrentIndex(-1);
    m_cboClientes->clearEditText();
    m_cbo1->setCurrentIndex(-1);
    m_cbo1->clearEditText();
    m_txtValor->clear();
    m_txtDesconto->setText(NoDiscount);
    for (int k = 0; k < Slots; ++k)
        emptySlot(k);
    m_discount = 0;
    m_customerConfirmed = false;
}

void frmLocacao::showNextNumber()
{
    int count = 0;
    guarded([&] { count = cursor(Number::Table).count(); });
    m_txtCodigo->setText(QString::number(m_txtCodigo->text().toLongLong() + count));
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

int frmLocacao::occupiedSlots() const
{
    int n = 0;
    while (n < Slots && !m_lbl[n]->text().isEmpty())
        ++n;
    return n;
}

qint64 frmLocacao::slotTotal() const
{
    qint64 total = 0;
    for (int k = 0; k < occupiedSlots(); ++k)
        total += m_prices[k];
    return total;
}

// The value is always the slot prices less the discount in force: however
// often the discount field is left, the discount counts once. A discount
// larger than the prices leaves nothing to pay, never a negative amount;
// such a note is not saved.
void frmLocacao::showValue()
{
    if (occupiedSlots() == 0)
        m_txtValor->clear();
    else
        m_txtValor->setText(platform::formatMoney(std::max<qint64>(0, slotTotal() - m_discount)));
}

bool frmLocacao::discountTooLarge() const
{
    return occupiedSlots() > 0 && m_discount > slotTotal();
}

void frmLocacao::sayDiscountTooLarge(const QString& consequence)
{
    MessageBox::information(
        this,
        QStringLiteral("O desconto de %1 é maior que o valor da locação, %2.\n")
                .arg(platform::formatMoney(m_discount), platform::formatMoney(slotTotal())) +
            consequence,
        Info);
}

std::optional<qint64> frmLocacao::typedDiscount() const
{
    const QString text = m_txtDesconto->text().trimmed();
    if (text.isEmpty())
        return 0;
    const std::optional<qint64> amount = platform::parseMoney(text);
    if (!amount || *amount < 0)
        return std::nullopt;
    return amount;
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
    if (!guarded([&] {
            store::RecordCursor& row = cursor(tblClientes::Table);
            for (const QString& index : tblClientes::NameIndexes) {
                if (row.find(index, name)) {
                    found = true;
                    return;
                }
            }
        }))
        return false;
    if (!found) {
        MessageBox::information(this, QStringLiteral("Cliente não Encontrado ou Cadastrado"),
                                QStringLiteral("Informação de Clientes"));
        m_cboClientes->setCurrentIndex(-1);
        m_cboClientes->clearEditText();
        return false;
    }
    m_lblnome->setText(name);
    m_customerConfirmed = true;
    return true;
}

bool frmLocacao::enterVideo()
{
    const QString code = m_cbo1->currentText();
    bool found = false;
    QString title;
    QString category;
    QString price;
    if (!guarded([&] {
            store::RecordCursor& row = cursor(tblVideos::Table);
            found = row.find(tblVideos::indCodigo, code);
            if (found) {
                title = row.text(tblVideos::Nome);
                category = row.text(tblVideos::Tipo);
                price = row.text(tblVideos::Valor);
            }
        }))
        return false;
    auto refuse = [this](const QString& message) {
        MessageBox::information(this, message, VideoInfo);
        m_cbo1->setCurrentIndex(-1);
        m_cbo1->clearEditText();
        return false;
    };
    if (!found)
        return refuse(QStringLiteral("Vídeo não cadastrado"));

    const int k = occupiedSlots();
    if (k == Slots)
        return true; // the note is full: looked up, nothing more
    // An empty price rents for nothing; a negative, unreadable or absurd one
    // is the catalogue's mistake and must be mended there.
    const platform::PriceReading reading = platform::readPrice(price);
    if (!reading.usable())
        return refuse(QStringLiteral("O preço de locação deste vídeo não é válido: \"%1\".\n"
                                     "Corrija o preço no cadastro do vídeo antes de alugá-lo.")
                          .arg(price));
    if (slotTotal() + reading.centavos > platform::MaxNoteValue)
        return refuse(QStringLiteral("Com este vídeo o valor da locação passaria do máximo de %1.\n"
                                     "Grave esta nota e faça outra para os demais vídeos.")
                          .arg(platform::formatMoney(platform::MaxNoteValue)));
    if (!leftoversRecovered())
        return false;

    bool taken = false;
    if (!guarded([&] { taken = m_pending->takeCopy(k + 1, code); }))
        return false;
    if (!taken)
        return refuse(QStringLiteral("Vídeo não cadastrado"));

    m_lbl[k]->setText(title + QStringLiteral(" - ") + category);
    m_lblCodigo[k]->setText(code);
    fitSlot(k);
    m_prices[k] = reading.centavos;
    showValue();
    if (k == 0)
        m_cmdDesfazer->setEnabled(true);
    m_txtDesconto->setFocus();
    // A discount typed before the videos may still be larger than they cost.
    if (discountTooLarge())
        sayDiscountTooLarge(QStringLiteral("Corrija o desconto antes de salvar a nota."));
    return true;
}

bool frmLocacao::leftoversRecovered()
{
    if (m_pending->leftoversRecovered())
        return true;
    // Copies of a note a crash cut short are still off the shelf: composing
    // over them could lose one for good. Try again; refuse while they stay.
    try {
        m_pending->recoverLeftovers();
        return true;
    } catch (const store::StoreError& error) {
        MessageBox::warning(this,
                            QStringLiteral("Uma locação interrompida deixou vídeos fora do estoque, e eles "
                                           "ainda não puderam voltar:\n%1\n"
                                           "Nenhum vídeo pode ser incluído na nota até que voltem.")
                                .arg(error.message()),
                            QString::fromUtf8(StoreErrorTitle));
        return false;
    }
}

bool frmLocacao::leaveDiscount()
{
    const std::optional<qint64> amount = typedDiscount();
    // Left by pressing Salvar or Desfazer (a click, an access key), the
    // field never holds the operator: Salvar refuses a discount it cannot
    // use with its own message. Tab and Enter still go through the check.
    QWidget* to = QApplication::focusWidget();
    const bool acting = m_acting || (m_discountLeftByPress && (to == m_cmdSalvar || to == m_cmdDesfazer));
    if (!amount) {
        if (acting)
            return true;
        sayDiscountInvalid();
        return false;
    }
    m_discount = *amount;
    m_txtDesconto->setText(platform::formatMoney(m_discount));
    showValue();
    if (discountTooLarge() && !acting)
        sayDiscountTooLarge(QStringLiteral("A nota só poderá ser gravada com um desconto menor."));
    return true;
}

void frmLocacao::emptySlot(int k)
{
    m_lbl[k]->clear();
    m_lblCodigo[k]->clear();
    m_prices[k] = 0;
    fitSlot(k);
}

void frmLocacao::undo()
{
    const int n = occupiedSlots();
    if (n == 0)
        return;
    const int k = n - 1;
    // A video deleted meanwhile frees its slot all the same: there is no
    // shelf count to give the copy back to.
    if (!guarded([&] { m_pending->giveBack(k + 1, m_lblCodigo[k]->text()); }))
        return;
    emptySlot(k);
    showValue();
    m_cbo1->setCurrentIndex(-1);
    m_cbo1->clearEditText();
    if (k == 0) {
        m_cmdDesfazer->setEnabled(false);
        m_cboClientes->setFocus();
    } else {
        m_cmdDesfazer->setFocus();
    }
    if (discountTooLarge())
        sayDiscountTooLarge(QStringLiteral("Corrija o desconto antes de salvar a nota."));
}

void frmLocacao::save()
{
    if (!m_customerConfirmed) {
        MessageBox::information(this, QStringLiteral("Informe o cliente antes de salvar a nota."),
                                QStringLiteral("Informação de Clientes"));
        m_cboClientes->setFocus();
        return;
    }
    if (occupiedSlots() == 0) {
        MessageBox::information(this,
                                QStringLiteral("A nota não tem nenhum vídeo e não foi gravada.\n"
                                               "Inclua ao menos um vídeo antes de salvar."),
                                Info);
        m_cbo1->setFocus();
        return;
    }
    // The discount as the field holds it now, whichever way it was left.
    const std::optional<qint64> discount = typedDiscount();
    if (!discount || *discount > slotTotal()) {
        if (discount) {
            m_discount = *discount;
            showValue();
            sayDiscountTooLarge(QStringLiteral("A nota não foi gravada: corrija o desconto."));
        } else {
            sayDiscountInvalid();
        }
        m_txtDesconto->setFocus();
        m_txtDesconto->selectAll();
        return;
    }
    // The note keeps the discount as the field shows it.
    m_discount = *discount;
    showValue();

    const bool print = MessageBox::question(this, QStringLiteral("Deseja Imprimir o Movimento?"), PrintTitle);
    const RentalNote note = WriteRental();
    QHash<QString, QString> columns{
        {tblLocacao::Data, note.date},
        {tblLocacao::Codigo, note.number},
        {tblLocacao::Clientes, m_cboClientes->currentText()},
        {tblLocacao::Valor, note.value},
        {tblLocacao::Desconto, note.discount},
    };
    for (int k = 0; k < Slots; ++k) {
        columns.insert(tblLocacao::videoColumn(k), note.descriptions[k]);
        columns.insert(tblLocacao::codeColumn(k), note.codes[k]);
    }
    // Stored first, printed after: a slip never stands for a note the file
    // does not hold. A failed store keeps the note on screen to try again.
    if (!guarded([&] { m_pending->store(columns, note.number); }))
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
    if (occupiedSlots() > 0 && guarded([this] { m_pending->giveBackAll(); }))
        ClearFields();
    TaskWindow::closeEvent(event);
}
