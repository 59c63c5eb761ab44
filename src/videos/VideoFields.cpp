#include "VideoFields.h"

#include "counter/VideoRecords.h"

#include "platform/Formats.h"
#include "platform/widgets/Fields.h"
#include "platform/widgets/FormGrid.h"
#include "platform/widgets/LeaveChecks.h"
#include "platform/widgets/MessageBox.h"
#include "platform/widgets/TaskWindow.h"
#include "store/Names.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>

using namespace store::names;

namespace {

QRadioButton* option(QWidget* parent, const char* name, const char* caption)
{
    auto* button = new QRadioButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromUtf8(name));
    return button;
}

} // namespace

const QStringList& VideoFields::genres()
{
    static const QStringList list = {
        QStringLiteral("Ação"),         QStringLiteral("Aventura"), QStringLiteral("Comédia"),
        QStringLiteral("Documentário"), QStringLiteral("Drama"),    QStringLiteral("Erótico"),
        QStringLiteral("Ficção"),       QStringLiteral("Infantil"), QStringLiteral("Musical"),
        QStringLiteral("Policial"),     QStringLiteral("Religião"), QStringLiteral("Romance"),
        QStringLiteral("Terror")};
    return list;
}

QString VideoFields::localToolTip()
{
    return QStringLiteral("Local onde o video fica localizado dentro da loja");
}

int VideoFields::codeWidth(const QWidget* field, const QFont& font, int digits)
{
    const QFontMetrics metrics(font);
    // The text, the line edit's own margins on both sides and the cursor.
    const QSize text(metrics.horizontalAdvance(QString(digits, u'0')) + 2 * 2 + 2, metrics.height());
    QStyle* style = field->style();
    if (qobject_cast<const QComboBox*>(field)) {
        QStyleOptionComboBox option;
        option.initFrom(field);
        option.editable = true;
        return style->sizeFromContents(QStyle::CT_ComboBox, &option, text, field).width();
    }
    QStyleOptionFrame option;
    option.initFrom(field);
    option.lineWidth = style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, field);
    return style->sizeFromContents(QStyle::CT_LineEdit, &option, text, field).width();
}

VideoFields::VideoFields(QWidget* window, FormGrid& grid, LeaveChecks& checks, TypePlace place)
    : RecordFields(window), txtCodigo(platform::namedLineEdit(window, "txtCodigo")),
      txtVideo(platform::namedLineEdit(window, "txtVideo")), cboGenero(new QComboBox(window)),
      txtLocal(platform::namedLineEdit(window, "txtLocal")),
      txtQTDE(platform::namedLineEdit(window, "txtQTDE")),
      frmTipo(new QGroupBox(QStringLiteral("Tipo de Vídeo"), window)),
      optSuper(option(frmTipo, "optSuper", "Super Lançamento")),
      optLancamento(option(frmTipo, "optLancamento", "Lançamento")),
      opt48(option(frmTipo, "opt48", "48 Horas")), txtValor(platform::namedLineEdit(window, "txtValor")),
      m_typePlace(place)
{
    platform::makeDigitsOnly(txtCodigo);
    platform::makeDigitsOnly(txtQTDE);
    using platform::FieldLimit;
    platform::limitLength(txtCodigo, FieldLimit::VideoCode);
    platform::limitLength(txtVideo, FieldLimit::Title);
    platform::limitLength(txtLocal, FieldLimit::Place);
    platform::limitLength(txtQTDE, FieldLimit::Copies);
    platform::limitLength(txtValor, FieldLimit::Money);

    cboGenero->setObjectName(QStringLiteral("cboGenero"));
    cboGenero->setEditable(true);
    // A genre typed by hand is stored as typed, never added to the list.
    cboGenero->setInsertPolicy(QComboBox::NoInsert);
    cboGenero->addItems(genres());
    cboGenero->setCurrentIndex(-1);
    cboGenero->clearEditText();
    platform::limitLength(cboGenero, FieldLimit::Genre);

    txtLocal->setToolTip(localToolTip());

    frmTipo->setObjectName(QStringLiteral("frmTipo"));
    frmTipo->setAccessibleName(frmTipo->title());
    auto* options = new QHBoxLayout(frmTipo);
    for (QRadioButton* button : {optSuper, optLancamento, opt48}) {
        options->addWidget(button);
        m_tipo->addButton(button);
    }
    m_tipo->setExclusive(true);

    // Four columns: label, field, label, field.
    // The code alone on its row: as wide as its longest text, in the face
    // of either window (the bold one is the wider).
    const int codeTwips = codeWidth(txtCodigo, TaskWindow::formFont(), FieldLimit::VideoCode) * 15;
    grid.add({{txtCodigo, "Código:", 1, 0, 3, codeTwips},
              {txtVideo, "Vídeo:", 2, 0, 3},
              {cboGenero, "Gênero:", 3, 0},
              {txtLocal, "Local da Loja:", 3, 2},
              {txtQTDE, "QTDE:", 4, 0},
              {txtValor, "Preço de Locação:", 4, 2},
              {frmTipo, nullptr, 5, 0, 4}});
    m_nextRow = 6;

    checks.addRewrite(txtVideo, [this] { txtVideo->setText(platform::properCase(txtVideo->text())); });
    // A price is reformatted only when it will be kept: a refused one stays
    // as typed, for the operator to correct.
    checks.addRewrite(txtValor, [this] {
        const platform::PriceReading::Status status = counter::VideoRecords::priceRule(txtValor->text());
        if (status == platform::PriceReading::Ok)
            txtValor->setText(platform::reformatMoneyText(txtValor->text()));
        else if (status == platform::PriceReading::Empty)
            txtValor->clear(); // blanks are no price
    });
    // A price the counter would refuse is not stored in the first place.
    checks.add(txtValor, [this, window] { return priceAccepted(window); });
}

bool VideoFields::priceAccepted(QWidget* window)
{
    const QString text = txtValor->text();
    QString why;
    switch (counter::VideoRecords::priceRule(text)) {
    case platform::PriceReading::Empty:
    case platform::PriceReading::Ok:
        return true;
    case platform::PriceReading::NotANumber:
        why = QStringLiteral("O preço de locação \"%1\" não é um valor válido.").arg(text);
        break;
    case platform::PriceReading::Negative:
        why = QStringLiteral("O preço de locação \"%1\" é negativo.").arg(text);
        break;
    case platform::PriceReading::TooLarge:
        why = QStringLiteral("O preço de locação \"%1\" passa do máximo de %2.")
                  .arg(text, platform::formatMoney(platform::MaxPrice));
        break;
    }
    MessageBox::information(window, QStringLiteral("Informação de Vídeo"),
                            why + QStringLiteral("\nDigite o preço em reais, por exemplo 2,50."));
    return false;
}

bool VideoFields::readyToStore(QWidget* window)
{
    if (!priceAccepted(window)) {
        txtValor->setFocus();
        return false;
    }
    if (counter::VideoRecords::priceRule(txtValor->text()) != platform::PriceReading::Empty)
        return true;
    txtValor->clear();
    if (MessageBox::question(window, QStringLiteral("Pergunta de Preço de Locação"),
                             QStringLiteral("O Preço de Locação está vazio: o vídeo será alugado por %1.\n"
                                            "Deseja gravar o vídeo sem preço?")
                                 .arg(platform::formatMoney(0))))
        return true;
    txtValor->setFocus();
    return false;
}

QWidget* VideoFields::setTabOrder(QWidget* before)
{
    QList<QWidget*> order = {txtCodigo, txtVideo, cboGenero, txtLocal, txtQTDE};
    const QList<QWidget*> type = {frmTipo, optSuper, optLancamento, opt48};
    if (m_typePlace == TypePlace::BeforePrice)
        order << type << txtValor;
    else
        order << txtValor << type;
    return chainTabOrder(before, order);
}

void VideoFields::clear()
{
    for (QLineEdit* edit : {txtCodigo, txtVideo, txtQTDE, txtLocal, txtValor})
        edit->clear();
    cboGenero->setCurrentIndex(-1);
    cboGenero->clearEditText();
    unchooseType();
}

void VideoFields::unchooseType()
{
    // An exclusive group keeps its chosen button; only a free one lets go.
    m_tipo->setExclusive(false);
    for (QAbstractButton* button : m_tipo->buttons())
        button->setChecked(false);
    m_tipo->setExclusive(true);
}

QWidget* VideoFields::field(const QString& column) const
{
    const QHash<QString, QWidget*> fields = {{tblVideos::Codigo, txtCodigo}, {tblVideos::Nome, txtVideo},
                                             {tblVideos::Genero, cboGenero}, {tblVideos::Local, txtLocal},
                                             {tblVideos::QTDE, txtQTDE},     {tblVideos::Valor, txtValor},
                                             {tblVideos::Tipo, frmTipo}};
    return fields.value(column);
}

void VideoFields::show(const counter::Record& record)
{
    txtCodigo->setText(record.value(tblVideos::Codigo).toString());
    txtVideo->setText(record.value(tblVideos::Nome).toString());
    const QString genre = record.value(tblVideos::Genero).toString();
    cboGenero->setCurrentIndex(cboGenero->findText(genre, Qt::MatchExactly));
    cboGenero->setEditText(genre);
    txtQTDE->setText(record.value(tblVideos::QTDE).toString());
    txtLocal->setText(record.value(tblVideos::Local).toString());
    txtValor->setText(record.value(tblVideos::Valor).toString());
    const QString type = record.value(tblVideos::Tipo).toString();
    // A title never keeps the category of the one shown before it.
    if (type.isEmpty())
        unchooseType();
    for (QRadioButton* button : {optSuper, optLancamento, opt48}) {
        if (button->text() == type) {
            button->setChecked(true);
            break;
        }
    }
}

counter::Record VideoFields::read() const
{
    counter::Record record = {{tblVideos::Codigo, txtCodigo->text()},
                              {tblVideos::Nome, txtVideo->text()},
                              {tblVideos::Genero, cboGenero->currentText()},
                              {tblVideos::Local, txtLocal->text()},
                              {tblVideos::QTDE, txtQTDE->text()},
                              {tblVideos::Valor, txtValor->text()}};
    const QString type = chosenType();
    if (!type.isEmpty())
        record.insert(tblVideos::Tipo, type);
    return record;
}

QString VideoFields::chosenType() const
{
    for (const QRadioButton* button : {optSuper, optLancamento, opt48}) {
        if (button->isChecked())
            return button->text();
    }
    return QString();
}
