#include "CustomerRows.h"
#include "WindowTest.h"
#include "customers/frmClientes.h"
#include "platform/Formats.h"
#include "platform/widgets/Fields.h"
#include "platform/widgets/MessageBox.h"

#include <QPushButton>
#include <QTest>

namespace {

const QString Duplicate = QStringLiteral("Cliente já Cadastrado");

struct NewCustomer
{
    QString digits; // typed into the CPF; empty leaves it empty
    bool refused;   // as a duplicate
};

// "12345678901" -> "123.456.789-01", as the field reads it.
QString masked(const QString& digits)
{
    if (digits.isEmpty())
        return QString();
    return QStringLiteral("%1.%2.%3-%4")
        .arg(digits.mid(0, 3), digits.mid(3, 3), digits.mid(6, 3), digits.mid(9));
}

} // namespace

class TestFrmClientes : public WindowFixture<frmClientes>
{
    Q_OBJECT

    void insertCustomer(const QString& codigo, const QString& cpf, const QString& nome)
    {
        ::insertCustomer(*shop, codigo, cpf, nome);
    }

private slots:
    void windowAtOpening()
    {
        QCOMPARE(form->windowTitle(), QStringLiteral("Cadastro de Clientes"));
        QCOMPARE(w("txtData")->text(), platform::todayText());
        QVERIFY(w("txtData")->isReadOnly());
        auto* novo = w<QPushButton>("cmdNovo");
        auto* salvar = w<QPushButton>("cmdSalvar");
        QVERIFY(novo->isHidden());
        QVERIFY(!novo->isEnabled());
        QCOMPARE(salvar->text(), QStringLiteral("&Salvar"));
        QCOMPARE(novo->text(), QStringLiteral("&Novo"));
        QCOMPARE(focus(), w("txtCodigo"));

        // Tab order, and each field announced by its label.
        const QStringList order = {"txtCodigo",
                                   "mskCPF",
                                   "txtRG",
                                   "txtEmissor",
                                   "txtNome",
                                   "txtEndereco",
                                   "mskCep",
                                   "mskFoneResidencial",
                                   "mskFoneComercial",
                                   "mskCelular",
                                   "txt1",
                                   "txt2",
                                   "txt3",
                                   "cmdSalvar",
                                   "txtData"};
        QWidget* at = w("txtCodigo");
        for (const QString& name : order) {
            QCOMPARE(at->objectName(), name);
            at = at->nextInFocusChain();
            while (at->focusPolicy() == Qt::NoFocus || !at->isVisibleTo(form))
                at = at->nextInFocusChain();
        }
        QCOMPARE(w("txtNome")->accessibleName(), QStringLiteral("Nome Completo:"));
        QCOMPARE(w("mskCPF")->accessibleName(), QStringLiteral("CPF:"));
        QCOMPARE(w("txtEmissor")->accessibleName(), QStringLiteral("Orgão Emissor:"));
    }

    void registersACustomerEndToEnd()
    {
        typeOver(w("txtCodigo"), "42");
        QTest::keyClick(focus(), Qt::Key_Return);
        QCOMPARE(focus(), w("mskCPF"));
        typeOver(w("mskCPF"), "12345678901");
        QTest::keyClick(focus(), Qt::Key_Return);
        QCOMPARE(focus(), w("txtRG"));
        QTest::keyClicks(focus(), "12ab3");
        QTest::keyClick(focus(), Qt::Key_Backspace);
        QCOMPARE(w("txtRG")->text(), QStringLiteral("123"));
        QTest::keyClick(focus(), Qt::Key_Return);
        QTest::keyClicks(focus(), "ssp");
        QTest::keyClick(focus(), Qt::Key_Return);
        QCOMPARE(w("txtEmissor")->text(), QStringLiteral("SSP"));
        typeText(focus(), "joão da silva");
        QTest::keyClick(focus(), Qt::Key_Return);
        QCOMPARE(w("txtNome")->text(), QStringLiteral("João Da Silva"));
        QTest::keyClicks(focus(), "rua das flores, 10");
        QTest::keyClick(focus(), Qt::Key_Return);
        QCOMPARE(w("txtEndereco")->text(), QStringLiteral("Rua Das Flores, 10"));
        QCOMPARE(focus(), w("mskCep"));
        typeOver(w("mskCep"), "01234567");
        QTest::keyClick(focus(), Qt::Key_Return);
        typeOver(w("mskFoneResidencial"), "32215566");
        QTest::keyClick(focus(), Qt::Key_Return);
        QTest::keyClick(focus(), Qt::Key_Return); // no work telephone
        typeOver(w("mskCelular"), "99887766");
        QTest::keyClick(focus(), Qt::Key_Return);
        QTest::keyClicks(focus(), "MARIA DA SILVA");
        QTest::keyClick(focus(), Qt::Key_Return);
        QCOMPARE(w("txt1")->text(), QStringLiteral("Maria Da Silva"));
        QTest::keyClick(focus(), Qt::Key_Return);
        QTest::keyClick(focus(), Qt::Key_Return);
        QCOMPARE(focus(), w<QPushButton>("cmdSalvar"));
        QCOMPARE(shop->count("tblClientes"), 0);

        MessageBox::setNextAnswer(QMessageBox::Yes);
        QTest::mouseClick(w<QPushButton>("cmdSalvar"), Qt::LeftButton);

        QCOMPARE(MessageBox::shown().size(), 1);
        const auto& q = MessageBox::shown().first();
        QCOMPARE(q.text, QStringLiteral("Quer cadastrar outro Cliente?"));
        QCOMPARE(q.title, QStringLiteral("Pergunta para Novo Cadastro"));
        QCOMPARE(q.icon, QMessageBox::Question);
        QCOMPARE(q.buttons, QMessageBox::Yes | QMessageBox::No);

        const auto rows = shop->rows("tblClientes");
        QCOMPARE(rows.size(), 1);
        const auto& r = rows.first();
        QCOMPARE(r["Codigo"].toString(), QStringLiteral("42"));
        QCOMPARE(r["Data"].toString(), platform::todayText());
        QCOMPARE(r["Nome"].toString(), QStringLiteral("João Da Silva"));
        QCOMPARE(r["Endereco"].toString(), QStringLiteral("Rua Das Flores, 10"));
        QCOMPARE(r["Dependente1"].toString(), QStringLiteral("Maria Da Silva"));
        QCOMPARE(r["Dependente2"], QVariant(QString("")));
        QCOMPARE(r["Emissor"].toString(), QStringLiteral("SSP"));
        QCOMPARE(r["RG"].toString(), QStringLiteral("123"));
        QCOMPARE(r["CPF"].toString(), QStringLiteral("123.456.789-01"));
        QCOMPARE(r["CEP"].toString(), QStringLiteral("01.234-567"));
        QCOMPARE(r["FoneResidencial"].toString(), QStringLiteral("3221-5566"));
        QCOMPARE(r["FoneComercial"].toString(), QString(""));
        QCOMPARE(r["Celular"].toString(), QStringLiteral("9988-7766"));

        // Yes: an empty form for the next customer.
        QCOMPARE(focus(), w("txtCodigo"));
        for (const char* name : {"txtCodigo", "txtNome", "txtRG", "txtEmissor", "txtEndereco", "txt1"})
            QVERIFY2(w(name)->text().isEmpty(), name);
        QCOMPARE(w<MaskedEdit>("mskCPF")->displayText(), QStringLiteral("   .   .   -  "));
        QCOMPARE(w<MaskedEdit>("mskCep")->displayText(), QStringLiteral("  .   -   "));
        QCOMPARE(w("txtData")->text(), platform::todayText());
    }

    void answeringNoClosesTheWindow()
    {
        w("txtCodigo")->setText("7");
        w("txtRG")->setText("1");
        w("txtNome")->setText("Ana");
        w("txtEndereco")->setText("Rua B");
        MessageBox::setNextAnswer(QMessageBox::No);
        QTest::mouseClick(w<QPushButton>("cmdSalvar"), Qt::LeftButton);
        QCOMPARE(shop->count("tblClientes"), 1);
        QTRY_VERIFY(form.isNull());
    }

    void duplicateNumberShowsTheStoredCustomer()
    {
        insertCustomer("5", "111.222.333-44", "Carlos Souza");
        const QRect salvarPlace = w<QPushButton>("cmdSalvar")->geometry();
        typeOver(w("txtCodigo"), "5");
        QTest::keyClick(focus(), Qt::Key_Tab);

        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].text, Duplicate);
        QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Informação do Sistema"));
        QCOMPARE(MessageBox::shown()[0].icon, QMessageBox::Information);
        QCOMPARE(w("txtNome")->text(), QStringLiteral("Carlos Souza"));
        QCOMPARE(w("txtData")->text(), QStringLiteral("01/02/2003"));
        QCOMPARE(w("txt1")->text(), QStringLiteral("Ana"));
        QCOMPARE(w<MaskedEdit>("mskCPF")->value(), QStringLiteral("111.222.333-44"));
        QCOMPARE(w<MaskedEdit>("mskFoneResidencial")->value(), QStringLiteral("1234-5678"));
        QCOMPARE(w<MaskedEdit>("mskFoneComercial")->value(), QString());
        QCOMPARE(w<MaskedEdit>("mskCep")->value(), QStringLiteral("12.345-678"));
        auto* novo = w<QPushButton>("cmdNovo");
        QVERIFY(novo->isVisible());
        QVERIFY(novo->isEnabled());
        QCOMPARE(focus(), novo);
        QVERIFY(!w<QPushButton>("cmdSalvar")->isVisible());
        // Novo lies exactly where Salvar was.
        QCOMPARE(novo->geometry(), salvarPlace);

        QTest::mouseClick(novo, Qt::LeftButton);
        QVERIFY(novo->isHidden());
        QVERIFY(!novo->isEnabled());
        QVERIFY(w<QPushButton>("cmdSalvar")->isVisible());
        QCOMPARE(focus(), w("txtCodigo"));
        QVERIFY(w("txtNome")->text().isEmpty());
        QCOMPARE(w<MaskedEdit>("mskCPF")->value(), QString());
        QCOMPARE(w("txtData")->text(), platform::todayText());
        QCOMPARE(shop->count("tblClientes"), 1);
    }

    // One customer after another through the window, each with a CPF typed
    // or left empty; a CPF on file is refused, an empty one never is.
    void customersWithAndWithoutCpf_data()
    {
        QTest::addColumn<QStringList>("onFile"); // CPFs stored before, '' as an old file may hold it
        QTest::addColumn<QList<NewCustomer>>("typed");
        QTest::newRow("three without CPF")
            << QStringList() << QList<NewCustomer>{{"", false}, {"", false}, {"", false}};
        QTest::newRow("beside an old file's empty CPF")
            << QStringList{""} << QList<NewCustomer>{{"", false}, {"", false}};
        QTest::newRow("a CPF on file is still refused")
            << QStringList{"111.222.333-44"}
            << QList<NewCustomer>{{"", false}, {"11122233344", true}, {"", false}};
        QTest::newRow("a CPF just stored is refused")
            << QStringList{"", "111.222.333-44"}
            << QList<NewCustomer>{{"55566677788", false}, {"", false}, {"55566677788", true}};
    }

    void customersWithAndWithoutCpf()
    {
        QFETCH(QStringList, onFile);
        QFETCH(QList<NewCustomer>, typed);
        for (int i = 0; i < onFile.size(); ++i)
            insertCustomer(QString::number(i + 1), onFile[i], QStringLiteral("Antigo %1").arg(i + 1));

        QStringList stored; // the number of each customer registered here
        for (int i = 0; i < typed.size(); ++i) {
            const QString codigo = QString::number(10 + i);
            const QString cpf = masked(typed[i].digits);
            MessageBox::clearShown();
            enterText(w("txtCodigo"), codigo);
            enterText(w("mskCPF"), typed[i].digits);
            if (typed[i].refused) {
                // The customer who holds that CPF is shown.
                QCOMPARE(MessageBox::shown().size(), 1);
                QCOMPARE(MessageBox::shown()[0].text, Duplicate);
                QCOMPARE(w<MaskedEdit>("mskCPF")->value(), cpf);
                QVERIFY(w("txtCodigo")->text() != codigo);
                QCOMPARE(focus(), w<QPushButton>("cmdNovo"));
                QTest::mouseClick(w<QPushButton>("cmdNovo"), Qt::LeftButton);
                continue;
            }
            QVERIFY2(MessageBox::shown().isEmpty(), qPrintable(codigo));
            QCOMPARE(focus(), w("txtRG"));
            enterText(w("txtRG"), "1" + codigo);
            enterText(w("txtNome"), "Novo " + codigo);
            enterText(w("txtEndereco"), "Rua " + codigo);
            MessageBox::setNextAnswer(QMessageBox::Yes);
            QTest::mouseClick(w<QPushButton>("cmdSalvar"), Qt::LeftButton);
            QCOMPARE(MessageBox::shown().size(), 1);
            QCOMPARE(MessageBox::shown()[0].text, QStringLiteral("Quer cadastrar outro Cliente?"));
            const auto row = shop->row("tblClientes", codigo);
            QCOMPARE(row["Nome"].toString(), "Novo " + codigo);
            // No CPF is no value in the file, so the unique index admits many.
            QCOMPARE(row["CPF"].isNull(), cpf.isEmpty());
            QCOMPARE(row["CPF"].toString(), cpf);
            stored << codigo;
        }
        QCOMPARE(shop->count("tblClientes"), onFile.size() + stored.size());
        for (int i = 0; i < onFile.size(); ++i) {
            const QVariant cpf = shop->row("tblClientes", QString::number(i + 1))["CPF"];
            QVERIFY(!cpf.isNull());
            QCOMPARE(cpf.toString(), onFile[i]);
        }

        // Each reads back whole, no CPF as an empty field.
        stored += {"1", "2"};
        for (const QString& codigo : std::as_const(stored)) {
            const auto row = shop->row("tblClientes", codigo);
            if (row.isEmpty())
                continue;
            MessageBox::clearShown();
            enterText(w("txtCodigo"), codigo);
            QCOMPARE(MessageBox::shown().size(), 1);
            QCOMPARE(w("txtNome")->text(), row["Nome"].toString());
            QCOMPARE(w<MaskedEdit>("mskCPF")->value(), row["CPF"].toString());
            QTest::mouseClick(w<QPushButton>("cmdNovo"), Qt::LeftButton);
        }
    }

    void requiredFieldsInTheirOrder()
    {
        auto* salvar = w<QPushButton>("cmdSalvar");
        const QList<QPair<const char*, QString>> steps = {
            {"txtCodigo", "O Campo:    ((Nº de Cadastro))    não pode ter valor nulo"},
            {"txtRG", "O Campo:    ((RG))    não pode ter valor nulo"},
            {"txtNome", "O Campo:    ((Nome Completo))    não pode ter valor nulo"},
            {"txtEndereco", "O Campo:    ((Endereço))    não pode ter valor nulo"}};
        for (const auto& [name, message] : steps) {
            MessageBox::clearShown();
            salvar->click();
            QCOMPARE(MessageBox::shown().size(), 1);
            QCOMPARE(MessageBox::shown()[0].text, message);
            QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Mensagem de Informação"));
            QCOMPARE(MessageBox::shown()[0].icon, QMessageBox::Information);
            QCOMPARE(focus(), w(name));
            w(name)->setText("1");
        }
        QCOMPARE(shop->count("tblClientes"), 0);
    }

    void saveWithoutLeavingTheKeysChecksThemFirst()
    {
        // Fields filled without ever leaving the number or the CPF; the
        // operator is in the address when Salvar is pressed.
        w("txtCodigo")->setText("5");
        w<MaskedEdit>("mskCPF")->setValue("999.888.777-66");
        w("txtRG")->setText("1");
        w("txtNome")->setText("Nova Pessoa");
        w("txtEndereco")->setText("Rua C");
        w("txtEndereco")->setFocus();
        insertCustomer("5", "111.222.333-44", "Carlos Souza");

        w<QPushButton>("cmdSalvar")->click();
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].text, Duplicate);
        QCOMPARE(focus(), w("txtCodigo"));
        // Nothing overwritten, nothing typed lost.
        QCOMPARE(shop->rows("tblClientes").first()["Nome"].toString(), QStringLiteral("Carlos Souza"));
        QCOMPARE(w("txtNome")->text(), QStringLiteral("Nova Pessoa"));

        w("txtCodigo")->setText("6");
        w<MaskedEdit>("mskCPF")->setValue("111.222.333-44");
        w("txtEndereco")->setFocus();
        MessageBox::clearShown();
        w<QPushButton>("cmdSalvar")->click();
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(focus(), w("mskCPF"));
        QCOMPARE(shop->count("tblClientes"), 1);

        w<MaskedEdit>("mskCPF")->setValue("999.888.777-66");
        MessageBox::clearShown();
        MessageBox::setNextAnswer(QMessageBox::Yes);
        w<QPushButton>("cmdSalvar")->click();
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Pergunta para Novo Cadastro"));
        QCOMPARE(shop->count("tblClientes"), 2);
        QCOMPARE(shop->rows("tblClientes").last()["Nome"].toString(), QStringLiteral("Nova Pessoa"));
    }

    void accessKeyLeavesTheFieldFirst()
    {
        insertCustomer("5", "111.222.333-44", "Carlos Souza");
        typeOver(w("txtCodigo"), "5");
        // Alt+S from the number: it is left as a click would leave it, so the
        // stored customer is shown with Novo, once, and nothing is written.
        QTest::keyClick(focus(), Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(MessageBox::shown().size(), 1);
        QTest::qWait(200);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].text, Duplicate);
        QCOMPARE(w("txtNome")->text(), QStringLiteral("Carlos Souza"));
        QCOMPARE(focus(), w<QPushButton>("cmdNovo"));
        QCOMPARE(shop->count("tblClientes"), 1);

        // From the name: proper case applies before the customer is stored.
        QTest::mouseClick(w<QPushButton>("cmdNovo"), Qt::LeftButton);
        w("txtCodigo")->setText("6");
        w("txtRG")->setText("1");
        w("txtEndereco")->setText("Rua D");
        typeOver(w("txtNome"), "ana maria");
        MessageBox::clearShown();
        MessageBox::setNextAnswer(QMessageBox::Yes);
        QTest::keyClick(focus(), Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(shop->count("tblClientes"), 2);
        QCOMPARE(shop->rows("tblClientes").last()["Nome"].toString(), QStringLiteral("Ana Maria"));
    }

    void codeFieldTakesDigitsOnly()
    {
        auto* codigo = w("txtCodigo");
        codigo->setFocus();
        QTest::keyClicks(codigo, "a1-2 b3");
        QTest::keyClick(codigo, Qt::Key_Backspace);
        QCOMPARE(codigo->text(), QStringLiteral("123"));
    }

    void aFailingDiskKeepsEverythingTyped()
    {
        w("txtCodigo")->setText("5");
        w("txtRG")->setText("1");
        w("txtNome")->setText("Ana");
        w("txtEndereco")->setText("Rua B");
        shop->whileLocked([&] { w<QPushButton>("cmdSalvar")->click(); });
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].icon, QMessageBox::Warning);
        QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Erro no Arquivo de Dados"));
        QVERIFY(MessageBox::shown()[0].text.contains(QStringLiteral("bloqueado")));
        QCOMPARE(shop->count("tblClientes"), 0);
        QCOMPARE(w("txtNome")->text(), QStringLiteral("Ana"));
        QVERIFY(form->isVisible());

        // Once the file is free, the same Salvar stores the customer.
        MessageBox::clearShown();
        MessageBox::setNextAnswer(QMessageBox::Yes);
        w<QPushButton>("cmdSalvar")->click();
        QCOMPARE(shop->count("tblClientes"), 1);
    }

    void columnsWithoutValueShowEmpty()
    {
        shop->exec("INSERT INTO tblClientes (Codigo) VALUES ('3')");
        typeOver(w("txtCodigo"), "3");
        QTest::keyClick(focus(), Qt::Key_Tab);
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(w("txtNome")->text().isEmpty());
        QVERIFY(w("txtData")->text().isEmpty());
        QCOMPARE(w<MaskedEdit>("mskCPF")->value(), QString());
    }
};

QTEST_MAIN(TestFrmClientes)
#include "tst_frmClientes.moc"
