#include "support/Graphemes.h"

#include <QTextBoundaryFinder>

namespace Graphemes {

qsizetype count(const QString& text) {
    QTextBoundaryFinder boundaries(QTextBoundaryFinder::Grapheme, text);
    qsizetype n = 0;
    while (boundaries.toNextBoundary() > 0) {
        ++n;
    }
    return n;
}

QString first(const QString& text, qsizetype limit) {
    QTextBoundaryFinder boundaries(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    for (qsizetype i = 0; i < limit && end >= 0 && end < text.size(); ++i) {
        end = boundaries.toNextBoundary();
    }
    return end < 0 ? text : text.left(end);
}

} // namespace Graphemes
