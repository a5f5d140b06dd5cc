#pragma once

#include <QString>

// User-perceived characters (grapheme clusters): an emoji family or a letter with its
// combining marks counts as one.
namespace Graphemes {

qsizetype count(const QString& text);
// The first `limit` of them.
QString first(const QString& text, qsizetype limit);

} // namespace Graphemes
