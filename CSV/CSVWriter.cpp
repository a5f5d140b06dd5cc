#include "CSV/CSVWriter.h"

#include "CSV/RunScanner.h"
#include "CSV/Utf8Text.h"

namespace csv {

namespace {

std::optional<char32_t> singleScalar(std::string_view text) {
    detail::ScalarCursor scalars(text);
    const std::optional<char32_t> first = scalars.next();
    return scalars.next() ? std::nullopt : first;
}

RunStops quotingStops(std::string_view delimiter) {
    if (const auto scalar = singleScalar(delimiter)) {
        return {U'"', U'\r', U'\n', *scalar};
    }
    return {U'"', U'\r', U'\n'};
}

// The delimiter is written as it is, so it must be UTF-8 like the fields.
CSVWriter::Configuration checked(CSVWriter::Configuration configuration) {
    if (!detail::isWellFormed(configuration.delimiter)) {
        throw CSVError(CSVError::Kind::unicodeDecoding);
    }
    return configuration;
}

} // namespace

CSVWriter::Configuration::Configuration(std::string delimiterText, Newline lineEnd)
    : delimiter(std::move(delimiterText))
    , newline(lineEnd == Newline::lf ? "\n" : "\r\n") {}

CSVWriter::CSVWriter(std::shared_ptr<OutputStream> stream, std::string delimiter, Newline newline)
    : CSVWriter(std::move(stream), UTF8{}, std::move(delimiter), newline) {}

CSVWriter::CSVWriter(std::shared_ptr<OutputStream> stream, Configuration configuration,
                     std::unique_ptr<detail::ScalarSink> writeScalars)
    : stream_(std::move(stream))
    , configuration_(checked(std::move(configuration)))
    , writeScalars_(std::move(writeScalars))
    , needsQuotes_(quotingStops(configuration_.delimiter))
    , searchDelimiter_(!singleScalar(configuration_.delimiter)) {
    if (stream_->status() == StreamStatus::notOpen) {
        stream_->open();
    }
    if (stream_->status() != StreamStatus::open) {
        throw CSVError(CSVError::Kind::cannotOpenFile);
    }
}

CSVWriter::~CSVWriter() {
    if (stream_->status() == StreamStatus::open) {
        stream_->close();
    }
}

void CSVWriter::writeField(std::string_view field, bool quoted) {
    // One pass checks the text and looks for what needs quotes; a longer delimiter is searched.
    const detail::TextCheck check = detail::checkText(field, needsQuotes_);
    if (!check.wellFormed) {
        throw CSVError(CSVError::Kind::unicodeDecoding);
    }
    if (isFirstRow_) {
        isFirstRow_ = false;
    } else if (isFirstField_) {
        write(configuration_.newline);
    }
    if (isFirstField_) {
        isFirstField_ = false;
    } else {
        write(configuration_.delimiter);
    }
    if (quoted || check.hasStop ||
        (searchDelimiter_ && field.find(configuration_.delimiter) != std::string_view::npos)) {
        writeQuoted(field);
    } else {
        write(field);
    }
}

// Each quote of the field is written twice.
void CSVWriter::writeQuoted(std::string_view field) {
    write("\"");
    for (std::size_t quote = field.find('"'); quote != std::string_view::npos;
         quote = field.find('"')) {
        write(field.substr(0, quote + 1));
        write("\"");
        field.remove_prefix(quote + 1);
    }
    write(field);
    write("\"");
}

void CSVWriter::writeRow(const std::vector<std::string>& row,
                         const std::function<bool(std::size_t)>& quotedAtIndex) {
    beginNewRow();
    for (std::size_t i = 0; i < row.size(); ++i) {
        writeField(row[i], quotedAtIndex && quotedAtIndex(i));
    }
}

} // namespace csv
