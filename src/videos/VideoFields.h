#pragma once

#include <QObject>
#include <QStringList>

class LeaveChecks;
class QButtonGroup;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QWidget;

namespace store {
class RecordCursor;
}

// The video's fields, labels and field rules, shared by the windows that
// register and that change videos: digits-only code and copies, proper case
// for the title, currency for the price, the genre list and the rental
// category options. The windows own the date and the buttons.
class VideoFields : public QObject
{
    Q_OBJECT
public:
    // The genres of the list, in list order.
    static const QStringList& genres();
    // The tooltip txtLocal carries until a window changes it.
    static QString localToolTip();

    // Creates the fields on window, laid out on grid from row 1 on (row 0 is
    // left to the window: the date).
    VideoFields(QWidget* window, QGridLayout* grid, LeaveChecks& checks);

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

    // The next free grid row, for the window's buttons.
    int nextRow() const { return m_nextRow; }

    // Where the category options come in the tab order.
    enum class TypePlace { BeforePrice, AfterPrice };
    // Chains the fields in their tab order, first after `before` (or first
    // in the window when null); returns the last one.
    QWidget* setTabOrder(QWidget* before = nullptr, TypePlace place = TypePlace::BeforePrice);

    // Empties every field and un-chooses the three options.
    void clear();
    // Current row into the fields, without Data. The price shows as stored;
    // a category that is none of the options leaves the options as they are.
    void show(const store::RecordCursor& row);
    // Fields into the pending row in column order, without Data; Tipo only
    // when an option is chosen.
    void write(store::RecordCursor& row) const;

    // The caption of the first chosen option, or an empty text.
    QString chosenType() const;

private:
    QButtonGroup* m_tipo;
    int m_nextRow = 0;
};
