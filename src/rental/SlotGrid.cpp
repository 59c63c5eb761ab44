#include "SlotGrid.h"

#include "platform/widgets/FormGrid.h"

#include <QGridLayout>
#include <QLabel>
#include <QPainter>

namespace {

QFrame* rule(QWidget* parent, QFrame::Shape shape)
{
    auto* f = new QFrame(parent);
    f->setFrameShape(shape);
    f->setFrameShadow(QFrame::Plain);
    return f;
}

// A rule's frame is this thick, its line drawn in the middle.
constexpr int Rule = 3;

// A description too long for its cell ends in "…" rather than being cut
// mid-letter; the label keeps the whole text, shown as its tool tip.
class ElidingLabel final : public QLabel
{
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QRect room = contentsRect();
        painter.drawText(room, Qt::AlignLeft | Qt::AlignVCenter,
                         fontMetrics().elidedText(text(), Qt::ElideRight, room.width()));
    }
};

} // namespace

SlotGrid::SlotGrid(QWidget* parent) : QFrame(parent)
{
    using P = FormGrid;
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Plain);
    // As drawn in twips: 9015 wide, rows 480 apart, the middle rule at 4440,
    // codes 120 in from a rule and 615 wide, descriptions 105 after them.
    setMinimumWidth(P::pixels(9015));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    const int rows = Slots / 2;
    grid->addWidget(rule(this, QFrame::VLine), 0, 2, 2 * rows - 1, 1);
    for (int r = 0; r + 1 < rows; ++r)
        grid->addWidget(rule(this, QFrame::HLine), 2 * r + 1, 0, 1, 5);
    for (int c : {0, 3})
        grid->setColumnMinimumWidth(c, P::pixels(120 + 615));
    // The descriptions share what the codes leave, as drawn.
    grid->setColumnStretch(1, 3705);
    grid->setColumnStretch(4, 3840);

    QFont descriptionFont = font();
    descriptionFont.setPointSizeF(8.25);
    descriptionFont.setBold(false);
    descriptionFont.setItalic(true);
    QFont codeFont = descriptionFont;
    codeFont.setItalic(false);
    for (int k = 0; k < Slots; ++k) {
        const int row = 2 * (k % rows);
        const int column = k < rows ? 0 : 3;
        auto* code = new QLabel(this);
        code->setObjectName(QStringLiteral("lblCodigo%1").arg(k));
        code->setFont(codeFont);
        code->setContentsMargins(P::pixels(120), 0, 0, 0);
        code->setAccessibleName(QStringLiteral("Código do vídeo %1").arg(k + 1));
        auto* description = new ElidingLabel(this);
        description->setObjectName(QStringLiteral("lbl%1").arg(k + 1));
        description->setFont(descriptionFont);
        description->setContentsMargins(P::pixels(105), 0, 0, 0);
        description->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        description->setAccessibleName(QStringLiteral("Vídeo %1").arg(k + 1));
        grid->addWidget(code, row, column);
        grid->addWidget(description, row, column + 1);
        grid->setRowMinimumHeight(row, P::pixels(480) - Rule);
        m_code[k] = code;
        m_description[k] = description;
    }
}

void SlotGrid::setSlot(int k, const QString& code, const QString& description)
{
    m_code[k]->setText(code);
    m_description[k]->setText(description);
    m_description[k]->setToolTip(description);
    // Placed now, not on the next turn of the event loop: whoever reads the
    // slot next sees it where it shows.
    layout()->activate();
}

QString SlotGrid::code(int k) const
{
    return m_code[k]->text();
}

QString SlotGrid::description(int k) const
{
    return m_description[k]->text();
}
