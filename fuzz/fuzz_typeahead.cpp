// The type-ahead's text-after-key rules, through the keys an operator
// presses: after each key the combo shows either the first list item that
// begins with (typed character) or equals (Backspace, Delete) the text the
// key leaves, with the untyped rest selected, or the line edit's own edit
// when no item fits. The list itself is never changed.
#include "lookup/claFenwaurda.h"
#include "platform/TextFold.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

QApplication* app = nullptr;
QComboBox* combo = nullptr;
claFenwaurda* typeAhead = nullptr;

void require(bool ok, const char* what, const QString& before, const QString& after)
{
    if (ok)
        return;
    std::fprintf(stderr, "%s: \"%s\" -> \"%s\"\n", what, before.toUtf8().constData(),
                 after.toUtf8().constData());
    std::abort();
}

// Letters that meet in names and codes, cases and accents mixed, so that
// prefixes match often; the provider's raw units add everything else.
QString takeText(FuzzedDataProvider& in, size_t maxUnits)
{
    static const char16_t alphabet[] = u"aAbB\u00e9\u00c9\u0301 1\u00df\u1e9e\U0001F3AC";
    QString out;
    const size_t n = in.ConsumeIntegralInRange<size_t>(0, maxUnits);
    for (size_t i = 0; i < n && in.remaining_bytes() > 0; ++i) {
        const size_t pick = in.ConsumeIntegralInRange<size_t>(0, std::size(alphabet) + 1);
        if (pick < std::size(alphabet) - 1)
            out += QChar(alphabet[pick]);
        else
            out += QChar(in.ConsumeIntegral<char16_t>());
    }
    return out;
}

// The program's folding (letter case and Latin accents), one code point at
// a time, over the whole text: the plain reference the index must agree
// with. A lone surrogate stays as it is.
QString fold(const QString& s)
{
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        char32_t code = s[i].unicode();
        if (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(s[i], s[i + 1]);
            ++i;
        } else if (s[i].isSurrogate()) {
            out += s[i];
            continue;
        }
        for (QChar unit : QChar::fromUcs4(platform::foldedCode(code)))
            out += unit;
    }
    return out;
}

bool folded(const QString& item, const QString& text, bool whole)
{
    const QString a = fold(item);
    const QString b = fold(text);
    return whole ? a == b : a.startsWith(b);
}

void press(int key, const QString& text, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QKeyEvent down(QEvent::KeyPress, key, mods, text);
    QKeyEvent up(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(combo, &down);
    QApplication::sendEvent(combo, &up);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    app = new QApplication(*argc, *argv);
    combo = new QComboBox;
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    typeAhead = new claFenwaurda;
    typeAhead->attachTo(combo);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    QStringList items;
    const size_t count = in.ConsumeIntegralInRange<size_t>(0, 8);
    for (size_t i = 0; i < count; ++i)
        items << takeText(in, 5);
    combo->clear();
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    if (in.ConsumeBool())
        typeAhead->waitForIndex(1000);
    QLineEdit* edit = combo->lineEdit();
    edit->setText(takeText(in, 4));
    edit->setCursorPosition(in.ConsumeIntegralInRange<int>(0, int(edit->text().size())));
    if (in.ConsumeBool())
        edit->setSelection(in.ConsumeIntegralInRange<int>(0, int(edit->text().size())),
                           in.ConsumeIntegralInRange<int>(-3, 3));

    for (int step = 0; step < 16 && in.remaining_bytes() > 0; ++step) {
        const QString before = edit->text();
        qsizetype start = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
        const qsizetype length = edit->hasSelectedText() ? edit->selectedText().size() : 0;
        const QString left = before.left(start);
        const QString right = before.mid(start + length);
        QString expected;
        bool exact = true;
        switch (in.ConsumeIntegralInRange<int>(0, 5)) {
        case 0:
            press(Qt::Key_Backspace, QStringLiteral("\b"));
            expected = length > 0 ? left + right : left.left(left.size() - 1) + right;
            if (length == 0 && left.size() >= 2 && left.back().isLowSurrogate() &&
                left[left.size() - 2].isHighSurrogate())
                expected = left.left(left.size() - 2) + right;
            break;
        case 1:
            press(Qt::Key_Delete, QString());
            expected = QString(); // one whole character: left to the line edit's rule
            break;
        case 2:
            press(in.ConsumeBool() ? Qt::Key_Left : Qt::Key_Right, QString(),
                  in.ConsumeBool() ? Qt::ShiftModifier : Qt::NoModifier);
            require(edit->text() == before, "a cursor key changed the text", before, edit->text());
            continue;
        default: {
            const QString typed = takeText(in, 1);
            if (typed.isEmpty())
                continue;
            press(Qt::Key_A, typed);
            // Keys that type nothing printable are the line edit's business.
            const QChar::Category kind = typed[0].category();
            if (typed[0].isPrint() || kind == QChar::Other_Format || kind == QChar::Other_PrivateUse)
                expected = left + typed + right;
            exact = false;
            break;
        }
        }
        const QString after = edit->text();
        require(combo->count() == items.size(), "the list changed", before, after);
        for (int i = 0; i < items.size(); ++i)
            require(combo->itemText(i) == items[i], "an item changed", before, after);
        if (expected.isNull())
            continue;
        const int found = exact ? typeAhead->findExact(expected, -1) : typeAhead->findPrefix(expected, -1);
        if (expected.isEmpty()) {
            require(after.isEmpty(), "an emptied text stayed", before, after);
        } else if (found >= 0 && combo->currentIndex() >= 0 &&
                   after == combo->itemText(combo->currentIndex())) {
            // A suggestion: it fits the text the key left, and only the
            // part not typed is selected.
            require(folded(after, expected, exact), "the suggestion does not fit", expected, after);
            const qsizetype typed = std::min(expected.size(), after.size());
            if (typed < after.size())
                require(edit->selectionStart() == typed &&
                            edit->selectedText().size() == after.size() - typed,
                        "wrong part selected", expected, after);
        } else {
            require(found < 0, "a fitting item was not suggested", expected, after);
            // No item fits: the line edit edits as it always does.
            require(after == expected || after == before || after.size() < before.size(),
                    "the line edit's own edit differs", expected, after);
        }
    }
    return 0;
}
