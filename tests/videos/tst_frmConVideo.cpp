#include "WindowTest.h"
#include "platform/widgets/MessageBox.h"
#include "videos/frmConVideo.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace {

const QString NotFound = QStringLiteral("Vídeo não Encontrado ou Cadastrado!");
const char* const DisplayFields[] = {"txtCodigo", "txtGenero", "txtQTDE", "txtLocal", "txtValor"};

// Whether the field shows its whole text: with the cursor at the end, the
// first character is still in view (drawing scrolls the text to the cursor).
bool showsWhole(QLineEdit* edit)
{
    edit->end(false);
    edit->grab();
    return edit->cursorPositionAt(QPoint(0, edit->height() / 2)) == 0;
}

} // namespace

class TestFrmConVideo : public WindowFixture<frmConVideo, Opening::ByTest>
{
    Q_OBJECT

    QComboBox* video() { return w<QComboBox>("cboVideo"); }

    void insertVideo(const QVariant& codigo, const QString& nome, const QVariant& genero,
                     const QVariant& qtde, const QVariant& local, const QVariant& valor)
    {
        shop->exec("INSERT INTO tblVideos (Data, Codigo, Nome, Genero, QTDE, Local, Valor, Tipo) "
                   "VALUES ('01/02/2003', ?, ?, ?, ?, ?, ?, 'Lançamento')",
                   {codigo, nome, genero, qtde, local, valor});
    }

    // Types a title into the list field and leaves it with Enter.
    void query(const QString& title) { enterText(video(), title); }

    void checkNotFoundShown()
    {
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].text, NotFound);
        QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Informação de Vídeo"));
        QCOMPARE(MessageBox::shown()[0].icon, QMessageBox::Information);
        QCOMPARE(MessageBox::shown()[0].buttons, QMessageBox::Ok);
    }

    void checkAllEmpty()
    {
        QCOMPARE(video()->currentText(), QString());
        QCOMPARE(video()->currentIndex(), -1);
        for (const char* name : DisplayFields)
            QVERIFY2(w(name)->text().isEmpty(), name);
    }

    void stock() override
    {
        insertVideo("5", "Casablanca", "Drama", 3, "Estante B", "2.5");
        insertVideo("2", "Alien", "Terror", 1, "Estante C", "R$ 3,00");
        insertVideo("9", "Casa Blanca", "Comédia", 0, "Fundo", "2,5");
    }

private slots:
    // A title typed without its accents, key by key or whole, finds the
    // video and shows the title as stored.
    void accentsAside_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("keyByKey");
        QTest::addColumn<QString>("code");
        QTest::newRow("typed") << "acao mutante" << true << "7";
        QTest::newRow("set whole") << "ACAO MUTANTE" << false << "7";
        QTest::newRow("exact spelling first") << "Acao Mutante" << false << "8";
    }

    void accentsAside()
    {
        QFETCH(QString, typed);
        QFETCH(bool, keyByKey);
        QFETCH(QString, code);
        insertVideo("7", "Ação Mutante", "Ação", 2, "Estante A", "3,00");
        insertVideo("8", "Acao Mutante", "Ação", 1, "Estante A", "3,00");
        open();
        if (keyByKey) {
            query(typed);
        } else {
            video()->setEditText(typed);
            QTest::keyClick(video(), Qt::Key_Return);
        }
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(w("txtCodigo")->text(), code);
        QCOMPARE(video()->currentText(), code == "7" ? QStringLiteral("Ação Mutante") : typed);
    }

    // A line chosen in "Buscar" shows that very video, by its code, where a
    // look-up by the title would show the first stored with it.
    void aSearchShowsTheLineChosen()
    {
        insertVideo("7", "Casablanca", "Romance", 1, "Estante D", "R$ 4,00");
        open();
        QTest::mouseClick(w("txtBuscar"), Qt::LeftButton);
        QVERIFY(MessageBox::shown().isEmpty());
        typeText(w("txtBuscar"), QStringLiteral("casáb"));
        auto* list = w<QTreeWidget>("lstBuscar");
        QStringList lines;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            lines << QStringList{list->topLevelItem(i)->text(0), list->topLevelItem(i)->text(1),
                                 list->topLevelItem(i)->text(2), list->topLevelItem(i)->text(3)}
                         .join('|');
        QCOMPARE(lines, (QStringList{"Casablanca|5|Lançamento|3", "Casablanca|7|Lançamento|1"}));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->topLevelItem(1)).center());
        QCOMPARE(video()->currentText(), QStringLiteral("Casablanca"));
        QCOMPARE(w("txtCodigo")->text(), QStringLiteral("7"));
        QCOMPARE(w("txtGenero")->text(), QStringLiteral("Romance"));
        QCOMPARE(w("txtValor")->text(), QStringLiteral("R$\u00a04,00"));
        // A code typed finds its video.
        w("txtBuscar")->clear();
        typeText(w("txtBuscar"), QStringLiteral("2"));
        QCOMPARE(list->topLevelItemCount(), 1);
        QTest::keyClick(w("txtBuscar"), Qt::Key_Down);
        QCOMPARE(w("txtCodigo")->text(), QStringLiteral("2"));
        QCOMPARE(video()->currentText(), QStringLiteral("Alien"));
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void windowAtOpening()
    {
        open();
        QCOMPARE(form->windowTitle(), QStringLiteral("Consulta de Vídeo"));
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(focus(), video());
        QVERIFY(video()->isEditable());
        QCOMPARE(video()->insertPolicy(), QComboBox::NoInsert);
        // Every title, in the order the rows were stored.
        QStringList items;
        for (int i = 0; i < video()->count(); ++i)
            items << video()->itemText(i);
        QCOMPARE(items, QStringList({"Casablanca", "Alien", "Casa Blanca"}));
        checkAllEmpty();

        QCOMPARE(w<QPushButton>("cmdOk")->text(), QStringLiteral("&OK"));
        const QList<QPair<const char*, QString>> labels = {
            {"cboVideo", "Vídeo:"}, {"txtCodigo", "Código:"},       {"txtGenero", "Gênero:"},
            {"txtQTDE", "QTDE:"},   {"txtLocal", "Local da Loja:"}, {"txtValor", "Preço de Locação:"}};
        for (const auto& [name, label] : labels) {
            QWidget* field = w<QWidget>(name);
            QCOMPARE(field->accessibleName(), label);
            bool shown = false;
            for (QLabel* l : form->findChildren<QLabel*>())
                shown = shown || (l->text() == label && l->buddy() == field && l->isVisible());
            QVERIFY2(shown, name);
        }
        for (const char* name : DisplayFields)
            QVERIFY2(!w(name)->isEnabled(), name);
        QCOMPARE(w("txtLocal")->toolTip(),
                 QStringLiteral("Local onde o video fica localizado dentro da loja"));

        // Placed as drawn: a long title field on top, OK below the fields,
        // every label whole and left of its field.
        const QRect combo = video()->geometry();
        QVERIFY(combo.x() >= 72 && qAbs(combo.y() - 24) <= 2 && qAbs(combo.width() - 361) <= 2);
        QVERIFY(w("txtLocal")->geometry().x() > w("txtGenero")->geometry().right());
        QCOMPARE(w("txtValor")->geometry().x(), w("txtLocal")->geometry().x());
        QVERIFY(w<QPushButton>("cmdOk")->geometry().y() > w("txtValor")->geometry().bottom());
        for (QLabel* l : form->findChildren<QLabel*>()) {
            QVERIFY2(l->width() >= l->sizeHint().width(), qPrintable(l->text()));
            QVERIFY2(l->geometry().right() < l->buddy()->geometry().left(), qPrintable(l->text()));
            QVERIFY2(form->rect().contains(l->buddy()->geometry()), qPrintable(l->text()));
        }
        QVERIFY(form->rect().contains(w<QPushButton>("cmdOk")->geometry()));

        const QStringList order = {"cboVideo", "cmdOk",     "txtValor", "txtQTDE",
                                   "txtLocal", "txtCodigo", "txtGenero"};
        QWidget* at = video();
        for (const QString& name : order) {
            QCOMPARE(at->objectName(), name);
            do
                at = at->nextInFocusChain();
            while (at->objectName().isEmpty() || at->parentWidget() == video());
        }
    }

    void aFoundTitleShowsItsRecord()
    {
        open();
        video()->setFocus();
        // Completed from the list as it is typed.
        QTest::keyClicks(video(), "casab");
        QCOMPARE(video()->currentText(), QStringLiteral("Casablanca"));
        QTest::keyClick(focus(), Qt::Key_Return);

        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(focus(), w<QPushButton>("cmdOk"));
        QCOMPARE(w("txtCodigo")->text(), QStringLiteral("5"));
        QCOMPARE(w("txtGenero")->text(), QStringLiteral("Drama"));
        QCOMPARE(w("txtQTDE")->text(), QStringLiteral("3"));
        QCOMPARE(w("txtLocal")->text(), QStringLiteral("Estante B"));
        // A price the money rule cannot read ("2.5") shows as stored.
        QCOMPARE(w("txtValor")->text(), QStringLiteral("2.5"));
        QCOMPARE(video()->currentText(), QStringLiteral("Casablanca"));

        // Enter on OK goes round to the title again; the text boxes are skipped.
        QTest::keyClick(focus(), Qt::Key_Return);
        QCOMPARE(focus(), video());

        MessageBox::clearShown();
        query("Casa Blanca");
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(w("txtCodigo")->text(), QStringLiteral("9"));
        QCOMPARE(w("txtQTDE")->text(), QStringLiteral("0"));
        QCOMPARE(w("txtValor")->text(), QStringLiteral("R$\u00a02,50"));

        query("Alien");
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(w("txtGenero")->text(), QStringLiteral("Terror"));
        QCOMPARE(w("txtValor")->text(), QStringLiteral("R$\u00a03,00"));
    }

    void timesRentedAndWhoHasItNow()
    {
        shop->exec(
            "INSERT INTO NoteHistory (Id, Codigo, Data, Cliente) VALUES (1, '100', '01/12/2026', 'Ana'), "
            "(2, '101', '02/12/2026', 'Rui')");
        shop->exec("INSERT INTO RentedVideos (Note, Slot, Codigo, Titulo, ReturnedAt) VALUES "
                   "(1, 0, '5', 'Casablanca', '2026-12-03T10:00:00'), (2, 3, '5', 'Casablanca', NULL), "
                   "(2, 4, '2', 'Alien', NULL)");
        open();
        query("Casablanca");
        QCOMPARE(w("txtVezes")->text(), QStringLiteral("2"));
        auto* list = w<QTreeWidget>("lstLocado");
        QCOMPARE(list->topLevelItemCount(), 1);
        QCOMPARE(list->topLevelItem(0)->text(0) + '|' + list->topLevelItem(0)->text(1) + '|' +
                     list->topLevelItem(0)->text(2),
                 QStringLiteral("101|02/12/2026|Rui"));
        query("Casa Blanca");
        QCOMPARE(w("txtVezes")->text(), QStringLiteral("0"));
        QCOMPARE(list->topLevelItemCount(), 0);
    }

    void aLongCodeShowsWhole()
    {
        insertVideo("12345678901234567890", "Código de Barras", "Drama", 1, "A", "2,00");
        open();
        query("Código de Barras");
        QCOMPARE(w("txtCodigo")->text(), QStringLiteral("12345678901234567890"));
        QVERIFY(showsWhole(w("txtCodigo")));
    }

    void pricesThatAreNoNumberShowAsStored()
    {
        insertVideo("11", "Barato", "Drama", 1, "", "barato");
        insertVideo("12", "Milhar", "Drama", 1, "", "1234.5");
        insertVideo("13", "Agrupado", "Drama", 1, "", "1.234,5");
        open();
        query("Barato");
        QCOMPARE(w("txtValor")->text(), QStringLiteral("barato"));
        query("Milhar"); // a dot between 1 and 234,5 is no group: not a number
        QCOMPARE(w("txtValor")->text(), QStringLiteral("1234.5"));
        query("Agrupado");
        QCOMPARE(w("txtValor")->text(), QStringLiteral("R$\u00a01.234,50"));
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void trailingTextIsNotFoundAndEmptiesEverything()
    {
        open();
        query("Casablanca");
        QCOMPARE(w("txtCodigo")->text(), QStringLiteral("5"));

        // Typed past the completion: no such title.
        video()->setFocus();
        video()->lineEdit()->end(false);
        QTest::keyClicks(video(), " II");
        QCOMPARE(video()->currentText(), QStringLiteral("Casablanca II"));
        QTest::keyClick(focus(), Qt::Key_Return);
        checkNotFoundShown();
        checkAllEmpty();
        QCOMPARE(focus(), video());
    }

    void anEmptyTitleIsNotFound()
    {
        open();
        QTest::keyClick(video(), Qt::Key_Tab);
        checkNotFoundShown();
        checkAllEmpty();
        QCOMPARE(focus(), video());

        // Clicking OK to leave an empty title asks again and stays (the
        // operator's click comes after the first message is gone).
        QCoreApplication::processEvents();
        MessageBox::clearShown();
        QTest::mouseClick(w<QPushButton>("cmdOk"), Qt::LeftButton);
        checkNotFoundShown();
        QCOMPARE(focus(), video());
    }

    void okEmptiesTheWindow()
    {
        open();
        query("Alien");
        QCOMPARE(focus(), w<QPushButton>("cmdOk"));
        QVERIFY(!w("txtLocal")->text().isEmpty());
        QTest::mouseClick(w<QPushButton>("cmdOk"), Qt::LeftButton);
        QVERIFY(MessageBox::shown().isEmpty());
        checkAllEmpty();
        QCOMPARE(focus(), video());
        // The list stays for the next query.
        QCOMPARE(video()->count(), 3);

        // A title still in the field when OK is clicked is looked up first.
        query("Alien");
        video()->setFocus();
        QTest::mouseClick(w<QPushButton>("cmdOk"), Qt::LeftButton);
        QVERIFY(MessageBox::shown().isEmpty());
        checkAllEmpty();
        QCOMPARE(focus(), video());
    }

    void columnsWithoutValueShowEmpty()
    {
        insertVideo(QVariant(), "Sem Dados", QVariant(), QVariant(), QVariant(), QVariant());
        open();
        query("Alien");
        query("Sem Dados");
        QVERIFY(MessageBox::shown().isEmpty());
        for (const char* name : DisplayFields)
            QVERIFY2(w(name)->text().isEmpty(), name);
    }

    void aTitleStoredAfterOpeningIsFoundTypedInFull()
    {
        open();
        insertVideo("30", "Novo Filme", "Drama", 2, "Vitrine", "4");
        QCOMPARE(video()->findText("Novo Filme"), -1);
        query("Novo Filme");
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(w("txtCodigo")->text(), QStringLiteral("30"));
        QCOMPARE(w("txtValor")->text(), QStringLiteral("R$\u00a04,00"));
        QCOMPARE(video()->findText("Novo Filme"), -1);
    }

    void anUnreadableTableStillOpensTheWindow()
    {
        shop->exec("DROP TABLE tblVideos");
        open();
        QVERIFY(form->isVisible());
        QCOMPARE(video()->count(), 0);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].icon, QMessageBox::Warning);
        QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Erro no Arquivo de Dados"));

        // A query then reports the failure and keeps the operator in the field.
        MessageBox::clearShown();
        query("Alien");
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].icon, QMessageBox::Warning);
        QCOMPARE(focus(), video());
        QVERIFY(w("txtCodigo")->text().isEmpty());
    }
};

QTEST_MAIN(TestFrmConVideo)
#include "tst_frmConVideo.moc"
