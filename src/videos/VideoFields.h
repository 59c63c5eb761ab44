#pragma once

#include "platform/widgets/RecordFields.h"

#include <QButtonGroup>
#include <QStringList>

class FormGrid;
class LeaveChecks;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;

// The video's fields, labels and field rules, shared by the windows that
// register and that change videos: digits-only code and copies, proper case
// for the title, currency for the price, the genre list and the rental
// category options. The windows own the date and the buttons.
class VideoFields final : public RecordFields
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(VideoFields)

public:
    // The genres of the list, in list order.
    static const QStringList& genres();
    // The tooltip txtLocal carries until a window changes it.
    static QString localToolTip();
    // The width at which field (a line edit or an editable combo) shows a
    // video code of digits digits whole, in font: every window where a code
    // is typed or shown is at least that wide, so a scanned barcode is read
    // back in full.
    static int codeWidth(const QWidget* field, const QFont& font, int digits);
    // What a barcode scanner types for a video: an EAN-13.
    static constexpr int BarcodeDigits = 13;

    // Where the category options come in the tab order.
    enum class TypePlace { BeforePrice, AfterPrice };

    // Creates the fields on window, laid out on grid from row 1 on (row 0 is
    // left to the window: the date).
    VideoFields(QWidget* window, FormGrid& grid, LeaveChecks& checks, TypePlace place);

    QLineEdit* txtCodigo;
    QLineEdit* txtVideo;
    QComboBox* cboGenero;
    QLineEdit* txtLocal;
    QLineEdit* txtQTDE;
    QGroupBox* frmTipo;
    QRadioButton* optSuper;
    QRadioButton* optLancamento;
    QRadioButton* opt48;
    QLineEdit* txtValor;

    int nextRow() const override { return m_nextRow; }
    QWidget* setTabOrder(QWidget* before) override;
    // Empties every field and un-chooses the three options.
    void clear() override;
    // The price shows as stored. A title with no category un-chooses the
    // options; a category that is none of them leaves them as they are.
    void show(const counter::Record& record) override;
    // Tipo only when an option is chosen.
    counter::Record read() const override;
    QWidget* field(const QString& column) const override;
    // The price once more (a shown price may never have been left), and a
    // question when it is empty: such a video rents for nothing.
    bool readyToStore(QWidget* window) override;

    // The caption of the first chosen option, or an empty text.
    QString chosenType() const;

private:
    void unchooseType();
    // The price rule's refusal of the price typed, said to the operator;
    // true when the rule takes it.
    bool priceAccepted(QWidget* window);

    QButtonGroup* const m_tipo = new QButtonGroup(this);
    const TypePlace m_typePlace;
    int m_nextRow = 0;
};
