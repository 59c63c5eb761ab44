#include "ShopSettings.h"

#include "KeptStatements.h"
#include "store/Names.h"
#include "store/RecordCursor.h"
#include "store/StoreError.h"
#include "store/Transaction.h"

#include <algorithm>

namespace counter {

namespace {

namespace S = store::names::Settings;

const QString Reading = QStringLiteral("ler as configurações");
const QString Writing = QStringLiteral("gravar as configurações");

enum Statement : size_t { Read, Write };

QString dueKey(int k)
{
    return QStringLiteral("dueHours/") + ShopSettings::categories()[size_t(k)];
}
const QString NameKey = QStringLiteral("shop/name");
const QString AddressKey = QStringLiteral("shop/address");
const QString PhoneKey = QStringLiteral("shop/phone");

} // namespace

const std::array<QString, ShopSettings::Categories>& ShopSettings::categories()
{
    static const std::array<QString, Categories> all{
        QStringLiteral("Super Lançamento"), QStringLiteral("Lançamento"), QStringLiteral("48 Horas")};
    return all;
}

int ShopSettings::dueHoursFor(const QString& category) const
{
    const auto& names = categories();
    const auto it = std::find(names.begin(), names.end(), category);
    if (it != names.end())
        return dueHours[size_t(it - names.begin())];
    return *std::max_element(dueHours.begin(), dueHours.end());
}

QStringList ShopSettings::headingLines() const
{
    const QString name = shopName.trimmed();
    if (name.isEmpty())
        return {};
    QStringList lines{name};
    if (const QString address = shopAddress.trimmed(); !address.isEmpty())
        lines.append(address);
    if (const QString phone = shopPhone.trimmed(); !phone.isEmpty())
        lines.append(QStringLiteral("Telefone: ") + phone);
    return lines;
}

std::optional<int> ShopSettings::readDueHours(const QString& text)
{
    // ASCII digits only, as the field takes them: QChar::isDigit would let
    // fullwidth or Arabic-Indic digits through.
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 4 ||
        !std::all_of(t.begin(), t.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    bool ok = false;
    const int hours = t.toInt(&ok);
    if (!ok || hours < 1 || hours > MaxDueHours)
        return std::nullopt;
    return hours;
}

SettingsStore::SettingsStore(store::Database& db) : m_statements(std::make_unique<KeptStatements>(db)) {}

SettingsStore::~SettingsStore() = default;

ShopSettings SettingsStore::read()
{
    static const QString sql =
        QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?").arg(S::Value, S::Table, S::Name);
    const auto value = [&](const QString& key) {
        std::optional<QString> out;
        m_statements->first(
            Read, sql, {key}, [&](const KeptStatements::Row& row) { out = row.text(0); }, Reading);
        return out;
    };
    ShopSettings settings;
    for (int k = 0; k < ShopSettings::Categories; ++k) {
        if (const std::optional<QString> text = value(dueKey(k)))
            settings.dueHours[size_t(k)] =
                ShopSettings::readDueHours(*text).value_or(ShopSettings::DefaultDueHours[size_t(k)]);
    }
    settings.shopName = value(NameKey).value_or(QString());
    settings.shopAddress = value(AddressKey).value_or(QString());
    settings.shopPhone = value(PhoneKey).value_or(QString());
    return settings;
}

void SettingsStore::write(const ShopSettings& settings)
{
    static const QString sql =
        QStringLiteral(
            "INSERT INTO %1 (%2, %3) VALUES (?, ?) ON CONFLICT (%2) DO UPDATE SET %3 = excluded.%3")
            .arg(S::Table, S::Name, S::Value);
    const QList<QPair<QString, QString>> texts{{QStringLiteral("Nome da Loja"), settings.shopName},
                                               {QStringLiteral("Endereço"), settings.shopAddress},
                                               {QStringLiteral("Telefone"), settings.shopPhone}};
    for (const auto& [field, text] : texts) {
        // Checked as stored: trimming may bring a mark to the front.
        const QString problem = store::unstorableText(text.trimmed());
        if (!problem.isEmpty())
            throw store::StoreError(
                store::StoreError::Kind::Other,
                QStringLiteral("O texto do campo %1 não pode ser gravado: ele %2.\n"
                               "Apague esse caractere e digite o texto de novo. Nada foi gravado.")
                    .arg(field, problem));
    }
    store::Transaction t(m_statements->db());
    for (int k = 0; k < ShopSettings::Categories; ++k)
        m_statements->write(Write, sql, {dueKey(k), QString::number(settings.dueHours[size_t(k)])}, Writing);
    m_statements->write(Write, sql, {NameKey, settings.shopName.trimmed()}, Writing);
    m_statements->write(Write, sql, {AddressKey, settings.shopAddress.trimmed()}, Writing);
    m_statements->write(Write, sql, {PhoneKey, settings.shopPhone.trimmed()}, Writing);
    t.commit();
}

} // namespace counter
