#pragma once
// A calendar date and time of day, seconds resolution, years 100..9999, as the
// platform's Date held it. No time zone: values are the wall-clock time of the books.
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ado {

class DateTime {
  public:
    DateTime() = default;  // 1899-12-30 00:00:00, the platform's zero date
    // Builds from numbers as the platform's DateSerial did: month and day out of range roll
    // over (day 0 is the last day of the previous month, month 13 is January next year), and
    // a year of 0..99 after the months have rolled into it goes through the two-digit window
    // (so (99, 13, 1) is year 100, as there). Years from 100 on are taken as they are.
    // Throws ado::Error (overflow) when the result lies outside years 100..9999.
    static DateTime from_parts(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
    static bool valid_ymd(int year, int month, int day);
    // The platform's two-digit year window: 0..29 are 2000..2029, 30..99 are 1930..1999;
    // any other year is returned unchanged.
    static int windowed_year(int year);
    static DateTime now();    // local wall clock
    static DateTime today();  // local date at midnight

    // Accepts ISO "YYYY-MM-DD[ HH:MM[:SS]]" (also with 'T'), "YYYYMMDD[ HH:MM:SS]" and
    // "DD/MM/YYYY[ HH:MM[:SS]]" (day first, the books' own form), the last also with a
    // two-digit year through the window ("31/01/24" is 2024-01-31, "1/1/30" 1930-01-01).
    // A two-digit year in any other form ("24-01-31") is refused, not guessed. Empty
    // optional otherwise. The one reading of date text: CDate, IsDate and date fields.
    static std::optional<DateTime> parse(std::string_view text);

    int year() const;
    int month() const;
    int day() const;
    int hour() const;
    int minute() const;
    int second() const;
    bool has_time() const { return seconds_of_day() != 0; }
    DateTime date_only() const;

    // Serial: days since 1899-12-30 (negative before), plus seconds of the day.
    std::int64_t days() const { return days_; }
    int seconds_of_day() const { return secs_; }

    std::string iso() const;       // "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS" when a time is set
    std::string iso_full() const;  // always "YYYY-MM-DD HH:MM:SS"
    std::string compact() const;  // "YYYYMMDD" or "YYYYMMDD HH:MM:SS" (storage form; text order = time order)
    // Tokens dd, mm, yyyy, hh, nn, ss (e.g. "dd/mm/yyyy hh:nn:ss").
    std::string format(std::string_view pattern) const;

    friend std::strong_ordering operator<=>(const DateTime&, const DateTime&) = default;
    friend bool operator==(const DateTime&, const DateTime&) = default;

  private:
    std::int64_t days_ = 0;
    int secs_ = 0;
};

}  // namespace ado
