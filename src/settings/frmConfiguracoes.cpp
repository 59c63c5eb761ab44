#include "frmConfiguracoes.h"

#include "counter/ShopSettings.h"
#include "platform/widgets/Fields.h"
#include "platform/widgets/FormGrid.h"
#include "platform/widgets/MessageBox.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

using counter::ShopSettings;

namespace {

const QString Info = QStringLiteral("Mensagem de Informação");
// A phone number with its area code and an extension, and room to spare.
constexpr int PhoneLimit = 30;
constexpr int HoursDigits = 4; // up to ShopSettings::MaxDueHours

static_assert(ShopSettings::Categories == 3);

} // namespace

frmConfiguracoes::frmConfiguracoes(store::Database& db, QWidget* parent)
    : TaskWindow(db, QStringLiteral("Configurações"), parent),
      m_store(std::make_unique<counter::SettingsStore>(db))
{
    setObjectName(QStringLiteral("frmConfiguracoes"));
    setFont(formFont());
    const ShopSettings stored = m_store->read();

    auto* fraPrazo = new QGroupBox(QStringLiteral("Prazo de devolução (horas)"), this);
    fraPrazo->setObjectName(QStringLiteral("fraPrazo"));
    fraPrazo->setAccessibleName(fraPrazo->title());
    const char* const names[] = {"txtPrazoSuper", "txtPrazoLancamento", "txtPrazo48"};
    for (int k = 0; k < ShopSettings::Categories; ++k) {
        QLineEdit* edit = platform::namedLineEdit(fraPrazo, names[k]);
        platform::makeDigitsOnly(edit);
        platform::limitLength(edit, HoursDigits);
        edit->setText(QString::number(stored.dueHours[size_t(k)]));
        m_txtPrazo[size_t(k)] = edit;
    }
    FormGrid hours(fraPrazo);
    hours.add({{m_txtPrazo[0], "Super Lançamento:", 0, 0, 1, 900},
               {m_txtPrazo[1], "Lançamento:", 1, 0, 1, 900},
               {m_txtPrazo[2], "48 Horas:", 2, 0, 1, 900}});

    m_txtNomeLoja = platform::namedLineEdit(this, "txtNomeLoja");
    m_txtEndereco = platform::namedLineEdit(this, "txtEndereco");
    m_txtTelefone = platform::namedLineEdit(this, "txtTelefone");
    platform::limitLength(m_txtNomeLoja, platform::FieldLimit::PersonName);
    platform::limitLength(m_txtEndereco, platform::FieldLimit::Address);
    platform::limitLength(m_txtTelefone, PhoneLimit);
    m_txtNomeLoja->setText(stored.shopName);
    m_txtEndereco->setText(stored.shopAddress);
    m_txtTelefone->setText(stored.shopPhone);

    m_cmdSalvar = new QPushButton(QStringLiteral("&Salvar"), this);
    m_cmdSalvar->setObjectName(QStringLiteral("cmdSalvar"));
    m_cmdFechar = new QPushButton(QStringLiteral("&Fechar"), this);
    m_cmdFechar->setObjectName(QStringLiteral("cmdFechar"));
    auto* buttons = new QWidget(this);
    auto* row = new QHBoxLayout(buttons);
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch();
    row->addWidget(m_cmdSalvar);
    row->addWidget(m_cmdFechar);

    FormGrid grid(this);
    grid.add({{fraPrazo, nullptr, 0, 0, 2},
              {m_txtNomeLoja, "Nome da Loja:", 1, 0},
              {m_txtEndereco, "Endereço:", 2, 0},
              {m_txtTelefone, "Telefone:", 3, 0},
              {buttons, nullptr, 4, 0, 2}});
    m_txtEndereco->setMinimumWidth(FormGrid::pixels(6000));

    connect(m_cmdSalvar, &QPushButton::clicked, this, &frmConfiguracoes::save);
    connect(m_cmdFechar, &QPushButton::clicked, this, &QWidget::close);
    setTabOrderChain({m_txtPrazo[0], m_txtPrazo[1], m_txtPrazo[2], m_txtNomeLoja, m_txtEndereco,
                      m_txtTelefone, m_cmdSalvar, m_cmdFechar});
    finishSetup();
    m_txtPrazo[0]->setFocus();
}

frmConfiguracoes::~frmConfiguracoes() = default;

void frmConfiguracoes::save()
{
    ShopSettings settings;
    for (int k = 0; k < ShopSettings::Categories; ++k) {
        QLineEdit* edit = m_txtPrazo[size_t(k)];
        const std::optional<int> hours = ShopSettings::readDueHours(edit->text());
        if (!hours) {
            MessageBox::information(
                this, Info,
                QStringLiteral("O prazo de devolução de \"%1\" deve ser de 1 a %2 horas.\n"
                               "Nada foi gravado.")
                    .arg(ShopSettings::categories()[size_t(k)])
                    .arg(ShopSettings::MaxDueHours));
            edit->setFocus();
            edit->selectAll();
            return;
        }
        settings.dueHours[size_t(k)] = *hours;
    }
    settings.shopName = m_txtNomeLoja->text();
    settings.shopAddress = m_txtEndereco->text();
    settings.shopPhone = m_txtTelefone->text();
    if (!guarded([&] { m_store->write(settings); }))
        return;
    MessageBox::information(this, Info, QStringLiteral("Configurações gravadas."));
    close();
}
