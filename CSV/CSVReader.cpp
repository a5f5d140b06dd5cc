#include "CSV/CSVReader.h"

#include "CSV/CanonicalText.h"
#include "CSV/Utf8Text.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace csv {

namespace {

constexpr char32_t lf = U'\n';
constexpr char32_t cr = U'\r';
constexpr char32_t quote = U'"';
// Field storage above this size is not kept for later rows.
constexpr std::size_t largeField = 64 * 1024;

// A field's storage, cleared for the next field; a huge field of an earlier row gives its
// memory back.
std::string& emptied(std::string& field) {
    if (field.capacity() > largeField) {
        std::string().swap(field);
    } else {
        field.clear();
    }
    return field;
}

} // namespace

const std::set<char32_t>& CSVReader::defaultWhitespaces() {
    static const std::set<char32_t> whitespaces{
        U'\t',     U' ',      U'\u00A0', U'\u1680', U'\u2000', U'\u2001',
        U'\u2002', U'\u2003', U'\u2004', U'\u2005', U'\u2006', U'\u2007',
        U'\u2008', U'\u2009', U'\u200A', U'\u202F', U'\u205F', U'\u3000'};
    return whitespaces;
}

CSVReader::CSVReader(std::shared_ptr<InputStream> stream, Configuration configuration)
    : CSVReader(std::move(stream), UTF8{}, std::move(configuration)) {}

CSVReader::CSVReader(std::string text, Configuration configuration)
    : CSVReader(std::make_unique<detail::ChainScalarIterator<detail::TextUnits, UTF8>>(
                    detail::TextUnits(std::move(text))),
                withoutDelimiterInWhitespaces(std::move(configuration))) {}

CSVReader::CSVReader(std::unique_ptr<ScalarIterator> iterator, Configuration configuration)
    : iterator_(std::move(iterator))
    , configuration_(std::move(configuration))
    , fieldStartStops_{lf, cr, configuration_.delimiter, quote}
    , unquotedStops_{lf, cr, configuration_.delimiter}
    , quotedStops_{quote} {
    // Attached before the header row is read, so that an error there is not lost.
    iterator_->setErrorHandler([this](const CSVError& error) { error_ = error; });
    if (!configuration_.hasHeaderRow) {
        return;
    }
    const Row* header = next();
    if (!header) {
        throw CSVError(CSVError::Kind::cannotReadHeaderRow);
    }
    headerRow_ = *header;
    hasCurrentRow_ = false;
    for (const std::string& name : *headerRow_) {
        canonicalHeader_.push_back(detail::canonicalForm(name).value_or(name));
    }
}

CSVReader::Configuration CSVReader::withoutDelimiterInWhitespaces(Configuration configuration) {
    configuration.whitespaces.erase(configuration.delimiter);
    return configuration;
}

const Row* CSVReader::next() {
    const char32_t c = nextScalar();
    if (c == noScalar) {
        hasCurrentRow_ = false;
        return nullptr;
    }
    fieldCount_ = 0;
    readFields(c);
    row_.resize(fieldCount_);
    // Storage is kept for the next row, but not what one exceptionally wide row needed.
    if (row_.capacity() > 2 * row_.size() + 64) {
        row_.shrink_to_fit();
    }
    hasCurrentRow_ = true;
    return &row_;
}

// FieldStart with the row's first scalar, then NextField for as long as fields end at a
// delimiter.
void CSVReader::readFields(char32_t c) {
    for (bool another = startField(c); another;) {
        another = nextField();
    }
}

bool CSVReader::startField(char32_t c) {
    if (configuration_.trimFields) {
        while (c != noScalar && isWhitespace(c)) {
            c = nextScalar();
        }
    }
    std::string& field = beginField();
    if (c == noScalar) {
        return false;
    }
    return c == quote ? readQuoted(field) : readUnquoted(field, c);
}

// Without trimming, the field's first scalar comes with the run after it where the source has
// one: a run that is not empty did not start with a quote, so the field is unquoted.
bool CSVReader::nextField() {
    if (configuration_.trimFields) {
        return startField(nextScalar());
    }
    std::string& field = beginField();
    char32_t c = appendRun(field, fieldStartStops_);
    const bool started = !field.empty();
    if (c == noScalar) {
        c = nextScalar();
    }
    if (started) {
        return readUnquoted(field, c);
    }
    if (c == noScalar) {
        return false;
    }
    return c == quote ? readQuoted(field) : readUnquoted(field, c);
}

// Entered with the field's next scalar, as if it had been pushed back and read again.
bool CSVReader::readUnquoted(std::string& field, char32_t c) {
    for (;;) {
        if (c == noScalar || c == lf) {
            finishUnquoted(field);
            return false;
        }
        if (c == cr) {
            afterCR();
            finishUnquoted(field);
            return false;
        }
        if (c == configuration_.delimiter) {
            finishUnquoted(field);
            return true;
        }
        detail::appendScalar(field, c);
        c = appendRun(field, unquotedStops_);
        if (c == noScalar) {
            c = nextScalar();
        }
    }
}

// Quoted, and QuoteSeen after each quote; the text between the quotes is never trimmed. A quote
// ends the field only before a delimiter, a line end or the end of the input (after whitespace,
// when trimming); a doubled quote is one quote; any other quote stays, with what follows it.
bool CSVReader::readQuoted(std::string& field) {
    char32_t c = noScalar;
    for (;;) {
        if (c == noScalar) {
            c = appendRun(field, quotedStops_);
        }
        if (c == noScalar) {
            c = nextScalar();
        }
        if (c == noScalar) {
            return false;
        }
        if (c != quote) {
            detail::appendScalar(field, c);
            c = noScalar;
            continue;
        }
        const std::size_t quoteAt = field.size();
        field.push_back('"');
        char32_t d = nextScalar();
        if (configuration_.trimFields) {
            while (d != noScalar && isWhitespace(d)) {
                detail::appendScalar(field, d);
                d = nextScalar();
            }
        }
        if (d == noScalar || d == lf || d == cr || d == configuration_.delimiter) {
            // The quote closed the field; whitespace read after it is trimmed away.
            field.resize(quoteAt);
            if (d == cr) {
                afterCR();
            }
            return d == configuration_.delimiter;
        }
        const bool doubled = d == quote && field.size() == quoteAt + 1;
        c = doubled ? noScalar : d;
    }
}

void CSVReader::afterCR() {
    const char32_t e = nextScalar();
    if (e != noScalar && e != lf) {
        back_ = e;
    }
}

std::string& CSVReader::beginField() {
    if (fieldCount_ == configuration_.maxFieldsKept) {
        return emptied(dropped_);
    }
    if (fieldCount_ == row_.size()) {
        row_.emplace_back();
    }
    return emptied(row_[fieldCount_++]);
}

// Only the end needs trimming: when trimming, FieldStart has already skipped leading whitespace.
void CSVReader::finishUnquoted(std::string& field) const {
    if (!configuration_.trimFields) {
        return;
    }
    while (!field.empty()) {
        const detail::LastScalar last = detail::lastScalar(field);
        if (!isWhitespace(last.scalar)) {
            break;
        }
        field.resize(field.size() - last.length);
    }
}

char32_t CSVReader::nextScalar() {
    if (back_ != noScalar) {
        return std::exchange(back_, noScalar);
    }
    // An input error ends the rows for good, even if the stream would deliver more.
    if (error_) {
        return noScalar;
    }
    return iterator_->nextScalar();
}

char32_t CSVReader::appendRun(std::string& field, const RunStops& stops) {
    if (back_ != noScalar || error_) {
        return noScalar;
    }
    return iterator_->appendRun(field, stops);
}

std::optional<std::string_view> CSVReader::operator[](std::string_view name) const {
    if (!headerRow_) {
        throw std::logic_error("CSVReader.headerRow must not be nil");
    }
    const std::optional<std::string> key = detail::canonicalForm(name);
    if (!key) {
        return std::nullopt;
    }
    const auto found = std::find(canonicalHeader_.begin(), canonicalHeader_.end(), *key);
    if (found == canonicalHeader_.end()) {
        return std::nullopt;
    }
    if (!hasCurrentRow_) {
        throw std::logic_error("CSVReader.currentRow must not be nil");
    }
    const auto index = static_cast<std::size_t>(found - canonicalHeader_.begin());
    if (index >= row_.size()) {
        return std::nullopt;
    }
    return row_[index];
}

} // namespace csv
