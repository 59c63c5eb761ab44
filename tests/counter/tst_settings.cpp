#include "counter/ShopSettings.h"
#include "store/Database.h"
#include "store/StoreError.h"

#include "ShopFileTest.h"
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <QTest>
#include <memory>

using counter::SettingsStore;
using counter::ShopSettings;
using Hours = std::array<int, ShopSettings::Categories>;

Q_DECLARE_METATYPE(Hours)

// The shop's own settings: the rule for a typed due time, the due time of a
// category, and the store that keeps them in the data file.
class TestSettings : public ShopFileTest
{
    Q_OBJECT

    // Every stored setting as "name=value", in name order (no value: "~").
    QStringList stored()
    {
        QSqlQuery q(m_db->connection());
        if (!q.exec(QStringLiteral("SELECT Name, Value FROM Settings ORDER BY Name")))
            qFatal("%s", qPrintable(q.lastError().text()));
        QStringList out;
        while (q.next())
            out.append(q.value(0).toString() + u'=' +
                       (q.isNull(1) ? QStringLiteral("~") : q.value(1).toString()));
        return out;
    }

private slots:
    void init() { makeShop(); }
    void cleanup() { closeShop(); }

    void freshFileReadsTheDefaults()
    {
        const ShopSettings s = SettingsStore(*m_db).read();
        QCOMPARE(s.dueHours, (Hours{24, 24, 48}));
        QVERIFY(s.shopName.isEmpty());
        QVERIFY(s.shopAddress.isEmpty());
        QVERIFY(s.shopPhone.isEmpty());
        QVERIFY(stored().isEmpty()); // reading writes nothing
    }

    void writtenSettingsReadBack_data()
    {
        QTest::addColumn<Hours>("hours");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QString>("nameRead");
        QTest::newRow("all set") << Hours{12, 36, 72} << "Vídeo Ação"
                                 << "Rua São João, 12"
                                 << "(11) 5555-1234"
                                 << "Vídeo Ação";
        QTest::newRow("extremes, texts empty") << Hours{1, 9999, 1} << ""
                                               << ""
                                               << ""
                                               << "";
        QTest::newRow("spaces trimmed") << Hours{24, 24, 48} << "  Loja  "
                                        << ""
                                        << " 5555 "
                                        << "Loja";
        QTest::newRow("outside the BMP") << Hours{2, 3, 4} << "Loja 🎬"
                                         << ""
                                         << ""
                                         << "Loja 🎬";
    }
    void writtenSettingsReadBack()
    {
        QFETCH(Hours, hours);
        QFETCH(QString, name);
        QFETCH(QString, address);
        QFETCH(QString, phone);
        QFETCH(QString, nameRead);
        // Something else stored first: the write replaces every setting.
        ShopSettings before;
        before.dueHours = {5, 6, 7};
        before.shopName = before.shopAddress = before.shopPhone = QStringLiteral("antes");
        SettingsStore(*m_db).write(before);

        ShopSettings s;
        s.dueHours = hours;
        s.shopName = name;
        s.shopAddress = address;
        s.shopPhone = phone;
        SettingsStore(*m_db).write(s);
        openShop();
        const ShopSettings read = SettingsStore(*m_db).read();
        QCOMPARE(read.dueHours, hours);
        QCOMPARE(read.shopName, nameRead);
        QCOMPARE(read.shopAddress, address.trimmed());
        QCOMPARE(read.shopPhone, phone.trimmed());
        QCOMPARE(stored().size(), 6);
    }

    void unreadableStoredHoursReadAsTheDefault_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::newRow("letters") << QVariant(QStringLiteral("muitas"));
        QTest::newRow("empty") << QVariant(QString(""));
        QTest::newRow("null") << QVariant();
        QTest::newRow("zero") << QVariant(QStringLiteral("0"));
        QTest::newRow("too long") << QVariant(QStringLiteral("10000"));
        QTest::newRow("negative") << QVariant(QStringLiteral("-5"));
        QTest::newRow("fraction") << QVariant(QStringLiteral("1.5"));
        QTest::newRow("fullwidth") << QVariant(QStringLiteral("１２"));
    }
    void unreadableStoredHoursReadAsTheDefault()
    {
        QFETCH(QVariant, value);
        ShopSettings s;
        s.dueHours = {10, 20, 30};
        SettingsStore(*m_db).write(s);
        exec(QStringLiteral("UPDATE Settings SET Value = ? WHERE Name = ?"),
             {value, QStringLiteral("dueHours/Lançamento")});
        QCOMPARE(SettingsStore(*m_db).read().dueHours, (Hours{10, 24, 30}));
    }

    void readDueHours_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("hours"); // 0: refused
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("spaces only") << "   " << 0;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("zeros") << "0000" << 0;
        QTest::newRow("one") << "1" << 1;
        QTest::newRow("leading zero") << "024" << 24;
        QTest::newRow("most") << "9999" << 9999;
        QTest::newRow("one too many") << "10000" << 0;
        QTest::newRow("with unit") << "24h" << 0;
        QTest::newRow("spaces around") << " 12 " << 12;
        QTest::newRow("negative") << "-1" << 0;
        QTest::newRow("plus sign") << "+1" << 0;
        QTest::newRow("inner space") << "1 2" << 0;
        QTest::newRow("fullwidth digits") << "１２" << 0;
        QTest::newRow("arabic-indic digits") << "١٢" << 0;
        QTest::newRow("superscript") << "²" << 0;
    }
    void readDueHours()
    {
        QFETCH(QString, text);
        QFETCH(int, hours);
        QCOMPARE(ShopSettings::readDueHours(text).value_or(0), hours);
    }

    void dueHoursFor_data()
    {
        QTest::addColumn<Hours>("hours");
        QTest::addColumn<QString>("category");
        QTest::addColumn<int>("due");
        QTest::newRow("super") << Hours{24, 24, 48} << "Super Lançamento" << 24;
        QTest::newRow("lançamento") << Hours{24, 24, 48} << "Lançamento" << 24;
        QTest::newRow("48") << Hours{24, 24, 48} << "48 Horas" << 48;
        QTest::newRow("set super") << Hours{6, 12, 18} << "Super Lançamento" << 6;
        QTest::newRow("set lançamento") << Hours{6, 12, 18} << "Lançamento" << 12;
        QTest::newRow("unknown") << Hours{24, 24, 48} << "Drama" << 48;
        QTest::newRow("empty") << Hours{24, 24, 48} << "" << 48;
        QTest::newRow("null") << Hours{24, 24, 48} << QString() << 48;
        QTest::newRow("other case") << Hours{24, 24, 48} << "lançamento" << 48;
        QTest::newRow("longest first") << Hours{100, 5, 7} << "" << 100;
        QTest::newRow("longest middle") << Hours{1, 500, 7} << "Comédia" << 500;
    }
    void dueHoursFor()
    {
        QFETCH(Hours, hours);
        QFETCH(QString, category);
        QFETCH(int, due);
        ShopSettings s;
        s.dueHours = hours;
        QCOMPARE(s.dueHoursFor(category), due);
    }

    void headingLines_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("nothing set") << ""
                                     << ""
                                     << "" << QStringList();
        QTest::newRow("no name, the rest set") << " "
                                               << "Rua A, 1"
                                               << "5555" << QStringList();
        QTest::newRow("name only") << "Loja"
                                   << ""
                                   << "" << QStringList{"Loja"};
        QTest::newRow("name and phone") << " Loja "
                                        << "  "
                                        << "5555" << QStringList{"Loja", "Telefone: 5555"};
        QTest::newRow("all") << "Loja"
                             << "Rua A, 1"
                             << "5555" << QStringList{"Loja", "Rua A, 1", "Telefone: 5555"};
    }
    void headingLines()
    {
        QFETCH(QString, name);
        QFETCH(QString, address);
        QFETCH(QString, phone);
        QFETCH(QStringList, lines);
        ShopSettings s;
        s.shopName = name;
        s.shopAddress = address;
        s.shopPhone = phone;
        QCOMPARE(s.headingLines(), lines);
    }

    void unstorableTextsAreRefusedAndNothingWritten_data()
    {
        QTest::addColumn<int>("field"); // name, address, phone
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("named");
        const QString bom(QChar(0xFEFF));
        QTest::newRow("name with a mark") << 0 << bom + "Loja"
                                          << "Nome da Loja";
        QTest::newRow("mark after spaces") << 0 << "  " + bom + "Loja"
                                           << "Nome da Loja";
        QTest::newRow("address with a mark") << 1 << bom + "Rua"
                                             << "Endereço";
        QTest::newRow("phone half a pair") << 2 << QString(QChar(0xD83C)) + "5555"
                                           << "Telefone";
    }
    void unstorableTextsAreRefusedAndNothingWritten()
    {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(QString, named);
        ShopSettings kept;
        kept.shopName = QStringLiteral("Loja");
        SettingsStore(*m_db).write(kept);
        const QStringList before = stored();

        ShopSettings s;
        s.dueHours = {1, 2, 3};
        (field == 0 ? s.shopName : field == 1 ? s.shopAddress : s.shopPhone) = text;
        try {
            SettingsStore(*m_db).write(s);
            QFAIL("stored a text SQLite cannot keep");
        } catch (const store::StoreError& e) {
            QVERIFY2(e.message().contains(named), qPrintable(e.message()));
            QVERIFY(e.message().contains(QStringLiteral("Nada foi gravado")));
        }
        QCOMPARE(stored(), before);
        // A mark inside the text is kept as typed.
        s = ShopSettings();
        s.shopName = QStringLiteral("Lo") + QChar(0xFEFF) + QStringLiteral("ja");
        SettingsStore(*m_db).write(s);
        QCOMPARE(SettingsStore(*m_db).read().shopName, s.shopName);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
