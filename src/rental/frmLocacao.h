#pragma once

#include "RentalNote.h"
#include "counter/RentalDraft.h"
#include "platform/widgets/TaskWindow.h"

class claFenwaurda;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class SlotGrid;

// The counter's rental note: the customer confirmed by name, up to sixteen
// videos by code (each takes a copy off the shelf at once), a discount, then
// save and, when asked, print. A note never saved gives its copies back.
class frmLocacao final : public TaskWindow
{
    Q_OBJECT
public:
    explicit frmLocacao(store::Database& db, QWidget* parent = nullptr);
    ~frmLocacao() override;

    static constexpr int Slots = counter::RentalDraft::Slots;
    static_assert(Slots == RentalNote::Slots);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    void ClearFields();
    RentalNote WriteRental() const;

    bool confirmCustomer();
    bool enterVideo();
    bool leaveDiscount();
    void save();
    void undo();
    void showNextNumber();
    void printNote(const RentalNote& note);

    void showValue();
    void showSlot(int k);
    void sayDiscountTooLarge(const QString& consequence);
    void sayDiscountInvalid();

    claFenwaurda* m_autoComplete;
    counter::RentalDraft m_draft;

    QLineEdit* m_txtData = nullptr;
    QLineEdit* m_txtCodigo = nullptr;
    QComboBox* m_cboClientes = nullptr;
    QLineEdit* m_text1 = nullptr;
    QLabel* m_lblnome = nullptr;
    QComboBox* m_cbo1 = nullptr;
    QLineEdit* m_txtValor = nullptr;
    QLineEdit* m_txtDesconto = nullptr;
    QPushButton* m_cmdSalvar = nullptr;
    QPushButton* m_cmdDesfazer = nullptr;
    SlotGrid* m_slots = nullptr;
    bool m_acting = false;              // Salvar or Desfazer is leaving the focused field
    bool m_discountLeftByPress = false; // by a click or an access key
};
