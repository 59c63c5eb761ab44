// The field-length limit, through what an operator does to a field: typing,
// pasting and inserting at any place, Backspace and Delete, a selection
// typed or pasted over, cut, undo and redo, input-method commits, and the
// program's own texts in between. After every step the field holds at most
// its limit of UTF-16 units, no half of a surrogate pair, no control
// character, and the limit knows the text the field really holds.
#include "platform/widgets/Fields.h"
#include "platform/widgets/MessageBox.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

struct Field
{
    QLineEdit* edit;
    int limit;
};

QApplication* app = nullptr;
QWidget* window = nullptr;
std::array<Field, 4> fields{};

QString shown(const QString& text)
{
    QString out;
    for (QChar c : text)
        out += c.isPrint() && !c.isSurrogate() ? QString(c)
                                               : QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QChar('0'));
    return out;
}

void require(bool ok, const char* what, const char* step, const QString& before, const QString& after)
{
    if (ok)
        return;
    std::fprintf(stderr, "%s after %s: \"%s\" -> \"%s\"\n", what, step, shown(before).toUtf8().constData(),
                 shown(after).toUtf8().constData());
    std::abort();
}

// Letters, an accent that joins the letter before it, a character outside
// the BMP, both of its halves alone, blanks and control characters that
// pasted text brings; the provider's raw units add everything else.
QString takeText(FuzzedDataProvider& in, size_t maxUnits)
{
    static const char16_t alphabet[] = u"aB\u00e9\u0301 \U0001F3AC\t\n\r\x01\x7f\u0085\u200f\u00a0";
    static const char16_t halves[] = {0xD83C, 0xDFAC};
    QString out;
    const size_t n = in.ConsumeIntegralInRange<size_t>(0, maxUnits);
    for (size_t i = 0; i < n && in.remaining_bytes() > 0; ++i) {
        const size_t pick = in.ConsumeIntegralInRange<size_t>(0, std::size(alphabet) + 2);
        if (pick < std::size(alphabet) - 1)
            out += QChar(alphabet[pick]);
        else if (pick < std::size(alphabet) + 1)
            out += QChar(halves[pick - (std::size(alphabet) - 1)]);
        else
            out += QChar(in.ConsumeIntegral<char16_t>());
    }
    return out;
}

void press(QLineEdit* edit, int key, Qt::KeyboardModifiers mods, const QString& text = QString())
{
    QKeyEvent down(QEvent::KeyPress, key, mods, text);
    QKeyEvent up(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(edit, &down);
    QApplication::sendEvent(edit, &up);
}

int position(FuzzedDataProvider& in, const QLineEdit* edit)
{
    return in.ConsumeIntegralInRange<int>(0, int(edit->text().size()));
}

// What the program itself puts in a field: a stored text within the limit,
// cut between whole characters.
QString programText(FuzzedDataProvider& in, int limit)
{
    const QString text = QStringLiteral("Ana Maria e\u0301 \U0001F3AC Souza Lima ").repeated(4);
    QString out = text.left(in.ConsumeIntegralInRange<int>(0, limit));
    if (!out.isEmpty() && out.back().isHighSurrogate())
        out.chop(1);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    app = new QApplication(*argc, *argv);
    MessageBox::setTestMode(true);
    window = new QWidget;
    window->setWindowTitle(QStringLiteral("Campos"));
    auto* layout = new QVBoxLayout(window);
    const int limits[] = {1, 3, 8, 60};
    for (size_t i = 0; i < fields.size(); ++i) {
        QLineEdit* edit = nullptr;
        if (i == 2) {
            // A name combo: the limit sits on its line edit.
            auto* combo = new QComboBox(window);
            combo->setEditable(true);
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->addItems(
                {QStringLiteral("Ana"), QStringLiteral("Ana Maria"), QStringLiteral("\U0001F3ACB")});
            platform::limitLength(combo, limits[i]);
            layout->addWidget(combo);
            edit = combo->lineEdit();
        } else {
            edit = new QLineEdit(window);
            platform::limitLength(edit, limits[i]);
            layout->addWidget(edit);
        }
        fields[i] = {edit, limits[i]};
    }
    window->show();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const Field& field = fields[in.ConsumeIntegralInRange<size_t>(0, fields.size() - 1)];
    QLineEdit* edit = field.edit;
    edit->setText(programText(in, field.limit));
    edit->setFocus();
    MessageBox::clearShown();

    for (int step = 0; step < 24 && in.remaining_bytes() > 0; ++step) {
        const QString before = edit->text();
        const char* what = "";
        switch (in.ConsumeIntegralInRange<int>(0, 12)) {
        case 0:
            what = "a key";
            press(edit, Qt::Key_A, Qt::NoModifier, takeText(in, 2));
            break;
        case 1:
            what = "a paste";
            QApplication::clipboard()->setText(takeText(in, 80));
            press(edit, Qt::Key_V, Qt::ControlModifier);
            break;
        case 2:
            what = "an insert";
            edit->insert(takeText(in, 80));
            break;
        case 3:
            what = "Backspace";
            press(edit, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
            break;
        case 4:
            what = "Delete";
            press(edit, Qt::Key_Delete, Qt::NoModifier);
            break;
        case 5:
            what = "a cursor move";
            edit->setCursorPosition(position(in, edit));
            break;
        case 6:
            what = "a selection";
            edit->setSelection(position(in, edit), in.ConsumeIntegralInRange<int>(-80, 80));
            break;
        case 7:
            what = "select all";
            press(edit, Qt::Key_A, Qt::ControlModifier);
            break;
        case 8:
            what = "cut";
            press(edit, Qt::Key_X, Qt::ControlModifier);
            break;
        case 9:
            if (in.ConsumeBool()) {
                what = "undo";
                press(edit, Qt::Key_Z, Qt::ControlModifier);
            } else {
                what = "redo";
                press(edit, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
            }
            break;
        case 10: {
            what = "an input-method commit";
            QInputMethodEvent commit;
            commit.setCommitString(takeText(in, 8), in.ConsumeIntegralInRange<int>(-2, 0),
                                   in.ConsumeIntegralInRange<int>(0, 2));
            QApplication::sendEvent(edit, &commit);
            break;
        }
        case 11:
            what = "a cursor key";
            press(edit, in.ConsumeBool() ? Qt::Key_Left : Qt::Key_End,
                  in.ConsumeBool() ? Qt::ShiftModifier : Qt::NoModifier);
            break;
        default:
            what = "a text the program sets";
            edit->setText(programText(in, field.limit));
            break;
        }

        const QString after = edit->text();
        require(after.size() <= field.limit, "over the limit", what, before, after);
        for (qsizetype i = 0; i < after.size(); ++i) {
            const QChar c = after[i];
            if (c.isHighSurrogate() && i + 1 < after.size() && after[i + 1].isLowSurrogate()) {
                ++i;
                continue;
            }
            require(!c.isSurrogate(), "half of a surrogate pair", what, before, after);
            require(c.category() != QChar::Other_Control, "a control character", what, before, after);
        }
        require(platform::lengthLimitRecord(edit) == after, "the limit's record is stale", what, before,
                after);
    }
    return 0;
}
