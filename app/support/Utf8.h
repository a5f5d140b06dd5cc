#pragma once

#include <QString>
#include <QStringDecoder>

#include <string_view>

// UTF-8 bytes as text, a U+FEFF at the start included: QString::fromUtf8 drops one there, and
// a name that starts with it would lose it. Ill-formed bytes read as U+FFFD.
inline QString utf8Text(std::string_view bytes) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}
