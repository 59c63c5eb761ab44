#include "frmMovimentoDia.h"

#include "counter/DayMovement.h"
#include "platform/Formats.h"
#include "platform/widgets/Fields.h"
#include "platform/widgets/MessageBox.h"
#include "store/Database.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString Title = QStringLiteral("Movimento do Dia");

} // namespace

frmMovimentoDia::frmMovimentoDia(store::Database& db, Opener open, QWidget* parent)
    : TaskWindow(db, Title, parent), m_open(std::move(open))
{
    setObjectName(QStringLiteral("frmMovimentoDia"));
    setFont(formFont());
    m_txtDe = platform::namedLineEdit(this, "txtDe");
    m_txtAte = platform::namedLineEdit(this, "txtAte");
    for (QLineEdit* field : {m_txtDe, m_txtAte}) {
        platform::limitLength(field, platform::FieldLimit::Date);
        field->setText(platform::todayText());
    }
    m_cmdOk = new QPushButton(QStringLiteral("&OK"), this);
    m_cmdOk->setObjectName(QStringLiteral("cmdOk"));
    m_cmdCancelar = new QPushButton(QStringLiteral("&Cancelar"), this);
    m_cmdCancelar->setObjectName(QStringLiteral("cmdCancelar"));

    auto* form = new QFormLayout(this);
    form->addRow(labelFor(m_txtDe, QStringLiteral("De:"), this), m_txtDe);
    form->addRow(labelFor(m_txtAte, QStringLiteral("Até:"), this), m_txtAte);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdOk);
    buttons->addWidget(m_cmdCancelar);
    form->addRow(buttons);
    setTabOrderChain({m_txtDe, m_txtAte, m_cmdOk, m_cmdCancelar});

    connect(m_cmdOk, &QPushButton::clicked, this, [this] { confirm(); });
    connect(m_cmdCancelar, &QPushButton::clicked, this, &QWidget::close);
    finishSetup();
    // A file that cannot be read is said at once, not after the days are typed.
    guarded([&db] { db.open(); });
    m_txtDe->setFocus();
    m_txtDe->selectAll();
}

void frmMovimentoDia::confirm()
{
    const QDate from = counter::DayMovement::readDate(m_txtDe->text());
    const QDate to = counter::DayMovement::readDate(m_txtAte->text());
    for (const auto& [date, field] : {std::pair{from, m_txtDe}, std::pair{to, m_txtAte}}) {
        if (!date.isValid()) {
            MessageBox::information(
                this, Title, QStringLiteral("Informe uma data válida, como %1.").arg(platform::todayText()));
            field->setFocus();
            field->selectAll();
            return;
        }
    }
    if (from > to) {
        MessageBox::information(this, Title, QStringLiteral("A data inicial é posterior à final."));
        m_txtDe->setFocus();
        return;
    }
    if (guarded([&] { m_open(from, to); }))
        close();
}
