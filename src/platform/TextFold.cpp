#include "platform/TextFold.h"

#include <string_view>

namespace platform {

namespace {

// The base letter of U+00C0 to U+017F, or '.' where the letter keeps its
// case-folded self (ligatures, thorn, sharp s, the signs).
constexpr std::string_view LatinBase = "aaaaaa.ceeeeiiiidnooooo.ouuuuy.."  // U+00C0
                                       "aaaaaa.ceeeeiiiidnooooo.ouuuuy.y"  // U+00E0
                                       "aaaaaaccccccccddddeeeeeeeeeegggg"  // U+0100
                                       "gggghhhhiiiiiiiiii..jjkkklllllll"  // U+0120
                                       "lllnnnnnn...oooooo..rrrrrrssssss"  // U+0140
                                       "ssttttttuuuuuuuuuuuuwwyyyzzzzzzs"; // U+0160         // U+0168
constexpr char32_t LatinFirst = 0xC0;
static_assert(LatinBase.size() == 0x180 - LatinFirst);

} // namespace

char32_t foldedCode(char32_t code)
{
    if (code < 0x80)
        return code >= U'A' && code <= U'Z' ? code + 32 : code;
    const char32_t lower = QChar::toCaseFolded(code);
    // Capital I with dot has no simple case folding: the table takes it.
    for (char32_t c : {lower, code})
        if (c >= LatinFirst && c - LatinFirst < LatinBase.size() && LatinBase[c - LatinFirst] != '.')
            return char32_t(LatinBase[c - LatinFirst]);
    return lower;
}

QString foldedText(QStringView text)
{
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t code = text[i].unicode();
        if (QChar::isHighSurrogate(code) && i + 1 < n && text[i + 1].isLowSurrogate())
            code = QChar::surrogateToUcs4(char16_t(code), text[++i].unicode());
        for (QChar unit : QChar::fromUcs4(foldedCode(code)))
            out += unit;
    }
    return out;
}

QString searchFolded(const QString& text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(decomposed.size());
    for (const QChar c : decomposed)
        if (c.category() != QChar::Mark_NonSpacing)
            out.append(c);
    return out.toCaseFolded();
}

} // namespace platform
