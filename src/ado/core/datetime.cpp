// Calendar arithmetic on the proleptic Gregorian calendar (days counted from the
// platform's zero date, 1899-12-30) and the text forms the books use.
#include "ado/datetime.h"

#include <cctype>
#include <ctime>

#include "ado/error.h"

namespace ado {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// Days since 1970-01-01 of a civil date (month 1..12), valid for any year.
constexpr std::int64_t days_from_civil(std::int64_t y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

struct Civil {
    int year;
    int month;
    int day;
};

constexpr Civil civil_from_days(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const auto d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const auto m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0)), m, d};
}

constexpr std::int64_t kEpoch = days_from_civil(1899, 12, 30);
constexpr std::int64_t kMinDays = days_from_civil(100, 1, 1) - kEpoch;
constexpr std::int64_t kMaxDays = days_from_civil(9999, 12, 31) - kEpoch;

constexpr std::int64_t floor_div(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0 && (a < 0) != (b < 0)) ? 1 : 0);
}
constexpr std::int64_t floor_mod(std::int64_t a, std::int64_t b) {
    return a - floor_div(a, b) * b;
}

bool is_leap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int days_in_month(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && is_leap(y) ? 29 : kDays[m - 1];
}

// Cursor over the text of a date; every reader consumes only on success.
class Reader {
  public:
    explicit Reader(std::string_view s) : s_(s) {}
    bool number(int min_digits, int max_digits, int& out) {
        std::size_t j = i_;
        int v = 0;
        while (j < s_.size() && j - i_ < static_cast<std::size_t>(max_digits) && s_[j] >= '0' && s_[j] <= '9')
            v = v * 10 + (s_[j++] - '0');
        if (j - i_ < static_cast<std::size_t>(min_digits)) return false;
        if (j < s_.size() && s_[j] >= '0' && s_[j] <= '9') return false;  // too many digits
        i_ = j;
        out = v;
        return true;
    }
    bool ch(char c) {
        if (i_ < s_.size() && s_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }
    bool done() const { return i_ == s_.size(); }
    char peek() const { return done() ? '\0' : s_[i_]; }

  private:
    std::string_view s_;
    std::size_t i_ = 0;
};

struct Parts {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    bool round_up = false;  // fraction of a second of one half or more
};

bool read_iso_date(Reader& r, Parts& p) {
    return r.number(4, 4, p.year) && r.ch('-') && r.number(1, 2, p.month) && r.ch('-') &&
           r.number(1, 2, p.day);
}

bool read_compact_date(Reader& r, Parts& p) {
    int v = 0;
    if (!r.number(8, 8, v)) return false;
    p.year = v / 10000;
    p.month = v / 100 % 100;
    p.day = v % 100;
    return true;
}

bool read_dmy_date(Reader& r, Parts& p) {
    if (!(r.number(1, 2, p.day) && r.ch('/') && r.number(1, 2, p.month) && r.ch('/'))) return false;
    if (r.number(4, 4, p.year)) return true;
    if (!r.number(2, 2, p.year)) return false;
    p.year = DateTime::windowed_year(p.year);
    return true;
}

// "[ HH:MM[:SS[.fff]]]" after the date; `allow_t` accepts 'T' as separator (ISO form).
bool read_time(Reader& r, Parts& p, bool allow_t) {
    if (r.done()) return true;
    if (!(allow_t && r.ch('T'))) {
        if (!r.ch(' ')) return false;
        while (r.ch(' ')) {
        }
    }
    if (!(r.number(1, 2, p.hour) && r.ch(':') && r.number(2, 2, p.minute))) return false;
    if (r.ch(':')) {
        if (!r.number(2, 2, p.second)) return false;
        if (r.ch('.')) {
            p.round_up = r.peek() >= '5';  // the first fraction digit decides rounding
            int fraction = 0;
            if (!r.number(1, 9, fraction)) return false;
        }
    }
    return r.done();
}

std::string_view strip_spaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

void put2(std::string& out, int v) {
    out.push_back(static_cast<char>('0' + v / 10 % 10));
    out.push_back(static_cast<char>('0' + v % 10));
}

void put4(std::string& out, int v) {
    put2(out, v / 100);
    put2(out, v % 100);
}

}  // namespace

DateTime DateTime::from_parts(int year, int month, int day, int hour, int minute, int second) {
    const std::int64_t months = static_cast<std::int64_t>(month) - 1;
    std::int64_t y = year + floor_div(months, 12);
    const auto m = static_cast<int>(floor_mod(months, 12) + 1);
    if (y < -1000000 || y > 1000000) throw Error(kErrOverflow, "Overflow");
    y = windowed_year(static_cast<int>(y));
    std::int64_t days = days_from_civil(y, m, 1) - kEpoch + (static_cast<std::int64_t>(day) - 1);
    const std::int64_t total =
        static_cast<std::int64_t>(hour) * 3600 + static_cast<std::int64_t>(minute) * 60 + second;
    days += floor_div(total, kSecondsPerDay);
    if (days < kMinDays || days > kMaxDays) throw Error(kErrOverflow, "Overflow");
    DateTime dt;
    dt.days_ = days;
    dt.secs_ = static_cast<int>(floor_mod(total, kSecondsPerDay));
    return dt;
}

int DateTime::windowed_year(int year) {
    if (year >= 0 && year <= 29) return year + 2000;
    if (year >= 30 && year <= 99) return year + 1900;
    return year;
}

bool DateTime::valid_ymd(int year, int month, int day) {
    return year >= 100 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= days_in_month(year, month);
}

DateTime DateTime::now() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return from_parts(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
}

DateTime DateTime::today() {
    return now().date_only();
}

std::optional<DateTime> DateTime::parse(std::string_view text) {
    text = strip_spaces(text);
    Parts p;
    bool ok = false;
    {
        Reader r(text);
        ok = read_iso_date(r, p) && read_time(r, p, true);
    }
    if (!ok) {
        p = Parts{};
        Reader r(text);
        ok = read_compact_date(r, p) && read_time(r, p, false);
    }
    if (!ok) {
        p = Parts{};
        Reader r(text);
        ok = read_dmy_date(r, p) && read_time(r, p, false);
    }
    if (!ok || !valid_ymd(p.year, p.month, p.day) || p.hour > 23 || p.minute > 59 || p.second > 59)
        return std::nullopt;
    const int extra = p.round_up ? 1 : 0;
    try {
        return from_parts(p.year, p.month, p.day, p.hour, p.minute, p.second + extra);
    } catch (const Error&) {
        return std::nullopt;  // 9999-12-31 23:59:59.5 rounds beyond the last date
    }
}

int DateTime::year() const {
    return civil_from_days(days_ + kEpoch).year;
}
int DateTime::month() const {
    return civil_from_days(days_ + kEpoch).month;
}
int DateTime::day() const {
    return civil_from_days(days_ + kEpoch).day;
}
int DateTime::hour() const {
    return secs_ / 3600;
}
int DateTime::minute() const {
    return secs_ / 60 % 60;
}
int DateTime::second() const {
    return secs_ % 60;
}

DateTime DateTime::date_only() const {
    DateTime d;
    d.days_ = days_;
    return d;
}

std::string DateTime::iso() const {
    return has_time() ? iso_full() : format("yyyy-mm-dd");
}
std::string DateTime::iso_full() const {
    return format("yyyy-mm-dd hh:nn:ss");
}
std::string DateTime::compact() const {
    return format(has_time() ? "yyyymmdd hh:nn:ss" : "yyyymmdd");
}

std::string DateTime::format(std::string_view pattern) const {
    const Civil c = civil_from_days(days_ + kEpoch);
    std::string out;
    out.reserve(pattern.size() + 4);
    auto token = [&](std::size_t i, std::string_view t) {
        if (pattern.size() - i < t.size()) return false;
        for (std::size_t k = 0; k < t.size(); ++k)
            if (std::tolower(static_cast<unsigned char>(pattern[i + k])) != t[k]) return false;
        return true;
    };
    for (std::size_t i = 0; i < pattern.size();) {
        if (token(i, "yyyy")) {
            put4(out, c.year);
            i += 4;
        } else if (token(i, "dd") || token(i, "mm") || token(i, "hh") || token(i, "nn") || token(i, "ss")) {
            switch (std::tolower(static_cast<unsigned char>(pattern[i]))) {
                case 'd':
                    put2(out, c.day);
                    break;
                case 'm':
                    put2(out, c.month);
                    break;
                case 'h':
                    put2(out, hour());
                    break;
                case 'n':
                    put2(out, minute());
                    break;
                default:
                    put2(out, second());
                    break;
            }
            i += 2;
        } else {
            out.push_back(pattern[i++]);
        }
    }
    return out;
}

}  // namespace ado
