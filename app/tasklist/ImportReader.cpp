#include "tasklist/ImportReader.h"

#include "CSV/UnicodeBOM.h"
#include "tasklist/TaskCsv.h"

#include <algorithm>

namespace TaskCsv {

namespace {

template <std::size_t N>
bool startsWith(QByteArrayView bytes, const std::array<std::uint8_t, N>& mark) {
    return bytes.size() >= static_cast<qsizetype>(N) &&
           std::equal(mark.begin(), mark.end(), bytes.begin(),
                      [](std::uint8_t m, char b) { return m == static_cast<std::uint8_t>(b); });
}

QLatin1String nameOf(Encoding encoding) {
    switch (encoding) {
    case Encoding::utf16:
        return QLatin1String("UTF-16");
    case Encoding::utf32:
        return QLatin1String("UTF-32");
    case Encoding::utf8:
        break;
    }
    return QLatin1String("UTF-8");
}

} // namespace

Encoding encodingOf(QByteArrayView start) {
    using csv::UnicodeBOM;
    if (startsWith(start, UnicodeBOM::utf32BE) || startsWith(start, UnicodeBOM::utf32LE)) {
        return Encoding::utf32;
    }
    if (startsWith(start, UnicodeBOM::utf16BE) || startsWith(start, UnicodeBOM::utf16LE)) {
        return Encoding::utf16;
    }
    return Encoding::utf8;
}

ImportReader::ImportReader(std::shared_ptr<csv::InputStream> stream, Encoding encoding,
                           const csv::CSVReader::Configuration& configuration)
    : stream_(std::move(stream))
    , encoding_(encoding) {
    try {
        switch (encoding) {
        case Encoding::utf8:
            reader_.emplace(stream_, configuration);
            break;
        // The mark gives the byte order.
        case Encoding::utf16:
            reader_.emplace(stream_, csv::UTF16{}, csv::Endian::unknown, configuration);
            break;
        case Encoding::utf32:
            reader_.emplace(stream_, csv::UTF32{}, csv::Endian::unknown, configuration);
            break;
        }
    } catch (const csv::CSVError& error) {
        throw TransferError(failure(error));
    }
}

std::optional<QString> ImportReader::stoppedBecause() const {
    if (const auto& error = reader_->error()) {
        return failure(*error);
    }
    return std::nullopt;
}

QString ImportReader::failure(const csv::CSVError& error) const {
    // A unit cut short at the end is ill-formed text too.
    if (error.kind() == csv::CSVError::Kind::unicodeDecoding ||
        error.kind() == csv::CSVError::Kind::stringEncodingMismatch) {
        return QStringLiteral("The text is not valid %1.").arg(nameOf(encoding_));
    }
    const std::error_code code = error.streamError() ? error.streamError() : stream_->error();
    return code ? QString::fromStdString(code.message())
                : QStringLiteral("The file could not be read (%1).")
                      .arg(QLatin1String(error.what()));
}

} // namespace TaskCsv
