#pragma once

#include <QString>
#include <QStringView>

// The one folding for matching what the operator types against names and
// titles: letter case ignored, and the accented Latin letters (Latin-1 and
// Latin Extended-A) taken as their base letters, so that "joao" matches
// "João". Every code point folds to exactly one code point of the same
// width, so a folded text keeps the length and positions of the text.
namespace platform {

char32_t foldedCode(char32_t code);
QString foldedText(QStringView text);
// Letter case and every combining mark left out, in any script, as a
// full-text index folds the words it keeps.
QString searchFolded(const QString& text);

} // namespace platform
