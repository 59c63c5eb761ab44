#include "WindowTest.h"
#include "platform/Formats.h"
#include "platform/widgets/MessageBox.h"
#include "videos/frmVideos.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

const QString Duplicate = QStringLiteral("Vídeo já Cadastrado");
const QString FixedTip = QStringLiteral("Local onde o video fica localizado dentro da loja");
const QString FocusTip = QStringLiteral("Local onde o vídeo está localizado dentro da Fenwaurda");

// Whether the field shows its whole text: with the cursor at the end, the
// first character is still in view (drawing scrolls the text to the cursor).
bool showsWhole(QLineEdit* edit)
{
    edit->end(false);
    edit->grab();
    return edit->cursorPositionAt(QPoint(0, edit->height() / 2)) == 0;
}

} // namespace

class TestFrmVideos : public WindowFixture<frmVideos>
{
    Q_OBJECT

    QComboBox* genero() { return w<QComboBox>("cboGenero"); }
    QPushButton* salvar() { return w<QPushButton>("cmdSalvar"); }
    QPushButton* novo() { return w<QPushButton>("cmdNovo"); }

    void insertVideo(const QString& codigo, const QString& nome, const QVariant& tipo, const QString& valor)
    {
        shop->exec("INSERT INTO tblVideos (Data, Codigo, Nome, Genero, QTDE, Local, Valor, Tipo) "
                   "VALUES ('01/02/2003', ?, ?, 'Drama', 3, 'Estante B', ?, ?)",
                   {codigo, nome, valor, tipo});
    }

    // Everything the save needs, set without leaving any field; a price
    // too, unless the test is about an empty one.
    void fillRequired(const QString& codigo, const QString& price = QStringLiteral("R$ 1,00"))
    {
        w("txtCodigo")->setText(codigo);
        w("txtVideo")->setText("Tubarão");
        w("txtQTDE")->setText("2");
        genero()->setEditText("Terror");
        w("txtValor")->setText(price);
    }

    bool noOptionChosen()
    {
        return !w<QRadioButton>("optSuper")->isChecked() && !w<QRadioButton>("optLancamento")->isChecked() &&
               !w<QRadioButton>("opt48")->isChecked();
    }

private slots:
    void windowAtOpening()
    {
        QCOMPARE(form->windowTitle(), QStringLiteral("Cadastro de Vídeos"));
        QVERIFY(form->testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(w("txtData")->text(), platform::todayText());
        QVERIFY(w("txtData")->isReadOnly());
        QCOMPARE(salvar()->text(), QStringLiteral("&Salvar"));
        QCOMPARE(novo()->text(), QStringLiteral("&Novo"));
        QVERIFY(salvar()->isVisible());
        QVERIFY(salvar()->isEnabled());
        QVERIFY(novo()->isHidden());
        QVERIFY(!novo()->isEnabled());
        QCOMPARE(focus(), w("txtCodigo"));

        // Each field announced by its label.
        const QList<QPair<const char*, QString>> labels = {
            {"txtCodigo", "Código:"}, {"txtVideo", "Vídeo:"},
            {"cboGenero", "Gênero:"}, {"txtLocal", "Local da Loja:"},
            {"txtQTDE", "QTDE:"},     {"txtValor", "Preço de Locação:"},
            {"txtData", "Data:"}};
        for (const auto& [name, label] : labels) {
            QWidget* field = w<QWidget>(name);
            QCOMPARE(field->accessibleName(), label);
            bool shown = false;
            for (QLabel* l : form->findChildren<QLabel*>())
                shown = shown || (l->text() == label && l->buddy() == field);
            QVERIFY2(shown, name);
        }

        auto* frame = w<QGroupBox>("frmTipo");
        QCOMPARE(frame->title(), QStringLiteral("Tipo de Vídeo"));
        QCOMPARE(w<QRadioButton>("optSuper")->text(), QStringLiteral("Super Lançamento"));
        QCOMPARE(w<QRadioButton>("optLancamento")->text(), QStringLiteral("Lançamento"));
        QCOMPARE(w<QRadioButton>("opt48")->text(), QStringLiteral("48 Horas"));
        for (const char* name : {"optSuper", "optLancamento", "opt48"})
            QCOMPARE(w<QRadioButton>(name)->parentWidget(), frame);
        QVERIFY(noOptionChosen());

        QCOMPARE(w("txtLocal")->toolTip(), FixedTip);

        const QStringList genres = {"Ação",     "Aventura", "Comédia",  "Documentário", "Drama",
                                    "Erótico",  "Ficção",   "Infantil", "Musical",      "Policial",
                                    "Religião", "Romance",  "Terror"};
        QStringList items;
        for (int i = 0; i < genero()->count(); ++i)
            items << genero()->itemText(i);
        QCOMPARE(items, genres);
        QVERIFY(genero()->isEditable());
        QCOMPARE(genero()->insertPolicy(), QComboBox::NoInsert);
        QCOMPARE(genero()->currentText(), QString());
    }

    void tabOrder()
    {
        const QStringList order = {"txtCodigo", "txtVideo", "cboGenero",     "txtLocal", "txtQTDE",
                                   "frmTipo",   "optSuper", "optLancamento", "opt48",    "txtValor",
                                   "cmdSalvar", "txtData",  "cmdNovo"};
        QWidget* at = w("txtCodigo");
        for (const QString& name : order) {
            QCOMPARE(at->objectName(), name);
            do
                at = at->nextInFocusChain();
            while (at->objectName().isEmpty() || at->parentWidget() == genero());
        }
    }

    void registersAVideoEndToEnd()
    {
        typeOver(w("txtCodigo"), "1a2");
        QTest::keyClick(focus(), Qt::Key_Backspace);
        QCOMPARE(w("txtCodigo")->text(), QStringLiteral("12"));
        QTest::keyClick(focus(), Qt::Key_Return);
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(focus(), w("txtVideo"));

        typeText(focus(), "o poderoso CHEFÃO");
        QTest::keyClick(focus(), Qt::Key_Return);
        QCOMPARE(w("txtVideo")->text(), QStringLiteral("O Poderoso Chefão"));
        QCOMPARE(focus(), genero());

        // The genre completes from the list as it is typed.
        QTest::keyClicks(focus(), "com");
        QCOMPARE(genero()->currentText(), QStringLiteral("Comédia"));
        QCOMPARE(genero()->lineEdit()->selectedText(), QStringLiteral("édia"));
        QTest::keyClick(focus(), Qt::Key_Return);
        QCOMPARE(genero()->currentText(), QStringLiteral("Comédia"));
        QCOMPARE(focus(), w("txtLocal"));
        QCOMPARE(w("txtLocal")->toolTip(), FocusTip);

        QTest::keyClicks(focus(), "Estante A");
        QTest::keyClick(focus(), Qt::Key_Return);
        QCOMPARE(focus(), w("txtQTDE"));
        QTest::keyClicks(focus(), "-4x");
        QTest::keyClick(focus(), Qt::Key_Backspace);
        QCOMPARE(w("txtQTDE")->text(), QStringLiteral("4"));
        QTest::keyClick(focus(), Qt::Key_Return);
        QCOMPARE(focus(), w<QRadioButton>("optSuper"));
        QVERIFY(noOptionChosen());
        // The options are one stop: arrows move between them, Space chooses.
        QTest::keyClick(focus(), Qt::Key_Right);
        QCOMPARE(focus(), w<QRadioButton>("optLancamento"));
        QTest::keyClick(focus(), Qt::Key_Space);
        QVERIFY(w<QRadioButton>("optLancamento")->isChecked());
        // Choosing another option un-chooses the first.
        QTest::mouseClick(w<QRadioButton>("optSuper"), Qt::LeftButton);
        QVERIFY(!w<QRadioButton>("optLancamento")->isChecked());
        QTest::mouseClick(w<QRadioButton>("optLancamento"), Qt::LeftButton);
        QVERIFY(!w<QRadioButton>("optSuper")->isChecked());
        QTest::keyClick(focus(), Qt::Key_Return);
        QCOMPARE(focus(), w("txtValor"));
        // Going back lands on the chosen option.
        QTest::keyClick(focus(), Qt::Key_Backtab);
        QCOMPARE(focus(), w<QRadioButton>("optLancamento"));
        QTest::keyClick(focus(), Qt::Key_Return);
        QCOMPARE(focus(), w("txtValor"));

        typeText(focus(), "3,5");
        QTest::keyClick(focus(), Qt::Key_Return);
        QCOMPARE(w("txtValor")->text(), QStringLiteral("R$\u00a03,50"));
        QCOMPARE(focus(), salvar());
        QCOMPARE(shop->count("tblVideos"), 0);

        MessageBox::setNextAnswer(QMessageBox::Yes);
        QTest::mouseClick(salvar(), Qt::LeftButton);

        QCOMPARE(MessageBox::shown().size(), 1);
        const auto& q = MessageBox::shown().first();
        QCOMPARE(q.text, QStringLiteral("Quer cadastrar outro Vídeo?"));
        QCOMPARE(q.title, QStringLiteral("Pergunta para Novo Cadastro"));
        QCOMPARE(q.icon, QMessageBox::Question);
        QCOMPARE(q.buttons, QMessageBox::Yes | QMessageBox::No);

        const auto rows = shop->rows("tblVideos");
        QCOMPARE(rows.size(), 1);
        const auto& r = rows.first();
        QCOMPARE(r["Data"].toString(), platform::todayText());
        QCOMPARE(r["Codigo"].toString(), QStringLiteral("12"));
        QCOMPARE(r["Nome"].toString(), QStringLiteral("O Poderoso Chefão"));
        QCOMPARE(r["Genero"].toString(), QStringLiteral("Comédia"));
        QCOMPARE(r["Local"].toString(), QStringLiteral("Estante A"));
        QCOMPARE(r["QTDE"].typeId(), QMetaType::LongLong);
        QCOMPARE(r["QTDE"].toLongLong(), 4);
        QCOMPARE(r["Valor"].toString(), QStringLiteral("R$\u00a03,50"));
        QCOMPARE(r["Tipo"].toString(), QStringLiteral("Lançamento"));

        // Yes: an empty form for the next video.
        QCOMPARE(focus(), w("txtCodigo"));
        for (const char* name : {"txtCodigo", "txtVideo", "txtLocal", "txtQTDE", "txtValor"})
            QVERIFY2(w(name)->text().isEmpty(), name);
        QCOMPARE(genero()->currentText(), QString());
        QVERIFY(noOptionChosen());
        QCOMPARE(w("txtData")->text(), platform::todayText());
        QVERIFY(salvar()->isVisible());
        QVERIFY(novo()->isHidden());

        // The next video goes in the same way.
        typeOver(w("txtCodigo"), "13");
        QTest::keyClick(focus(), Qt::Key_Return);
        QCOMPARE(focus(), w("txtVideo"));
        QTest::keyClicks(focus(), "alien");
        QTest::keyClick(focus(), Qt::Key_Return);
        QTest::keyClicks(focus(), "ter");
        QTest::keyClick(focus(), Qt::Key_Return);
        QTest::keyClick(focus(), Qt::Key_Return);
        QTest::keyClicks(focus(), "1");
        MessageBox::clearShown();
        // No price given: Sim to storing it so, then No to another video.
        MessageBox::setNextAnswer(QMessageBox::Yes);
        MessageBox::setNextAnswer(QMessageBox::No);
        QTest::mouseClick(salvar(), Qt::LeftButton);
        QCOMPARE(MessageBox::shown().size(), 2);
        QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Pergunta de Preço de Locação"));
        QCOMPARE(shop->count("tblVideos"), 2);
        QCOMPARE(shop->rows("tblVideos").last()["Valor"], QVariant(QString("")));
        QCOMPARE(shop->rows("tblVideos").last()["Genero"].toString(), QStringLiteral("Terror"));
        QVERIFY(shop->rows("tblVideos").last()["Tipo"].isNull());
    }

    void noCategoryAndAHandTypedGenreAreStoredAsTyped()
    {
        typeOver(w("txtCodigo"), "7");
        QTest::keyClick(focus(), Qt::Key_Return);
        QTest::keyClicks(focus(), "rio bravo");
        QTest::keyClick(focus(), Qt::Key_Return);
        typeText(focus(), "Faroeste");
        QCOMPARE(genero()->currentText(), QStringLiteral("Faroeste"));
        QTest::keyClick(focus(), Qt::Key_Return);
        QTest::keyClick(focus(), Qt::Key_Return);
        QTest::keyClicks(focus(), "10");
        // A price that is no number is refused where it is typed.
        for (const char* bad : {"barato", "7.50"}) {
            MessageBox::clearShown();
            typeOver(w("txtValor"), bad);
            QTest::keyClick(focus(), Qt::Key_Return);
            QCOMPARE(focus(), w("txtValor"));
            QCOMPARE(MessageBox::shown().size(), 1);
            QCOMPARE(MessageBox::shown()[0].text,
                     QStringLiteral("O preço de locação \"%1\" não é um valor válido.\n"
                                    "Digite o preço em reais, por exemplo 2,50.")
                         .arg(bad));
        }
        typeOver(w("txtValor"), "7,555");
        QTest::keyClick(focus(), Qt::Key_Return);
        QCOMPARE(w("txtValor")->text(), QStringLiteral("R$\u00a07,56"));
        MessageBox::clearShown();
        MessageBox::setNextAnswer(QMessageBox::Yes);
        QTest::mouseClick(salvar(), Qt::LeftButton);

        const auto rows = shop->rows("tblVideos");
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0]["Genero"].toString(), QStringLiteral("Faroeste"));
        QCOMPARE(rows[0]["Nome"].toString(), QStringLiteral("Rio Bravo"));
        QCOMPARE(rows[0]["QTDE"].toLongLong(), 10);
        QCOMPARE(rows[0]["Valor"].toString(), QStringLiteral("R$\u00a07,56"));
        QCOMPARE(rows[0]["Local"], QVariant(QString("")));
        QVERIFY(rows[0]["Tipo"].isNull());
        // The list stays as it was.
        QCOMPARE(genero()->count(), 13);
        QCOMPARE(genero()->findText("Faroeste"), -1);
    }

    void pricesAreCheckedWhereTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("refusal"); // the message on leaving; empty: none
        QTest::addColumn<bool>("asked");      // the empty-price question at Salvar
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QVariant>("stored"); // Valor of the row; null: no row
        const QString how = QStringLiteral("\nDigite o preço em reais, por exemplo 2,50.");
        const QString above = QStringLiteral(" passa do máximo de R$\u00a09.999,99.") + how;
        QTest::newRow("negative") << "-5"
                                  << "O preço de locação \"-5\" é negativo." + how << false << false
                                  << QVariant();
        QTest::newRow("one centavo below zero")
            << "-0,01"
            << "O preço de locação \"-0,01\" é negativo." + how << false << false << QVariant();
        QTest::newRow("zero") << "0"
                              << "" << false << false << QVariant("R$\u00a00,00");
        QTest::newRow("empty, Sim") << ""
                                    << "" << true << true << QVariant("");
        QTest::newRow("blanks, Sim") << "   "
                                     << "" << true << true << QVariant("");
        QTest::newRow("empty, Não") << ""
                                    << "" << true << false << QVariant();
        QTest::newRow("highest") << "9999,99"
                                 << "" << false << false << QVariant("R$\u00a09.999,99");
        QTest::newRow("one centavo above")
            << "10.000,00"
            << "O preço de locação \"10.000,00\"" + above << false << false << QVariant();
        QTest::newRow("two copies overflow")
            << "92233720368547758,07"
            << "O preço de locação \"92233720368547758,07\"" + above << false << false << QVariant();
        QTest::newRow("past any amount")
            << "99999999999999999999"
            << "O preço de locação \"99999999999999999999\"" + above << false << false << QVariant();
        QTest::newRow("no number") << "7.50"
                                   << "O preço de locação \"7.50\" não é um valor válido." + how << false
                                   << false << QVariant();
    }

    void pricesAreCheckedWhereTyped()
    {
        QFETCH(QString, typed);
        QFETCH(QString, refusal);
        QFETCH(bool, asked);
        QFETCH(bool, answer);
        QFETCH(QVariant, stored);
        fillRequired("8", QString());
        typeOver(w("txtValor"), typed);
        QTest::keyClick(focus(), Qt::Key_Tab);
        if (refusal.isEmpty()) {
            QVERIFY(MessageBox::shown().isEmpty());
            QCOMPARE(focus(), salvar());
        } else {
            // Refused as typed: the text stays for the operator to mend.
            QCOMPARE(MessageBox::shown().size(), 1);
            QCOMPARE(MessageBox::shown()[0].text, refusal);
            QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Informação de Vídeo"));
            QCOMPARE(focus(), w("txtValor"));
            QCOMPARE(w("txtValor")->text(), typed);
        }

        MessageBox::clearShown();
        if (asked)
            MessageBox::setNextAnswer(answer ? QMessageBox::Yes : QMessageBox::No);
        MessageBox::setNextAnswer(QMessageBox::Yes); // another video
        salvar()->click();
        if (asked) {
            const MessageBox::Shown& q = MessageBox::shown().value(0);
            QCOMPARE(q.text, QStringLiteral("O Preço de Locação está vazio: o vídeo será alugado por "
                                            "R$\u00a00,00.\nDeseja gravar o vídeo sem preço?"));
            QCOMPARE(q.title, QStringLiteral("Pergunta de Preço de Locação"));
            QCOMPARE(q.icon, QMessageBox::Question);
            QCOMPARE(q.buttons, QMessageBox::Yes | QMessageBox::No);
        } else if (!refusal.isEmpty()) {
            // Salvar leaves the price first: refused again, nothing stored.
            QCOMPARE(MessageBox::shown().size(), 1);
            QCOMPARE(MessageBox::shown()[0].text, refusal);
        }
        if (stored.isNull()) {
            QCOMPARE(shop->count("tblVideos"), 0);
            QCOMPARE(focus(), w("txtValor"));
            QCOMPARE(w("txtVideo")->text(), QStringLiteral("Tubarão"));
        } else {
            QCOMPARE(shop->count("tblVideos"), 1);
            QCOMPARE(shop->rows("tblVideos").first()["Valor"], stored);
            QCOMPARE(MessageBox::shown().last().title, QStringLiteral("Pergunta para Novo Cadastro"));
        }
    }

    void answeringNoClosesTheWindow()
    {
        fillRequired("9");
        MessageBox::setNextAnswer(QMessageBox::No);
        QTest::mouseClick(salvar(), Qt::LeftButton);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(shop->count("tblVideos"), 1);
        QTRY_VERIFY(form.isNull());
    }

    void duplicateCodeShowsTheStoredVideo()
    {
        insertVideo("5", "Casablanca", QStringLiteral("48 Horas"), "2.5");
        const QRect salvarPlace = salvar()->geometry();
        typeOver(w("txtCodigo"), "5");
        QTest::keyClick(focus(), Qt::Key_Tab);

        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].text, Duplicate);
        QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Informação do Sistema"));
        QCOMPARE(MessageBox::shown()[0].icon, QMessageBox::Information);
        QCOMPARE(MessageBox::shown()[0].buttons, QMessageBox::Ok);
        QCOMPARE(w("txtVideo")->text(), QStringLiteral("Casablanca"));
        QCOMPARE(w("txtData")->text(), QStringLiteral("01/02/2003"));
        QCOMPARE(genero()->currentText(), QStringLiteral("Drama"));
        QCOMPARE(w("txtQTDE")->text(), QStringLiteral("3"));
        QCOMPARE(w("txtLocal")->text(), QStringLiteral("Estante B"));
        // The price shows as stored.
        QCOMPARE(w("txtValor")->text(), QStringLiteral("2.5"));
        QVERIFY(w<QRadioButton>("opt48")->isChecked());

        QVERIFY(novo()->isVisible());
        QVERIFY(novo()->isEnabled());
        QCOMPARE(focus(), novo());
        QVERIFY(!salvar()->isVisible());
        QVERIFY(!salvar()->isEnabled());
        QCOMPARE(novo()->geometry(), salvarPlace);

        QTest::mouseClick(novo(), Qt::LeftButton);
        QVERIFY(novo()->isHidden());
        QVERIFY(!novo()->isEnabled());
        QVERIFY(salvar()->isVisible());
        QVERIFY(salvar()->isEnabled());
        QCOMPARE(focus(), w("txtCodigo"));
        for (const char* name : {"txtCodigo", "txtVideo", "txtLocal", "txtQTDE", "txtValor"})
            QVERIFY2(w(name)->text().isEmpty(), name);
        QCOMPARE(genero()->currentText(), QString());
        QVERIFY(noOptionChosen());
        QCOMPARE(w("txtData")->text(), platform::todayText());
        QCOMPARE(shop->count("tblVideos"), 1);
        QCOMPARE(shop->rows("tblVideos").first()["Nome"].toString(), QStringLiteral("Casablanca"));
    }

    void anUnknownCategoryLeavesTheOptionsAlone()
    {
        insertVideo("5", "Casablanca", QStringLiteral("Clássico"), "R$ 2,00");
        w<QRadioButton>("optSuper")->setChecked(true);
        typeOver(w("txtCodigo"), "5");
        QTest::keyClick(focus(), Qt::Key_Return);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(w("txtVideo")->text(), QStringLiteral("Casablanca"));
        QVERIFY(w<QRadioButton>("optSuper")->isChecked());
        QVERIFY(!w<QRadioButton>("opt48")->isChecked());
    }

    void aTitleWithNoCategoryUnchoosesTheOptions()
    {
        insertVideo("5", "Casablanca", QVariant(), "R$ 2,00");
        w<QRadioButton>("optSuper")->setChecked(true);
        typeOver(w("txtCodigo"), "5");
        QTest::keyClick(focus(), Qt::Key_Return);
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(noOptionChosen());
    }

    void columnsWithoutValueShowEmpty()
    {
        shop->exec("INSERT INTO tblVideos (Codigo) VALUES ('3')");
        w("txtVideo")->setText("Antes");
        w("txtValor")->setText("R$ 1,00");
        typeOver(w("txtCodigo"), "3");
        QTest::keyClick(focus(), Qt::Key_Tab);
        QCOMPARE(MessageBox::shown().size(), 1);
        for (const char* name : {"txtVideo", "txtLocal", "txtQTDE", "txtValor", "txtData"})
            QVERIFY2(w(name)->text().isEmpty(), name);
        QCOMPARE(genero()->currentText(), QString());
        QVERIFY(noOptionChosen());
    }

    void requiredFieldsInTheirOrder()
    {
        const QList<QPair<const char*, QString>> steps = {
            {"txtCodigo", "O Campo:    ((Código))    não pode ter valor nulo"},
            {"txtVideo", "O Campo:    ((Vídeo))    não pode ter valor nulo"},
            {"txtQTDE", "O Campo:    ((Quantidade))    não pode ter valor nulo"},
            {"cboGenero", "O Campo:    ((Gênero))    não pode ter valor nulo"}};
        for (const auto& [name, message] : steps) {
            MessageBox::clearShown();
            salvar()->click();
            QCOMPARE(MessageBox::shown().size(), 1);
            QCOMPARE(MessageBox::shown()[0].text, message);
            QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Mensagem de Informação"));
            QCOMPARE(MessageBox::shown()[0].icon, QMessageBox::Information);
            QCOMPARE(MessageBox::shown()[0].buttons, QMessageBox::Ok);
            QCOMPARE(focus(), w<QWidget>(name));
            QCOMPARE(shop->count("tblVideos"), 0);
            // Fill it for the next round; blanks count as filled.
            if (auto* combo = qobject_cast<QComboBox*>(w<QWidget>(name)))
                combo->setEditText("   ");
            else
                w(name)->setText(qstrcmp(name, "txtVideo") == 0 ? QStringLiteral("  ") : QStringLiteral("1"));
        }
        w("txtValor")->setText("2,00");
        MessageBox::clearShown();
        MessageBox::setNextAnswer(QMessageBox::Yes);
        salvar()->click();
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Pergunta para Novo Cadastro"));
        const auto r = shop->rows("tblVideos").first();
        QCOMPARE(r["Nome"].toString(), QStringLiteral("  "));
        QCOMPARE(r["Genero"].toString(), QStringLiteral("   "));
    }

    void saveChecksTheCodeAgainAndNeverOverwrites()
    {
        // The code left while free, then taken before the save.
        typeOver(w("txtCodigo"), "5");
        QTest::keyClick(focus(), Qt::Key_Return);
        fillRequired("5");
        insertVideo("5", "Casablanca", QVariant(), "R$ 2,00");

        salvar()->click();
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].text, Duplicate);
        QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Informação do Sistema"));
        QCOMPARE(focus(), w("txtCodigo"));
        QCOMPARE(shop->count("tblVideos"), 1);
        QCOMPARE(shop->rows("tblVideos").first()["Nome"].toString(), QStringLiteral("Casablanca"));
        QCOMPARE(w("txtVideo")->text(), QStringLiteral("Tubarão"));
        QCOMPARE(w("txtCodigo")->text(), QStringLiteral("5"));

        w("txtCodigo")->setText("6");
        MessageBox::clearShown();
        MessageBox::setNextAnswer(QMessageBox::Yes);
        salvar()->click();
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Pergunta para Novo Cadastro"));
        QCOMPARE(shop->count("tblVideos"), 2);
        QCOMPARE(shop->rows("tblVideos").last()["Nome"].toString(), QStringLiteral("Tubarão"));
    }

    void codesFromABarcode_data() { barcodeRows(); }

    // What a scanner types (digits, then Enter) is taken whole and stored.
    void codesFromABarcode()
    {
        QFETCH(QString, typed);
        QFETCH(QString, code);
        typeOver(w("txtCodigo"), typed);
        QCOMPARE(w("txtCodigo")->text(), code);
        QVERIFY(showsWhole(w("txtCodigo")));
        QTest::keyClick(focus(), Qt::Key_Return);
        QCOMPARE(focus(), w("txtVideo"));
        fillRequired(code);
        MessageBox::clearShown();
        MessageBox::setNextAnswer(QMessageBox::Yes);
        salvar()->click();
        QCOMPARE(shop->rows("tblVideos").value(0).value("Codigo").toString(), code);
        // The taken code is found again, whole.
        MessageBox::clearShown();
        typeOver(w("txtCodigo"), code);
        QTest::keyClick(focus(), Qt::Key_Return);
        QCOMPARE(lastMessage(), Duplicate);
    }

    void codeAndCopiesTakeDigitsOnly()
    {
        for (const char* name : {"txtCodigo", "txtQTDE"}) {
            QLineEdit* edit = w(name);
            edit->setFocus();
            QTest::keyClicks(edit, "a1-2 b3");
            typeText(edit, "é");
            QTest::keyClick(edit, Qt::Key_Backspace);
            QCOMPARE(edit->text(), QStringLiteral("123"));

            QApplication::clipboard()->setText(QStringLiteral("-5"));
            QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(edit->text(), QStringLiteral("123"));
            QApplication::clipboard()->setText(QStringLiteral("4x"));
            edit->paste();
            QCOMPARE(edit->text(), QStringLiteral("123"));
            QApplication::clipboard()->setText(QStringLiteral("45"));
            QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(edit->text(), QStringLiteral("12345"));

            // Selecting and retyping is how a digit is corrected.
            edit->selectAll();
            QTest::keyClicks(edit, "9");
            QCOMPARE(edit->text(), QStringLiteral("9"));
        }
    }

    void copiesAlwaysFitTheCountColumn()
    {
        fillRequired("4");
        auto* copies = w("txtQTDE");
        copies->setFocus();
        copies->selectAll();
        QTest::keyClicks(copies, "12345678901234567890");
        QCOMPARE(copies->text(), QStringLiteral("123456789"));
        MessageBox::setNextAnswer(QMessageBox::Yes);
        salvar()->click();
        const auto r = shop->rows("tblVideos").first();
        QCOMPARE(r["QTDE"].typeId(), QMetaType::LongLong);
        QCOMPARE(r["QTDE"].toLongLong(), 123456789LL);
    }

    void localTooltipChangesOnFocus()
    {
        QCOMPARE(w("txtLocal")->toolTip(), FixedTip);
        w("txtVideo")->setFocus();
        QCOMPARE(w("txtLocal")->toolTip(), FixedTip);
        genero()->setFocus();
        QTest::keyClick(focus(), Qt::Key_Tab);
        QCOMPARE(focus(), w("txtLocal"));
        QCOMPARE(w("txtLocal")->toolTip(), FocusTip);
    }

    void aFailingDiskKeepsEverythingTyped()
    {
        fillRequired("5");
        w<QRadioButton>("optSuper")->setChecked(true);
        // Another program holds the file for writing.
        shop->whileLocked([&] { salvar()->click(); });
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].icon, QMessageBox::Warning);
        QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Erro no Arquivo de Dados"));
        QVERIFY(MessageBox::shown()[0].text.contains(QStringLiteral("bloqueado")));
        QCOMPARE(shop->count("tblVideos"), 0);
        QCOMPARE(w("txtVideo")->text(), QStringLiteral("Tubarão"));
        QCOMPARE(genero()->currentText(), QStringLiteral("Terror"));
        QVERIFY(w<QRadioButton>("optSuper")->isChecked());
        QVERIFY(form->isVisible());

        // Once the file is free, the same Salvar stores the video.
        MessageBox::clearShown();
        MessageBox::setNextAnswer(QMessageBox::Yes);
        salvar()->click();
        QCOMPARE(shop->count("tblVideos"), 1);
        QCOMPARE(shop->rows("tblVideos").first()["Tipo"].toString(), QStringLiteral("Super Lançamento"));
    }
};

QTEST_MAIN(TestFrmVideos)
#include "tst_frmVideos.moc"
