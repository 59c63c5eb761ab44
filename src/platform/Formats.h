#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <optional>

// Text formats the shop sees: money, short dates, name casing.
namespace platform {

// The locale every format follows: the system's regional settings, or
// Brazilian Portuguese when the system has none (the C/POSIX locale).
QLocale appLocale();
// Pins the locale (tests); an unset override restores the system rule.
void setAppLocale(const std::optional<QLocale>& locale);

// Money is held as whole centavos.
QString formatMoney(qint64 centavos);
// The one money reader: what formatMoney writes ("R$ 7,50" with its
// no-break space), "R$0,00", bare numbers ("7,5", "1.234,56") and a minus
// sign. More than two decimals round half up to centavos; a group separator
// counts only between groups of three digits, so "7.50" is not a number.
std::optional<qint64> parseMoney(const QString& text);
// The price-field rule: a number is rewritten in the currency format, an
// empty text stays empty, anything else stays as typed.
QString reformatMoneyText(const QString& text);

// Bounds on what the counter charges, in centavos. A price is never below
// zero nor above MaxPrice; a note's value never above MaxNoteValue. Sixteen
// prices and a discount then stay far from overflowing any sum.
inline constexpr qint64 MaxPrice = 999'999;       // R$ 9.999,99
inline constexpr qint64 MaxNoteValue = 9'999'999; // R$ 99.999,99

// A video's price as the counter reads it. An empty text (blanks only
// included) is a price not given: it rents for nothing.
struct PriceReading
{
    enum Status { Empty, Ok, NotANumber, Negative, TooLarge };
    Status status = Empty;
    qint64 centavos = 0; // the price for Ok, zero for Empty
    // Empty or Ok: the video can be rented at centavos.
    bool usable() const { return status == Empty || status == Ok; }
};
PriceReading readPrice(const QString& text);

// A stored price for reading: in the currency format when parseMoney reads
// it, as stored otherwise.
QString moneyForDisplay(const QString& stored);

QString shortDate(const QDate& date);
QString todayText();

// First letter of every word upper case, every other letter lower case.
QString properCase(const QString& text);
QString upperCase(const QString& text);

} // namespace platform
