// The number texts of the platform: a Double's 15 significant digits (CDec, CStr) and the
// user's regional form of numbers in text (CDec, CDbl, IsNumeric of a String).
#include <array>
#include <charconv>
#include <cmath>
#include <string>

#include "ado/decimal.h"
#include "ado/error.h"

namespace ado {
namespace {

constexpr int kDoubleDigits = 15;  // significant digits the platform takes from a Double

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view strip_blanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

}  // namespace

DoubleDigits double_digits(double v) {
    if (!std::isfinite(v)) throw Error(kErrOverflow, "Overflow");
    // Ties to even, as the platform's own Double-to-Decimal rounding (to_chars does it so).
    // Ties are exact binary values only: 1234567890123445 gives 1.23456789012344E+15.
    std::array<char, 40> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::scientific,
                                   kDoubleDigits - 1);
    const std::string_view text(buf.data(), static_cast<std::size_t>(res.ptr - buf.data()));
    DoubleDigits out;
    std::size_t i = 0;
    if (text[i] == '-') {
        out.negative = true;
        ++i;
    }
    for (; i < text.size() && text[i] != 'e'; ++i)
        if (is_digit(text[i])) out.digits.push_back(text[i]);
    ++i;  // past 'e'
    const bool exp_negative = text[i] == '-';
    std::from_chars(text.data() + i + 1, text.data() + text.size(), out.exponent);
    if (exp_negative) out.exponent = -out.exponent;
    while (out.digits.size() > 1 && out.digits.back() == '0') out.digits.pop_back();
    if (out.digits == "0") out = DoubleDigits{false, "0", 0};
    return out;
}

std::string double_text(double v) {
    if (!std::isfinite(v)) {  // no platform value prints so; kept readable for traces
        std::array<char, 8> buf{};
        const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), v);
        return std::string(buf.data(), res.ptr);
    }
    const DoubleDigits d = double_digits(v);
    const auto count = static_cast<int>(d.digits.size());
    std::string out = d.negative ? "-" : "";
    if (d.exponent >= kDoubleDigits || d.exponent < -4) {
        out += d.digits.front();
        if (count > 1) out += "." + d.digits.substr(1);
        const int power = d.exponent < 0 ? -d.exponent : d.exponent;
        out += d.exponent < 0 ? "E-" : "E+";
        if (power < 10) out += '0';
        return out + std::to_string(power);
    }
    if (d.exponent < 0)
        return out + "0." + std::string(static_cast<std::size_t>(-d.exponent - 1), '0') + d.digits;
    const auto whole = static_cast<std::size_t>(d.exponent + 1);
    if (d.digits.size() <= whole) return out + d.digits + std::string(whole - d.digits.size(), '0');
    return out + d.digits.substr(0, whole) + "." + d.digits.substr(whole);
}

std::optional<std::string> regional_number_text(std::string_view text) {
    text = strip_blanks(text);
    std::size_t i = 0;
    std::string out;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') out.push_back('-');
        ++i;
    }
    std::string whole;
    std::size_t group = 0;  // digits since the last grouping point (or the start)
    bool grouped = false;
    for (; i < text.size() && (is_digit(text[i]) || text[i] == '.'); ++i) {
        if (is_digit(text[i])) {
            whole.push_back(text[i]);
            ++group;
            continue;
        }
        const bool first_ok = !grouped && group >= 1 && group <= 3 && whole.front() != '0';
        if (!(first_ok || (grouped && group == 3))) return std::nullopt;
        grouped = true;
        group = 0;
    }
    if (grouped && group != 3) return std::nullopt;
    std::string fraction;
    if (i < text.size() && text[i] == ',') {
        for (++i; i < text.size() && is_digit(text[i]); ++i) fraction.push_back(text[i]);
    }
    if (whole.empty() && fraction.empty()) return std::nullopt;
    out += whole.empty() ? "0" : whole;
    if (!fraction.empty()) out += "." + fraction;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        out.push_back('E');
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) out.push_back(text[i++]);
        const std::size_t first = i;
        for (; i < text.size() && is_digit(text[i]); ++i) out.push_back(text[i]);
        if (i == first) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;
    return out;
}

}  // namespace ado
