#include "CustomerRows.h"
#include "WindowTest.h"
#include "app/frmMenu.h"
#include "customers/frmModClientes.h"
#include "platform/Formats.h"
#include "platform/widgets/Fields.h"
#include "platform/widgets/MessageBox.h"

#include <QAction>
#include <QPushButton>
#include <QTest>

namespace {

struct CpfChange
{
    QString codigo;
    QString cpf; // as the field reads it; empty: the field emptied
    bool refused;
};

} // namespace

class TestFrmModClientes : public WindowFixture<frmModClientes>
{
    Q_OBJECT

    QPushButton* editar() { return w<QPushButton>("cmdSalvar"); }
    QPushButton* excluir() { return w<QPushButton>("cmdNovo"); }

    // Types a number into the empty number field and leaves it with Enter.
    void lookUp(const QString& codigo)
    {
        w("txtCodigo")->setFocus();
        QTest::keyClicks(w("txtCodigo"), codigo);
        QTest::keyClick(focus(), Qt::Key_Return);
    }

    void stock() override
    {
        insertCustomer(*shop, "5", "111.222.333-44", "Carlos Souza");
        insertCustomer(*shop, "6", "555.666.777-88", "Zaviz Eduvi");
    }

private slots:
    void windowAtOpening()
    {
        QCOMPARE(form->windowTitle(), QStringLiteral("Modificar ou Excluir Clientes"));
        QCOMPARE(editar()->text(), QStringLiteral("&Editar"));
        QCOMPARE(excluir()->text(), QStringLiteral("E&xcluir"));
        // Side by side, both usable from the start.
        QVERIFY(editar()->isVisible() && excluir()->isEnabled());
        QVERIFY(editar()->geometry().right() < excluir()->geometry().left());
        QCOMPARE(w("txtData")->text(), platform::todayText());
        QVERIFY(!w("txtData")->isEnabled());
        QVERIFY(!w("txtNome")->font().bold());
        QCOMPARE(focus(), w("txtCodigo"));
        QCOMPARE(w("txt3")->nextInFocusChain(), editar());
        QCOMPARE(editar()->nextInFocusChain(), excluir());
    }

    void aNumberNotOnFileIsRefused_data()
    {
        QTest::addColumn<QString>("codigo");
        QTest::newRow("unknown") << "99";
        QTest::newRow("empty") << "";
    }
    void aNumberNotOnFileIsRefused()
    {
        QFETCH(QString, codigo);
        lookUp(codigo);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].text, QStringLiteral("Cliente não encontrado ou cadastrado!"));
        QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Informação de Vídeo"));
        QCOMPARE(MessageBox::shown()[0].icon, QMessageBox::Information);
        QCOMPARE(w("txtCodigo")->text(), QString());
        QCOMPARE(focus(), w("txtCodigo"));
    }

    void editStoresEveryFieldButTheDate()
    {
        lookUp("5");
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(focus(), w("mskCPF"));
        QCOMPARE(w("txtNome")->text(), QStringLiteral("Carlos Souza"));
        QCOMPARE(w<MaskedEdit>("mskCep")->value(), QStringLiteral("12.345-678"));

        w("txtNome")->setFocus();
        w("txtNome")->selectAll();
        QTest::keyClicks(focus(), "carlos souza filho");
        QTest::keyClick(focus(), Qt::Key_Return);
        w<MaskedEdit>("mskCPF")->setValue("999.888.777-66");
        w("txt2")->setText("Bia");
        QTest::mouseClick(editar(), Qt::LeftButton);

        QVERIFY(MessageBox::shown().isEmpty());
        const auto r = shop->rows("tblClientes").first();
        QCOMPARE(r["Codigo"].toString(), QStringLiteral("5"));
        QCOMPARE(r["Data"].toString(), QStringLiteral("01/02/2003"));
        QCOMPARE(r["Nome"].toString(), QStringLiteral("Carlos Souza Filho"));
        QCOMPARE(r["CPF"].toString(), QStringLiteral("999.888.777-66"));
        QCOMPARE(r["Dependente2"].toString(), QStringLiteral("Bia"));
        QCOMPARE(r["CEP"].toString(), QStringLiteral("12.345-678"));
        QCOMPARE(shop->rows("tblClientes").last()["Nome"].toString(), QStringLiteral("Zaviz Eduvi"));
        // Emptied for the next customer.
        QCOMPARE(focus(), w("txtCodigo"));
        QCOMPARE(w<MaskedEdit>("mskCPF")->value(), QString());
    }

    void deleteAsksFirst()
    {
        lookUp("6");
        MessageBox::setNextAnswer(QMessageBox::No);
        QTest::mouseClick(excluir(), Qt::LeftButton);
        QCOMPARE(MessageBox::shown().size(), 1);
        const auto& q = MessageBox::shown()[0];
        QCOMPARE(q.text, QStringLiteral("Tem certeza que deseja excluir o Cliente: Zaviz Eduvi"));
        QCOMPARE(q.title, QStringLiteral("Pergunta de Exclusão de Registro"));
        QCOMPARE(q.icon, QMessageBox::Question);
        QCOMPARE(q.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(shop->count("tblClientes"), 2);
        QCOMPARE(w("txtNome")->text(), QStringLiteral("Zaviz Eduvi"));

        MessageBox::setNextAnswer(QMessageBox::Yes);
        QTest::mouseClick(excluir(), Qt::LeftButton);
        QCOMPARE(MessageBox::shown().size(), 2);
        QCOMPARE(shop->count("tblClientes"), 1);
        QCOMPARE(shop->rows("tblClientes").first()["Codigo"].toString(), QStringLiteral("5"));
        QVERIFY(w("txtNome")->text().isEmpty());
        QCOMPARE(focus(), w("txtCodigo"));
    }

    void aKeyOfAnotherCustomerIsRefused()
    {
        lookUp("5");
        w<MaskedEdit>("mskCPF")->setValue("555.666.777-88");
        w("txtNome")->setText("Outro Nome");
        QTest::mouseClick(editar(), Qt::LeftButton);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].text, QStringLiteral("Este CPF já pertence a outro cliente."));
        QCOMPARE(focus(), w("mskCPF"));
        QCOMPARE(shop->rows("tblClientes").first()["Nome"].toString(), QStringLiteral("Carlos Souza"));

        // Put right, the same customer is stored.
        w<MaskedEdit>("mskCPF")->setValue("111.222.333-44");
        MessageBox::clearShown();
        QTest::mouseClick(editar(), Qt::LeftButton);
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(shop->rows("tblClientes").first()["Nome"].toString(), QStringLiteral("Outro Nome"));
    }

    // CPF changes through Editar, one after another: an empty CPF is never
    // another customer's, a CPF on file is.
    void cpfChanges_data()
    {
        QTest::addColumn<bool>("oldEmpty"); // customer 7 holds '', as an old file may
        QTest::addColumn<QList<CpfChange>>("changes");
        QTest::newRow("two emptied") << false << QList<CpfChange>{{"5", "", false}, {"6", "", false}};
        QTest::newRow("emptied beside an old empty one")
            << true << QList<CpfChange>{{"5", "", false}, {"6", "", false}, {"7", "", false}};
        QTest::newRow("old empty one given a CPF, then emptied")
            << true << QList<CpfChange>{{"7", "999.888.777-66", false}, {"7", "", false}};
        QTest::newRow("a CPF on file is still refused") << true
                                                        << QList<CpfChange>{{"5", "", false},
                                                                            {"7", "555.666.777-88", true},
                                                                            {"6", "", false},
                                                                            {"7", "555.666.777-88", false},
                                                                            {"5", "555.666.777-88", true}};
    }

    void cpfChanges()
    {
        QFETCH(bool, oldEmpty);
        QFETCH(QList<CpfChange>, changes);
        if (oldEmpty)
            insertCustomer(*shop, "7", "", "Velho Arquivo");
        for (const CpfChange& change : std::as_const(changes)) {
            const auto before = shop->rows("tblClientes");
            MessageBox::clearShown();
            lookUp(change.codigo);
            QVERIFY(MessageBox::shown().isEmpty());
            QCOMPARE(w<MaskedEdit>("mskCPF")->value(),
                     shop->row("tblClientes", change.codigo)["CPF"].toString());
            typeOver(w("mskCPF"), QString(change.cpf).remove('.').remove('-'));
            QCOMPARE(w<MaskedEdit>("mskCPF")->value(), change.cpf);
            QTest::mouseClick(editar(), Qt::LeftButton);
            const QVariant cpf = shop->row("tblClientes", change.codigo)["CPF"];
            if (change.refused) {
                QCOMPARE(MessageBox::shown().size(), 1);
                QCOMPARE(MessageBox::shown()[0].text,
                         QStringLiteral("Este CPF já pertence a outro cliente."));
                QCOMPARE(shop->rows("tblClientes"), before);
                // Given up: the number field empties the window for the next one.
                w("txtCodigo")->clear();
                continue;
            }
            QVERIFY2(MessageBox::shown().isEmpty(), qPrintable(change.codigo));
            // No CPF is no value in the file; it reads back as an empty field.
            QCOMPARE(cpf.isNull(), change.cpf.isEmpty());
            QCOMPARE(cpf.toString(), change.cpf);
            QCOMPARE(focus(), w("txtCodigo"));
        }
    }

    void nothingShownChangesNothing_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("Editar") << "cmdSalvar";
        QTest::newRow("Excluir") << "cmdNovo";
    }
    void nothingShownChangesNothing()
    {
        QFETCH(QString, button);
        const auto before = shop->rows("tblClientes");
        // A record shown once and then dropped by a failed lookup.
        lookUp("5");
        w("txtCodigo")->setFocus();
        w("txtCodigo")->clear();
        QTest::keyClick(focus(), Qt::Key_Tab);
        // The operator is somewhere else when the button is pressed.
        w("txtNome")->setFocus();
        MessageBox::clearShown();
        MessageBox::setNextAnswer(QMessageBox::Yes);
        w<QPushButton>(button.toUtf8().constData())->click();
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].text,
                 QStringLiteral("Procure primeiro um cliente pelo Nº de Cadastro."));
        QCOMPARE(focus(), w("txtCodigo"));
        QCOMPARE(shop->rows("tblClientes"), before);
    }

    void menuEntriesOpenTheWindows_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("window");
        QTest::newRow("customers") << "mnuModCliente"
                                   << "frmModClientes";
        QTest::newRow("videos") << "mnuModVideo"
                                << "frmModVideo";
    }
    void menuEntriesOpenTheWindows()
    {
        QFETCH(QString, entry);
        QFETCH(QString, window);
        frmMenu& menu = openMenu();
        menu.findChild<QAction*>(entry)->trigger();
        QPointer<QWidget> task = menu.currentTask();
        QVERIFY(task);
        QCOMPARE(task->objectName(), window);
        QVERIFY(!menu.isEnabled());
        task->close();
        QTRY_VERIFY(menu.isEnabled());
    }
};

QTEST_MAIN(TestFrmModClientes)
#include "tst_frmModClientes.moc"
