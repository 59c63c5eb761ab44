#pragma once

#include <QFrame>
#include <QString>
#include <array>

class QLabel;

// The note's sixteen slots, two columns of eight, framed and ruled: each a
// code (lblCodigo0..15) and a description (lbl1..16). A code shows whole
// however long; its description gives up the room.
class SlotGrid final : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SlotGrid)
public:
    static constexpr int Slots = 16;

    explicit SlotGrid(QWidget* parent);

    void setSlot(int k, const QString& code, const QString& description);
    QString code(int k) const;
    QString description(int k) const;

private:
    std::array<QLabel*, Slots> m_code{};
    std::array<QLabel*, Slots> m_description{};
};
