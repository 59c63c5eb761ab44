#include "WindowTest.h"
#include "platform/widgets/MessageBox.h"
#include "videos/frmModVideo.h"

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

class TestFrmModVideo : public WindowFixture<frmModVideo>
{
    Q_OBJECT

    QComboBox* genero() { return w<QComboBox>("cboGenero"); }
    QPushButton* editar() { return w<QPushButton>("cmdSalvar"); }
    QPushButton* excluir() { return w<QPushButton>("cmdNovo"); }

    void insertVideo(const QString& codigo, const QString& nome, const QVariant& tipo)
    {
        shop->exec("INSERT INTO tblVideos (Data, Codigo, Nome, Genero, QTDE, Local, Valor, Tipo) "
                   "VALUES ('01/02/2003', ?, ?, 'Drama', 3, 'Estante B', 'R$ 2,00', ?)",
                   {codigo, nome, tipo});
    }
    QHash<QString, QVariant> row(const QString& codigo) { return shop->row("tblVideos", codigo); }

    // Types a code over what the code field holds and leaves it with Enter.
    void lookUp(const QString& codigo)
    {
        w("txtCodigo")->setFocus();
        w("txtCodigo")->selectAll();
        QTest::keyClicks(w("txtCodigo"), codigo);
        QTest::keyClick(focus(), Qt::Key_Return);
    }

    void stock() override
    {
        insertVideo("5", "Casablanca", QStringLiteral("48 Horas"));
        insertVideo("6", "Rio Bravo", QVariant());
        insertVideo("7", "Alien", QStringLiteral("Clássico"));
    }

private slots:
    void windowAtOpening()
    {
        QCOMPARE(form->windowTitle(), QStringLiteral("Modificar ou Excluir Vídeo"));
        QCOMPARE(editar()->text(), QStringLiteral("&Editar"));
        QCOMPARE(excluir()->text(), QStringLiteral("E&xcluir"));
        QVERIFY(!form->findChild<QLineEdit*>(QStringLiteral("txtData")));
        QVERIFY(!w("txtVideo")->font().bold());
        QCOMPARE(w("txtLocal")->toolTip(),
                 QStringLiteral("Local onde o video fica localizado dentro da loja"));
        QCOMPARE(genero()->count(), 13);
        QVERIFY(!genero()->completer());
        QCOMPARE(focus(), w("txtCodigo"));
        // The price comes before the category here.
        QCOMPARE(w("txtValor")->nextInFocusChain(), w<QWidget>("frmTipo"));
        QCOMPARE(w<QWidget>("opt48")->nextInFocusChain(), editar());
        QCOMPARE(editar()->nextInFocusChain(), excluir());
    }

    void editStoresTheFieldsAndKeepsTheDate()
    {
        lookUp("99");
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].text, QStringLiteral("Vídeo não encontrado ou cadastrado!"));
        QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Informação de Vídeo"));
        QCOMPARE(w("txtCodigo")->text(), QString());
        QCOMPARE(focus(), w("txtCodigo"));
        MessageBox::clearShown();

        lookUp("5");
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(focus(), w("txtVideo"));
        QCOMPARE(w("txtVideo")->text(), QStringLiteral("Casablanca"));
        QVERIFY(w<QRadioButton>("opt48")->isChecked());

        // No required field: an emptied title is stored empty.
        w("txtVideo")->clear();
        QTest::keyClick(focus(), Qt::Key_Return);
        QCOMPARE(focus(), genero());
        // The genre is not completed as it is typed.
        genero()->lineEdit()->selectAll();
        QTest::keyClicks(focus(), "com");
        QCOMPARE(genero()->currentText(), QStringLiteral("com"));
        w("txtValor")->setFocus();
        w("txtValor")->selectAll();
        QTest::keyClicks(focus(), "4");
        QTest::keyClick(focus(), Qt::Key_Return);
        QTest::mouseClick(w<QRadioButton>("optSuper"), Qt::LeftButton);
        QTest::mouseClick(editar(), Qt::LeftButton);

        QVERIFY(MessageBox::shown().isEmpty());
        const auto r = row("5");
        QCOMPARE(r["Data"].toString(), QStringLiteral("01/02/2003"));
        QCOMPARE(r["Nome"], QVariant(QString("")));
        QCOMPARE(r["Genero"].toString(), QStringLiteral("com"));
        QCOMPARE(r["Valor"].toString(), QStringLiteral("R$\u00a04,00"));
        QCOMPARE(r["Tipo"].toString(), QStringLiteral("Super Lançamento"));
        QCOMPARE(r["QTDE"].toLongLong(), 3);
        QCOMPARE(focus(), w("txtCodigo"));
        QVERIFY(w("txtCodigo")->text().isEmpty());
        QVERIFY(!w<QRadioButton>("optSuper")->isChecked());
    }

    void editChecksThePrice_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("refusal"); // empty: none
        QTest::addColumn<int>("answer");      // to the empty-price question; 0: not asked
        QTest::addColumn<QString>("stored");
        const QString how = QStringLiteral("\nDigite o preço em reais, por exemplo 2,50.");
        const QString before = QStringLiteral("R$ 2,00");
        QTest::newRow("negative") << "-5"
                                  << "O preço de locação \"-5\" é negativo." + how << 0 << before;
        QTest::newRow("one centavo above the highest")
            << "10000,00"
            << "O preço de locação \"10000,00\" passa do máximo de R$\u00a09.999,99." + how << 0 << before;
        QTest::newRow("highest") << "9.999,99"
                                 << "" << 0 << "R$\u00a09.999,99";
        QTest::newRow("zero") << "0,00"
                              << "" << 0 << "R$\u00a00,00";
        QTest::newRow("empty, Sim") << ""
                                    << "" << int(QMessageBox::Yes) << "";
        QTest::newRow("empty, Não") << ""
                                    << "" << int(QMessageBox::No) << before;
    }
    void editChecksThePrice()
    {
        QFETCH(QString, typed);
        QFETCH(QString, refusal);
        QFETCH(int, answer);
        QFETCH(QString, stored);
        lookUp("5");
        w("txtValor")->setFocus();
        w("txtValor")->selectAll();
        QTest::keyClick(w("txtValor"), Qt::Key_Delete);
        QTest::keyClicks(w("txtValor"), typed);
        if (answer)
            MessageBox::setNextAnswer(QMessageBox::StandardButton(answer));
        // Editar leaves the price as a click does.
        QTest::mouseClick(editar(), Qt::LeftButton);
        if (!refusal.isEmpty()) {
            QCOMPARE(MessageBox::shown().size(), 1);
            QCOMPARE(MessageBox::shown()[0].text, refusal);
            QCOMPARE(focus(), w("txtValor"));
        } else if (answer) {
            QCOMPARE(MessageBox::shown().size(), 1);
            QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Pergunta de Preço de Locação"));
            QCOMPARE(MessageBox::shown()[0].buttons, QMessageBox::Yes | QMessageBox::No);
            QCOMPARE(focus(), answer == QMessageBox::Yes ? w("txtCodigo") : w("txtValor"));
        } else {
            QVERIFY(MessageBox::shown().isEmpty());
        }
        QCOMPARE(row("5")["Valor"].toString(), stored);
    }

    void aStoredPriceBelowZeroIsNotStoredBack()
    {
        shop->exec("UPDATE tblVideos SET Valor = '-R$ 5,00' WHERE Codigo = '6'");
        lookUp("6");
        QCOMPARE(w("txtValor")->text(), QStringLiteral("-R$ 5,00"));
        w("txtVideo")->setText("Rio Bravo Dois");
        QTest::mouseClick(editar(), Qt::LeftButton);
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(MessageBox::shown()[0].text.startsWith(
            QStringLiteral("O preço de locação \"-R$ 5,00\" é negativo.")));
        QCOMPARE(focus(), w("txtValor"));
        QCOMPARE(row("6")["Nome"].toString(), QStringLiteral("Rio Bravo"));
        // Mended, the changes go in.
        MessageBox::clearShown();
        w("txtValor")->setText("5");
        QTest::mouseClick(editar(), Qt::LeftButton);
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(row("6")["Nome"].toString(), QStringLiteral("Rio Bravo Dois"));
        QCOMPARE(row("6")["Valor"].toString(), QStringLiteral("R$\u00a05,00"));
    }

    void aCategoryNeverCarriesOver_data()
    {
        QTest::addColumn<QString>("codigo");
        QTest::addColumn<QVariant>("stored");
        QTest::newRow("no category") << "6" << QVariant();
        QTest::newRow("unknown category") << "7" << QVariant(QStringLiteral("Clássico"));
    }
    void aCategoryNeverCarriesOver()
    {
        QFETCH(QString, codigo);
        QFETCH(QVariant, stored);
        lookUp("5");
        QVERIFY(w<QRadioButton>("opt48")->isChecked());
        lookUp(codigo);
        QCOMPARE(w("txtVideo")->text(), row(codigo)["Nome"].toString());
        for (const char* name : {"optSuper", "optLancamento", "opt48"})
            QVERIFY2(!w<QRadioButton>(name)->isChecked(), name);
        QTest::mouseClick(editar(), Qt::LeftButton);
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(row(codigo)["Tipo"].isNull(), stored.isNull());
        QCOMPARE(row(codigo)["Tipo"].toString(), stored.toString());
    }

    void deleteAsksWithTheTitleOnScreen()
    {
        lookUp("5");
        w("txtVideo")->end(false);
        QTest::keyClicks(w("txtVideo"), " dois");
        MessageBox::setNextAnswer(QMessageBox::No);
        QTest::mouseClick(excluir(), Qt::LeftButton);
        QCOMPARE(MessageBox::shown().size(), 1);
        const auto& q = MessageBox::shown()[0];
        QCOMPARE(q.text, QStringLiteral("Tem certeza que deseja excluir o vídeo: Casablanca Dois"));
        QCOMPARE(q.title, QStringLiteral("Pergunta de Exclusão de Registro"));
        QCOMPARE(q.icon, QMessageBox::Question);
        QCOMPARE(q.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(shop->count("tblVideos"), 3);
        // No: still shown and open for changes.
        QTest::mouseClick(editar(), Qt::LeftButton);
        QCOMPARE(row("5")["Nome"].toString(), QStringLiteral("Casablanca Dois"));

        lookUp("6");
        MessageBox::setNextAnswer(QMessageBox::Yes);
        QTest::mouseClick(excluir(), Qt::LeftButton);
        QCOMPARE(MessageBox::shown().size(), 2);
        QCOMPARE(shop->count("tblVideos"), 2);
        QVERIFY(row("6").isEmpty());
        QVERIFY(w("txtVideo")->text().isEmpty());
        QCOMPARE(focus(), w("txtCodigo"));
    }
};

QTEST_MAIN(TestFrmModVideo)
#include "tst_frmModVideo.moc"
