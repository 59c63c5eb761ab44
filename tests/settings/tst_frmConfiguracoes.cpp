#include "WindowTest.h"
#include "app/frmMenu.h"
#include "counter/ShopSettings.h"
#include "counter/Station.h"
#include "platform/widgets/MessageBox.h"
#include "settings/frmConfiguracoes.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

using counter::SettingsStore;
using counter::ShopSettings;

namespace {

const char* const Prazos[] = {"txtPrazoSuper", "txtPrazoLancamento", "txtPrazo48"};

} // namespace

class TestFrmConfiguracoes : public WindowFixture<frmConfiguracoes, Opening::ByTest>
{
    Q_OBJECT

public:
    // The workstation's choice is the login's own: never the real one here.
    TestFrmConfiguracoes()
    {
        QStandardPaths::setTestModeEnabled(true);
        counter::saveServer({}); // whatever an earlier run left
    }

private:
    QPushButton* salvar() { return w<QPushButton>("cmdSalvar"); }
    ShopSettings stored() { return SettingsStore(shop->db()).read(); }
    QStringList screen()
    {
        QStringList out;
        for (const char* name : {"txtPrazoSuper", "txtPrazoLancamento", "txtPrazo48", "txtNomeLoja",
                                 "txtEndereco", "txtTelefone"})
            out.append(w(name)->text());
        return out;
    }
    void storeSome()
    {
        ShopSettings s;
        s.dueHours = {6, 12, 72};
        s.shopName = QStringLiteral("Vídeo Ação");
        s.shopAddress = QStringLiteral("Rua São João, 12");
        s.shopPhone = QStringLiteral("(11) 5555-1234");
        SettingsStore(shop->db()).write(s);
    }

private slots:
    void opensShowingTheDefaultsOnAFreshFile()
    {
        open();
        QCOMPARE(form->windowTitle(), QStringLiteral("Configurações"));
        QCOMPARE(w<QGroupBox>("fraPrazo")->title(), QStringLiteral("Prazo de devolução (horas)"));
        QCOMPARE(screen(), QStringList({"24", "24", "48", "", "", ""}));
        QCOMPARE(focus(), w("txtPrazoSuper"));
        const QList<QPair<const char*, const char*>> labels = {{"txtPrazoSuper", "Super Lançamento:"},
                                                               {"txtPrazoLancamento", "Lançamento:"},
                                                               {"txtPrazo48", "48 Horas:"},
                                                               {"txtNomeLoja", "Nome da Loja:"},
                                                               {"txtEndereco", "Endereço:"},
                                                               {"txtTelefone", "Telefone:"}};
        for (const auto& [name, label] : labels)
            QCOMPARE(w(name)->accessibleName(), QString::fromUtf8(label));
        QCOMPARE(shop->count("Settings"), 0); // opening writes nothing
    }

    void opensShowingWhatIsStored()
    {
        storeSome();
        open();
        QCOMPARE(screen(),
                 QStringList({"6", "12", "72", "Vídeo Ação", "Rua São João, 12", "(11) 5555-1234"}));
    }

    void typedSettingsAreStoredAndShownAgain()
    {
        storeSome();
        open();
        // Enter moves on through the fields; letters never reach a due time.
        enterText(w("txtPrazoSuper"), "36h");
        QCOMPARE(focus(), w("txtPrazoLancamento"));
        enterText(w("txtPrazoLancamento"), "9999");
        enterText(w("txtPrazo48"), "1");
        enterText(w("txtNomeLoja"), "Locadora Estação");
        enterText(w("txtEndereco"), "");
        enterText(w("txtTelefone"), "  3333-0000 ");
        QCOMPARE(focus(), w("txtServidor"));
        QTest::keyClick(focus(), Qt::Key_Return);
        QCOMPARE(focus(), salvar());
        QVERIFY(MessageBox::shown().isEmpty());
        salvar()->click();
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].text, QStringLiteral("Configurações gravadas."));
        QCOMPARE(MessageBox::shown()[0].icon, QMessageBox::Information);
        QTRY_VERIFY(form.isNull());

        // From the file itself, through a connection of its own.
        store::Database other(shop->folder());
        other.open();
        const ShopSettings s = SettingsStore(other).read();
        QCOMPARE(s.dueHours, (std::array<int, 3>{36, 9999, 1}));
        QCOMPARE(s.shopName, QStringLiteral("Locadora Estação"));
        QCOMPARE(s.shopAddress, QString(""));
        QCOMPARE(s.shopPhone, QStringLiteral("3333-0000"));

        open();
        QCOMPARE(screen(), QStringList({"36", "9999", "1", "Locadora Estação", "", "3333-0000"}));
    }

    void aDueTimeOutsideTheRangeIsRefused_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("category");
        const QString categories[] = {"Super Lançamento", "Lançamento", "48 Horas"};
        for (int k = 0; k < 3; ++k) {
            QTest::addRow("%s empty", Prazos[k]) << k << "" << categories[k];
            QTest::addRow("%s zero", Prazos[k]) << k << "0" << categories[k];
            QTest::addRow("%s zeros", Prazos[k]) << k << "0000" << categories[k];
        }
    }
    void aDueTimeOutsideTheRangeIsRefused()
    {
        QFETCH(int, field);
        QFETCH(QString, typed);
        QFETCH(QString, category);
        storeSome();
        const QStringList before = [&] {
            QStringList rows;
            for (const auto& row : shop->rows("Settings"))
                rows.append(row["Name"].toString() + '=' + row["Value"].toString());
            return rows;
        }();
        open();
        typeOver(w("txtNomeLoja"), "Outra Loja");
        typeOver(w(Prazos[field]), typed);
        salvar()->setFocus();
        salvar()->click();
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].icon, QMessageBox::Information);
        QCOMPARE(MessageBox::shown()[0].text, "O prazo de devolução de \"" + category +
                                                  "\" deve ser de 1 a 9999 horas.\nNada foi gravado.");
        QCOMPARE(focus(), w(Prazos[field]));
        QVERIFY(form->isVisible());
        QStringList after;
        for (const auto& row : shop->rows("Settings"))
            after.append(row["Name"].toString() + '=' + row["Value"].toString());
        QCOMPARE(after, before);
        QCOMPARE(stored().shopName, QStringLiteral("Vídeo Ação"));

        // Corrected, the same window stores it.
        MessageBox::clearShown();
        typeOver(w(Prazos[field]), "5");
        salvar()->click();
        QCOMPARE(stored().dueHours[size_t(field)], 5);
        QCOMPARE(stored().shopName, QStringLiteral("Outra Loja"));
    }

    void aTextTheFileCannotKeepIsRefused()
    {
        storeSome();
        open();
        w("txtEndereco")->setText(QChar(0xFEFF) + QStringLiteral("Rua Nova"));
        w("txtPrazo48")->setText("10");
        salvar()->click();
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].icon, QMessageBox::Warning);
        QVERIFY2(MessageBox::shown()[0].text.contains(QStringLiteral("Endereço")),
                 qPrintable(MessageBox::shown()[0].text));
        QVERIFY(form->isVisible());
        QCOMPARE(stored().shopAddress, QStringLiteral("Rua São João, 12"));
        QCOMPARE(stored().dueHours[2], 72);
    }

    // Kept per login, not in the shop's data; only an address the program
    // can use is kept, and the operator is told when it takes effect.
    void theServerIsThisStationsOwn()
    {
        QVERIFY(counter::saveServer(""));
        const QString address = QStringLiteral("postgresql://balcao@loja/locadora");
        const QString later = QStringLiteral(
            "Configurações gravadas.\nO servidor de dados vale a partir da próxima abertura do programa.");
        for (const auto& [typed, told, kept] :
             {std::tuple<QString, QString, QString>{"loja:5432", "Nada foi gravado.", ""},
              {address, later, address},
              {"", later, ""}}) {
            MessageBox::clearShown();
            open();
            typeOver(w("txtServidor"), typed);
            salvar()->click();
            QCOMPARE(MessageBox::shown().size(), 1);
            QVERIFY2(MessageBox::shown()[0].text.endsWith(told), qPrintable(MessageBox::shown()[0].text));
            QCOMPARE(counter::savedServer(), kept);
            if (form)
                form->close();
            QTRY_VERIFY(form.isNull());
        }
        open();
        QCOMPARE(w("txtServidor")->text(), QString());
    }

    void aLockedFileKeepsWhatWasTyped()
    {
        open();
        typeOver(w("txtNomeLoja"), "Loja");
        shop->whileLocked([&] { salvar()->click(); });
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Erro no Arquivo de Dados"));
        QCOMPARE(shop->count("Settings"), 0);
        QVERIFY(form->isVisible());
        QCOMPARE(w("txtNomeLoja")->text(), QStringLiteral("Loja"));

        MessageBox::clearShown();
        salvar()->click();
        QCOMPARE(stored().shopName, QStringLiteral("Loja"));
    }

    void escAndFecharCloseWithoutStoring_data()
    {
        QTest::addColumn<bool>("esc");
        QTest::newRow("Esc") << true;
        QTest::newRow("Fechar") << false;
    }
    void escAndFecharCloseWithoutStoring()
    {
        QFETCH(bool, esc);
        open();
        typeOver(w("txtPrazoSuper"), "99");
        if (esc)
            QTest::keyClick(focus(), Qt::Key_Escape);
        else
            w<QPushButton>("cmdFechar")->click();
        QTRY_VERIFY(form.isNull());
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(shop->count("Settings"), 0);
    }

    // A window showing the defaults in place of settings it could not read
    // would store them over the real ones: it does not open at all.
    void settingsThatCannotBeReadOpenNoWindow()
    {
        storeSome();
        shop->exec("DROP TABLE Settings");
        frmMenu& menu = openMenu();
        menu.entry(QStringLiteral("mnuConfiguracoes"))->trigger();
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Erro no Arquivo de Dados"));
        QCOMPARE(MessageBox::shown()[0].icon, QMessageBox::Warning);
        QVERIFY(!menu.currentTask());
        QVERIFY(menu.isEnabled());
        for (QWidget* window : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<frmConfiguracoes*>(window));
    }

    void opensFromTheCadastroMenu()
    {
        frmMenu& menu = openMenu();
        QAction* entry = menu.entry(QStringLiteral("mnuConfiguracoes"));
        QVERIFY(entry);
        QCOMPARE(entry->text(), QStringLiteral("C&onfigurações"));
        QVERIFY(entry->isEnabled());
        entry->trigger();
        QVERIFY(qobject_cast<frmConfiguracoes*>(menu.currentTask()));
        QVERIFY(!menu.isEnabled());
        menu.currentTask()->close();
    }
};

QTEST_MAIN(TestFrmConfiguracoes)
#include "tst_frmConfiguracoes.moc"
