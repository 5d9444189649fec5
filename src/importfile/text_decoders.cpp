#include "importfile/text_decoders.h"

#include <array>

namespace importfile::xml {
namespace {

constexpr char32_t kUndefined = 0xFFFFFFFF;

// Code points of bytes 0x80..0x9F in windows-1252; kUndefined where the code page has none.
constexpr std::array<char32_t, 32> kWindows1252High = {
    0x20AC,     kUndefined, 0x201A, 0x0192, 0x201E, 0x2026,     0x2020, 0x2021,
    0x02C6,     0x2030,     0x0160, 0x2039, 0x0152, kUndefined, 0x017D, kUndefined,
    kUndefined, 0x2018,     0x2019, 0x201C, 0x201D, 0x2022,     0x2013, 0x2014,
    0x02DC,     0x2122,     0x0161, 0x203A, 0x0153, kUndefined, 0x017E, 0x0178,
};

char32_t from_iso_8859_1(unsigned char b) {
    return b;
}

char32_t from_windows_1252(unsigned char b) {
    return b >= 0x80 && b <= 0x9F ? kWindows1252High[static_cast<std::size_t>(b - 0x80)] : b;
}

// ISO-8859-15 is ISO-8859-1 but for eight bytes, the euro sign among them.
char32_t from_iso_8859_15(unsigned char b) {
    switch (b) {
        case 0xA4:
            return 0x20AC;
        case 0xA6:
            return 0x0160;
        case 0xA8:
            return 0x0161;
        case 0xB4:
            return 0x017D;
        case 0xB8:
            return 0x017E;
        case 0xBC:
            return 0x0152;
        case 0xBD:
            return 0x0153;
        case 0xBE:
            return 0x0178;
        default:
            return b;
    }
}

std::string at_byte(std::size_t offset) {
    return " at byte offset " + std::to_string(offset);
}

Failure not_allowed(char32_t c, std::size_t file_offset, std::size_t text_offset) {
    return Failure{"Character " + code_point_text(c) + at_byte(file_offset) + " is not allowed in XML",
                   text_offset};
}

std::string bytes_text(std::string_view bytes) {
    std::string out;
    for (const char b : bytes) out += (out.empty() ? "" : " ") + byte_text(static_cast<unsigned char>(b));
    return out;
}

// Length of the UTF-8 sequence a lead byte opens and the range its second byte must be in;
// the ranges leave out overlong forms, surrogates and code points beyond U+10FFFF.
struct Lead {
    std::size_t length = 0;  // 0: the byte cannot start a sequence
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
};

Lead lead_of(unsigned char b) {
    if (b >= 0xC2 && b <= 0xDF) return {2};
    if (b == 0xE0) return {3, 0xA0, 0xBF};
    if (b == 0xED) return {3, 0x80, 0x9F};
    if (b >= 0xE1 && b <= 0xEF) return {3};
    if (b == 0xF0) return {4, 0x90, 0xBF};
    if (b == 0xF4) return {4, 0x80, 0x8F};
    if (b >= 0xF1 && b <= 0xF3) return {4};
    return {};
}

// Why a sequence is not UTF-8: `seen` holds its bytes up to the first wrong one.
std::string utf8_problem(std::string_view seen, std::size_t file_offset) {
    const auto lead = static_cast<unsigned char>(seen[0]);
    const auto second = seen.size() > 1 ? static_cast<unsigned char>(seen[1]) : 0;
    const bool continuation = (second & 0xC0) == 0x80;
    if (lead == 0xC0 || lead == 0xC1 ||
        (continuation && ((lead == 0xE0 && second < 0xA0) || (lead == 0xF0 && second < 0x90))))
        return "Overlong UTF-8 sequence " + bytes_text(seen) + at_byte(file_offset);
    if (continuation && lead == 0xED && second >= 0xA0)
        return "Surrogate in UTF-8 sequence " + bytes_text(seen) + at_byte(file_offset);
    if ((continuation && lead == 0xF4 && second >= 0x90) || (lead >= 0xF5 && lead <= 0xF7))
        return "Code point beyond U+10FFFF in UTF-8 sequence " + bytes_text(seen) + at_byte(file_offset);
    if (seen.size() == 1) return "Invalid UTF-8 byte " + byte_text(lead) + at_byte(file_offset);
    return "Incomplete UTF-8 sequence " + bytes_text(seen) + at_byte(file_offset);
}

// Length of the well-formed sequence at `i` with its code point in `c`, or 0 with `bad` set
// to its bytes up to the first wrong one (the last missing at the end of the text).
std::size_t sequence_at(std::string_view bytes, std::size_t i, char32_t& c, std::string_view& bad) {
    const auto lead_byte = static_cast<unsigned char>(bytes[i]);
    const Lead lead = lead_of(lead_byte);
    if (lead.length == 0) {
        bad = bytes.substr(i, 1);
        return 0;
    }
    c = lead_byte & (0x3F >> (lead.length - 1));
    for (std::size_t k = 1; k < lead.length; ++k) {
        if (i + k >= bytes.size()) {
            bad = bytes.substr(i, k);
            return 0;
        }
        const auto b = static_cast<unsigned char>(bytes[i + k]);
        const bool fits = k == 1 ? b >= lead.low && b <= lead.high : (b & 0xC0) == 0x80;
        if (!fits) {
            bad = bytes.substr(i, k + 1);
            return 0;
        }
        c = (c << 6) | (b & 0x3F);
    }
    return lead.length;
}

// Printable ASCII, by far the most of any file, needs no look-up.
bool plain_ascii(unsigned char b) {
    return b >= 0x20 && b < 0x80;
}

std::optional<Failure> decode_single_byte(std::string_view bytes, char32_t (*map)(unsigned char),
                                          Encoding encoding, std::size_t skipped, std::string& out) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (plain_ascii(b)) {
            out += static_cast<char>(b);
            continue;
        }
        const char32_t c = map(b);
        if (c == kUndefined)
            return Failure{"Byte " + byte_text(b) + at_byte(skipped + i) + " is not a character in " +
                               std::string(encoding_name(encoding)),
                           out.size()};
        if (!is_char(c)) return not_allowed(c, skipped + i, out.size());
        append_utf8(c, out);
    }
    return std::nullopt;
}

std::optional<Failure> decode_utf16(std::string_view bytes, bool little_endian, std::size_t skipped,
                                    std::string& out) {
    const auto unit = [&](std::size_t i) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return little_endian ? a | (b << 8) : (a << 8) | b;
    };
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDFFF) {
            const bool paired =
                c <= 0xDBFF && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF;
            if (!paired)
                return Failure{"Unpaired UTF-16 surrogate " + code_point_text(c) + at_byte(skipped + i),
                               out.size()};
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        }
        if (!is_char(c)) return not_allowed(c, skipped + i, out.size());
        append_utf8(c, out);
    }
    if (i < bytes.size())
        return Failure{"UTF-16 text with an odd number of bytes: byte " +
                           byte_text(static_cast<unsigned char>(bytes[i])) + at_byte(skipped + i) +
                           " is left over",
                       out.size()};
    return std::nullopt;
}

}  // namespace

std::string_view encoding_name(Encoding encoding) {
    switch (encoding) {
        case Encoding::utf8:
            return "UTF-8";
        case Encoding::utf16le:
            return "UTF-16LE";
        case Encoding::utf16be:
            return "UTF-16BE";
        case Encoding::windows_1252:
            return "windows-1252";
        case Encoding::iso_8859_1:
            return "ISO-8859-1";
        case Encoding::iso_8859_15:
            return "ISO-8859-15";
    }
    return "";
}

std::optional<Failure> check_utf8(std::string_view bytes, std::size_t skipped) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (plain_ascii(b)) {
            ++i;
            continue;
        }
        char32_t c = b;
        std::string_view bad;
        const std::size_t length = b < 0x80 ? 1 : sequence_at(bytes, i, c, bad);
        if (length == 0) return Failure{utf8_problem(bad, skipped + i), i};
        if (!is_char(c)) return not_allowed(c, skipped + i, i);
        i += length;
    }
    return std::nullopt;
}

std::optional<Failure> decode(std::string_view bytes, Encoding encoding, std::size_t skipped,
                              std::string& out) {
    out.clear();
    out.reserve(bytes.size() + bytes.size() / 8);
    switch (encoding) {
        case Encoding::utf8:
            if (auto failure = check_utf8(bytes, skipped)) {
                out.assign(bytes.substr(0, failure->offset));
                return failure;
            }
            out.assign(bytes);
            return std::nullopt;
        case Encoding::utf16le:
            return decode_utf16(bytes, true, skipped, out);
        case Encoding::utf16be:
            return decode_utf16(bytes, false, skipped, out);
        case Encoding::windows_1252:
            return decode_single_byte(bytes, from_windows_1252, encoding, skipped, out);
        case Encoding::iso_8859_1:
            return decode_single_byte(bytes, from_iso_8859_1, encoding, skipped, out);
        case Encoding::iso_8859_15:
            return decode_single_byte(bytes, from_iso_8859_15, encoding, skipped, out);
    }
    return std::nullopt;
}

}  // namespace importfile::xml
