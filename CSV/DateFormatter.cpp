#include "CSV/DateFormatter.h"

#include <ctime>
#include <iomanip>
#include <locale>
#include <sstream>

namespace csv {

std::optional<TimePoint> DateFormatter::date(const std::string& text) const {
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    // Fields the pattern leaves out read as 1970-01-01 00:00:00.
    std::tm fields{};
    fields.tm_year = 70;
    fields.tm_mday = 1;
    in >> std::get_time(&fields, format_.c_str());
    if (in.fail() || in.peek() != std::istringstream::traits_type::eof()) {
        return std::nullopt;
    }
    using namespace std::chrono;
    const year_month_day day{year{fields.tm_year + 1900}, month{unsigned(fields.tm_mon + 1)},
                             std::chrono::day{unsigned(fields.tm_mday)}};
    if (!day.ok()) {
        return std::nullopt;
    }
    const auto local =
        sys_days(day) + hours(fields.tm_hour) + minutes(fields.tm_min) + seconds(fields.tm_sec);
    return TimePoint(local - utcOffset_);
}

} // namespace csv
