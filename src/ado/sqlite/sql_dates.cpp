// DATEADD, DATEDIFF, DATEPART and the text forms of dates (CONVERT styles). Datetimes are
// seconds since 1900-01-01 00:00:00 here, the server's base date; 1900-01-01 was a Monday.
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "ado/error.h"
#include "ado/sqlite/sql_eval.h"
#include "ado/sqlite/sql_operand.h"
#include "ado/sqlite/tokenizer.h"

namespace ado::sqlite {
namespace {

using operand::fail;

constexpr std::int64_t kDay = 86400;
constexpr std::string_view kAddOverflow = "Adding a value to a 'datetime' column caused an overflow.";
constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::int64_t floor_div(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0 && (a < 0) != (b < 0)) ? 1 : 0);
}

// Sunday = 1 .. Saturday = 7 (the server's default first day of the week).
int weekday(std::int64_t seconds) {
    return static_cast<int>(floor_div(seconds, kDay) + 1 - floor_div(floor_div(seconds, kDay) + 1, 7) * 7) +
           1;
}

int day_of_year(const DateTime& d) {
    return static_cast<int>(d.days() - DateTime::from_parts(d.year(), 1, 1).days()) + 1;
}

int last_day(int year, int month) {
    int day = 31;
    while (!DateTime::valid_ymd(year, month, day)) --day;
    return day;
}

std::int64_t add_months(std::int64_t seconds, std::int64_t months) {
    const DateTime d = operand::datetime_at(seconds);
    const std::int64_t total = static_cast<std::int64_t>(d.year()) * 12 + (d.month() - 1) + months;
    const std::int64_t year = floor_div(total, 12);
    if (year < 1753 || year > 9999) fail(std::string(kAddOverflow));
    const int y = static_cast<int>(year);
    const int m = static_cast<int>(total - year * 12) + 1;
    const DateTime r =
        DateTime::from_parts(y, m, std::min(d.day(), last_day(y, m)), d.hour(), d.minute(), d.second());
    return operand::seconds_of(r);
}

// DATEADD's number: an int, a decimal or float truncated toward zero, text converted.
std::int64_t whole_number(const BoundValue& n) {
    const SqlType t = operand::effective_type(n, SqlType::of(SqlBase::Unknown));
    const SqlType int_type = SqlType::of(SqlBase::Int);
    if (t.is_text()) return operand::integer_of(n, t, int_type);
    if (n.kind == BoundValue::Kind::Real) {
        const double v = std::trunc(n.r);
        if (!(v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max()))
            fail(overflow_message(int_type));
        return static_cast<std::int64_t>(v);
    }
    return operand::integer_of(n, t, int_type);
}

std::string two(int v) {
    return std::string{static_cast<char>('0' + v / 10 % 10), static_cast<char>('0' + v % 10)};
}

// The pattern of a CONVERT style: Y yyyy, y yy, M mm, N month name, D dd, d day padded with
// a blank, H hour (24), h hour (12) padded with a blank, I minutes, S seconds, F
// milliseconds, P AM/PM; anything else as written.
const char* style_pattern(int style) {
    switch (style) {
        case 0:
        case 100:
            return "N d Y h:IP";
        case 1:
            return "M/D/y";
        case 101:
            return "M/D/Y";
        case 2:
            return "y.M.D";
        case 102:
            return "Y.M.D";
        case 3:
            return "D/M/y";
        case 103:
            return "D/M/Y";
        case 4:
            return "D.M.y";
        case 104:
            return "D.M.Y";
        case 5:
            return "D-M-y";
        case 105:
            return "D-M-Y";
        case 6:
            return "D N y";
        case 106:
            return "D N Y";
        case 7:
            return "N D, y";
        case 107:
            return "N D, Y";
        case 8:
        case 108:
            return "H:I:S";
        case 9:
        case 109:
            return "N d Y h:I:S:FP";
        case 10:
            return "M-D-y";
        case 110:
            return "M-D-Y";
        case 11:
            return "y/M/D";
        case 111:
            return "Y/M/D";
        case 12:
            return "yMD";
        case 112:
            return "YMD";
        case 13:
        case 113:
            return "D N Y H:I:S:F";
        case 14:
        case 114:
            return "H:I:S:F";
        case 20:
        case 120:
            return "Y-M-D H:I:S";
        case 21:
        case 121:
            return "Y-M-D H:I:S.F";
        case 23:
            return "Y-M-D";
        case 126:
            return "Y-M-DTH:I:S";  // no milliseconds: ours are always zero, which the style omits
        default:
            return nullptr;
    }
}

// "31/01/2024", "01-31-24", "31.01.2024 10:11": the numbers of a day-first or month-first
// date, rewritten in the ISO form the common reader takes.
std::optional<std::int64_t> ordered_date(std::string_view text, bool day_first) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    std::array<int, 3> n{};
    std::array<int, 3> widths{};
    for (int k = 0; k < 3; ++k) {
        if (k > 0) {
            if (i >= text.size() || (text[i] != '/' && text[i] != '-' && text[i] != '.')) return std::nullopt;
            ++i;
        }
        const std::size_t start = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - start < 4)
            n[k] = n[k] * 10 + (text[i++] - '0');
        widths[k] = static_cast<int>(i - start);
        if (widths[k] == 0) return std::nullopt;
    }
    if (widths[0] > 2 || widths[1] > 2 || (widths[2] != 2 && widths[2] != 4)) return std::nullopt;
    const int year = widths[2] == 2 ? (n[2] < 50 ? 2000 + n[2] : 1900 + n[2]) : n[2];
    const int month = day_first ? n[1] : n[0];
    const int day = day_first ? n[0] : n[1];
    if (!DateTime::valid_ymd(year, month, day)) return std::nullopt;
    std::string iso = std::to_string(year) + "-" + two(month) + "-" + two(day);
    iso.append(text.substr(i));
    return operand::parse_date(iso);
}

}  // namespace

namespace operand {

std::optional<std::int64_t> parse_date(std::string_view text) {
    std::size_t b = 0;
    while (b < text.size() && (text[b] == ' ' || text[b] == '\t')) ++b;
    if (b == text.size()) return 0;  // '' is the base date, as on the server
    const auto d = DateTime::parse(text);
    if (!d) return std::nullopt;
    if (d->year() < 1753)
        fail(
            "The conversion of a varchar data type to a datetime data type resulted in an out-of-range "
            "value.");
    return seconds_of(*d);
}

std::int64_t date_from_text(std::string_view text, int style) {
    std::optional<std::int64_t> s;
    switch (style) {
        case 1:
        case 101:
        case 10:
        case 110:
            s = ordered_date(text, false);
            break;
        case 3:
        case 103:
        case 4:
        case 104:
        case 5:
        case 105:
            s = ordered_date(text, true);
            break;
        default:
            s = parse_date(text);
    }
    if (!s) fail("Conversion failed when converting date and/or time from character string.");
    return *s;
}

std::string date_text(std::int64_t seconds, int style) {
    const char* pattern = style_pattern(style);
    if (!pattern) fail("The embedded engine does not support CONVERT style " + std::to_string(style) + ".");
    const DateTime d = datetime_at(seconds);
    std::string out;
    for (const char* p = pattern; *p; ++p) {
        switch (*p) {
            case 'Y':
                out += two(d.year() / 100) + two(d.year());
                break;
            case 'y':
                out += two(d.year());
                break;
            case 'M':
                out += two(d.month());
                break;
            case 'N':
                out += kMonths[static_cast<std::size_t>(d.month() - 1)];
                break;
            case 'D':
                out += two(d.day());
                break;
            case 'd':
                out += d.day() < 10 ? " " + std::to_string(d.day()) : std::to_string(d.day());
                break;
            case 'H':
                out += two(d.hour());
                break;
            case 'h': {
                const int h = d.hour() % 12 == 0 ? 12 : d.hour() % 12;
                out += h < 10 ? " " + std::to_string(h) : std::to_string(h);
                break;
            }
            case 'I':
                out += two(d.minute());
                break;
            case 'S':
                out += two(d.second());
                break;
            case 'F':
                out += "000";
                break;
            case 'P':
                out += d.hour() < 12 ? "AM" : "PM";
                break;
            default:
                out.push_back(*p);
        }
    }
    return out;
}

}  // namespace operand

std::optional<DatePart> date_part(std::string_view name) {
    struct Name {
        std::string_view text;
        DatePart part;
    };
    static constexpr std::array<Name, 31> kNames = {{
        {"year", DatePart::Year},       {"yy", DatePart::Year},
        {"yyyy", DatePart::Year},       {"quarter", DatePart::Quarter},
        {"qq", DatePart::Quarter},      {"q", DatePart::Quarter},
        {"month", DatePart::Month},     {"mm", DatePart::Month},
        {"m", DatePart::Month},         {"dayofyear", DatePart::DayOfYear},
        {"dy", DatePart::DayOfYear},    {"y", DatePart::DayOfYear},
        {"day", DatePart::Day},         {"dd", DatePart::Day},
        {"d", DatePart::Day},           {"week", DatePart::Week},
        {"wk", DatePart::Week},         {"ww", DatePart::Week},
        {"weekday", DatePart::Weekday}, {"dw", DatePart::Weekday},
        {"w", DatePart::Weekday},       {"hour", DatePart::Hour},
        {"hh", DatePart::Hour},         {"minute", DatePart::Minute},
        {"mi", DatePart::Minute},       {"n", DatePart::Minute},
        {"second", DatePart::Second},   {"ss", DatePart::Second},
        {"s", DatePart::Second},        {"millisecond", DatePart::Millisecond},
        {"ms", DatePart::Millisecond},
    }};
    for (const auto& n : kNames)
        if (iequals(name, n.text)) return n.part;
    return std::nullopt;
}

BoundValue date_add(DatePart part, const BoundValue& n, const BoundValue& date, const SqlType& date_type) {
    if (n.kind == BoundValue::Kind::Null || date.kind == BoundValue::Kind::Null) return BoundValue::null();
    const std::int64_t k = whole_number(n);
    const std::int64_t base = operand::datetime_of(date, date_type);
    std::int64_t r = 0;
    switch (part) {
        case DatePart::Year:
            r = add_months(base, k * 12);
            break;
        case DatePart::Quarter:
            r = add_months(base, k * 3);
            break;
        case DatePart::Month:
            r = add_months(base, k);
            break;
        case DatePart::DayOfYear:
        case DatePart::Day:
        case DatePart::Weekday:
            r = base + k * kDay;
            break;
        case DatePart::Week:
            r = base + k * 7 * kDay;
            break;
        case DatePart::Hour:
            r = base + k * 3600;
            break;
        case DatePart::Minute:
            r = base + k * 60;
            break;
        case DatePart::Second:
            r = base + k;
            break;
        case DatePart::Millisecond:
            if (k % 1000 != 0)
                fail("The embedded engine holds date and time to the second: DATEADD(millisecond, " +
                     std::to_string(k) + ", ...) would need milliseconds.");
            r = base + k / 1000;
            break;
    }
    return operand::datetime_value(r, std::string(kAddOverflow));
}

BoundValue date_diff(DatePart part, const BoundValue& a, const SqlType& ta, const BoundValue& b,
                     const SqlType& tb) {
    if (a.kind == BoundValue::Kind::Null || b.kind == BoundValue::Kind::Null) return BoundValue::null();
    const std::int64_t sa = operand::datetime_of(a, ta);
    const std::int64_t sb = operand::datetime_of(b, tb);
    const DateTime da = operand::datetime_at(sa);
    const DateTime db = operand::datetime_at(sb);
    std::int64_t r = 0;
    switch (part) {
        case DatePart::Year:
            r = db.year() - da.year();
            break;
        case DatePart::Quarter:
            r = (db.year() * 4 + (db.month() - 1) / 3) - (da.year() * 4 + (da.month() - 1) / 3);
            break;
        case DatePart::Month:
            r = (db.year() * 12 + db.month()) - (da.year() * 12 + da.month());
            break;
        case DatePart::DayOfYear:
        case DatePart::Day:
            r = floor_div(sb, kDay) - floor_div(sa, kDay);
            break;
        case DatePart::Week:  // Sundays crossed: day 6 of the base week is its first Sunday
            r = floor_div(floor_div(sb, kDay) + 1, 7) - floor_div(floor_div(sa, kDay) + 1, 7);
            break;
        case DatePart::Weekday:
            fail("The datepart weekday is not supported by date function datediff for data type datetime.");
        case DatePart::Hour:
            r = floor_div(sb, 3600) - floor_div(sa, 3600);
            break;
        case DatePart::Minute:
            r = floor_div(sb, 60) - floor_div(sa, 60);
            break;
        case DatePart::Second:
            r = sb - sa;
            break;
        case DatePart::Millisecond:
            r = (sb - sa) * 1000;
            break;
    }
    if (r < std::numeric_limits<std::int32_t>::min() || r > std::numeric_limits<std::int32_t>::max())
        fail(
            "The datediff function resulted in an overflow. The number of dateparts separating two date/time "
            "instances is too large. Try to use datediff with a less precise datepart.");
    return BoundValue::integer(r);
}

BoundValue date_part_of(DatePart part, const BoundValue& date, const SqlType& date_type) {
    if (date.kind == BoundValue::Kind::Null) return BoundValue::null();
    const std::int64_t s = operand::datetime_of(date, date_type);
    const DateTime d = operand::datetime_at(s);
    int r = 0;
    switch (part) {
        case DatePart::Year:
            r = d.year();
            break;
        case DatePart::Quarter:
            r = (d.month() - 1) / 3 + 1;
            break;
        case DatePart::Month:
            r = d.month();
            break;
        case DatePart::DayOfYear:
            r = day_of_year(d);
            break;
        case DatePart::Day:
            r = d.day();
            break;
        case DatePart::Week: {  // week 1 holds January 1st; weeks start on Sunday
            const int first = weekday(operand::seconds_of(DateTime::from_parts(d.year(), 1, 1)));
            r = (day_of_year(d) + first - 2) / 7 + 1;
            break;
        }
        case DatePart::Weekday:
            r = weekday(s);
            break;
        case DatePart::Hour:
            r = d.hour();
            break;
        case DatePart::Minute:
            r = d.minute();
            break;
        case DatePart::Second:
            r = d.second();
            break;
        case DatePart::Millisecond:
            r = 0;
            break;
    }
    return BoundValue::integer(r);
}

}  // namespace ado::sqlite
