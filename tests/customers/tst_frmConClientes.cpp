#include "WindowTest.h"
#include "customers/frmConClientes.h"
#include "platform/widgets/MessageBox.h"
#include "rental/frmLocacao.h"

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

class TestFrmConClientes : public WindowFixture<frmConClientes, Opening::ByTest>
{
    Q_OBJECT

    QComboBox* combo() { return w<QComboBox>("cboCliente"); }

    void insert(const QString& codigo, const QString& nome, const QVariant& d1, const QVariant& d2,
                const QVariant& d3)
    {
        shop->exec("INSERT INTO tblClientes (Codigo, Data, Nome, Endereco, Dependente1, Dependente2, "
                   "Dependente3, Emissor, RG, CPF, FoneResidencial, FoneComercial, Celular, CEP) "
                   "VALUES (?, '01/02/2003', ?, ?, ?, ?, ?, 'SSP', ?, ?, '1234-5678', '', '9999-0000', "
                   "'12.345-678')",
                   {codigo, nome, "Rua " + nome, d1, d2, d3, "77" + codigo, "111.222.333-0" + codigo});
    }

    void lookFor(const QString& name)
    {
        combo()->setFocus();
        combo()->setEditText(name);
        QTest::keyClick(focus(), Qt::Key_Tab);
    }

    QStringList results()
    {
        QStringList out;
        for (const char* name : {"txtStatus", "txtEndereco", "txtRG", "txtCPF", "txtCep", "txtCelular",
                                 "txtFoneResidencial", "txtFoneComercial"})
            out << w(name)->text();
        return out;
    }

    // Clicks into "Buscar" and types there.
    void search(const QString& typed)
    {
        QTest::mouseClick(w("txtBuscar"), Qt::LeftButton);
        QCOMPARE(focus(), w("txtBuscar"));
        typeText(w("txtBuscar"), typed);
    }
    // What the search found, "name #number <holder" each.
    QStringList found()
    {
        QStringList out;
        auto* list = w<QTreeWidget>("lstBuscar");
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* line = list->topLevelItem(i);
            out << line->text(0) + " #" + line->text(1) +
                       (line->text(4).isEmpty() ? "" : " <" + line->text(4));
        }
        return out;
    }

    void stock() override
    {
        const QVariant none;
        const QVariant empty = QString("");
        insert("1", "Zaviz Eduvi", QString("Ana Eduvi"), empty, none);
        insert("2", "Bruno Costa", none, none, QString("Carla Costa"));
        insert("3", "Ana Eduvi", QString("Dora Lima"), empty, empty);
        insert("4", "Elias Prado", empty, QString("Dora Lima"), empty);
    }

private slots:
    void listHoldsEveryName()
    {
        open();
        QCOMPARE(form->windowTitle(), QStringLiteral("Consulta de Clientes e Dependentes"));
        QStringList items;
        for (int i = 0; i < combo()->count(); ++i)
            items << combo()->itemText(i);
        // Every name in table order; an empty dependant gives no blank row.
        const QStringList expected = {"Zaviz Eduvi", "Ana Eduvi", "Bruno Costa", "Carla Costa",
                                      "Ana Eduvi",   "Dora Lima", "Elias Prado", "Dora Lima"};
        QCOMPARE(items, expected);
        QCOMPARE(combo()->currentText(), QString());
        QCOMPARE(focus(), combo());
        for (const char* name : {"txtStatus", "txtEndereco", "txtCPF", "txtFoneComercial"})
            QVERIFY2(!w(name)->isEnabled(), name);
        QCOMPARE(combo()->accessibleName(), QStringLiteral("Nome Completo:"));
    }

    // Both windows that list the customers' names, over dependants left
    // empty and names that are only blanks.
    void nameListsHaveNoBlankRows_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QStringList>("blanks"); // more customers' dependants
        for (const auto& [window, list] :
             {std::pair{"frmConClientes", "cboCliente"}, {"frmLocacao", "cboClientes"}}) {
            QTest::addRow("%s, empty dependants", window) << window << list << QStringList();
            QTest::addRow("%s, blanks only", window)
                << window << list << QStringList{" ", "   ", "\t", QStringLiteral("\u00a0\u3000")};
        }
    }

    void nameListsHaveNoBlankRows()
    {
        QFETCH(QString, window);
        QFETCH(QString, list);
        QFETCH(QStringList, blanks);
        for (int i = 0; i < blanks.size(); ++i)
            insert(QString::number(20 + i), "Cliente " + QString::number(20 + i), blanks[i],
                   i % 2 ? QVariant(blanks[i]) : QVariant(QStringLiteral("Dep %1").arg(20 + i)), QVariant());
        if (window == QLatin1String("frmLocacao"))
            WindowTest::open<frmLocacao>();
        else
            open();
        auto* names = w<QComboBox>(list.toUtf8().constData());
        QStringList items;
        for (int i = 0; i < names->count(); ++i)
            items << names->itemText(i);

        // Every holder and dependant who has a name, in table order.
        QStringList named;
        for (const auto& row : shop->rows("tblClientes"))
            for (const char* column : {"Nome", "Dependente1", "Dependente2", "Dependente3"})
                if (const QString name = row[column].toString(); !name.trimmed().isEmpty())
                    named << name;
        QCOMPARE(items, named);
        QCOMPARE(items.size(), 8 + blanks.size() + (blanks.size() + 1) / 2);
    }

    void holderAndDependants()
    {
        open();
        lookFor("Bruno Costa");
        QCOMPARE(results(), QStringList({"Cliente Titular", "Rua Bruno Costa", "772", "111.222.333-02",
                                         "12.345-678", "9999-0000", "1234-5678", ""}));
        QCOMPARE(focus(), w<QPushButton>("cmdOk"));
        QVERIFY(MessageBox::shown().isEmpty());

        // Found through the third dependant: whose dependant, nothing else.
        lookFor("Carla Costa");
        QCOMPARE(results(), QStringList({"Dependente de: Bruno Costa", "", "", "", "", "", "", ""}));

        // A holder's name that is also someone's dependant: the holder wins.
        lookFor("Ana Eduvi");
        QCOMPARE(w("txtStatus")->text(), QStringLiteral("Cliente Titular"));
        QCOMPARE(w("txtEndereco")->text(), QStringLiteral("Rua Ana Eduvi"));

        // The same dependant in two records: the first in its index.
        lookFor("Dora Lima");
        QCOMPARE(w("txtStatus")->text(), QStringLiteral("Dependente de: Ana Eduvi"));
    }

    void theAccountsHistory()
    {
        // Account 2 rented as its holder and as its dependant; an older note
        // by name only; another account's note.
        shop->exec(
            "INSERT INTO NoteHistory (Id, Codigo, Data, Cliente, ClienteCodigo) VALUES "
            "(1, '100', '01/12/2026', 'Carla Costa', '2'), (2, '101', '02/12/2026', 'Bruno Costa', NULL), "
            "(3, '102', '03/12/2026', 'Elias Prado', '4')");
        shop->exec(
            "INSERT INTO RentedVideos (Note, Slot, Codigo, Titulo, DevolvidoEm, ReturnedAt) VALUES "
            "(1, 0, '10', 'Alien', '05/12/2026', '2026-12-05T10:00:00'), (1, 1, '11', 'Ran', NULL, NULL), "
            "(2, 0, '12', 'Solaris', NULL, NULL), (3, 0, '13', 'Nope', NULL, NULL)");
        open();
        const auto lines = [this] {
            QStringList out;
            auto* list = w<QTreeWidget>("lstHistorico");
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                QStringList cells;
                for (int c = 0; c < list->columnCount(); ++c)
                    cells.append(list->topLevelItem(i)->text(c));
                out.append(cells.join('|'));
            }
            return out;
        };
        for (const char* person : {"Carla Costa", "Bruno Costa"}) {
            lookFor(person);
            QCOMPARE(lines(), (QStringList{"101|02/12/2026|Bruno Costa|12|Solaris|Não devolvido",
                                           "100|01/12/2026|Carla Costa|10|Alien|05/12/2026",
                                           "100|01/12/2026|Carla Costa|11|Ran|Não devolvido"}));
        }
        w<QPushButton>("cmdOk")->click();
        QCOMPARE(lines(), QStringList());
    }

    void notFound()
    {
        open();
        lookFor("Bruno Costa");
        for (const QString& name : {QStringLiteral("Bruno Cost"), QString()}) {
            MessageBox::clearShown();
            lookFor(name);
            QCOMPARE(MessageBox::shown().size(), 1);
            QCOMPARE(MessageBox::shown()[0].text, QStringLiteral("Cliente não Encontrado ou Cadastrado"));
            QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Informação de Clientes"));
            QCOMPARE(MessageBox::shown()[0].icon, QMessageBox::Information);
            QCOMPARE(combo()->currentText(), QString());
            QCOMPARE(results(), QStringList(8, QString()));
            QCOMPARE(focus(), combo());
        }
    }

    void okClearsForTheNextQuery()
    {
        open();
        combo()->setFocus();
        combo()->setEditText("Zaviz Eduvi");
        // The click leaves the combo: the lookup runs, then OK clears.
        QTest::mouseClick(w<QPushButton>("cmdOk"), Qt::LeftButton);
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(combo()->currentText(), QString());
        QCOMPARE(results(), QStringList(8, QString()));
        QCOMPARE(focus(), combo());

        // A name not on file keeps OK from acting: message, focus back.
        combo()->setEditText("Ninguém");
        QTest::mouseClick(w<QPushButton>("cmdOk"), Qt::LeftButton);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(focus(), combo());
    }

    void typingCompletesFromTheList()
    {
        open();
        combo()->setFocus();
        QTest::keyClicks(focus(), "el");
        QCOMPARE(combo()->currentText(), QStringLiteral("Elias Prado"));
        QTest::keyClick(focus(), Qt::Key_Return);
        QCOMPARE(w("txtStatus")->text(), QStringLiteral("Cliente Titular"));
        QCOMPARE(w("txtRG")->text(), QStringLiteral("774"));
        QCOMPARE(combo()->count(), 8);
    }

    // Accents aside, whether completed by the list or typed whole; the name
    // is shown as stored. Namesakes are listed with their numbers, and the
    // one picked is shown.
    void accentsAndNamesakes_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("keyByKey"); // else set whole, never completed
        QTest::addColumn<QString>("shown"); // the name as stored
        QTest::addColumn<QStringList>("namesakes");
        QTest::addColumn<int>("pick");       // row picked in the list
        QTest::addColumn<QString>("status"); // what the pick shows
        QTest::addColumn<QString>("rg");
        const QStringList joao{"João Silva (nº 5)", "João Silva (nº 6)",
                               "João Silva (nº 7, dependente de Ação Reis)"};
        QTest::newRow("typed, one person")
            << "conceicao" << true << "Conceição Lima" << QStringList() << -1 << "Cliente Titular"
            << "778";
        QTest::newRow("set whole, one person")
            << "ACAO REIS" << false << "Ação Reis" << QStringList() << -1 << "Cliente Titular"
            << "777";
        QTest::newRow("second namesake")
            << "joao silva" << false << "João Silva" << joao << 1 << "Cliente Titular"
            << "776";
        QTest::newRow("namesake as a dependant")
            << "JOÃO SILVA" << false << "João Silva" << joao << 2 << "Dependente de: Ação Reis"
            << "";
        QTest::newRow("holder and dependant")
            << "ana eduvi" << true << "Ana Eduvi"
            << QStringList{"Ana Eduvi (nº 3)", "Ana Eduvi (nº 1, dependente de Zaviz Eduvi)"} << 1
            << "Dependente de: Zaviz Eduvi"
            << "";
    }

    void accentsAndNamesakes()
    {
        QFETCH(QString, typed);
        QFETCH(bool, keyByKey);
        QFETCH(QString, shown);
        QFETCH(QStringList, namesakes);
        QFETCH(int, pick);
        QFETCH(QString, status);
        QFETCH(QString, rg);
        insert("5", "João Silva", QString(""), QString(""), QString(""));
        insert("6", "João Silva", QString(""), QString(""), QString(""));
        insert("7", "Ação Reis", QString("João Silva"), QString(""), QString(""));
        insert("8", "Conceição Lima", QString(""), QString(""), QString(""));
        open();
        combo()->setFocus();
        if (keyByKey)
            QTest::keyClicks(focus(), typed);
        else
            combo()->setEditText(typed);
        QTest::keyClick(focus(), Qt::Key_Return);
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(combo()->currentText(), shown);
        auto* list = w<QListWidget>("lstClientes");
        QStringList listed;
        for (int i = 0; i < list->count(); ++i)
            listed << list->item(i)->text();
        QCOMPARE(listed, namesakes);
        QCOMPARE(list->isVisible(), !namesakes.isEmpty());
        if (namesakes.isEmpty()) {
            QCOMPARE(focus(), w<QPushButton>("cmdOk"));
        } else {
            // The first is shown until another is picked in the list.
            QCOMPARE(focus(), list);
            for (int i = 0; i < pick; ++i)
                QTest::keyClick(focus(), Qt::Key_Down);
        }
        QCOMPARE(w("txtStatus")->text(), status);
        QCOMPARE(w("txtRG")->text(), rg);
        QCOMPARE(combo()->currentText(), shown);
        // Leaving the name again keeps the pick; OK empties everything.
        combo()->setFocus();
        QTest::keyClick(focus(), Qt::Key_Tab);
        QCOMPARE(w("txtStatus")->text(), status);
        w<QPushButton>("cmdOk")->click();
        QVERIFY(!list->isVisible());
        QCOMPARE(list->count(), 0);
    }

    void customersAddedLaterAreStillFound()
    {
        open();
        insert("5", "Fabio Reis", QString(""), QString(""), QString(""));
        lookFor("Fabio Reis");
        QCOMPARE(w("txtStatus")->text(), QStringLiteral("Cliente Titular"));
    }

    // A line chosen in "Buscar" shows that very person, namesakes and a
    // holder who is also someone's dependant told apart by the number.
    void aSearchShowsTheLineChosen_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("cpf");
        const QStringList dora{"Dora Lima #3 <Ana Eduvi", "Dora Lima #4 <Elias Prado"};
        const QStringList ana{"Ana Eduvi #1 <Zaviz Eduvi", "Ana Eduvi #3"};
        QTest::addRow("second namesake") << "dora" << dora << 1 << "Dependente de: Elias Prado"
                                         << "";
        QTest::addRow("first namesake") << "DÓRA" << dora << 0 << "Dependente de: Ana Eduvi"
                                        << "";
        QTest::addRow("the dependant, not the holder") << "ana" << ana << 0 << "Dependente de: Zaviz Eduvi"
                                                       << "";
        QTest::addRow("the holder") << "eduvi an" << ana << 1 << "Cliente Titular"
                                    << "111.222.333-03";
        QTest::addRow("CPF") << "111.222.333-04" << QStringList{"Elias Prado #4"} << 0 << "Cliente Titular"
                             << "111.222.333-04";
        QTest::addRow("number") << "2" << QStringList{"Bruno Costa #2"} << 0 << "Cliente Titular"
                                << "111.222.333-02";
    }
    void aSearchShowsTheLineChosen()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, lines);
        QFETCH(int, chosen);
        QFETCH(QString, status);
        QFETCH(QString, cpf);
        open();
        // Off to the search from the empty name: no look-up, no message.
        search(typed);
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(found(), lines);
        auto* list = w<QTreeWidget>("lstBuscar");
        if (chosen == 0) {
            // The down arrow goes on into the list, on its first line.
            QTest::keyClick(focus(), Qt::Key_Down);
            QCOMPARE(focus(), list);
        } else {
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->topLevelItem(chosen)).center());
        }
        QCOMPARE(w("txtStatus")->text(), status);
        QCOMPARE(w("txtCPF")->text(), cpf);
        QCOMPARE(combo()->currentText(), list->topLevelItem(chosen)->text(0));
        QVERIFY(MessageBox::shown().isEmpty());
    }
};

QTEST_MAIN(TestFrmConClientes)
#include "tst_frmConClientes.moc"
