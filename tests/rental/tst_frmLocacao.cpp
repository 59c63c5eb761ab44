#include "WindowTest.h"
#include "platform/Formats.h"
#include "platform/print/LinePrinter.h"
#include "platform/widgets/MessageBox.h"
#include "rental/RentalNote.h"
#include "rental/frmLocacao.h"
#include "store/PendingNote.h"
#include "store/StoreError.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPdfWriter>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString nbsp = QStringLiteral("\u00a0");
QString money(const char* amount)
{
    return "R$" + nbsp + QString::fromUtf8(amount);
}

// Whether the field shows its whole text: with the cursor at the end, the
// first character is still in view (drawing scrolls the text to the cursor).
bool showsWhole(QLineEdit* edit)
{
    edit->end(false);
    edit->grab();
    return edit->cursorPositionAt(QPoint(0, edit->height() / 2)) == 0;
}

} // namespace

class TestFrmLocacao : public WindowFixture<frmLocacao, Opening::ByTest>
{
    Q_OBJECT

    QString slot(int k) { return w<QLabel>(qPrintable(QStringLiteral("lbl%1").arg(k)))->text(); }
    QString slotCode(int k)
    {
        return w<QLabel>(qPrintable(QStringLiteral("lblCodigo%1").arg(k - 1)))->text();
    }

    void addVideo(const QString& code, const QString& title, const QVariant& price, int qtde = 3,
                  const QVariant& type = QStringLiteral("Lançamento"))
    {
        shop->exec("INSERT INTO tblVideos (Codigo, Nome, QTDE, Valor, Tipo) VALUES (?, ?, ?, ?, ?)",
                   {code, title, qtde, price, type});
    }
    void customer(const QString& name) { enterText(w<QComboBox>("cboClientes"), name); }
    enum Press { Mouse, AccessKey, Call };
    // Presses a button the way an operator would, from wherever the focus is.
    void pressButton(const char* name, int how)
    {
        auto* button = w<QPushButton>(name);
        if (how == Mouse)
            QTest::mouseClick(button, Qt::LeftButton);
        else if (how == AccessKey)
            QTest::keyClick(focus(),
                            Qt::Key(button->text().at(button->text().indexOf(u'&') + 1).toUpper().unicode()),
                            Qt::AltModifier);
        else
            button->click();
    }
    void video(const QString& code) { enterText(w<QComboBox>("cbo1"), code); }
    void discount(const QString& text) { enterText(w("txtDesconto"), text); }

    void stock() override
    {
        shop->exec("INSERT INTO tblClientes (Codigo, Nome, Dependente1, Dependente2, Dependente3, CPF) "
                   "VALUES ('1', 'Maria Silva', 'Ana Silva', '', 'Rui Silva', '1')");
        addVideo("10", "Alien", "R$ 10,00");
        addVideo("11", "Casablanca", "5,00", 0, QStringLiteral("48 Horas"));
        addVideo("12", "Ran", "3,5");
        addVideo("13", "Sem Preço", "7.50");
    }

private slots:
    void opensWithNextNumberListsAndTabOrder()
    {
        for (int i = 0; i < 57; ++i)
            shop->exec("INSERT INTO Number (Codigo) VALUES (?)", {QString::number(100 + i)});
        open();
        QCOMPARE(form->windowTitle(), QStringLiteral("Locação de Vídeos"));
        QCOMPARE(w("txtCodigo")->text(), QStringLiteral("157"));
        QCOMPARE(w("txtData")->text(), platform::todayText());
        QCOMPARE(w("txtDesconto")->text(), QStringLiteral("R$0,00"));
        QVERIFY(!w<QPushButton>("cmdDesfazer")->isEnabled());
        QVERIFY(!w("txtCodigo")->isEnabled() && !w("txtValor")->isEnabled() && !w("txtData")->isEnabled());
        QCOMPARE(w<QComboBox>("cboClientes")->count(), 3); // the holder and two dependants; no blank row
        QCOMPARE(w<QComboBox>("cbo1")->itemText(3), QStringLiteral("13"));
        QCOMPARE(w<QComboBox>("cboClientes")->accessibleName(),
                 QStringLiteral("Nome e Nº do Cadastro do Cliente:"));

        QCOMPARE(focus(), w<QComboBox>("cboClientes"));
        customer("Maria Silva");
        QCOMPARE(focus(), w("Text1"));
        QTest::keyClick(focus(), Qt::Key_Tab);
        QCOMPARE(focus(), w<QComboBox>("cbo1"));
        video("10");
        QCOMPARE(focus(), w("txtDesconto"));
        QTest::keyClick(focus(), Qt::Key_Tab);
        QCOMPARE(focus(), w<QPushButton>("cmdSalvar"));
        QTest::keyClick(focus(), Qt::Key_Tab);
        QCOMPARE(focus(), w<QPushButton>("cmdDesfazer"));
    }

    void confirmsHoldersAndDependantsOnly_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("found");
        QTest::newRow("holder") << "Maria Silva" << true;
        QTest::newRow("first dependant") << "Ana Silva" << true;
        QTest::newRow("third dependant") << "Rui Silva" << true;
        QTest::newRow("unknown") << "Zé Ninguém" << false;
        QTest::newRow("empty, though a dependant is empty") << "" << false;
    }

    void confirmsHoldersAndDependantsOnly()
    {
        QFETCH(QString, name);
        QFETCH(bool, found);
        open();
        customer(name);
        auto* combo = w<QComboBox>("cboClientes");
        if (found) {
            QVERIFY(MessageBox::shown().isEmpty());
            QCOMPARE(w<QLabel>("lblnome")->text(), name);
            QCOMPARE(focus(), w("Text1"));
        } else {
            QCOMPARE(MessageBox::shown().size(), 1);
            QCOMPARE(lastMessage(), QStringLiteral("Cliente não Encontrado ou Cadastrado"));
            QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Informação de Clientes"));
            QCOMPARE(combo->currentText(), QString());
            QCOMPARE(focus(), combo);
        }
    }

    // The renter found accents aside and shown as stored; namesakes listed
    // with their numbers, and the note kept for the account picked.
    void namesakesAndAccents_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("keyByKey"); // else set whole, never completed
        QTest::addColumn<QString>("name");  // as stored, on the note
        QTest::addColumn<QStringList>("namesakes");
        QTest::addColumn<int>("pick");
        QTest::addColumn<QString>("account");
        const QStringList joao{"João Silva (nº 2)", "João Silva (nº 3, dependente de Conceição Dias)"};
        QTest::newRow("one person") << "conceicao dias" << true << "Conceição Dias" << QStringList() << 0
                                    << "3";
        QTest::newRow("first namesake") << "joao silva" << true << "João Silva" << joao << 0 << "2";
        QTest::newRow("namesake as a dependant") << "JOAO SILVA" << false << "João Silva" << joao << 1 << "3";
    }

    void namesakesAndAccents()
    {
        QFETCH(QString, typed);
        QFETCH(bool, keyByKey);
        QFETCH(QString, name);
        QFETCH(QStringList, namesakes);
        QFETCH(int, pick);
        QFETCH(QString, account);
        shop->exec(
            "INSERT INTO tblClientes (Codigo, Nome, Dependente1, CPF) VALUES ('2', 'João Silva', '', '2'), "
            "('3', 'Conceição Dias', 'João Silva', '3')");
        open();
        auto* combo = w<QComboBox>("cboClientes");
        if (keyByKey) {
            customer(typed);
        } else {
            combo->setEditText(typed);
            QTest::keyClick(combo, Qt::Key_Return);
        }
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(combo->currentText(), name);
        auto* list = w<QListWidget>("lstClientes");
        QStringList listed;
        for (int i = 0; i < list->count(); ++i)
            listed << list->item(i)->text();
        QCOMPARE(listed, namesakes);
        QCOMPARE(list->isVisible(), !namesakes.isEmpty());
        if (!namesakes.isEmpty()) {
            QCOMPARE(focus(), list);
            for (int i = 0; i < pick; ++i)
                QTest::keyClick(focus(), Qt::Key_Down);
            QTest::keyClick(focus(), Qt::Key_Return);
        }
        QCOMPARE(focus(), w("Text1"));
        video("10");
        MessageBox::setNextAnswer(QMessageBox::No);
        w<QPushButton>("cmdSalvar")->click();
        QCOMPARE(shop->rows("tblLocacao").value(0).value("Clientes").toString(), name);
        QCOMPARE(shop->rows("NoteHistory").value(0).value("ClienteCodigo").toString(), account);
        // The next note starts with no namesakes listed.
        QVERIFY(!list->isVisible());
    }

    void fillsSlotsAndTakesCopiesAtOnce()
    {
        for (int i = 0; i < 14; ++i)
            addVideo(QString::number(20 + i), QStringLiteral("Filme %1").arg(i), "1,00", 1, QVariant());
        open();
        customer("Maria Silva");
        video("11"); // QTDE 0 is still rented, going to -1
        QCOMPARE(slot(1), QStringLiteral("Casablanca - 48 Horas"));
        QCOMPARE(slotCode(1), QStringLiteral("11"));
        QCOMPARE(qtde("11"), -1);
        QCOMPARE(w("txtValor")->text(), money("5,00"));
        QVERIFY(w<QPushButton>("cmdDesfazer")->isEnabled());
        video("12");
        QCOMPARE(w("txtValor")->text(), money("8,50"));
        video("12"); // the same video twice takes two copies
        QCOMPARE(qtde("12"), 1);

        // Unknown, empty and unreadable-priced codes are refused; nothing changes.
        for (const QString& bad : {QStringLiteral("99"), QString(), QStringLiteral("13")}) {
            MessageBox::clearShown();
            video(bad);
            QCOMPARE(MessageBox::shown().size(), 1);
            QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Informação de Vídeo"));
            QCOMPARE(focus(), w<QComboBox>("cbo1"));
            QCOMPARE(w<QComboBox>("cbo1")->currentText(), QString());
        }
        QVERIFY(lastMessage().startsWith(
            QStringLiteral("O preço de locação deste vídeo não é válido: \"7.50\"")));
        QCOMPARE(qtde("13"), 3);
        QCOMPARE(slot(4), QString());

        for (int i = 0; i < 13; ++i)
            video(QString::number(20 + i));
        QCOMPARE(slot(16), QStringLiteral("Filme 12 - ")); // a category with no value adds nothing
        QCOMPARE(w("txtValor")->text(), money("25,00"));
        // The seventeenth code is looked up but changes nothing.
        MessageBox::clearShown();
        video("33");
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(qtde("33"), 1);
        QCOMPARE(w("txtValor")->text(), money("25,00"));
        video("98");
        QCOMPARE(lastMessage(), QStringLiteral("Vídeo não cadastrado"));
        QCOMPARE(shop->count("PendingCopies"), 16);
    }

    void discountCountsOnce()
    {
        open();
        customer("Maria Silva");
        video("10");
        discount("2");
        QCOMPARE(w("txtDesconto")->text(), money("2,00"));
        QCOMPARE(w("txtValor")->text(), money("8,00"));
        // Leaving the field again does not take the discount off twice.
        w("txtDesconto")->setFocus();
        QTest::keyClick(focus(), Qt::Key_Return);
        QCOMPARE(w("txtValor")->text(), money("8,00"));
        video("11");
        QCOMPARE(w("txtValor")->text(), money("13,00"));

        // No amount: said where typed, and the field keeps the focus.
        for (const QString& text : {QStringLiteral("dois reais"), QStringLiteral("-1")}) {
            MessageBox::clearShown();
            discount(text);
            QCOMPARE(MessageBox::shown().size(), 1);
            QCOMPARE(lastMessage(), QStringLiteral("O desconto \"%1\" não é um valor válido.\n"
                                                   "Digite o valor do desconto em reais, por exemplo 2,00.")
                                        .arg(text));
            QCOMPARE(focus(), w("txtDesconto"));
            QCOMPARE(w("txtValor")->text(), money("13,00"));
        }
        // More than the value: said, never a negative value, and the focus
        // moves on (the note is refused when saved).
        MessageBox::clearShown();
        discount("15,01");
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(lastMessage(), QStringLiteral("O desconto de R$\u00a015,01 é maior que o valor da locação, "
                                               "R$\u00a015,00.\nA nota só poderá ser gravada com um "
                                               "desconto menor."));
        QCOMPARE(w("txtValor")->text(), money("0,00"));
        QCOMPARE(focus(), w<QPushButton>("cmdSalvar"));
        discount("");
        QCOMPARE(w("txtDesconto")->text(), money("0,00"));
        QCOMPARE(w("txtValor")->text(), money("15,00"));
    }

    void undoGivesTheLastCopyBack()
    {
        open();
        customer("Maria Silva");
        video("11");
        video("12");
        video("12");
        discount("1");
        QCOMPARE(w("txtValor")->text(), money("11,00"));
        auto* undo = w<QPushButton>("cmdDesfazer");
        undo->click();
        QCOMPARE(slot(3), QString());
        QCOMPARE(slotCode(3), QString());
        QCOMPARE(qtde("12"), 2);
        QCOMPARE(w("txtValor")->text(), money("7,50"));
        QCOMPARE(w("txtDesconto")->text(), money("1,00"));
        QCOMPARE(focus(), undo);

        // A video deleted meanwhile: the slot is freed, no shelf count touched.
        shop->exec("DELETE FROM tblVideos WHERE Codigo = '12'");
        undo->click();
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(slot(2), QString());
        QCOMPARE(w("txtValor")->text(), money("4,00"));

        undo->click();
        QCOMPARE(qtde("11"), 0);
        QCOMPARE(w("txtValor")->text(), QString());
        QVERIFY(!undo->isEnabled());
        QCOMPARE(focus(), w<QComboBox>("cboClientes"));
        QCOMPARE(shop->count("PendingCopies"), 0);
    }

    void aDiscountNeverTrapsTheOperator_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("press"); // how Salvar and Desfazer are pressed
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("afterUndo"); // what undoing the last video says; empty: nothing
        const QString tooLarge =
            QStringLiteral("O desconto de R$\u00a020,00 é maior que o valor da locação, ");
        const QString invalid = QStringLiteral("O desconto \"%1\" não é um valor válido.\n"
                                               "Digite o valor do desconto em reais, por exemplo 2,00.");
        const struct
        {
            const char* name;
            int press;
        } presses[] = {{"mouse", Mouse}, {"access key", AccessKey}, {"click()", Call}};
        for (const auto& p : presses) {
            QTest::addRow("larger than the value, %s", p.name)
                << "20" << p.press << tooLarge + "R$\u00a013,50.\nA nota não foi gravada: corrija o desconto."
                << tooLarge + "R$\u00a010,00.\nCorrija o desconto antes de salvar a nota.";
            QTest::addRow("no amount, %s", p.name) << "dois" << p.press << invalid.arg("dois") << "";
            QTest::addRow("below zero, %s", p.name) << "-2" << p.press << invalid.arg("-2") << "";
        }
    }

    // Whatever the discount field holds, Salvar and Desfazer act: Salvar
    // refuses with a message, Desfazer takes the last video off.
    void aDiscountNeverTrapsTheOperator()
    {
        QFETCH(QString, typed);
        QFETCH(int, press);
        QFETCH(QString, refusal);
        QFETCH(QString, afterUndo);
        open();
        customer("Maria Silva");
        video("10");
        video("12");
        QCOMPARE(focus(), w("txtDesconto"));
        typeOver(w("txtDesconto"), typed);

        MessageBox::clearShown();
        pressButton("cmdSalvar", press);
        QTRY_COMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(lastMessage(), refusal);
        QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Informação"));
        QCOMPARE(shop->count("tblLocacao"), 0);
        QCOMPARE(shop->count("Number"), 0);
        QCOMPARE(focus(), w("txtDesconto"));
        QVERIFY(!w("txtValor")->text().startsWith(u'-'));

        MessageBox::clearShown();
        pressButton("cmdDesfazer", press);
        QTRY_COMPARE(slot(2), QString());
        QCOMPARE(qtde("12"), 3);
        QCOMPARE(slot(1), QStringLiteral("Alien - Lançamento"));
        QCOMPARE(MessageBox::shown().size(), afterUndo.isEmpty() ? 0 : 1);
        if (!afterUndo.isEmpty())
            QCOMPARE(lastMessage(), afterUndo);
        QVERIFY(!w("txtValor")->text().startsWith(u'-'));
        QCOMPARE(shop->count("tblLocacao"), 0);
    }

    void aDiscountTypedBeforeTheVideos()
    {
        open();
        customer("Maria Silva");
        typeOver(w("txtDesconto"), "5");
        QTest::keyClick(focus(), Qt::Key_Tab);
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(w("txtValor")->text(), QString());
        // A cheaper video: nothing to pay, never a negative value, and said so.
        video("12");
        QCOMPARE(w("txtValor")->text(), money("0,00"));
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(lastMessage(), QStringLiteral("O desconto de R$\u00a05,00 é maior que o valor da locação, "
                                               "R$\u00a03,50.\nCorrija o desconto antes de salvar a nota."));
        QCOMPARE(focus(), w("txtDesconto"));
        // The next video makes room for the discount.
        enterText(w<QComboBox>("cbo1"), "11");
        QCOMPARE(w("txtValor")->text(), money("3,50"));
        MessageBox::setNextAnswer(QMessageBox::Yes);
        w<QPushButton>("cmdSalvar")->click();
        QCOMPARE(shop->count("tblLocacao"), 1);
        QCOMPARE(shop->rows("tblLocacao")[0].value("Valor").toString(), money("3,50"));
        QCOMPARE(shop->rows("tblLocacao")[0].value("Desconto").toString(), money("5,00"));
        // The slip says what the file holds: the value less the discount.
        QCOMPARE(printedLines.last(), "Valor: | " + money("3,50") + " | Desconto: | " + money("5,00"));
    }

    void undoThatLeavesTheDiscountTooLargeSaysSo()
    {
        open();
        customer("Maria Silva");
        video("10");
        video("12");
        discount("12");
        QCOMPARE(w("txtValor")->text(), money("1,50"));
        QVERIFY(MessageBox::shown().isEmpty());
        w<QPushButton>("cmdDesfazer")->click();
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(lastMessage(), QStringLiteral("O desconto de R$\u00a012,00 é maior que o valor da locação, "
                                               "R$\u00a010,00.\nCorrija o desconto antes de salvar a nota."));
        QCOMPARE(w("txtValor")->text(), money("0,00"));
        // Mended, the note goes in.
        discount("10");
        QCOMPARE(w("txtValor")->text(), money("0,00"));
        MessageBox::clearShown();
        MessageBox::setNextAnswer(QMessageBox::No);
        w<QPushButton>("cmdSalvar")->click();
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(shop->rows("tblLocacao").value(0).value("Valor").toString(), money("0,00"));
    }

    void pricesAtTheCounter_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("rented");
        QTest::addColumn<QString>("value");
        QTest::newRow("empty") << QVariant("") << true << money("0,00");
        QTest::newRow("no value") << QVariant() << true << money("0,00");
        QTest::newRow("blanks") << QVariant("  ") << true << money("0,00");
        QTest::newRow("zero") << QVariant("R$ 0,00") << true << money("0,00");
        QTest::newRow("highest") << QVariant("R$ 9.999,99") << true << money("9.999,99");
        QTest::newRow("negative") << QVariant("-R$ 5,00") << false << QString();
        QTest::newRow("one centavo below zero") << QVariant("-0,01") << false << QString();
        QTest::newRow("above the highest") << QVariant("R$ 10.000,00") << false << QString();
        QTest::newRow("two copies overflow") << QVariant("92233720368547758,07") << false << QString();
        QTest::newRow("no number") << QVariant("7.50") << false << QString();
    }

    void pricesAtTheCounter()
    {
        QFETCH(QVariant, stored);
        QFETCH(bool, rented);
        QFETCH(QString, value);
        addVideo("50", "Preço em Teste", stored);
        open();
        customer("Maria Silva");
        video("50");
        if (rented) {
            QVERIFY(MessageBox::shown().isEmpty());
            QCOMPARE(slot(1), QStringLiteral("Preço em Teste - Lançamento"));
            QCOMPARE(w("txtValor")->text(), value);
            QCOMPARE(qtde("50"), 2);
            MessageBox::setNextAnswer(QMessageBox::Yes);
            w<QPushButton>("cmdSalvar")->click();
            QCOMPARE(shop->rows("tblLocacao").value(0).value("Valor").toString(), value);
            QCOMPARE(printedLines.last(), "Valor: | " + value + " | Desconto: | " + money("0,00"));
            return;
        }
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(lastMessage(), QStringLiteral("O preço de locação deste vídeo não é válido: \"%1\".\n"
                                               "Corrija o preço no cadastro do vídeo antes de alugá-lo.")
                                    .arg(stored.toString()));
        QCOMPARE(slot(1), QString());
        QCOMPARE(qtde("50"), 3);
        QCOMPARE(shop->count("PendingCopies"), 0);
        QCOMPARE(focus(), w<QComboBox>("cbo1"));
    }

    void aNoteNeverPassesTheHighestValue()
    {
        for (int i = 0; i < 11; ++i)
            addVideo(QString::number(60 + i), QStringLiteral("Caro %1").arg(i), "9.999,99");
        open();
        customer("Maria Silva");
        for (int i = 0; i < 10; ++i)
            video(QString::number(60 + i));
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(w("txtValor")->text(), money("99.999,90"));
        video("70");
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(lastMessage(), QStringLiteral("Com este vídeo o valor da locação passaria do máximo de "
                                               "R$\u00a099.999,99.\nGrave esta nota e faça outra para os "
                                               "demais vídeos."));
        QCOMPARE(slot(11), QString());
        QCOMPARE(qtde("70"), 3);
        // Up to the highest value itself, and not a centavo more.
        addVideo("71", "Nove Centavos", "0,09");
        addVideo("72", "Um Centavo", "0,01");
        MessageBox::clearShown();
        video("71");
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(w("txtValor")->text(), money("99.999,99"));
        video("72");
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(slot(12), QString());
    }

    void leftoversOfACrashAreNeverComposedOver()
    {
        // A run killed while composing left slot 1 recorded, its copy off the shelf.
        shop->exec("UPDATE tblVideos SET QTDE = QTDE - 1 WHERE Codigo = '11'");
        shop->exec("INSERT INTO PendingCopies (Slot, Codigo) VALUES (1, '11')");
        const auto leftoverIntact = [this] {
            QCOMPARE(shop->rows("PendingCopies").size(), 1);
            QCOMPARE(shop->rows("PendingCopies")[0].value("Slot").toInt(), 1);
            QCOMPARE(shop->rows("PendingCopies")[0].value("Codigo").toString(), QStringLiteral("11"));
            QCOMPARE(qtde("11"), -1);
            QCOMPARE(qtde("10"), 3);
        };
        // Another program holds the file while the window opens and while a
        // video is entered: the leftover cannot go back, so nothing is composed.
        shop->whileLocked([&] {
            open();
            QCOMPARE(MessageBox::shown().size(), 1);
            QVERIFY(lastMessage().contains(QStringLiteral("bloqueado")));
            MessageBox::clearShown();
            customer("Maria Silva");
            video("10");
            QCOMPARE(MessageBox::shown().size(), 1);
            QCOMPARE(MessageBox::shown()[0].icon, QMessageBox::Warning);
            QVERIFY2(lastMessage().startsWith(QStringLiteral(
                         "Uma locação interrompida deixou vídeos fora do estoque, e eles ainda não "
                         "puderam voltar:\n")),
                     qPrintable(lastMessage()));
            QVERIFY(lastMessage().contains(QStringLiteral("bloqueado")));
            QVERIFY(lastMessage().endsWith(
                QStringLiteral("Nenhum vídeo pode ser incluído na nota até que voltem.")));
            QCOMPARE(slot(1), QString());
            QCOMPARE(focus(), w<QComboBox>("cbo1"));
        });
        leftoverIntact();

        // Once the file is free, the next try gives the copy back first.
        MessageBox::clearShown();
        video("10");
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(slot(1), QStringLiteral("Alien - Lançamento"));
        QCOMPARE(qtde("11"), 0);
        QCOMPARE(qtde("10"), 2);
        QCOMPARE(shop->rows("PendingCopies").size(), 1);
        QCOMPARE(shop->rows("PendingCopies")[0].value("Codigo").toString(), QStringLiteral("10"));
    }

    void aRecordedCopyIsNeverReplaced()
    {
        store::PendingNote note(shop->db());
        note.recoverLeftovers();
        QVERIFY(note.takeCopy(1, "10"));
        // A row that should not be there for slot 2 (however it got there):
        // taking a copy for slot 2 fails loudly and writes nothing.
        shop->exec("INSERT INTO PendingCopies (Slot, Codigo) VALUES (2, '11')");
        bool threw = false;
        try {
            note.takeCopy(2, "12");
        } catch (const store::StoreError& error) {
            threw = true;
            QCOMPARE(error.kind(), store::StoreError::Kind::Duplicate);
        }
        QVERIFY(threw);
        QCOMPARE(shop->rows("PendingCopies").size(), 2);
        QCOMPARE(shop->rows("PendingCopies")[1].value("Codigo").toString(), QStringLiteral("11"));
        QCOMPARE(qtde("12"), 3);
        QCOMPARE(qtde("10"), 2);
    }

    void codesFromABarcode_data() { barcodeRows(); }

    void codesFromABarcode()
    {
        QFETCH(QString, typed);
        QFETCH(QString, code);
        open();
        // Registered after the window opened: not in its list, so nothing
        // completes the code and the field takes every digit typed.
        addVideo(code, "Código de Barras", "2,00");
        customer("Maria Silva");
        typeOver(w<QComboBox>("cbo1"), typed);
        QCOMPARE(w<QComboBox>("cbo1")->currentText(), code);
        if (code.size() <= 13) // the EAN-13 a scanner types reads back whole
            QVERIFY(showsWhole(w<QComboBox>("cbo1")->lineEdit()));
        QTest::keyClick(focus(), Qt::Key_Return);
        QCOMPARE(slotCode(1), code);
        QCOMPARE(slot(1), QStringLiteral("Código de Barras - Lançamento"));
        QCOMPARE(qtde(code), 2);
        // The slot shows the whole code, its title right of it.
        auto* codeLabel = w<QLabel>("lblCodigo0");
        QVERIFY(codeLabel->width() >= codeLabel->sizeHint().width());
        QVERIFY(w<QLabel>("lbl1")->geometry().left() > codeLabel->geometry().right());
        MessageBox::setNextAnswer(QMessageBox::No);
        w<QPushButton>("cmdSalvar")->click();
        QCOMPARE(shop->rows("tblLocacao").value(0).value("Codigo(0)").toString(), code);
    }

    void savesTheNote_data()
    {
        QTest::addColumn<bool>("print");
        QTest::addColumn<bool>("printerFails");
        QTest::newRow("no print") << false << false;
        QTest::newRow("printed") << true << false;
        QTest::newRow("printer fails") << true << true;
    }

    void savesTheNote()
    {
        QFETCH(bool, print);
        QFETCH(bool, printerFails);
        this->printerFails = printerFails;
        open();
        // A note without videos is not saved and uses no number.
        customer("Ana Silva");
        w<QPushButton>("cmdSalvar")->click();
        QCOMPARE(lastMessage().left(32), QStringLiteral("A nota não tem nenhum vídeo e nã"));
        QCOMPARE(shop->count("tblLocacao"), 0);

        video("10");
        video("12");
        MessageBox::clearShown();
        MessageBox::setNextAnswer(print ? QMessageBox::Yes : QMessageBox::No);
        w<QPushButton>("cmdSalvar")->click();
        QCOMPARE(MessageBox::shown()[0].text, QStringLiteral("Deseja Imprimir o Movimento?"));
        QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Impressão do Movomento de Locação"));
        QCOMPARE(MessageBox::shown()[0].icon, QMessageBox::Question);

        const auto notes = shop->rows("tblLocacao");
        QCOMPARE(notes.size(), 1);
        const auto& row = notes[0];
        QCOMPARE(row.value("Data").toString(), platform::todayText());
        QCOMPARE(row.value("Codigo").toString(), QStringLiteral("100"));
        QCOMPARE(row.value("Clientes").toString(), QStringLiteral("Ana Silva"));
        QCOMPARE(row.value("Video-1").toString(), QStringLiteral("Alien - Lançamento"));
        QCOMPARE(row.value("Video-2").toString(), QStringLiteral("Ran - Lançamento"));
        QCOMPARE(row.value("Codigo(0)").toString(), QStringLiteral("10"));
        QCOMPARE(row.value("Codigo(1)").toString(), QStringLiteral("12"));
        for (int k = 3; k <= 16; ++k) {
            QVERIFY(!row.value(QStringLiteral("Video-%1").arg(k)).isNull());
            QCOMPARE(row.value(QStringLiteral("Video-%1").arg(k)).toString(), QString());
            QCOMPARE(row.value(QStringLiteral("Codigo(%1)").arg(k - 1)).toString(), QString());
        }
        QCOMPARE(row.value("Valor").toString(), money("13,50"));
        // The discount field was left after the last video: its amount, formatted.
        QCOMPARE(row.value("Desconto").toString(), money("0,00"));
        QCOMPARE(shop->rows("Number").value(0).value("Codigo").toString(), QStringLiteral("100"));
        QCOMPARE(shop->count("PendingCopies"), 0);
        QCOMPARE(qtde("10"), 2); // the copies stay out with the note

        QCOMPARE(MessageBox::shown().size(), printerFails ? 2 : 1);
        QCOMPARE(printedLines.value(8), print ? QStringLiteral("Video | 10: Alien - Lançamento") : QString());
        QCOMPARE(printedLines.value(4), print ? QStringLiteral("Nota Nº: | 100") : QString());
        if (printerFails)
            QCOMPARE(lastMessage(),
                     QStringLiteral("A nota 100 foi gravada, mas não foi impressa: sem papel."));
        QCOMPARE(w("txtCodigo")->text(), QStringLiteral("101"));
        QCOMPARE(slot(1), QString());
        QCOMPARE(w("txtValor")->text(), QString());
        QCOMPARE(w("txtDesconto")->text(), QStringLiteral("R$0,00"));
        QVERIFY(!w<QPushButton>("cmdDesfazer")->isEnabled());
        QCOMPARE(focus(), w<QComboBox>("cboClientes"));

        // Closing now gives nothing back: the copies belong to the stored note.
        form->close();
        QCOMPARE(qtde("10"), 2);
    }

    void abandonedNoteGivesCopiesBack_data()
    {
        QTest::addColumn<bool>("byEscape");
        QTest::newRow("close box") << false;
        QTest::newRow("Esc") << true;
    }

    void abandonedNoteGivesCopiesBack()
    {
        QFETCH(bool, byEscape);
        open();
        customer("Maria Silva");
        video("10");
        video("10");
        video("12");
        QCOMPARE(qtde("10"), 1);
        if (byEscape) {
            QTest::keyClick(focus(), Qt::Key_Escape);
            QVERIFY(form->isHidden());
        } else {
            form->close();
        }
        QCOMPARE(qtde("10"), 3);
        QCOMPARE(qtde("12"), 3);
        QCOMPARE(shop->count("tblLocacao"), 0);
        QCOMPARE(shop->count("PendingCopies"), 0);
        QVERIFY(MessageBox::shown().isEmpty());

        // Copies recorded by a run that was killed go back when a window opens.
        shop->exec("UPDATE tblVideos SET QTDE = QTDE - 1 WHERE Codigo = '11'");
        shop->exec("INSERT INTO PendingCopies (Slot, Codigo) VALUES (1, '11')");
        open();
        QCOMPARE(qtde("11"), 0);
        QCOMPARE(shop->count("PendingCopies"), 0);
    }

    void savedNotePrintsUnderTheShopHeading_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QStringList>("heading");
        QTest::newRow("nothing set") << ""
                                     << ""
                                     << "" << QStringList();
        QTest::newRow("no name") << ""
                                 << "Rua A, 1"
                                 << "5555-1234" << QStringList();
        QTest::newRow("name only") << "Vídeo Ação"
                                   << ""
                                   << "" << QStringList{"Vídeo Ação"};
        QTest::newRow("name and phone") << "Vídeo Ação"
                                        << ""
                                        << "5555-1234" << QStringList{"Vídeo Ação", "Telefone: 5555-1234"};
        QTest::newRow("all") << "Vídeo Ação"
                             << "Rua São João, 12"
                             << "5555-1234"
                             << QStringList{"Vídeo Ação", "Rua São João, 12", "Telefone: 5555-1234"};
    }
    void savedNotePrintsUnderTheShopHeading()
    {
        QFETCH(QString, name);
        QFETCH(QString, address);
        QFETCH(QString, phone);
        QFETCH(QStringList, heading);
        storeShopHeading(shop->db(), name, address, phone);
        open();
        customer("Ana Silva");
        video("10");
        MessageBox::setNextAnswer(QMessageBox::Yes);
        w<QPushButton>("cmdSalvar")->click();
        QCOMPARE(shop->count("tblLocacao"), 1);
        // The heading, then the slip exactly as without one.
        const QString h70(70, u'-'), h100(100, u'-');
        const QStringList slip{"Movimento de Locação",
                               h70,
                               "Data da Locação: | " + platform::todayText(),
                               h100,
                               "Nota Nº: | 100",
                               h100,
                               "Cliente: | Ana Silva",
                               h100,
                               "Video | 10: Alien - Lançamento",
                               h100,
                               "Valor: | " + money("10,00") + " | Desconto: | " + money("0,00")};
        QCOMPARE(printedLines, heading + slip);
    }

    void headingLinesInTheirFonts()
    {
        RentalNote note;
        note.heading = QStringList{"Vídeo Ação", "Rua São João, 12", "Telefone: 5555"};
        RecordingLinePrinter p;
        QVERIFY(printRentalNote(p, note));
        QCOMPARE(p.lines().mid(0, 4),
                 QStringList({"Vídeo Ação", "Rua São João, 12", "Telefone: 5555", "Movimento de Locação"}));
        QList<qreal> points;
        QList<int> columns;
        for (const auto& item : p.items.mid(0, 4)) {
            points << item.points;
            columns << item.column;
        }
        QCOMPARE(points, QList<qreal>({12, 8, 8, 12}));
        QCOMPARE(columns, QList<int>({10, 10, 10, 10}));
        QCOMPARE(p.items[1].family, QStringLiteral("Arial"));
    }

    void printsTheSlip()
    {
        RentalNote note;
        note.date = "08/12/2026";
        note.number = "157";
        note.customer = "Ana Silva";
        note.value = money("8,50");
        note.discount = "R$0,00";
        RecordingLinePrinter empty;
        QVERIFY(printRentalNote(empty, note));
        QCOMPARE(empty.lines().at(8), QStringLiteral("Video | : ")); // slot 1 always prints

        for (int k = 0; k < 3; ++k) {
            note.codes[k] = QString::number(10 + k);
            note.descriptions[k] = QStringLiteral("Filme %1 - Lançamento").arg(k);
        }
        RecordingLinePrinter p;
        QVERIFY(printRentalNote(p, note));
        const QString h70(70, u'-'), h100(100, u'-');
        QCOMPARE(
            p.lines(),
            QStringList({"Movimento de Locação", h70, "Data da Locação: | 08/12/2026", h100, "Nota Nº: | 157",
                         h100, "Cliente: | Ana Silva", h100, "Video | 10: Filme 0 - Lançamento",
                         "Video: | 11: Filme 1 - Lançamento", "Video: | 12: Filme 2 - Lançamento", h100,
                         "Valor: | R$\u00a08,50 | Desconto: | R$0,00"}));
        QCOMPARE(p.documents, 1);
        QCOMPARE(p.items[0].column, 10);
        QCOMPARE(p.items[0].points, 12.0);
        QCOMPARE(p.items[2].points, 8.0);
        QCOMPARE(p.items[2].family, QStringLiteral("Arial"));
        QList<int> totals;
        for (const auto& item : p.items.mid(p.items.size() - 4))
            totals << item.column;
        QCOMPARE(totals, QList<int>({10, 20, 30, 45}));

        // Through the real painter into a PDF whose text is read back.
        QTemporaryDir dir;
        const QString pdf = dir.filePath("nota.pdf");
        {
            QPdfWriter writer(pdf);
            PainterLinePrinter painter(&writer, 150, 600);
            QVERIFY(printRentalNote(painter, note));
        }
        QProcess text;
        text.start("pdftotext", {"-layout", pdf, "-"});
        QVERIFY2(text.waitForFinished(30000), "pdftotext did not run");
        const QString out = QString::fromUtf8(text.readAllStandardOutput());
        for (const char* expected : {"Movimento de Locação", "Nota Nº:", "157", "Cliente:", "Ana Silva",
                                     "12: Filme 2 - Lançamento", "Desconto:"})
            QVERIFY2(out.contains(QString::fromUtf8(expected)),
                     qPrintable(QString::fromUtf8(expected) + " not in:\n" + out));
        QVERIFY(out.indexOf("Nota Nº:") < out.indexOf("Cliente:"));
    }
};

QTEST_MAIN(TestFrmLocacao)
#include "tst_frmLocacao.moc"
