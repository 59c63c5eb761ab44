#include "frmConfiguracoes.h"

#include "counter/ShopSettings.h"
#include "counter/Station.h"
#include "platform/widgets/Fields.h"
#include "platform/widgets/FormGrid.h"
#include "platform/widgets/MessageBox.h"
#include "store/ServerAddress.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
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

    auto* fraEstacao = new QGroupBox(QStringLiteral("Esta estação"), this);
    fraEstacao->setObjectName(QStringLiteral("fraEstacao"));
    fraEstacao->setAccessibleName(fraEstacao->title());
    m_txtServidor = platform::namedLineEdit(fraEstacao, "txtServidor");
    m_txtServidor->setText(counter::savedServer());
    m_txtServidor->setPlaceholderText(QStringLiteral("postgresql://usuário@servidor/banco"));
    auto* lblServidorNota = new QLabel(QStringLiteral("Vazio: o arquivo de dados deste computador. "
                                                      "Vale a partir da próxima abertura do programa."),
                                       fraEstacao);
    lblServidorNota->setObjectName(QStringLiteral("lblServidorNota"));
    lblServidorNota->setWordWrap(true);
    FormGrid station(fraEstacao);
    station.add({{m_txtServidor, "Servidor de dados:", 0, 0}, {lblServidorNota, nullptr, 1, 0, 2}});
    m_txtServidor->setMinimumWidth(FormGrid::pixels(5000));

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
              {fraEstacao, nullptr, 4, 0, 2},
              {buttons, nullptr, 5, 0, 2}});
    m_txtEndereco->setMinimumWidth(FormGrid::pixels(6000));

    connect(m_cmdSalvar, &QPushButton::clicked, this, &frmConfiguracoes::save);
    connect(m_cmdFechar, &QPushButton::clicked, this, &QWidget::close);
    setTabOrderChain({m_txtPrazo[0], m_txtPrazo[1], m_txtPrazo[2], m_txtNomeLoja, m_txtEndereco,
                      m_txtTelefone, m_txtServidor, m_cmdSalvar, m_cmdFechar});
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
    const QString server = m_txtServidor->text().trimmed();
    if (!server.isEmpty() && !store::isServerAddress(server)) {
        MessageBox::information(this, Info,
                                QStringLiteral("O servidor de dados se escreve na forma "
                                               "postgresql://usuário@servidor/banco, ou fica vazio para "
                                               "o arquivo de dados deste computador.\nNada foi gravado."));
        m_txtServidor->setFocus();
        m_txtServidor->selectAll();
        return;
    }
    settings.shopName = m_txtNomeLoja->text();
    settings.shopAddress = m_txtEndereco->text();
    settings.shopPhone = m_txtTelefone->text();
    if (!guarded([&] { m_store->write(settings); }))
        return;
    QString done = QStringLiteral("Configurações gravadas.");
    if (server != counter::savedServer()) {
        if (!counter::saveServer(server)) {
            MessageBox::warning(this, Info,
                                QStringLiteral("As configurações da loja foram gravadas, mas o servidor de "
                                               "dados desta estação não pôde ser gravado."));
            return;
        }
        done += QStringLiteral("\nO servidor de dados vale a partir da próxima abertura do programa.");
    }
    MessageBox::information(this, Info, done);
    close();
}
