#pragma once

#include "CSV/CSVError.h"
#include "CSV/Endian.h"
#include "CSV/ScalarIterator.h"
#include "CSV/ScalarSinks.h"
#include "CSV/Streams.h"
#include "CSV/UnicodeCodecs.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace csv {

// Writes rows of UTF-8 fields as delimiter-separated text, quoting fields that need it. Rows are
// separated lazily, so the output never ends with a line end. Every code unit is one write call
// on the stream: buffering belongs to the stream.
class CSVWriter {
public:
    enum class Newline { lf, crlf };

    struct Configuration {
        Configuration(std::string delimiterText, Newline lineEnd);

        std::string delimiter; // written between two fields of a row, any length
        std::string newline;   // written between two rows
    };

    static constexpr char32_t defaultDelimiter = U',';

    // UTF-8 output, output in another 8-bit codec, or UTF-16/UTF-32 in a byte order (big when
    // not given: no byte-order mark is written, and big-endian is what unmarked text assumes).
    // Each opens the stream if needed and throws cannotOpenFile when it does not open, or
    // unicodeDecoding when the delimiter is not well-formed UTF-8.
    explicit CSVWriter(std::shared_ptr<OutputStream> stream, std::string delimiter = ",",
                       Newline newline = Newline::lf);
    template <ByteCodec Codec>
    CSVWriter(std::shared_ptr<OutputStream> stream, Codec, std::string delimiter = ",",
              Newline newline = Newline::lf)
        : CSVWriter(std::move(stream), Configuration(std::move(delimiter), newline),
                    std::make_unique<detail::CodecSink<Codec>>(Endian::unknown)) {}
    template <WideCodec Codec>
    CSVWriter(std::shared_ptr<OutputStream> stream, Codec, Endian endian = Endian::big,
              std::string delimiter = ",", Newline newline = Newline::lf)
        : CSVWriter(std::move(stream), Configuration(std::move(delimiter), newline),
                    std::make_unique<detail::CodecSink<Codec>>(endian)) {}

    // Closes the stream if it is still open. A stream that buffers can fail to flush then:
    // close it before, and look at its status, to know that everything was written.
    ~CSVWriter();
    CSVWriter(const CSVWriter&) = delete;
    CSVWriter& operator=(const CSVWriter&) = delete;

    // The next field starts a new row.
    void beginNewRow() { isFirstField_ = true; }
    // Writes one field, in quotes when asked or when it holds a quote, the delimiter, CR or LF.
    // Throws cannotWriteStream when the stream takes less than it is given (what was written
    // stays written), and unicodeDecoding, writing nothing, for a field that is not UTF-8.
    void writeField(std::string_view field, bool quoted = false);
    // Writes one row; quotedAtIndex forces quotes by field position. Stops at the first failure.
    void writeRow(const std::vector<std::string>& row,
                  const std::function<bool(std::size_t)>& quotedAtIndex = {});

    const std::shared_ptr<OutputStream>& stream() const { return stream_; }
    const Configuration& configuration() const { return configuration_; }

private:
    CSVWriter(std::shared_ptr<OutputStream> stream, Configuration configuration,
              std::unique_ptr<detail::ScalarSink> writeScalars);

    void write(std::string_view text) { writeScalars_->write(*stream_, text); }
    void writeQuoted(std::string_view field);

    std::shared_ptr<OutputStream> stream_;
    Configuration configuration_;
    std::unique_ptr<const detail::ScalarSink> writeScalars_;
    // What makes a field need quotes: the quote, CR, LF, and the delimiter when it is one
    // scalar; a longer delimiter is searched for.
    RunStops needsQuotes_;
    bool searchDelimiter_;
    bool isFirstRow_ = true;
    bool isFirstField_ = true;
};

} // namespace csv
