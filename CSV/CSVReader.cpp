#include "CSVReader.h"

#include "CanonicalText.h"
#include "Utf8Text.h"

#include <algorithm>
#include <stdexcept>

namespace csv {

namespace {

constexpr char32_t lf = U'\n';
constexpr char32_t cr = U'\r';
constexpr char32_t quote = U'"';

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
    const std::optional<char32_t> c = nextScalar();
    if (!c) {
        hasCurrentRow_ = false;
        return nullptr;
    }
    fieldCount_ = 0;
    readFields(c);
    row_.resize(fieldCount_);
    hasCurrentRow_ = true;
    return &row_;
}

// FieldStart, then NextField for as long as fields end at a delimiter.
void CSVReader::readFields(std::optional<char32_t> c) {
    for (;;) {
        if (configuration_.trimFields) {
            while (c && isWhitespace(*c)) {
                c = nextScalar();
            }
        }
        std::string& field = beginField();
        if (!c) {
            return;
        }
        bool another = false;
        if (*c == quote) {
            another = readQuoted(field);
        } else {
            back_ = c;
            another = readUnquoted(field);
        }
        if (!another) {
            return;
        }
        c = nextScalar();
    }
}

bool CSVReader::readUnquoted(std::string& field) {
    for (;;) {
        std::optional<char32_t> c = appendRun(field, unquotedStops_);
        if (!c) {
            c = nextScalar();
        }
        if (!c || *c == lf) {
            finishUnquoted(field);
            return false;
        }
        if (*c == cr) {
            afterCR();
            finishUnquoted(field);
            return false;
        }
        if (*c == configuration_.delimiter) {
            finishUnquoted(field);
            return true;
        }
        detail::appendScalar(field, *c);
    }
}

// Quoted, and QuoteSeen after each quote; the text between the quotes is never trimmed.
bool CSVReader::readQuoted(std::string& field) {
    for (;;) {
        std::optional<char32_t> c = appendRun(field, quotedStops_);
        if (!c) {
            c = nextScalar();
        }
        if (!c) {
            return false;
        }
        if (*c != quote) {
            detail::appendScalar(field, *c);
            continue;
        }
        std::optional<char32_t> d = nextScalar();
        if (configuration_.trimFields) {
            while (d && isWhitespace(*d)) {
                d = nextScalar();
            }
        }
        if (!d || *d == lf) {
            return false;
        }
        if (*d == cr) {
            afterCR();
            return false;
        }
        if (*d == configuration_.delimiter) {
            return true;
        }
        // A doubled quote, or stray text after a closing quote: one quote, d dropped.
        field.push_back('"');
    }
}

void CSVReader::afterCR() {
    const std::optional<char32_t> e = nextScalar();
    if (e && *e != lf) {
        back_ = e;
    }
}

std::string& CSVReader::beginField() {
    if (fieldCount_ == row_.size()) {
        row_.emplace_back();
    } else {
        row_[fieldCount_].clear();
    }
    return row_[fieldCount_++];
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

std::optional<char32_t> CSVReader::nextScalar() {
    if (back_) {
        const char32_t c = *back_;
        back_.reset();
        return c;
    }
    // An input error ends the rows for good, even if the stream would deliver more.
    if (error_) {
        return std::nullopt;
    }
    return iterator_->next();
}

std::optional<char32_t> CSVReader::appendRun(std::string& field, const RunStops& stops) {
    if (back_ || error_) {
        return std::nullopt;
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
