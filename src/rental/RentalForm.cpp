#include "RentalForm.h"

#include "SlotGrid.h"

#include "lookup/LookupCombo.h"
#include "lookup/NamesakeList.h"
#include "platform/widgets/Fields.h"
#include "platform/widgets/FormGrid.h"
#include "platform/widgets/TaskWindow.h"
#include "videos/VideoFields.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

void RentalForm::setupUi(QWidget* window, claFenwaurda* autoComplete)
{
    txtData = TaskWindow::displayField(window, "txtData");
    txtCodigo = TaskWindow::displayField(window, "txtCodigo");
    cboClientes = makeLookupCombo(window, "cboClientes", autoComplete);
    text1 = platform::namedLineEdit(window, "Text1");
    platform::setAccessibleLabel(text1, QStringLiteral("Passagem para o código do filme"));
    lblnome = new QLabel(window);
    lblnome->setObjectName(QStringLiteral("lblnome"));
    lblnome->hide();
    lstClientes = new NamesakeList(window, "lstClientes");
    cbo1 = makeLookupCombo(window, "cbo1", autoComplete);
    txtValor = TaskWindow::displayField(window, "txtValor");
    txtDesconto = platform::namedLineEdit(window, "txtDesconto");
    using platform::FieldLimit;
    platform::limitLength(cboClientes, FieldLimit::PersonName);
    platform::limitLength(text1, FieldLimit::Passage);
    platform::limitLength(cbo1, FieldLimit::VideoCode);
    platform::limitLength(txtDesconto, FieldLimit::Money);
    cmdSalvar = new QPushButton(QStringLiteral("&Salvar"), window);
    cmdSalvar->setObjectName(QStringLiteral("cmdSalvar"));
    cmdDesfazer = new QPushButton(QStringLiteral("&Desfazer"), window);
    cmdDesfazer->setObjectName(QStringLiteral("cmdDesfazer"));

    // On a grid after the drawing in twips: captions above their fields,
    // the buttons on the right, the slots framed below.
    FormGrid grid(window);
    QGridLayout* layout = grid.layout();
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setContentsMargins(0, FormGrid::pixels(240), FormGrid::pixels(135), FormGrid::pixels(195));
    layout->setVerticalSpacing(0);
    grid.keepDrawnColumns({120, 240, 2040, 2400, 4560, 6960, 7800});
    auto caption = [window](QWidget* field, const char* text) {
        QLabel* label = TaskWindow::labelFor(field, QString::fromUtf8(text), window);
        label->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
        return label;
    };
    // A date or a scanned EAN-13 in this face may be wider than drawn; never clip it.
    const int dateTwips =
        std::max(1215, (txtData->fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")) + 12) * 15);
    const int codeTwips =
        std::max(1935, VideoFields::codeWidth(cbo1, window->font(), VideoFields::BarcodeDigits) * 15);
    slotGrid = new SlotGrid(window);
    auto* slotsCaption = new QLabel(QStringLiteral("Codigo: Nome  - Tipo do Filme:"), window);
    slotsCaption->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    grid.add({{caption(txtData, "Data:"), nullptr, 0, 1},
              {caption(txtCodigo, "Nº da Referência:"), nullptr, 0, 2, 2},
              {txtData, nullptr, 1, 1, 1, dateTwips},
              {txtCodigo, nullptr, 1, 2, 2, 2175},
              {caption(cboClientes, "Nome e Nº do Cadastro do Cliente:"), nullptr, 3, 1, 4},
              {cboClientes, nullptr, 4, 1, 4},
              {text1, nullptr, 4, 5, 1, 225},
              {lblnome, nullptr, 5, 1, 4},
              {caption(cbo1, "Código do Filme:"), nullptr, 6, 1, 2},
              {caption(txtValor, "Valor da Locação:"), nullptr, 6, 3},
              {caption(txtDesconto, "Valor com Desconto:"), nullptr, 6, 4},
              {cbo1, nullptr, 7, 1, 2, codeTwips},
              {txtValor, nullptr, 7, 3, 1, 1935},
              {txtDesconto, nullptr, 7, 4, 1, 2295},
              {slotsCaption, nullptr, 8, 3, 3},
              {slotGrid, nullptr, 9, 0, 7}});
    // Namesakes are listed under the name, where the hidden label stands.
    layout->addWidget(lstClientes, 5, 1, 1, 4);
    // The buttons stand beside the customer and the video lines.
    layout->addWidget(cmdSalvar, 2, 6, 3, 1, Qt::AlignLeft | Qt::AlignBottom);
    layout->addWidget(cmdDesfazer, 5, 6, 4, 1, Qt::AlignLeft | Qt::AlignVCenter);
    // A wider code field pushes the money fields right, not the reference;
    // room the slots leave over goes right of the buttons.
    layout->setColumnStretch(2, 1);
    layout->setColumnStretch(6, 1000);
    for (QPushButton* button : {cmdSalvar, cmdDesfazer})
        button->setFixedSize(FormGrid::pixels(1095), FormGrid::pixels(735));
    for (QWidget* field :
         {static_cast<QWidget*>(txtData), static_cast<QWidget*>(txtCodigo),
          static_cast<QWidget*>(cboClientes), static_cast<QWidget*>(text1), static_cast<QWidget*>(cbo1),
          static_cast<QWidget*>(txtValor), static_cast<QWidget*>(txtDesconto)})
        field->setFixedHeight(FormGrid::pixels(360));
    for (int row : {0, 3, 6})
        layout->setRowMinimumHeight(row, FormGrid::pixels(255));
    layout->setRowMinimumHeight(2, FormGrid::pixels(360));
    layout->setRowMinimumHeight(5, FormGrid::pixels(240));
    layout->setRowMinimumHeight(8, FormGrid::pixels(360));

    TaskWindow::setTabOrderChain({txtCodigo, cboClientes, lstClientes, text1, cbo1, txtDesconto, cmdSalvar,
                                  txtValor, txtData, cmdDesfazer});
}
