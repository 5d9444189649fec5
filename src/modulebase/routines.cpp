#include "modulebase/routines.h"

#include <functional>
#include <optional>
#include <vector>

#include "ado/types.h"
#include "host/objects.h"
#include "modulebase/error_trap.h"

namespace module {

namespace {

// The platform's Trim/RTrim remove blanks only (not tabs or line breaks).
std::string_view rtrim_blanks(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

std::string_view trim_blanks(std::string_view s) {
    s = rtrim_blanks(s);
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    return s;
}

bool is_blank_text(const ado::Variant& v) {
    return v.is_string() && trim_blanks(v.str()).empty();
}

bool is_usable_date(const ado::Variant& v) {
    if (v.is_date()) return true;
    return v.is_string() && v.is_date_like();
}

// A part of a date text as a 16-bit integer; 0 when it cannot be read.
int read_int16(std::string_view part) {
    return suppress_or(0, [&] { return static_cast<int>(ado::Variant(std::string(part)).to_integer()); });
}

struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Reads up to two digits at `pos`; -1 when there is none.
int read_two_digits(std::string_view s, std::size_t& pos) {
    int value = -1;
    for (int n = 0; n < 2 && pos < s.size() && s[pos] >= '0' && s[pos] <= '9'; ++n, ++pos)
        value = (value < 0 ? 0 : value * 10) + (s[pos] - '0');
    return value;
}

// The time written after the date ("hh:mm" or "hh:mm:ss"); midnight when there is none
// or it is not a valid time of day.
TimeOfDay read_time(std::string_view text) {
    const auto blank = text.find(' ');
    if (blank == std::string_view::npos) return {};
    const std::string_view t = trim_blanks(text.substr(blank + 1));
    std::size_t pos = 0;
    TimeOfDay time;
    time.hour = read_two_digits(t, pos);
    if (time.hour < 0 || pos >= t.size() || t[pos++] != ':') return {};
    time.minute = read_two_digits(t, pos);
    if (time.minute < 0) return {};
    if (pos < t.size()) {
        if (t[pos++] != ':') return {};
        time.second = read_two_digits(t, pos);
        if (time.second < 0) return {};
    }
    if (pos != t.size() || time.hour > 23 || time.minute > 59 || time.second > 59) return {};
    return time;
}

// Two-digit years as the platform read them.
int full_year(int year) {
    if (year >= 0 && year <= 29) return year + 2000;
    if (year >= 30 && year <= 99) return year + 1900;
    return year;
}

// Appends the source's fields to the new record set; returns, for every field appended,
// the source position it copies.
std::vector<int> append_fields(ado::Recordset& source, ado::Recordset& target) {
    std::vector<int> copied;
    const int count = suppress_or(0, [&] { return source.GetFields().Count(); });
    for (int i = 0; i < count; ++i) {
        suppress([&] {
            const ado::Field field = source.GetFields().Item(i);
            target.GetFields().Append(field.Name(), field.Type(), field.DefinedSize());
            copied.push_back(i);
            if (field.Type() == ado::adNumeric || field.Type() == ado::adDecimal) {
                ado::Field added = target.GetFields().Item(static_cast<int>(copied.size()) - 1);
                added.SetNumericScale(field.NumericScale());
                added.SetPrecision(field.Precision());
            }
        });
    }
    return copied;
}

// One row into the copy; `value_of` gives the value of a field of the source by its index.
void copy_row(ado::Recordset& target, const std::vector<int>& copied,
              const std::function<ado::Variant(int)>& value_of) {
    bool added = false;
    suppress([&] {
        target.AddNew();
        added = true;
    });
    if (!added) return;
    for (std::size_t t = 0; t < copied.size(); ++t) {
        // A value the copy cannot take leaves that field unassigned; the row is still saved.
        suppress([&] { target.GetFields().Item(static_cast<int>(t)).SetValue(value_of(copied[t])); });
    }
    bool saved = false;
    suppress([&] {
        target.Update();
        saved = true;
    });
    if (!saved) suppress([&] { target.CancelUpdate(); });
}

}  // namespace

std::string FormattaDataSQL(const ado::Variant& value, host::DateObject* date_object) noexcept {
    return suppress_or(std::string("NULL"), [&] {
        ado::DateTime date = ado::DateTime::today();
        const std::string text = suppress_or(std::string(), [&] { return value.text_or_empty(); });
        if (!rtrim_blanks(text).empty() && is_usable_date(value)) date = value.to_date();
        if (date_object == nullptr) return std::string("NULL");
        date_object->SetDate(date);
        if (date_object->ValidityCode() != 0) return std::string("NULL");
        return "'" + date_object->SqlText() + "'";
    });
}

std::string TrimStringa(const ado::Variant& value) noexcept {
    return suppress_or(std::string(), [&] { return std::string(rtrim_blanks(value.text_or_empty())); });
}

ado::Variant ValoreDecimale() noexcept {
    return ado::Variant(std::int16_t{0});
}

ado::Variant ValoreDecimale(const ado::Variant& value) noexcept {
    return suppress_or(ado::Variant(), [&] {
        if (value.is_empty() || value.is_null() || is_blank_text(value)) return ado::Variant(std::int16_t{0});
        if (!value.is_numeric()) return ado::Variant();
        return ado::Variant(value.to_decimal());
    });
}

ado::Variant ValoreDefault(const ado::Variant& value, const ado::Variant& default_value) noexcept {
    return suppress_or(ado::Variant(), [&] {
        if (value.is_empty() || value.is_null() || is_blank_text(value)) return default_value;
        return value;
    });
}

std::string StringaFissa(const ado::Variant& value, std::int16_t width) noexcept {
    return suppress_or(std::string(), [&] {
        if (width < 0) return std::string();
        const std::string blanks(static_cast<std::size_t>(width), ' ');
        if (value.is_empty() || value.is_null()) return blanks;
        const std::string text =
            suppress_or(std::string(), [&] { return std::string(trim_blanks(value.to_string())); });
        return ado::utf8_left(text + blanks, static_cast<std::size_t>(width));
    });
}

void ChiudiRecordset(ado::RecordsetPtr& recordset) noexcept {
    if (recordset) {
        suppress([&] {
            if (recordset->State() == ado::adStateOpen) recordset->Close();
        });
    }
    recordset.reset();
}

std::string ConvertiDataOra(std::string_view text) noexcept {
    return suppress_or(std::string(), [&] {
        int day = 0;
        int month = 0;
        int year = 0;
        const auto first = text.find('/');
        if (first != std::string_view::npos) {
            day = read_int16(text.substr(0, first));
            const auto second = text.find('/', first + 1);
            if (second != std::string_view::npos) {
                month = read_int16(text.substr(first + 1, second - first - 1));
                year = read_int16(text.substr(second + 1, 4));
            }
        }
        const TimeOfDay time = read_time(text);
        return ado::DateTime::from_parts(full_year(year), month, day, time.hour, time.minute, time.second)
            .iso();
    });
}

std::string RaddoppiaApici(std::string_view text) noexcept {
    return suppress_or(std::string(), [&] {
        std::string out;
        out.reserve(text.size());
        for (char c : text) {
            out += c;
            if (c == '\'') out += '\'';
        }
        return out;
    });
}

void CopiaRecordset(ado::RecordsetPtr source, ado::RecordsetPtr& target) noexcept {
    ChiudiRecordset(target);
    ado::RecordsetPtr copy = suppress_or(ado::RecordsetPtr(), [] { return ado::Recordset::create(); });
    if (!copy) return;
    target = copy;
    suppress([&] { copy->SetCursorType(ado::adOpenDynamic); });
    std::vector<int> copied;
    if (source) copied = append_fields(*source, *copy);
    suppress([&] { copy->Open(); });
    if (!source) return;

    // A source nobody else holds (the caller handed it over) is emptied row by row as it is
    // copied, so that a large result is never held twice.
    const bool drained =
        source.use_count() == 1 && suppress_or(false, [&] {
            return source->DrainRows([&](const std::vector<ado::Variant>& values) {
                copy_row(*copy, copied, [&](int i) { return values.at(static_cast<std::size_t>(i)); });
            });
        });
    if (!drained) {
        const long rows = suppress_or(0L, [&] { return source->RecordCount(); });
        if (rows != 0) suppress([&] { source->MoveFirst(); });
        while (!suppress_or(true, [&] { return source->EOF(); })) {
            copy_row(*copy, copied, [&](int i) { return source->GetFields().Item(i).Value(); });
            bool moved = false;
            suppress([&] {
                source->MoveNext();
                moved = true;
            });
            if (!moved) break;
        }
    }
    suppress([&] {
        if (!copy->EOF()) copy->MoveFirst();
    });
}

}  // namespace module
