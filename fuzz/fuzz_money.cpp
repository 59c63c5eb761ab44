// Money texts: whatever is typed, the reader either refuses it or gives an
// amount that the currency format writes and the reader reads back the same;
// every amount the program can hold survives the same round trip.
#include "platform/Formats.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

void require(bool ok, const char* what, const QString& text)
{
    if (ok)
        return;
    std::fprintf(stderr, "%s: \"%s\" (%s)\n", what, text.toUtf8().constData(),
                 platform::appLocale().name().toUtf8().constData());
    std::abort();
}

// An amount in the plain Brazilian form ("-1234,5"), read without the
// locale: the reader must agree with it.
std::optional<qint64> plainBrazilian(const QString& text)
{
    qsizetype i = 0;
    const bool negative = text.startsWith(u'-');
    if (negative)
        ++i;
    qint64 units = 0;
    int digits = 0;
    for (; i < text.size() && text[i].isDigit() && text[i].unicode() < 128; ++i, ++digits) {
        if (digits == 15)
            return std::nullopt;
        units = units * 10 + (text[i].unicode() - '0');
    }
    if (digits == 0)
        return std::nullopt;
    qint64 cents = 0;
    if (i < text.size()) {
        if (text[i] != u',' || text.size() - i - 1 < 1 || text.size() - i - 1 > 2)
            return std::nullopt;
        for (qsizetype j = i + 1; j < text.size(); ++j) {
            if (text[j].unicode() < '0' || text[j].unicode() > '9')
                return std::nullopt;
        }
        cents = text.mid(i + 1).toLongLong();
        if (text.size() - i - 1 == 1)
            cents *= 10;
    }
    const qint64 value = units * 100 + cents;
    return negative ? -value : value;
}

void checkText(const QString& text, bool brazilian)
{
    const std::optional<qint64> value = platform::parseMoney(text);
    if (!value) {
        require(platform::reformatMoneyText(text) == text, "refused text rewritten", text);
        require(!brazilian || !plainBrazilian(text), "plain amount refused", text);
        return;
    }
    const QString shown = platform::formatMoney(*value);
    require(platform::parseMoney(shown) == value, "format does not read back", text);
    require(platform::reformatMoneyText(text) == shown, "rewrite differs from format", text);
    require(platform::reformatMoneyText(shown) == shown, "rewrite not stable", text);
    if (brazilian) {
        if (const std::optional<qint64> plain = plainBrazilian(text))
            require(*plain == *value, "plain amount misread", text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QLocale locales[] = {
        QLocale(QLocale::Portuguese, QLocale::Brazil), QLocale(QLocale::English, QLocale::UnitedStates),
        QLocale(QLocale::French, QLocale::France), QLocale(QLocale::German, QLocale::Switzerland)};
    FuzzedDataProvider in(data, size);
    const size_t which = in.ConsumeIntegralInRange<size_t>(0, std::size(locales) - 1);
    platform::setAppLocale(locales[which]);
    const bool brazilian = which == 0;

    const qint64 amount = in.ConsumeIntegral<qint64>();
    const QString shown = platform::formatMoney(amount);
    require(platform::parseMoney(shown) == amount, "amount does not read back", shown);

    // The rest once as UTF-8 and once as raw UTF-16, broken halves and all.
    const std::string rest = in.ConsumeRemainingBytesAsString();
    checkText(QString::fromUtf8(rest.data(), qsizetype(rest.size())), brazilian);
    std::u16string units(rest.size() / 2, u'\0');
    std::memcpy(units.data(), rest.data(), units.size() * 2);
    checkText(QString::fromUtf16(units.data(), qsizetype(units.size())), brazilian);
    return 0;
}
