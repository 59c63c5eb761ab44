#include "platform/Formats.h"
#include "platform/ProgramDir.h"
#include "platform/widgets/Fields.h"
#include "platform/widgets/LeaveChecks.h"
#include "platform/widgets/MessageBox.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <functional>

namespace {

void activate(QWidget* w)
{
    w->show();
    QApplication::setActiveWindow(w);
    QVERIFY(QTest::qWaitForWindowActive(w));
}

// A window that may do some work of its own as it closes.
class Window : public QWidget
{
public:
    std::function<void()> onClose;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        if (onClose)
            onClose();
        QWidget::closeEvent(event);
    }
};

// A window of three fields and a button; field a refuses the text "bad".
struct Form
{
    Window window;
    QLineEdit* a = new QLineEdit(&window);
    QLineEdit* b = new QLineEdit(&window);
    QLineEdit* c = new QLineEdit(&window);
    QPushButton* button = new QPushButton(QStringLiteral("&Salvar"), &window);
    LeaveChecks checks{&window};
    int aChecks = 0;
    int bChecks = 0;
    int cRewrites = 0;

    Form()
    {
        auto* layout = new QVBoxLayout(&window);
        for (QWidget* w : {static_cast<QWidget*>(a), static_cast<QWidget*>(b), static_cast<QWidget*>(c),
                           static_cast<QWidget*>(button)})
            layout->addWidget(w);
        checks.add(a, [this] {
            ++aChecks;
            if (a->text() == QLatin1String("bad")) {
                MessageBox::information(&window, QStringLiteral("Teste"), QStringLiteral("ruim"));
                return false;
            }
            return true;
        });
        checks.add(b, [this] {
            ++bChecks;
            return true;
        });
        checks.addRewrite(c, [this] {
            ++cRewrites;
            c->setText(platform::properCase(c->text()));
        });
        platform::installEnterMovesOn(&window);
    }
};

} // namespace

class TestFields : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        MessageBox::setTestMode(true);
        MessageBox::clearShown();
    }

    void messageBoxScript()
    {
        MessageBox::information(nullptr, QStringLiteral("Título"), QStringLiteral("Texto"));
        MessageBox::setNextAnswer(QMessageBox::Yes);
        MessageBox::setNextAnswer(QMessageBox::No);
        QVERIFY(MessageBox::question(nullptr, QStringLiteral("T1"), QStringLiteral("Q1")));
        QVERIFY(!MessageBox::question(nullptr, QStringLiteral("T2"), QStringLiteral("Q2")));
        // An unscripted question is answered No, never Yes by accident.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("no scripted answer"));
        QVERIFY(!MessageBox::question(nullptr, QStringLiteral("T3"), QStringLiteral("Q3")));
        MessageBox::warning(nullptr, QStringLiteral("Erro"), QStringLiteral("Falhou"));

        const auto& shown = MessageBox::shown();
        QCOMPARE(shown.size(), 5);
        QCOMPARE(shown[0].text, QStringLiteral("Texto"));
        QCOMPARE(shown[0].title, QStringLiteral("Título"));
        QCOMPARE(shown[0].icon, QMessageBox::Information);
        QCOMPARE(shown[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(shown[1].icon, QMessageBox::Question);
        QCOMPARE(shown[1].buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(shown[4].icon, QMessageBox::Warning);
    }

    void realMessageBoxSpeaksPortuguese()
    {
        MessageBox::setTestMode(false);
        QStringList captions;
        QTimer::singleShot(50, [&captions] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            for (QAbstractButton* b : box->buttons())
                captions << b->text();
            box->button(QMessageBox::No)->click();
        });
        const bool yes = MessageBox::question(nullptr, QStringLiteral("Pergunta"), QStringLiteral("Sair?"));
        MessageBox::setTestMode(true);
        QVERIFY(!yes);
        captions.sort();
        QCOMPARE(captions, QStringList({QStringLiteral("&Não"), QStringLiteral("&Sim")}));
    }

    void digitsOnly()
    {
        QWidget window;
        auto* edit = new QLineEdit(&window);
        platform::makeDigitsOnly(edit);
        activate(&window);
        edit->setFocus();

        QTest::keyClicks(edit, QStringLiteral("1a2-3 4"));
        QKeyEvent accented(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QStringLiteral("é"));
        QApplication::sendEvent(edit, &accented);
        QCOMPARE(edit->text(), QStringLiteral("1234"));
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QStringLiteral("1234"));
        QTest::keyClick(edit, Qt::Key_Home);
        QTest::keyClick(edit, Qt::Key_Delete);
        QCOMPARE(edit->text(), QStringLiteral("234"));
        // Delete as X11 sends it, with the DEL character.
        QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, QStringLiteral("\x7f"));
        QApplication::sendEvent(edit, &del);
        QCOMPARE(edit->text(), QStringLiteral("34"));
        QTest::keyClicks(edit, QStringLiteral("12"));
        QCOMPARE(edit->text(), QStringLiteral("1234"));

        QApplication::clipboard()->setText(QStringLiteral("5x6"));
        edit->paste();
        QCOMPARE(edit->text(), QStringLiteral("1234"));
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(edit->text(), QStringLiteral("1234"));
        QApplication::clipboard()->setText(QStringLiteral("-5"));
        edit->paste();
        QCOMPARE(edit->text(), QStringLiteral("1234"));
        QApplication::clipboard()->setText(QStringLiteral("56"));
        edit->setCursorPosition(0);
        edit->paste();
        QCOMPARE(edit->text(), QStringLiteral("561234"));
    }

    void masks()
    {
        QWidget window;
        auto* cpf = new MaskedEdit(QStringLiteral("###.###.###-##"), &window);
        auto* fone = new MaskedEdit(QStringLiteral("####-####"), &window);
        auto* cep = new MaskedEdit(QStringLiteral("##.###-###"), &window);
        activate(&window);

        QCOMPARE(cpf->value(), QString());
        QCOMPARE(fone->value(), QString());
        QCOMPARE(cep->value(), QString());

        cpf->setFocus();
        cpf->home(false);
        QTest::keyClicks(cpf, QStringLiteral("12345678901"));
        QCOMPARE(cpf->value(), QStringLiteral("123.456.789-01"));
        fone->setFocus();
        fone->home(false);
        QTest::keyClicks(fone, QStringLiteral("12a345678"));
        QCOMPARE(fone->value(), QStringLiteral("1234-5678"));
        cep->setValue(QStringLiteral("12.345-678"));
        QCOMPARE(cep->value(), QStringLiteral("12.345-678"));

        // An incomplete entry shows again exactly as it was left.
        cpf->clearValue();
        QCOMPARE(cpf->value(), QString());
        cpf->home(false);
        QTest::keyClicks(cpf, QStringLiteral("1234"));
        const QString partial = cpf->value();
        QVERIFY(partial.startsWith(QStringLiteral("123.4")));
        QCOMPARE(partial.size(), 14);
        cpf->clearValue();
        cpf->setValue(partial);
        QCOMPARE(cpf->value(), partial);

        cpf->setValue(QString());
        QCOMPARE(cpf->value(), QString());
        QCOMPARE(cpf->displayText(), QStringLiteral("   .   .   -  "));
    }

    void enterMovesToTheNextField()
    {
        Form f;
        activate(&f.window);
        f.a->setFocus();
        QTest::keyClick(f.a, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), f.b);
        QTest::keyClick(f.b, Qt::Key_Enter);
        QCOMPARE(QApplication::focusWidget(), f.c);
        // Enter is a move, never a press of a default button.
        QSignalSpy clicked(f.button, &QPushButton::clicked);
        QTest::keyClick(f.c, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), f.button);
        QCOMPARE(clicked.count(), 0);
        QCOMPARE(f.aChecks, 1);
        QCOMPARE(f.bChecks, 1);
    }

    void leaveCheckRules()
    {
        Form f;
        activate(&f.window);
        f.a->setFocus();
        f.a->setText(QStringLiteral("bad"));

        // Tab: message once, focus back, the field passed through unchecked.
        QTest::keyClick(f.a, Qt::Key_Tab);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].text, QStringLiteral("ruim"));
        QCOMPARE(QApplication::focusWidget(), f.a);
        QCOMPARE(f.aChecks, 1);
        QCOMPARE(f.bChecks, 0);

        // Enter does the same.
        QTest::keyClick(f.a, Qt::Key_Return);
        QCOMPARE(MessageBox::shown().size(), 2);
        QCOMPARE(QApplication::focusWidget(), f.a);
        QCOMPARE(f.bChecks, 0);

        // A click on the button: the check runs, the button does not act.
        QSignalSpy clicked(f.button, &QPushButton::clicked);
        QTest::mouseClick(f.button, Qt::LeftButton);
        QCOMPARE(MessageBox::shown().size(), 3);
        QCOMPARE(QApplication::focusWidget(), f.a);
        QCOMPARE(clicked.count(), 0);
        QTRY_VERIFY(f.button->isEnabled());

        // Once the value is good, the same moves go through, checked once.
        f.a->setText(QStringLiteral("good"));
        QTest::mouseClick(f.button, Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(f.aChecks, 4);
        QCOMPARE(MessageBox::shown().size(), 3);

        // Shift+Tab is leaving too; a rewrite runs on leaving.
        f.c->setFocus();
        f.c->setText(QStringLiteral("joão da silva"));
        QTest::keyClick(f.c, Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), f.b);
        QCOMPARE(f.c->text(), QStringLiteral("João Da Silva"));
        QCOMPARE(f.cRewrites, 1);
        QTest::keyClick(f.b, Qt::Key_Backtab);
        QCOMPARE(f.bChecks, 1);
        QCOMPARE(f.aChecks, 4);
    }

    void accessKeyLeavesLikeAClick()
    {
        Form f;
        int acted = 0;
        QObject::connect(f.button, &QPushButton::clicked, [&] {
            if (f.checks.leaveFocused())
                ++acted;
        });
        activate(&f.window);
        f.a->setFocus();
        f.a->setText(QStringLiteral("bad"));
        QTest::keyClick(f.a, Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(QApplication::focusWidget(), f.a);
        QCOMPARE(acted, 0);

        f.a->setText(QStringLiteral("good"));
        QTest::keyClick(f.a, Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(acted, 1);
        QCOMPARE(f.aChecks, 2);
        QCOMPARE(MessageBox::shown().size(), 1);

        // The rewrite of the field typed in applies as well.
        f.c->setFocus();
        f.c->setText(QStringLiteral("ana maria"));
        QTest::keyClick(f.c, Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(acted, 2);
        QCOMPARE(f.c->text(), QStringLiteral("Ana Maria"));

        // A real click has left the field already: nothing runs twice.
        f.a->setFocus();
        QTest::mouseClick(f.button, Qt::LeftButton);
        QCOMPARE(acted, 3);
        QCOMPARE(f.aChecks, 3);
    }

    void focusTakenByAnotherWindowIsNotLeaving()
    {
        Form f;
        activate(&f.window);
        f.a->setFocus();
        f.a->setText(QStringLiteral("bad"));
        QWidget other;
        activate(&other);
        QCOMPARE(f.aChecks, 0);
        QCOMPARE(MessageBox::shown().size(), 0);
        activate(&f.window);
        QCOMPARE(f.aChecks, 0);
    }

    void closingRunsNoCheck()
    {
        Form f;
        // A window that puts its fields away as it closes: hiding the field
        // with the focus makes Qt pass the focus on as if by Tab.
        f.window.onClose = [&f] { f.a->hide(); };
        activate(&f.window);
        f.a->setFocus();
        f.a->setText(QStringLiteral("bad"));
        f.window.close();
        QVERIFY(f.a->isHidden());
        QCOMPARE(f.aChecks, 0);
        QCOMPARE(MessageBox::shown().size(), 0);

        // The same move while the window stays open is leaving the field.
        f.window.onClose = nullptr;
        f.a->show();
        activate(&f.window);
        f.a->setFocus();
        f.a->hide();
        QCOMPARE(QApplication::focusWidget(), f.b);
        QCOMPARE(f.aChecks, 1);
        QCOMPARE(MessageBox::shown().size(), 1);
    }

    void checkMayMoveTheFocusItself()
    {
        Form f;
        int cEntered = 0;
        f.checks.add(f.a, [&f] {
            ++f.aChecks;
            f.c->setFocus();
            return true;
        });
        f.checks.add(f.c, [&cEntered] {
            ++cEntered;
            return true;
        });
        activate(&f.window);
        f.a->setFocus();
        QTest::keyClick(f.a, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), f.c);
        QCOMPARE(f.aChecks, 1);
        QCOMPARE(f.bChecks, 0);
        // The field the check moved to is checked when the operator leaves it.
        QTest::keyClick(f.c, Qt::Key_Tab);
        QCOMPARE(cEntered, 1);
    }

    void failingTabTowardsAButtonLeavesItUsable()
    {
        Form f;
        int cChecks = 0;
        f.checks.add(f.c, [&] {
            ++cChecks;
            MessageBox::information(&f.window, QStringLiteral("Teste"), QStringLiteral("ruim"));
            return false;
        });
        activate(&f.window);
        f.c->setFocus();
        QTest::keyClick(f.c, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), f.c);
        // Only a click is kept from pressing the button; after a Tab the
        // button stays ready and the next Tab checks the field again.
        QVERIFY(f.button->isEnabled());
        QTest::keyClick(f.c, Qt::Key_Tab);
        QCOMPARE(cChecks, 2);
        QCOMPARE(MessageBox::shown().size(), 2);
    }

    void lengthLimit_data()
    {
        QTest::addColumn<QString>("before"); // the field's text, caret at the end
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("message"); // empty when none is due
        const QString cut = QStringLiteral(
            "Este campo aceita no máximo 8 caracteres; o texto que passou disso foi deixado de fora.");
        const QString dropped =
            QStringLiteral("Quebras de linha, tabulações e outros caracteres de controle ou "
                           "inválidos foram retirados do texto.");
        QTest::newRow("fits") << "abc"
                              << "defgh"
                              << "abcdefgh"
                              << "";
        QTest::newRow("page of text") << "" << QString(100000, u'x') << QString(8, u'x') << cut;
        QTest::newRow("pair at the cut") << "abcdefg"
                                         << "\U0001F3AC!"
                                         << "abcdefg" << cut;
        QTest::newRow("pair fits") << "abcdef"
                                   << "\U0001F3AC!"
                                   << "abcdef\U0001F3AC" << cut;
        // Qt's grapheme finder takes the middle of this pair for a boundary.
        QTest::newRow("pair before an Oriya fraction at the cut") << "abcdefg"
                                                                  << "\U0001F3AC\u0B77"
                                                                  << "abcdefg" << cut;
        QTest::newRow("accent at the cut") << "abcdefg"
                                           << "e\u0301"
                                           << "abcdefg" << cut;
        QTest::newRow("lone halves") << "a" << QStringLiteral("b") + QChar(0xD83C) + "c" + QChar(0xDFAC)
                                     << "abc" << dropped;
        QTest::newRow("controls") << "" << QStringLiteral("a\tb\r\nc") + QChar(0) + "d\x1b"
                                  << "a b cd" << dropped;
        QTest::newRow("both") << ""
                              << "a\nbcdefghij"
                              << "a bcdefg" << cut + "\n" + dropped;
        QTest::newRow("right-to-left marks kept") << ""
                                                  << "\u200F\u202Eab"
                                                  << "\u200F\u202Eab"
                                                  << "";
    }

    void lengthLimit()
    {
        QFETCH(QString, before);
        QFETCH(QString, pasted);
        QFETCH(QString, after);
        QFETCH(QString, message);
        QWidget window;
        window.setWindowTitle(QStringLiteral("Janela"));
        auto* edit = new QLineEdit(&window);
        auto* combo = new QComboBox(&window);
        combo->setEditable(true);
        platform::limitLength(edit, 8);
        platform::limitLength(combo, 8);
        activate(&window);
        for (QLineEdit* field : {edit, combo->lineEdit()}) {
            MessageBox::clearShown();
            field->setText(before);
            field->setFocus();
            QApplication::clipboard()->setText(pasted);
            QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(field->text(), after);
            QCOMPARE(field->cursorPosition(), after.size());
            QCOMPARE(MessageBox::shown().size(), message.isEmpty() ? 0 : 1);
            if (!message.isEmpty()) {
                QCOMPARE(MessageBox::shown()[0].text, message);
                QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Janela"));
            }
        }
    }

    // After a paste was cut or cleaned, the limit must still know what the
    // field holds: the same text put in again is cut or cleaned again.
    void lengthLimitAfterACutOrACleaning_data()
    {
        QTest::addColumn<QString>("first"); // pasted into the empty field
        QTest::addColumn<int>("at");        // where the second edit goes
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("typed"); // typed key by key rather than pasted
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("messages");
        const QChar low(0xDFAC);
        const QString pair = QStringLiteral("\U0001F3AC");
        QTest::newRow("the cut letter typed") << "abcdefghi" << 8 << "i" << true << "abcdefgh" << 2;
        QTest::newRow("the cut tail pasted") << "abcdefghij" << 8 << "ij" << false << "abcdefgh" << 2;
        QTest::newRow("the cut pair pasted") << "abcdefg" + pair << 7 << pair << false << "abcdefg" << 2;
        QTest::newRow("a tab pasted back") << "a\tb" << 1 << "\t" << false << "a  b" << 2;
        QTest::newRow("a control pasted back") << "a\001b" << 1 << "\001" << false << "ab" << 2;
        QTest::newRow("a lone half pasted back")
            << QStringLiteral("x") + low + "y" << 1 << QString(low) << false << "xy" << 2;
        QTest::newRow("a letter in the middle after a cut")
            << "abcdefghij" << 3 << "Z" << true << "abcdefgh" << 2;
        QTest::newRow("room made after a cut") << "abcdefghij" << 0 << "" << false << "abcdefgh" << 1;
    }

    void lengthLimitAfterACutOrACleaning()
    {
        QFETCH(QString, first);
        QFETCH(int, at);
        QFETCH(QString, second);
        QFETCH(bool, typed);
        QFETCH(QString, after);
        QFETCH(int, messages);
        QWidget window;
        auto* edit = new QLineEdit(&window);
        auto* combo = new QComboBox(&window);
        combo->setEditable(true);
        platform::limitLength(edit, 8);
        platform::limitLength(combo, 8);
        activate(&window);
        for (QLineEdit* field : {edit, combo->lineEdit()}) {
            MessageBox::clearShown();
            field->clear();
            field->setFocus();
            QApplication::clipboard()->setText(first);
            QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(MessageBox::shown().size(), 1);
            field->setCursorPosition(at);
            if (typed) {
                QTest::keyClicks(field, second);
            } else if (!second.isEmpty()) {
                QApplication::clipboard()->setText(second);
                QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
            }
            QCOMPARE(field->text(), after);
            QCOMPARE(MessageBox::shown().size(), messages);
            QCOMPARE(platform::lengthLimitRecord(field), after);
            // Room made by Backspace takes a letter without a message.
            field->end(false);
            QTest::keyClick(field, Qt::Key_Backspace);
            QTest::keyClicks(field, "Q");
            QCOMPARE(field->text(), after.chopped(1) + "Q");
            QCOMPARE(MessageBox::shown().size(), messages);
        }
    }

    void lengthLimitKeepsWhatIsAroundAndWhatTheProgramSets()
    {
        QWidget window;
        auto* edit = new QLineEdit(&window);
        platform::limitLength(edit, 6);
        activate(&window);
        edit->setFocus();
        // Typing past the limit is refused with the message, key by key.
        QTest::keyClicks(edit, "abcdefg");
        QCOMPARE(edit->text(), QStringLiteral("abcdef"));
        QCOMPARE(MessageBox::shown().size(), 1);
        // A paste in the middle loses its own tail, never the text around it.
        edit->setText(QStringLiteral("ab"));
        edit->setCursorPosition(1);
        QApplication::clipboard()->setText(QStringLiteral("123456"));
        edit->paste();
        QCOMPARE(edit->text(), QStringLiteral("a1234b"));
        QCOMPARE(edit->cursorPosition(), 5);
        QCOMPARE(MessageBox::shown().size(), 2);
        // A stored text longer than the limit shows and stays whole.
        const QString stored = QString(40, u'z');
        edit->setText(stored);
        QCOMPARE(edit->text(), stored);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QString(39, u'z'));
        QCOMPARE(MessageBox::shown().size(), 2);
    }

    void programFolder()
    {
        QCOMPARE(platform::programDir(), QCoreApplication::applicationDirPath());
        QCOMPARE(platform::dataDir(), QCoreApplication::applicationDirPath());
    }
};

QTEST_MAIN(TestFields)
#include "tst_fields.moc"
