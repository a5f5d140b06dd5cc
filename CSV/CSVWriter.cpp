#include "CSVWriter.h"

#include "Utf8Text.h"

namespace csv {

CSVWriter::Configuration::Configuration(std::string delimiterText, Newline lineEnd)
    : delimiter(std::move(delimiterText))
    , newline(lineEnd == Newline::lf ? "\n" : "\r\n") {}

CSVWriter::CSVWriter(std::shared_ptr<OutputStream> stream, std::string delimiter, Newline newline)
    : CSVWriter(std::move(stream), UTF8{}, std::move(delimiter), newline) {}

CSVWriter::CSVWriter(std::shared_ptr<OutputStream> stream, Configuration configuration,
                     std::unique_ptr<detail::ScalarSink> writeScalars)
    : stream_(std::move(stream))
    , configuration_(std::move(configuration))
    , writeScalars_(std::move(writeScalars)) {
    if (!detail::isWellFormed(configuration_.delimiter)) {
        throw CSVError(CSVError::Kind::unicodeDecoding);
    }
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
    if (!detail::isWellFormed(field)) {
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
    const bool needsQuotes = quoted || field.find('"') != std::string_view::npos ||
                             field.find(configuration_.delimiter) != std::string_view::npos ||
                             field.find('\r') != std::string_view::npos ||
                             field.find('\n') != std::string_view::npos;
    if (needsQuotes) {
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
