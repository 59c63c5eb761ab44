#pragma once

#include "RentalForm.h"
#include "RentalNote.h"
#include "SlotGrid.h"
#include "counter/RentalDraft.h"
#include "lookup/claFenwaurda.h"
#include "platform/widgets/TaskWindow.h"

// The counter's rental note: the customer confirmed by name, up to sixteen
// videos by code (each takes a copy off the shelf at once), a discount, then
// save and, when asked, print. A note never saved gives its copies back.
class frmLocacao final : public TaskWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmLocacao)
public:
    explicit frmLocacao(store::Database& db, QWidget* parent = nullptr);
    ~frmLocacao() override;

    static constexpr int Slots = counter::RentalDraft::Slots;
    static_assert(Slots == RentalNote::Slots && Slots == SlotGrid::Slots);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void clearFields();

    bool confirmCustomer();
    void chooseCustomer(const counter::PeopleSearch::Person& person);
    bool enterVideo();
    bool leaveDiscount();
    void save();
    void undo();
    void showNextNumber();

    void showValue();
    void showSlot(int k);
    void sayDiscountTooLarge(const QString& consequence);

    claFenwaurda* const m_autoComplete = new claFenwaurda(this);
    counter::RentalDraft m_draft;

    RentalForm m_ui;
    QList<counter::PeopleSearch::Person> m_renters; // the name's namesakes
    bool m_acting = false;                          // Salvar or Desfazer is leaving the focused field
    bool m_discountLeftByPress = false;             // by a click or an access key
};
