#include "Formats.h"

#include <QRegularExpression>
#include <cmath>

namespace platform {
namespace {

std::optional<QLocale>& overrideLocale()
{
    static std::optional<QLocale> locale;
    return locale;
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

QLocale appLocale()
{
    if (overrideLocale())
        return *overrideLocale();
    const QLocale system = QLocale::system();
    if (system.language() == QLocale::C)
        return QLocale(QLocale::Portuguese, QLocale::Brazil);
    return system;
}

void setAppLocale(const std::optional<QLocale>& locale)
{
    overrideLocale() = locale;
}

QString formatMoney(qint64 centavos)
{
    const QLocale locale = appLocale();
    const bool negative = centavos < 0;
    const quint64 magnitude = negative ? quint64(-(centavos + 1)) + 1 : quint64(centavos);
    // Whole units through the locale's grouping, centavos by hand, so that
    // no amount goes through a double.
    QString number = locale.toString(qulonglong(magnitude / 100)) + locale.decimalPoint() +
                     QStringLiteral("%1").arg(magnitude % 100, 2, 10, QLatin1Char('0'));
    QString text = locale.toCurrencyString(1.0, QString(), 0);
    // The locale's pattern for one unit tells where symbol and blanks go.
    text.replace(locale.toString(1), number);
    if (negative)
        text.prepend(locale.negativeSign());
    return text;
}

std::optional<qint64> parseMoney(const QString& input)
{
    const QLocale locale = appLocale();
    QString text = input.trimmed();
    if (text.isEmpty())
        return std::nullopt;

    bool negative = false;
    auto takeSign = [&] {
        if (text.startsWith(locale.negativeSign()) || text.startsWith(u'-')) {
            negative = !negative;
            text = text.mid(1).trimmed();
        }
    };
    takeSign();
    const QString symbol = locale.currencySymbol(QLocale::CurrencySymbol);
    if (!symbol.isEmpty() && text.startsWith(symbol))
        text = text.mid(symbol.size()).trimmed();
    else if (!symbol.isEmpty() && text.endsWith(symbol))
        text.chop(symbol.size());
    text = text.trimmed();
    if (!negative)
        takeSign();
    if (text.isEmpty())
        return std::nullopt;

    const QChar decimal = locale.decimalPoint().at(0);
    const QChar group = locale.groupSeparator().isEmpty() ? QChar() : locale.groupSeparator().at(0);

    // Split off the decimals; the rest may carry group separators, which
    // must then sit every three digits.
    QString whole = text;
    QString fraction;
    const qsizetype point = text.lastIndexOf(decimal);
    if (point >= 0) {
        whole = text.left(point);
        fraction = text.mid(point + 1);
    }
    if (fraction.size() > 2 || (point >= 0 && fraction.isEmpty() && whole.isEmpty()))
        return std::nullopt;
    for (QChar c : fraction)
        if (!isDigit(c))
            return std::nullopt;

    QString digits;
    if (!group.isNull() && whole.contains(group)) {
        const QStringList parts = whole.split(group);
        for (qsizetype i = 0; i < parts.size(); ++i) {
            const QString& part = parts[i];
            if (part.isEmpty() || part.size() > 3 || (i > 0 && part.size() != 3))
                return std::nullopt;
            digits += part;
        }
    } else {
        digits = whole;
    }
    if (digits.isEmpty())
        digits = QStringLiteral("0");
    for (QChar c : digits)
        if (!isDigit(c))
            return std::nullopt;
    if (digits.size() > 15)
        return std::nullopt;

    qint64 value = digits.toLongLong() * 100;
    if (!fraction.isEmpty())
        value += fraction.size() == 1 ? fraction.toInt() * 10 : fraction.toInt();
    return negative ? -value : value;
}

QString reformatMoneyText(const QString& text)
{
    if (text.isEmpty())
        return text;
    const std::optional<qint64> value = parseMoney(text);
    return value ? formatMoney(*value) : text;
}

// Rows store the price as typed or as a plain number ("2.5"); both show in
// the currency format. Anything that is no number shows as stored.
QString moneyForDisplay(const QString& stored)
{
    if (stored.isEmpty())
        return stored;
    if (const std::optional<qint64> value = parseMoney(stored))
        return formatMoney(*value);
    static const QRegularExpression plain(QStringLiteral("^\\s*-?\\d{1,15}([.,]\\d+)?\\s*$"));
    if (!plain.match(stored).hasMatch())
        return stored;
    QString number = stored.trimmed();
    number.replace(u',', u'.');
    bool ok = false;
    const double value = QLocale::c().toDouble(number, &ok);
    if (!ok || !std::isfinite(value))
        return stored;
    return formatMoney(std::llround(value * 100.0));
}

QString shortDate(const QDate& date)
{
    return appLocale().toString(date, QLocale::ShortFormat);
}

QString todayText()
{
    return shortDate(QDate::currentDate());
}

QString properCase(const QString& text)
{
    QString out = text;
    bool wordStart = true;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QChar c = out.at(i);
        if (c.isSpace()) {
            wordStart = true;
            continue;
        }
        out[i] = wordStart ? c.toUpper() : c.toLower();
        wordStart = false;
    }
    return out;
}

QString upperCase(const QString& text)
{
    return text.toUpper();
}

} // namespace platform
