#pragma once

#include "CSV/BinaryReader.h"
#include "CSV/CSVError.h"
#include "CSV/ChainScalarIterator.h"
#include "CSV/Endian.h"
#include "CSV/ScalarIterator.h"
#include "CSV/Sequence.h"
#include "CSV/Streams.h"
#include "CSV/UnicodeCodecs.h"

#include <cstddef>
#include <limits>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace csv {

using Row = std::vector<std::string>;

// Reads delimiter-separated text into rows of UTF-8 fields, one row per next(). Fields may be
// double-quoted; LF, CR and CR LF end rows. A quote inside a quoted field that neither doubles
// nor ends it (no delimiter or line end follows) is kept with what follows it, so
// `"He said "hi" there"` reads whole. Input errors end the rows and are kept in error().
// The reader refers to itself from its input's error handler, so it stays where it was built.
class CSVReader {
public:
    struct Configuration {
        bool hasHeaderRow = defaultHasHeaderRow;
        bool trimFields = defaultTrimFields;
        char32_t delimiter = defaultDelimiter;
        std::set<char32_t> whitespaces = defaultWhitespaces();
        // Fields after the first maxFieldsKept of a row (the header row too) are read and
        // dropped, so that a row of a million delimiters costs nothing to a caller who needs
        // only the first few.
        std::size_t maxFieldsKept = allFields;
    };

    static constexpr bool defaultHasHeaderRow = false;
    static constexpr bool defaultTrimFields = false;
    static constexpr char32_t defaultDelimiter = U',';
    static constexpr std::size_t allFields = std::numeric_limits<std::size_t>::max();
    // Tab and the Unicode space separators (Zs); no line break.
    static const std::set<char32_t>& defaultWhitespaces();
    static Configuration defaultConfiguration() { return {}; }

    // The stream input's buffer: one byte short of 64 KiB.
    static constexpr std::size_t bufferSize = 65535;

    // Stream input in UTF-8, in another 8-bit codec, or in UTF-16/UTF-32 with a byte order
    // (a byte-order mark may fix it when it is Endian::unknown). These and the text constructor
    // drop the delimiter from the whitespaces. They throw the BinaryReader's construction errors,
    // and cannotReadHeaderRow when a header row is asked for and there is no row.
    explicit CSVReader(std::shared_ptr<InputStream> stream,
                       Configuration configuration = defaultConfiguration());
    template <ByteCodec Codec>
    CSVReader(std::shared_ptr<InputStream> stream, Codec codec,
              Configuration configuration = defaultConfiguration());
    template <WideCodec Codec>
    CSVReader(std::shared_ptr<InputStream> stream, Codec codec, Endian endian,
              Configuration configuration = defaultConfiguration());
    // UTF-8 text in memory.
    explicit CSVReader(std::string text, Configuration configuration = defaultConfiguration());
    // Any scalar source, with the configuration used as it is.
    CSVReader(std::unique_ptr<ScalarIterator> iterator, Configuration configuration);
    template <ScalarSequence Iterator>
    CSVReader(Iterator iterator, Configuration configuration)
        : CSVReader(std::make_unique<AnyScalarIterator<Iterator>>(std::move(iterator)),
                    std::move(configuration)) {}

    CSVReader(const CSVReader&) = delete;
    CSVReader& operator=(const CSVReader&) = delete;

    // The next row, or nullptr at the end of the input. The row stays valid until the next call.
    const Row* next();

    const Configuration& configuration() const { return configuration_; }
    const std::optional<CSVError>& error() const { return error_; }
    const std::optional<Row>& headerRow() const { return headerRow_; }
    // The row the last next() returned, or nullptr.
    const Row* currentRow() const { return hasCurrentRow_ ? &row_ : nullptr; }

    // The current row's field in the column of the first header equal to name (canonically
    // equivalent texts are equal), or nothing when there is no such column or the row is
    // shorter. Throws std::logic_error without a header row or without a current row.
    std::optional<std::string_view> operator[](std::string_view name) const;

    NextIterator<CSVReader> begin() { return NextIterator<CSVReader>(*this); }
    std::default_sentinel_t end() const { return {}; }

private:
    template <class Codec>
    static std::unique_ptr<ScalarIterator> streamSource(std::shared_ptr<InputStream> stream,
                                                        Endian endian);
    static Configuration withoutDelimiterInWhitespaces(Configuration configuration);

    // The parser's states; each returns true when a delimiter asks for another field.
    void readFields(char32_t c);
    bool startField(char32_t c);
    bool nextField();
    bool readUnquoted(std::string& field, char32_t c);
    bool readQuoted(std::string& field);
    void afterCR();
    std::string& beginField();
    void finishUnquoted(std::string& field) const;

    // Scalars are noScalar at the end of the input.
    char32_t nextScalar();
    char32_t appendRun(std::string& field, const RunStops& stops);
    bool isWhitespace(char32_t c) const { return configuration_.whitespaces.contains(c); }

    std::unique_ptr<ScalarIterator> iterator_;
    Configuration configuration_;
    std::optional<CSVError> error_;
    char32_t back_ = noScalar;
    std::optional<Row> headerRow_;
    // Field strings are reused from row to row; fieldCount_ of them belong to the row in work.
    Row row_;
    std::size_t fieldCount_ = 0;
    // Where the fields beyond maxFieldsKept are read.
    std::string dropped_;
    bool hasCurrentRow_ = false;
    std::vector<std::string> canonicalHeader_;
    RunStops fieldStartStops_;
    RunStops unquotedStops_;
    RunStops quotedStops_;
};

template <class Codec>
std::unique_ptr<ScalarIterator> CSVReader::streamSource(std::shared_ptr<InputStream> stream,
                                                        Endian endian) {
    using Units = BinaryReader::CodeUnitIterator<typename Codec::CodeUnit>;
    auto reader = std::make_shared<BinaryReader>(std::move(stream), endian, true, bufferSize);
    return std::make_unique<detail::ChainScalarIterator<Units, Codec>>(Units(std::move(reader)));
}

template <ByteCodec Codec>
CSVReader::CSVReader(std::shared_ptr<InputStream> stream, Codec, Configuration configuration)
    : CSVReader(streamSource<Codec>(std::move(stream), Endian::unknown),
                withoutDelimiterInWhitespaces(std::move(configuration))) {}

template <WideCodec Codec>
CSVReader::CSVReader(std::shared_ptr<InputStream> stream, Codec, Endian endian,
                     Configuration configuration)
    : CSVReader(streamSource<Codec>(std::move(stream), endian),
                withoutDelimiterInWhitespaces(std::move(configuration))) {}

} // namespace csv
