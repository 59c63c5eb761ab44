#include "Formats.h"

#include <limits>

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

namespace {

// What the money reader made of a text: a number, not a number, or a number
// too large for the centavos a qint64 holds (negative tells its side).
struct MoneyReading
{
    enum Status { Number, NotANumber, OutOfRange };
    Status status = NotANumber;
    qint64 centavos = 0;
    bool negative = false;
};

MoneyReading readMoney(const QString& input)
{
    const QLocale locale = appLocale();
    QString text = input.trimmed();
    const MoneyReading notANumber;
    if (text.isEmpty())
        return notANumber;

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
        return notANumber;

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
    if (point >= 0 && fraction.isEmpty() && whole.isEmpty())
        return notANumber;
    for (QChar c : fraction)
        if (!isDigit(c))
            return notANumber;
    if (fraction.size() > 18)
        return notANumber;

    QString digits;
    if (!group.isNull() && whole.contains(group)) {
        const QStringList parts = whole.split(group);
        for (qsizetype i = 0; i < parts.size(); ++i) {
            const QString& part = parts[i];
            if (part.isEmpty() || part.size() > 3 || (i > 0 && part.size() != 3))
                return notANumber;
            digits += part;
        }
    } else {
        digits = whole;
    }
    if (digits.isEmpty())
        digits = QStringLiteral("0");
    for (QChar c : digits)
        if (!isDigit(c))
            return notANumber;
    // Every amount formatMoney writes reads back, the most negative one
    // included; anything beyond that is out of range.
    if (digits.size() > 17)
        return {MoneyReading::OutOfRange, 0, negative};

    // Centavos from the first two decimals; the rest rounds half up, as the
    // currency format shows it (7,555 is R$ 7,56).
    quint64 magnitude = digits.toULongLong() * 100;
    const QString cents = (fraction + QStringLiteral("00")).left(2);
    magnitude += cents.toUInt();
    if (fraction.size() > 2 && fraction.at(2) >= u'5')
        magnitude += 1;
    const quint64 largest = quint64(std::numeric_limits<qint64>::max()) + (negative ? 1 : 0);
    if (magnitude > largest)
        return {MoneyReading::OutOfRange, 0, negative};
    if (negative)
        return {MoneyReading::Number,
                magnitude == largest ? std::numeric_limits<qint64>::min() : -qint64(magnitude), true};
    return {MoneyReading::Number, qint64(magnitude), false};
}

} // namespace

std::optional<qint64> parseMoney(const QString& text)
{
    const MoneyReading reading = readMoney(text);
    if (reading.status != MoneyReading::Number)
        return std::nullopt;
    return reading.centavos;
}

PriceReading readPrice(const QString& text)
{
    if (text.trimmed().isEmpty())
        return {PriceReading::Empty, 0};
    const MoneyReading reading = readMoney(text);
    if (reading.status == MoneyReading::NotANumber)
        return {PriceReading::NotANumber, 0};
    if (reading.negative && (reading.status == MoneyReading::OutOfRange || reading.centavos < 0))
        return {PriceReading::Negative, 0};
    if (reading.status == MoneyReading::OutOfRange || reading.centavos > MaxPrice)
        return {PriceReading::TooLarge, 0};
    return {PriceReading::Ok, reading.centavos};
}

QString reformatMoneyText(const QString& text)
{
    if (text.isEmpty())
        return text;
    const std::optional<qint64> value = parseMoney(text);
    return value ? formatMoney(*value) : text;
}

// One rule for every stored price: what parseMoney reads shows in the
// currency format; anything else shows as stored, so the operator sees it.
QString moneyForDisplay(const QString& stored)
{
    if (const std::optional<qint64> value = parseMoney(stored))
        return formatMoney(*value);
    return stored;
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
