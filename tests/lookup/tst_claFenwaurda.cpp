#include "lookup/LookupCombo.h"
#include "lookup/claFenwaurda.h"
#include "platform/TextFold.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QStringListModel>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

namespace {

// Records the key presses that get past the type-ahead. Installed before
// the type-ahead attaches, so it runs after it and sees only the keys that
// were not discarded.
class KeySpy : public QObject
{
public:
    QList<int> keys;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress)
            keys << static_cast<QKeyEvent*>(event)->key();
        return false;
    }
};

// A window with one or two lookup combos and a plain field after them. Keys
// that no field accepts end up in the window's own handler.
class Form : public QWidget
{
public:
    explicit Form(const QStringList& items, const QStringList& items2 = {})
    {
        auto* layout = new QVBoxLayout(this);
        combo = makeCombo(items, "cboFirst");
        layout->addWidget(combo);
        if (!items2.isEmpty()) {
            combo2 = makeCombo(items2, "cboSecond");
            layout->addWidget(combo2);
        }
        next = new QLineEdit(this);
        next->setObjectName("txtNext");
        layout->addWidget(next);
        combo->installEventFilter(&spy);
        if (combo2)
            combo2->installEventFilter(&spy2);
    }

    QComboBox* combo = nullptr;
    QComboBox* combo2 = nullptr;
    QLineEdit* next = nullptr;
    KeySpy spy;
    KeySpy spy2;
    QList<int> keysSeenByForm;

protected:
    void keyPressEvent(QKeyEvent* event) override { keysSeenByForm << event->key(); }

private:
    QComboBox* makeCombo(const QStringList& items, const char* name)
    {
        auto* c = new QComboBox(this);
        c->setObjectName(name);
        c->setEditable(true);
        c->addItems(items);
        c->setCurrentIndex(-1);
        return c;
    }
};

// Sends one character the way a keyboard does: key code and text.
void typeChar(QWidget* target, QChar c)
{
    const auto key = Qt::Key(c.toUpper().unicode());
    QTest::sendKeyEvent(QTest::Click, target, key, QString(c), Qt::NoModifier);
}

void type(QWidget* target, const QString& text)
{
    for (QChar c : text)
        typeChar(target, c);
}

// The list search as the combo list answers it, written the slow and
// obvious way, to check the indexed search against.
int referenceFind(const QStringList& items, const QString& text, int after, bool prefix)
{
    const int n = int(items.size());
    if (after < -1 || after >= n)
        after = -1;
    const QString folded = platform::foldedText(text);
    for (int i = 1; i <= n; ++i) {
        const int row = (after + i) % n;
        const QString item = platform::foldedText(items.at(row));
        if (prefix ? item.startsWith(folded) : item == folded)
            return row;
    }
    return -1;
}

// Random names from syllables that fold in different ways: ASCII, accented
// letters and a letter outside the basic plane.
QString randomName(QRandomGenerator& random, int maxParts = 4)
{
    static const QStringList syllables{"a", "an", "ana", "b",  "bê", "Ç",          "ção",
                                       "Ã", "o",  "ma",  "MA", "rí", "\U00010400", "\U00010428"};
    QString s;
    const int parts = random.bounded(maxParts + 1);
    for (int p = 0; p < parts; ++p)
        s += syllables.at(random.bounded(int(syllables.size())));
    return s;
}

// Many distinct names in no particular order.
QStringList bigList(int n)
{
    QStringList names;
    names.reserve(n);
    for (int i = 0; i < n; ++i)
        names << QString("Cliente %1").arg((i * 7919) % n, 7, 10, QChar('0'));
    return names;
}

// Counts the item-by-item searches a combo asks of its list.
class CountingModel : public QStringListModel
{
public:
    using QStringListModel::QStringListModel;
    mutable int searches = 0;
    QModelIndexList match(const QModelIndex& start, int role, const QVariant& value, int hits,
                          Qt::MatchFlags flags) const override
    {
        ++searches;
        return QStringListModel::match(start, role, value, hits, flags);
    }
};

} // namespace

class tst_claFenwaurda : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Form> m_form;
    std::unique_ptr<claFenwaurda> m_lookup;

    Form* open(const QStringList& items, const QStringList& items2 = {})
    {
        m_form = std::make_unique<Form>(items, items2);
        m_form->show();
        m_form->activateWindow();
        if (!QTest::qWaitForWindowActive(m_form.get()))
            qWarning("window did not become active");
        m_form->combo->setFocus();
        m_lookup = std::make_unique<claFenwaurda>();
        m_lookup->attachTo(m_form->combo);
        return m_form.get();
    }

private slots:
    void cleanup()
    {
        m_lookup.reset();
        m_form.reset();
    }

    void attachSwitchesOffTheComboOwnCompletion()
    {
        Form* f = open({"ANA MARIA"});
        QVERIFY(f->combo->completer() == nullptr);
        QCOMPARE(f->combo->insertPolicy(), QComboBox::NoInsert);
        QCOMPARE(m_lookup->attached(), f->combo);
    }

    void workedExample()
    {
        Form* f = open({"ANA MARIA", "ANTONIO"});
        QLineEdit* edit = f->combo->lineEdit();

        QTest::keyClick(f->combo, 'a');
        QCOMPARE(edit->text(), QString("ANA MARIA"));
        QCOMPARE(edit->selectedText(), QString("NA MARIA"));
        QCOMPARE(edit->selectionStart(), 1);
        QCOMPARE(edit->cursorPosition(), 9);
        QCOMPARE(f->combo->currentIndex(), 0);
        QVERIFY(f->spy.keys.isEmpty());

        QTest::keyClick(f->combo, 'n');
        QCOMPARE(edit->text(), QString("ANA MARIA"));
        QCOMPARE(edit->selectedText(), QString("A MARIA"));
        QCOMPARE(edit->selectionStart(), 2);
        QCOMPARE(f->combo->currentIndex(), 0);
        QVERIFY(f->spy.keys.isEmpty());

        QTest::keyClick(f->combo, 't');
        QCOMPARE(edit->text(), QString("ANTONIO"));
        QCOMPARE(edit->selectedText(), QString("ONIO"));
        QCOMPARE(edit->selectionStart(), 3);
        QCOMPARE(edit->cursorPosition(), 7);
        QCOMPARE(f->combo->currentIndex(), 1);
        QVERIFY(f->spy.keys.isEmpty());

        // No item is "ANT": the key reaches the control, which deletes the
        // highlighted part.
        QTest::keyClick(f->combo, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QString("ANT"));
        QVERIFY(!edit->hasSelectedText());
        QCOMPARE(edit->cursorPosition(), 3);
        QCOMPARE(f->spy.keys, QList<int>{Qt::Key_Backspace});
        QCOMPARE(f->combo->count(), 2);

        // ANTONIO is still the current item; typing on completes it again.
        QCOMPARE(f->combo->currentIndex(), 1);
        QTest::keyClick(f->combo, 'o');
        QCOMPARE(edit->text(), QString("ANTONIO"));
        QCOMPARE(edit->selectedText(), QString("NIO"));
        QCOMPARE(edit->selectionStart(), 4);
        QCOMPARE(f->spy.keys, QList<int>{Qt::Key_Backspace});
    }

    // Keys from the keyboard arrive through the window at the focus widget.
    void workedExampleThroughTheWindow()
    {
        Form* f = open({"ANA MARIA", "ANTONIO"});
        QWindow* window = f->windowHandle();
        QVERIFY(window);
        QTest::keyClick(window, 'a');
        QTest::keyClick(window, 'n');
        QTest::keyClick(window, 't');
        QCOMPARE(f->combo->lineEdit()->text(), QString("ANTONIO"));
        QCOMPARE(f->combo->lineEdit()->selectedText(), QString("ONIO"));
        QCOMPARE(f->combo->currentIndex(), 1);
    }

    void keysSentToTheLineEditAreCompletedOnce()
    {
        Form* f = open({"ANA MARIA", "ANTONIO"});
        QLineEdit* edit = f->combo->lineEdit();
        type(edit, "ant");
        QCOMPARE(edit->text(), QString("ANTONIO"));
        QCOMPARE(edit->selectedText(), QString("ONIO"));
        type(edit, "x");
        QCOMPARE(edit->text(), QString("ANTx"));
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QString("ANT"));
    }

    void emptyListLetsEveryKeyThrough()
    {
        Form* f = open({});
        QLineEdit* edit = f->combo->lineEdit();
        type(f->combo, "Abc");
        QCOMPARE(edit->text(), QString("Abc"));
        QTest::keyClick(f->combo, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QString("Ab"));
        QTest::keyClick(f->combo, Qt::Key_Home);
        QTest::keyClick(f->combo, Qt::Key_Delete);
        QCOMPARE(edit->text(), QString("b"));
        QCOMPARE(f->combo->currentIndex(), -1);
        const QList<int> expected{Qt::Key_A,         Qt::Key_B,    Qt::Key_C,
                                  Qt::Key_Backspace, Qt::Key_Home, Qt::Key_Delete};
        QCOMPARE(f->spy.keys, expected);
    }

    void noMatchLetsTheKeyThrough()
    {
        Form* f = open({"ANA MARIA", "ANTONIO"});
        type(f->combo, "x");
        QCOMPARE(f->combo->lineEdit()->text(), QString("x"));
        QCOMPARE(f->combo->currentIndex(), -1);
        QCOMPARE(f->spy.keys, QList<int>{Qt::Key_X});
        // A match that would need the "x" to be ignored is not found.
        type(f->combo, "a");
        QCOMPARE(f->combo->lineEdit()->text(), QString("xa"));
    }

    void enterIsNeverDiscarded()
    {
        Form* f = open({"ANA MARIA", "ANTONIO"});
        QSignalSpy returns(f->combo->lineEdit(), &QLineEdit::returnPressed);
        type(f->combo, "a");
        QCOMPARE(f->combo->lineEdit()->text(), QString("ANA MARIA"));
        QTest::keyClick(f->combo, Qt::Key_Return);
        QCOMPARE(returns.count(), 1);
        QCOMPARE(f->keysSeenByForm, QList<int>{Qt::Key_Return});
        QTest::keyClick(f->combo, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(returns.count(), 2);
        QCOMPARE(f->keysSeenByForm, (QList<int>{Qt::Key_Return, Qt::Key_Enter}));
        QCOMPARE(f->combo->lineEdit()->text(), QString("ANA MARIA"));
    }

    void tabIsNeverDiscarded()
    {
        Form* f = open({"ANA MARIA", "ANTONIO"});
        type(f->combo, "an");
        QTest::keyClick(f->combo, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), f->next);
        QCOMPARE(f->spy.keys, QList<int>{Qt::Key_Tab});
        QCOMPARE(f->combo->lineEdit()->text(), QString("ANA MARIA"));
    }

    void listNeverGrows()
    {
        Form* f = open({"ANA MARIA", "ANTONIO"});
        type(f->combo, "zeca");
        QTest::keyClick(f->combo, Qt::Key_Return);
        QCOMPARE(f->combo->lineEdit()->text(), QString("zeca"));
        QCOMPARE(f->combo->count(), 2);
        QCOMPARE(f->combo->findText("zeca"), -1);
        f->combo->lineEdit()->clear();
        type(f->combo, "ant");
        QTest::keyClick(f->combo, Qt::Key_Return);
        QCOMPARE(f->combo->count(), 2);
    }

    void backspaceEmptyingTheFieldWithNoItemSelected()
    {
        Form* f = open({"A", "B"});
        QLineEdit* edit = f->combo->lineEdit();
        f->combo->setEditText("x");
        QCOMPARE(f->combo->currentIndex(), -1);
        QTest::keyClick(f->combo, Qt::Key_End);
        QTest::keyClick(f->combo, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QString());
        QCOMPARE(f->combo->currentIndex(), -1);
        QCOMPARE(f->spy.keys, (QList<int>{Qt::Key_End, Qt::Key_Backspace}));
    }

    void backspaceEmptyingTheFieldWithItemZeroSelected()
    {
        Form* f = open({"A", "B"});
        QLineEdit* edit = f->combo->lineEdit();
        type(f->combo, "a");
        QCOMPARE(edit->text(), QString("A"));
        QCOMPARE(f->combo->currentIndex(), 0);
        QCOMPARE(edit->cursorPosition(), 1);
        QVERIFY(!edit->hasSelectedText());
        QTest::keyClick(f->combo, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QString());
        QCOMPARE(f->combo->currentIndex(), -1);
        QCOMPARE(f->spy.keys, QList<int>{Qt::Key_Backspace});
    }

    void backspaceEmptyingTheFieldWithALaterItemSelected()
    {
        Form* f = open({"A", "B"});
        QLineEdit* edit = f->combo->lineEdit();
        type(f->combo, "b");
        QCOMPARE(edit->text(), QString("B"));
        QCOMPARE(f->combo->currentIndex(), 1);
        QTest::keyClick(f->combo, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QString());
        QCOMPARE(f->combo->currentIndex(), -1);
        QVERIFY(f->spy.keys.isEmpty());
    }

    void backspaceToAnExactItem()
    {
        Form* f = open({"ANA", "ANA MARIA"});
        QLineEdit* edit = f->combo->lineEdit();
        f->combo->setEditText("ana x");
        QTest::keyClick(f->combo, Qt::Key_End);
        QTest::keyClick(f->combo, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QString("ana "));
        QTest::keyClick(f->combo, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QString("ANA"));
        QCOMPARE(f->combo->currentIndex(), 0);
        QCOMPARE(edit->cursorPosition(), 3);
        QVERIFY(!edit->hasSelectedText());
        QCOMPARE(f->spy.keys, (QList<int>{Qt::Key_End, Qt::Key_Backspace}));
    }

    void otherLetterCaseTakesTheItemText()
    {
        Form* f = open({"Maria Clara", "Mário"});
        QLineEdit* edit = f->combo->lineEdit();
        type(f->combo, "MA");
        QCOMPARE(edit->text(), QString("Maria Clara"));
        QCOMPARE(edit->selectedText(), QString("ria Clara"));
        QCOMPARE(edit->selectionStart(), 2);
        type(f->combo, "R");
        QCOMPARE(edit->text(), QString("Maria Clara"));
        QCOMPARE(edit->selectedText(), QString("ia Clara"));
    }

    void accentedLettersIgnoreCase()
    {
        Form* f = open({"Bruno", QString::fromUtf8("Ágata"), QString::fromUtf8("ÇAFIRA"),
                        QString::fromUtf8("JOÃO SILVA")});
        QLineEdit* edit = f->combo->lineEdit();
        type(f->combo, QString::fromUtf8("á"));
        QCOMPARE(edit->text(), QString::fromUtf8("Ágata"));
        QCOMPARE(edit->selectedText(), QString("gata"));
        QCOMPARE(f->combo->currentIndex(), 1);

        edit->selectAll();
        type(f->combo, QString::fromUtf8("ç"));
        QCOMPARE(edit->text(), QString::fromUtf8("ÇAFIRA"));
        QCOMPARE(edit->selectedText(), QString("AFIRA"));

        edit->selectAll();
        type(f->combo, QString::fromUtf8("joã"));
        QCOMPARE(edit->text(), QString::fromUtf8("JOÃO SILVA"));
        QCOMPARE(edit->selectedText(), QString("O SILVA"));
        QCOMPARE(f->combo->currentIndex(), 3);
        QVERIFY(f->spy.keys.isEmpty());
    }

    // Accents do not matter: the item is found and shown as stored, the part
    // not typed yet selected.
    void accentsAreIgnored_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("index");
        const struct
        {
            const char *typed, *shown, *selected;
            int index;
        } rows[] = {{"joao", "João Silva", " Silva", 1},
                    {"JOAO S", "João Silva", "ilva", 1},
                    {"acao", "Ação Mutante", " Mutante", 2},
                    {"conceicao", "CONCEIÇÃO REIS", " REIS", 3},
                    {"jôse", "Jose Alves", " Alves", 4}}; // an accent where none is stored
        for (const auto& r : rows)
            QTest::newRow(r.typed) << QString::fromUtf8(r.typed) << QString::fromUtf8(r.shown)
                                   << QString::fromUtf8(r.selected) << r.index;
    }

    void accentsAreIgnored()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, selected);
        QFETCH(int, index);
        Form* f = open({"Joana", "João Silva", "Ação Mutante", "CONCEIÇÃO REIS", "Jose Alves"});
        type(f->combo, typed);
        QCOMPARE(f->combo->lineEdit()->text(), shown);
        QCOMPARE(f->combo->lineEdit()->selectedText(), selected);
        QCOMPARE(f->combo->currentIndex(), index);
        QVERIFY(f->spy.keys.isEmpty());
        // The exact search (Backspace, Delete) ignores them too.
        QCOMPARE(m_lookup->findExact(platform::foldedText(shown), -1), index);
    }

    void deleteAtTheEndSelectsAnEqualItem()
    {
        Form* f = open({"ANA", "ANA MARIA"});
        QLineEdit* edit = f->combo->lineEdit();
        f->combo->setEditText("ana maria");
        edit->end(false);
        QCOMPARE(f->combo->currentIndex(), -1);
        QTest::keyClick(f->combo, Qt::Key_Delete);
        QCOMPARE(f->combo->currentIndex(), 1);
        QCOMPARE(edit->text(), QString("ANA MARIA"));
        QCOMPARE(edit->cursorPosition(), 9);
        QVERIFY(!edit->hasSelectedText());
        QVERIFY(f->spy.keys.isEmpty());
    }

    void deleteWithNoEqualItemReachesTheControl()
    {
        Form* f = open({"ANA", "ANA MARIA"});
        QLineEdit* edit = f->combo->lineEdit();
        f->combo->setEditText("ana mar");
        edit->end(false);
        QTest::keyClick(f->combo, Qt::Key_Delete);
        QCOMPARE(edit->text(), QString("ana mar"));
        QCOMPARE(f->combo->currentIndex(), -1);
        QCOMPARE(f->spy.keys, QList<int>{Qt::Key_Delete});
    }

    void deleteRemovesTheCharacterAfterTheCaret()
    {
        Form* f = open({"ANA", "ANTONIO"});
        QLineEdit* edit = f->combo->lineEdit();
        f->combo->setEditText("antonioX");
        edit->setCursorPosition(7);
        QTest::keyClick(f->combo, Qt::Key_Delete);
        QCOMPARE(edit->text(), QString("ANTONIO"));
        QCOMPARE(f->combo->currentIndex(), 1);
        QCOMPARE(edit->cursorPosition(), 7);
        QVERIFY(f->spy.keys.isEmpty());

        // With a selection, Delete removes just the selection.
        f->combo->setEditText("ana  xyz");
        edit->setSelection(3, 5);
        QTest::keyClick(f->combo, Qt::Key_Delete);
        QCOMPARE(edit->text(), QString("ANA"));
        QCOMPARE(f->combo->currentIndex(), 0);
        QVERIFY(f->spy.keys.isEmpty());
    }

    void typingReplacesTheSelectionAndKeepsTheRightPart()
    {
        Form* f = open({"ANA MARIA", "ANTONIO", "ANDRÉ"});
        QLineEdit* edit = f->combo->lineEdit();
        f->combo->setEditText("axtonio");
        edit->setSelection(1, 1);
        type(f->combo, "n");
        QCOMPARE(edit->text(), QString("ANTONIO"));
        QCOMPARE(edit->cursorPosition(), 7);
        QVERIFY(!edit->hasSelectedText());
        QCOMPARE(f->combo->currentIndex(), 1);
    }

    void twoCombosOnOneForm()
    {
        Form* f = open({"ANA MARIA", "ANTONIO"}, {"AÇÃO", "COMÉDIA"});
        QLineEdit* first = f->combo->lineEdit();
        QLineEdit* second = f->combo2->lineEdit();
        type(f->combo, "a");
        QCOMPARE(first->text(), QString("ANA MARIA"));

        f->combo2->setFocus();
        m_lookup->attachTo(f->combo2);
        QCOMPARE(m_lookup->attached(), f->combo2);
        QVERIFY(f->combo2->completer() == nullptr);
        type(f->combo2, "a");
        QCOMPARE(second->text(), QString::fromUtf8("AÇÃO"));
        QCOMPARE(second->selectedText(), QString::fromUtf8("ÇÃO"));
        // Accents aside, "ac" goes on completing AÇÃO; "x" then matches nothing.
        type(f->combo2, "c");
        QCOMPARE(second->text(), QString::fromUtf8("AÇÃO"));
        QCOMPARE(second->selectedText(), QString::fromUtf8("ÃO"));
        type(f->combo2, "x");
        QCOMPARE(second->text(), QString::fromUtf8("AÇx"));
        QCOMPARE(f->spy2.keys, QList<int>{Qt::Key_X});

        // The first combo is no longer completed.
        f->combo->setFocus();
        first->selectAll();
        type(f->combo, "an");
        QCOMPARE(first->text(), QString("an"));
        QCOMPARE(f->spy.keys, (QList<int>{Qt::Key_A, Qt::Key_N}));
        QCOMPARE(m_lookup->findPrefix("co", -1), 1);
        QCOMPARE(m_lookup->findPrefix("ant", -1), -1);
    }

    void searchWrapsAroundToTheTop()
    {
        Form* f = open({"BRUNO", "ANA", "CARLA"});
        QLineEdit* edit = f->combo->lineEdit();
        type(f->combo, "c");
        QCOMPARE(f->combo->currentIndex(), 2);
        // Ctrl+A is the line edit's own: it selects all.
        QTest::keyClick(f->combo, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(edit->selectedText(), QString("CARLA"));
        QCOMPARE(f->combo->currentIndex(), 2);
        type(f->combo, "b");
        QCOMPARE(f->combo->currentIndex(), 0);
        QCOMPARE(edit->text(), QString("BRUNO"));
        QCOMPARE(edit->selectedText(), QString("RUNO"));
    }

    void searchStartsAtTheCurrentItem()
    {
        Form* f = open({"ANA", "ANTONIO", "ANDRÉ", "ANA"});
        QLineEdit* edit = f->combo->lineEdit();
        type(f->combo, "and");
        QCOMPARE(f->combo->currentIndex(), 2);
        QTest::keyClick(f->combo, Qt::Key_Backspace);
        QTest::keyClick(f->combo, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QString("AN"));
        QCOMPARE(f->combo->currentIndex(), 2);
        // From ANDRÉ on, the next "ANA" is the last item, not the first.
        type(f->combo, "a");
        QCOMPARE(f->combo->currentIndex(), 3);
        QCOMPARE(edit->text(), QString("ANA"));
    }

    void findFollowsTheListOrder()
    {
        Form* f = open({"ANA", "BRUNO", "ANTONIO", "ALICE", "ana"});
        Q_UNUSED(f);
        QCOMPARE(m_lookup->findPrefix("a", -1), 0);
        QCOMPARE(m_lookup->findPrefix("a", 0), 2);
        QCOMPARE(m_lookup->findPrefix("a", 2), 3);
        QCOMPARE(m_lookup->findPrefix("a", 4), 0);
        QCOMPARE(m_lookup->findPrefix("ant", 2), 2);
        QCOMPARE(m_lookup->findPrefix("z", -1), -1);
        QCOMPARE(m_lookup->findExact("ana", -1), 0);
        QCOMPARE(m_lookup->findExact("ana", 0), 4);
        QCOMPARE(m_lookup->findExact("ANA", 4), 0);
        QCOMPARE(m_lookup->findExact("an", -1), -1);
        QVERIFY(m_lookup->contains("bruno"));
        QVERIFY(m_lookup->contains("ANA"));
        QVERIFY(!m_lookup->contains("BRUN"));
        QVERIFY(!m_lookup->contains(""));
    }

    void indexedSearchAgreesWithAPlainScan()
    {
        const QStringList syllables{"a", "an", "ana", "b", "bê", "Ç", "ção", "Ã", "o", "ma", "MA", "rí"};
        QRandomGenerator random(20240611);
        QStringList items;
        for (int i = 0; i < 600; ++i) {
            QString s;
            const int parts = 1 + random.bounded(4);
            for (int p = 0; p < parts; ++p)
                s += syllables.at(random.bounded(int(syllables.size())));
            items << s;
        }
        open(items);
        for (int q = 0; q < 2000; ++q) {
            QString text;
            const int parts = random.bounded(4);
            for (int p = 0; p < parts; ++p)
                text += syllables.at(random.bounded(int(syllables.size())));
            const int after = random.bounded(-1, int(items.size()));
            QCOMPARE(m_lookup->findPrefix(text, after), referenceFind(items, text, after, true));
            QCOMPARE(m_lookup->findExact(text, after), referenceFind(items, text, after, false));
        }
    }

    // Until the background index is ready the list is scanned; both ways
    // must give the answers of a plain scan, for every kind of list change.
    void searchesAreRightBeforeAndAfterTheIndexIsReady()
    {
        QRandomGenerator random(777);
        QStringList items;
        for (int i = 0; i < 2000; ++i)
            items << randomName(random);
        Form* f = open(items);
        int scanned = 0;
        for (int change = 0; change < 300; ++change) {
            const int row = random.bounded(int(items.size()));
            switch (change % 4) {
            case 0:
            case 1:
                items[row] = randomName(random);
                f->combo->setItemText(row, items.at(row));
                break;
            case 2:
                items.insert(row, randomName(random));
                f->combo->insertItem(row, items.at(row));
                break;
            default:
                items.removeAt(row);
                f->combo->removeItem(row);
                break;
            }
            // Every few changes, give a build the time to end.
            if (change % 10 == 9)
                QTest::qWait(20);
            for (int q = 0; q < 3; ++q) {
                if (!m_lookup->indexReady())
                    ++scanned;
                const QString text = randomName(random, 3);
                const int after = random.bounded(-1, int(items.size()));
                QCOMPARE(m_lookup->findPrefix(text, after), referenceFind(items, text, after, true));
                QCOMPARE(m_lookup->findExact(text, after), referenceFind(items, text, after, false));
            }
        }
        // The first search after a change never finds the new index ready.
        QVERIFY(scanned >= 300);

        QVERIFY(m_lookup->waitForIndex(30000));
        for (int q = 0; q < 1000; ++q) {
            const QString text = randomName(random, 3);
            const int after = random.bounded(-1, int(items.size()));
            QCOMPARE(m_lookup->findPrefix(text, after), referenceFind(items, text, after, true));
            QCOMPARE(m_lookup->findExact(text, after), referenceFind(items, text, after, false));
        }
        QVERIFY(m_lookup->indexReady());
    }

    void keysAreCompletedBeforeTheIndexIsReady()
    {
        QStringList items = bigList(100000);
        items[60000] = QString::fromUtf8("ÁGATA");
        Form* f = open(items);
        f->combo->setItemText(70000, QString::fromUtf8("ágata maria"));
        QVERIFY(!m_lookup->indexReady());
        type(f->combo, QString::fromUtf8("Ágata"));
        QCOMPARE(f->combo->currentIndex(), 60000);
        QCOMPARE(f->combo->lineEdit()->text(), QString::fromUtf8("ÁGATA"));
        type(f->combo, " ");
        QCOMPARE(f->combo->currentIndex(), 70000);
        QCOMPARE(f->combo->lineEdit()->selectedText(), QString("maria"));
        QVERIFY(f->spy.keys.isEmpty());
    }

    // Builds for an older list may still run, or end, after the list has
    // changed; their index must never answer for the new list.
    void aListChangeDuringABuildIsNeverAnsweredFromTheOldList()
    {
        QStringList items = bigList(200000);
        Form* f = open(items);
        for (int round = 0; round < 12; ++round) {
            const int row = 1000 + round * 15000;
            const QString name = QString("Zélia %1").arg(round);
            items[row] = name;
            f->combo->setItemText(row, name);
            items.removeAt(round);
            f->combo->removeItem(round);
            // From no wait to well past a whole build.
            QTest::qWait(round * round * 3);
            QCOMPARE(m_lookup->findPrefix(name.toUpper(), -1), row - 1);
            QCOMPARE(m_lookup->findExact(name, row), row - 1);
            QCOMPARE(m_lookup->findExact(items.at(5000), -1), 5000);
            QCOMPARE(m_lookup->findPrefix("zélia", row - 1), referenceFind(items, "zélia", row - 1, true));
            QCOMPARE(m_lookup->findExact("cliente 0000000", -1),
                     referenceFind(items, "cliente 0000000", -1, false));
        }
        QVERIFY(m_lookup->waitForIndex(60000));
        QCOMPARE(m_lookup->findPrefix("ZÉLIA", -1), referenceFind(items, "ZÉLIA", -1, true));
        QCOMPARE(m_lookup->findPrefix("zélia 11", -1), 1000 + 11 * 15000 - 1);
        QCOMPARE(m_lookup->findExact(items.at(123456), -1), 123456);
    }

    void stringListModelsAreFollowed()
    {
        Form* f = open({});
        QStringListModel model(QStringList{"ANA", "BRUNO"});
        f->combo->setModel(&model);
        QCOMPARE(m_lookup->findPrefix("b", -1), 1);
        model.setStringList(bigList(50000));
        QCOMPARE(m_lookup->findExact("cliente 0049999", -1), model.stringList().indexOf("Cliente 0049999"));
        model.setData(model.index(10), "Xavier");
        QCOMPARE(m_lookup->findPrefix("x", -1), 10);
        model.insertRows(3, 1);
        model.setData(model.index(3), "Yara");
        QCOMPARE(m_lookup->findPrefix("x", -1), 11);
        QCOMPARE(m_lookup->findPrefix("y", -1), 3);
        QVERIFY(m_lookup->waitForIndex(30000));
        QCOMPARE(m_lookup->findPrefix("x", -1), 11);
        QCOMPARE(m_lookup->findExact("yara", 3), 3);
        f->combo->setModel(new QStandardItemModel(f->combo));
        QCOMPARE(m_lookup->findPrefix("x", -1), -1);
    }

    // A window may close, or drop its combo, while the index is being built.
    void destroyedWhileTheIndexIsBuilt()
    {
        const QStringList items = bigList(200000);
        Form* f = open(items);
        auto lookup = std::make_unique<claFenwaurda>();
        lookup->attachTo(f->combo);
        lookup.reset();

        lookup = std::make_unique<claFenwaurda>();
        lookup->attachTo(f->combo);
        f->combo->setItemText(5, "Zuleica");
        QCOMPARE(lookup->findPrefix("zu", -1), 5);
        f->combo->setItemText(6, "Zenaide");
        lookup.reset();

        // The combo goes first; the build of its list must not outlive it
        // in any harmful way.
        QCOMPARE(m_lookup->findPrefix("zen", -1), 6);
        delete f->combo;
        f->combo = nullptr;
        QCOMPARE(m_lookup->findPrefix("zen", -1), -1);
        QVERIFY(!m_lookup->waitForIndex(10));
        m_lookup.reset();
    }

    void listChangesAreSeenByTheNextKey()
    {
        Form* f = open({"ANA"});
        QLineEdit* edit = f->combo->lineEdit();
        type(f->combo, "x");
        QCOMPARE(edit->text(), QString("x"));

        f->combo->addItem("XAVIER");
        edit->clear();
        type(f->combo, "x");
        QCOMPARE(edit->text(), QString("XAVIER"));
        QCOMPARE(f->combo->currentIndex(), 1);

        f->combo->setItemText(0, "ZULEICA");
        edit->selectAll();
        type(f->combo, "z");
        QCOMPARE(edit->text(), QString("ZULEICA"));

        f->combo->removeItem(0);
        edit->selectAll();
        type(f->combo, "z");
        QCOMPARE(edit->text(), QString("z"));

        f->combo->clear();
        f->combo->addItems({"WALTER"});
        edit->selectAll();
        type(f->combo, "w");
        QCOMPARE(edit->text(), QString("WALTER"));
        QCOMPARE(f->combo->count(), 1);
    }

    void otherKeysAreLeftToTheControl()
    {
        Form* f = open({"ANA MARIA", "ANTONIO"});
        QLineEdit* edit = f->combo->lineEdit();
        type(f->combo, "a");
        QTest::keyClick(f->combo, Qt::Key_Home);
        QCOMPARE(edit->cursorPosition(), 0);
        QVERIFY(!edit->hasSelectedText());
        QTest::keyClick(f->combo, Qt::Key_Right);
        QCOMPARE(edit->cursorPosition(), 1);
        QTest::keyClick(f->combo, Qt::Key_End, Qt::ShiftModifier);
        QCOMPARE(edit->selectedText(), QString("NA MARIA"));
        QCOMPARE(edit->text(), QString("ANA MARIA"));
        QCOMPARE(f->spy.keys, (QList<int>{Qt::Key_Home, Qt::Key_Right, Qt::Key_Shift, Qt::Key_End}));
    }

    void comboDestroyedWhileAttached()
    {
        Form* f = open({"ANA"});
        QCOMPARE(m_lookup->findPrefix("a", -1), 0);
        delete f->combo;
        f->combo = nullptr;
        QVERIFY(m_lookup->attached() == nullptr);
        QCOMPARE(m_lookup->findPrefix("a", -1), -1);
        QVERIFY(!m_lookup->contains("ANA"));
        QTest::keyClick(f->next, 'a');
        QCOMPARE(f->next->text(), QString("a"));
    }

    // A list kept for the whole run keeps its index with it: attaching to
    // it again finds the index ready, and an item changed, added or removed
    // is indexed in place, so the index stays ready.
    void aKeptListKeepsItsIndex()
    {
        QRandomGenerator random(4242);
        QStringList items;
        for (int i = 0; i < 3000; ++i)
            items << randomName(random);
        Form* f = open({"ANA"}, {"BRUNO"});
        QStringListModel kept(items);
        setLookupItems(f->combo, &kept);
        QVERIFY(m_lookup->waitForIndex(30000));
        m_lookup->attachTo(f->combo2);
        m_lookup->attachTo(f->combo);
        QVERIFY(m_lookup->indexReady());
        // A second window showing the same list shares its index.
        QComboBox other;
        other.setEditable(true);
        setLookupItems(&other, &kept);
        claFenwaurda second;
        second.attachTo(&other);
        QVERIFY(second.indexReady());

        for (int change = 0; change < 300; ++change) {
            const int row = random.bounded(int(items.size()));
            switch (change % 3) {
            case 0:
                items[row] = randomName(random);
                kept.setData(kept.index(row), items.at(row));
                break;
            case 1:
                items.insert(row, randomName(random));
                kept.insertRows(row, 1);
                kept.setData(kept.index(row), items.at(row));
                break;
            default:
                items.removeAt(row);
                kept.removeRows(row, 1);
                break;
            }
            QVERIFY(m_lookup->indexReady());
            for (int q = 0; q < 3; ++q) {
                const QString text = randomName(random, 3);
                const int after = random.bounded(-1, int(items.size()));
                QCOMPARE(m_lookup->findPrefix(text, after), referenceFind(items, text, after, true));
                QCOMPARE(m_lookup->findExact(text, after), referenceFind(items, text, after, false));
            }
        }
        // Many rows at once are indexed again from scratch.
        kept.setStringList(items.mid(0, 100));
        QVERIFY(!m_lookup->indexReady());
        QCOMPARE(m_lookup->findExact(items.at(99), -1),
                 referenceFind(items.mid(0, 100), items.at(99), -1, false));
        QVERIFY(m_lookup->waitForIndex(30000));
    }

    void detachedLookupLeavesTheComboAlone()
    {
        Form* f = open({"ANA"});
        m_lookup->attachTo(nullptr);
        type(f->combo, "a");
        QCOMPARE(f->combo->lineEdit()->text(), QString("a"));
        QCOMPARE(m_lookup->findPrefix("a", -1), -1);
    }

    // Leaving a lookup field never walks the whole list: the type-ahead
    // has matched what there is to match, found or not.
    void leavingALookupComboSearchesNothing()
    {
        QWidget form;
        auto* layout = new QVBoxLayout(&form);
        claFenwaurda lookup;
        QComboBox* combo = makeLookupCombo(&form, "cboLookup", &lookup);
        auto* list = new CountingModel(bigList(1000), &form);
        setLookupItems(combo, list);
        auto* next = new QLineEdit(&form);
        layout->addWidget(combo);
        layout->addWidget(next);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        for (const auto& [typed, left] : {std::pair{"zz", "zz"}, {"cliente 0000100", "Cliente 0000100"}}) {
            combo->setFocus();
            combo->lineEdit()->selectAll();
            type(combo, typed);
            QTest::keyClick(combo, Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
            QCOMPARE(combo->currentText(), QString(left));
            QCOMPARE(list->searches, 0);
        }
    }
};

QTEST_MAIN(tst_claFenwaurda)
#include "tst_claFenwaurda.moc"
