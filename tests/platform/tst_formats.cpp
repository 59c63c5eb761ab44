#include "platform/Formats.h"

#include <QTest>

using namespace platform;

namespace {
const QString nbsp = QStringLiteral("\u00a0");
}

class TestFormats : public QObject
{
    Q_OBJECT

private slots:
    void init() { setAppLocale(QLocale(QLocale::Portuguese, QLocale::Brazil)); }

    void localeRule()
    {
        setAppLocale(std::nullopt);
        // The tests run under LC_ALL=C.UTF-8: a system with no regional
        // settings, which must fall back to Brazilian Portuguese.
        if (QLocale::system().language() != QLocale::C)
            QSKIP("the system has regional settings of its own here");
        QCOMPARE(appLocale().language(), QLocale::Portuguese);
        QCOMPARE(appLocale().territory(), QLocale::Brazil);
        QCOMPARE(formatMoney(750), "R$" + nbsp + "7,50");
    }

    void moneyIsWrittenInTheCurrencyFormat()
    {
        QCOMPARE(formatMoney(750), "R$" + nbsp + "7,50");
        QCOMPARE(formatMoney(0), "R$" + nbsp + "0,00");
        QCOMPARE(formatMoney(5), "R$" + nbsp + "0,05");
        QCOMPARE(formatMoney(123456789), "R$" + nbsp + "1.234.567,89");
        QCOMPARE(formatMoney(-750), "-R$" + nbsp + "7,50");
        QCOMPARE(formatMoney(std::numeric_limits<qint64>::min()).left(3), QStringLiteral("-R$"));

        setAppLocale(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(formatMoney(123456), QStringLiteral("$1,234.56"));
    }

    void moneyIsReadBack()
    {
        QCOMPARE(parseMoney("R$" + nbsp + "7,50"), std::optional<qint64>(750));
        QCOMPARE(parseMoney("R$ 7,50"), std::optional<qint64>(750));
        QCOMPARE(parseMoney("R$0,00"), std::optional<qint64>(0));
        QCOMPARE(parseMoney("7,5"), std::optional<qint64>(750));
        QCOMPARE(parseMoney("7"), std::optional<qint64>(700));
        QCOMPARE(parseMoney(",5"), std::optional<qint64>(50));
        QCOMPARE(parseMoney("1.234,56"), std::optional<qint64>(123456));
        QCOMPARE(parseMoney("R$" + nbsp + "1.234.567,89"), std::optional<qint64>(123456789));
        QCOMPARE(parseMoney("-R$" + nbsp + "7,50"), std::optional<qint64>(-750));
        QCOMPARE(parseMoney("-7,50"), std::optional<qint64>(-750));
        QCOMPARE(parseMoney("  3,00  "), std::optional<qint64>(300));
        // More than two decimals round half up, as the currency format shows them.
        QCOMPARE(parseMoney("7,555"), std::optional<qint64>(756));
        QCOMPARE(parseMoney("7,505"), std::optional<qint64>(751));
        QCOMPARE(parseMoney("7,5049"), std::optional<qint64>(750));
        QCOMPARE(parseMoney("-7,555"), std::optional<qint64>(-756));
        QCOMPARE(parseMoney("1.000"), std::optional<qint64>(100000));

        // A dot is a group separator only between groups of three digits.
        for (const char* bad : {"", "R$", "abc", "7.50", "2.5", "1.23,4", "12a", "7,5,0", "1..000", "--7",
                                "R$ -", "7,5a", "R$ 7,50 R$"})
            QVERIFY2(!parseMoney(QString::fromUtf8(bad)), bad);

        for (qint64 v : {0LL, 1LL, 99LL, 100LL, 750LL, 100000LL, 987654321LL, -1LL, -123456LL,
                         std::numeric_limits<qint64>::max(), std::numeric_limits<qint64>::min()})
            QCOMPARE(parseMoney(formatMoney(v)), std::optional<qint64>(v));
        // One centavo past either end is not a number.
        QVERIFY(!parseMoney("92.233.720.368.547.758,08"));
        QVERIFY(!parseMoney("-92.233.720.368.547.758,09"));
    }

    void priceFieldRule()
    {
        QCOMPARE(reformatMoneyText("2,5"), "R$" + nbsp + "2,50");
        QCOMPARE(reformatMoneyText("R$ 3"), "R$" + nbsp + "3,00");
        QCOMPARE(reformatMoneyText(""), QString());
        QCOMPARE(reformatMoneyText("três reais"), QStringLiteral("três reais"));
        const QString once = reformatMoneyText("1234,5");
        QCOMPARE(once, "R$" + nbsp + "1.234,50");
        QCOMPARE(reformatMoneyText(once), once);
    }

    void pricesTheCounterCharges_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("status");
        QTest::addColumn<qint64>("centavos");
        using P = PriceReading;
        QTest::newRow("empty") << "" << int(P::Empty) << 0LL;
        QTest::newRow("blanks") << "   " << int(P::Empty) << 0LL;
        QTest::newRow("zero") << "0" << int(P::Ok) << 0LL;
        QTest::newRow("minus zero") << "-0,00" << int(P::Ok) << 0LL;
        QTest::newRow("a price") << "R$ 2,50" << int(P::Ok) << 250LL;
        QTest::newRow("highest") << "R$" + nbsp + "9.999,99" << int(P::Ok) << 999999LL;
        QTest::newRow("a centavo above") << "10.000,00" << int(P::TooLarge) << 0LL;
        QTest::newRow("two overflow a sum") << "92233720368547758,07" << int(P::TooLarge) << 0LL;
        QTest::newRow("past any amount") << "99999999999999999999" << int(P::TooLarge) << 0LL;
        QTest::newRow("negative") << "-5" << int(P::Negative) << 0LL;
        QTest::newRow("a centavo below zero") << "-0,01" << int(P::Negative) << 0LL;
        QTest::newRow("formatted negative") << "-R$" + nbsp + "5,00" << int(P::Negative) << 0LL;
        QTest::newRow("negative past any amount") << "-99999999999999999999" << int(P::Negative) << 0LL;
        QTest::newRow("no number") << "7.50" << int(P::NotANumber) << 0LL;
        QTest::newRow("words") << "barato" << int(P::NotANumber) << 0LL;
    }

    void pricesTheCounterCharges()
    {
        QFETCH(QString, text);
        QFETCH(int, status);
        QFETCH(qint64, centavos);
        const PriceReading reading = readPrice(text);
        QCOMPARE(int(reading.status), status);
        QCOMPARE(reading.centavos, centavos);
        QCOMPARE(reading.usable(), status == PriceReading::Empty || status == PriceReading::Ok);
    }

    void storedPricesForReading()
    {
        // One rule with the reader: what it cannot read shows as stored.
        QCOMPARE(moneyForDisplay("2.5"), QStringLiteral("2.5"));
        QCOMPARE(moneyForDisplay("7,555"), "R$" + nbsp + "7,56");
        QCOMPARE(moneyForDisplay("2,5"), "R$" + nbsp + "2,50");
        QCOMPARE(moneyForDisplay("R$" + nbsp + "3,00"), "R$" + nbsp + "3,00");
        QCOMPARE(moneyForDisplay("1.234,5"), "R$" + nbsp + "1.234,50");
        QCOMPARE(moneyForDisplay("barato"), QStringLiteral("barato"));
        QCOMPARE(moneyForDisplay(""), QString());
    }

    void shortDates()
    {
        QCOMPARE(shortDate(QDate(2026, 12, 7)), QStringLiteral("07/12/2026"));
        QCOMPARE(shortDate(QDate(2001, 1, 31)), QStringLiteral("31/01/2001"));
        QCOMPARE(todayText(), shortDate(QDate::currentDate()));
    }

    void letterCase()
    {
        QCOMPARE(properCase("joão da silva"), QStringLiteral("João Da Silva"));
        QCOMPARE(properCase("MARIA  APARECIDA"), QStringLiteral("Maria  Aparecida"));
        QCOMPARE(properCase("ágata ÉRICA"), QStringLiteral("Ágata Érica"));
        QCOMPARE(properCase(" rua x, 12"), QStringLiteral(" Rua X, 12"));
        QCOMPARE(properCase(""), QString());
        QCOMPARE(upperCase("ssp"), QStringLiteral("SSP"));
        QCOMPARE(upperCase("detran-sp ção"), QStringLiteral("DETRAN-SP ÇÃO"));
    }
};

QTEST_GUILESS_MAIN(TestFormats)
#include "tst_formats.moc"
