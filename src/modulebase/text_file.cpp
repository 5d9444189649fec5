#include "modulebase/text_file.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "host/error.h"

namespace module {

namespace {

// Code points of bytes 0x80..0x9F in Windows-1252; 0 where the code page has no character.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char windows_1252_byte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
    for (std::size_t b = 0; b < kHighControls.size(); ++b)
        if (kHighControls[b] != 0 && kHighControls[b] == cp) return static_cast<char>(0x80 + b);
    return '?';
}

}  // namespace

bool next_code_point(std::string_view s, std::size_t& i, char32_t& cp) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    char32_t min = 0;
    if (lead < 0x80) {
        cp = lead;
        ++i;
        return true;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2, cp = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, cp = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, cp = lead & 0x07, min = 0x10000;
    } else {
        ++i;
        return false;
    }
    if (i + length > s.size()) {
        ++i;
        return false;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            ++i;
            return false;
        }
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return false;
    }
    i += length;
    return true;
}

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

[[noreturn]] void cannot_write(const std::string& path, int error) {
    throw host::Error(host::kErrFileAccess, "Cannot write the file '" + path + "': " + std::strerror(error));
}

}  // namespace

std::string to_windows_1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        char32_t cp = 0;
        out += next_code_point(utf8, i, cp) ? windows_1252_byte(cp) : '?';
    }
    return out;
}

void FileSystemObject::WriteAnsiText(const std::string& path, std::string_view utf8) const {
    if (path.empty()) throw host::Error(host::kErrFileAccess, "No file name was given to write the log to.");
    const std::string bytes = to_windows_1252(utf8);
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) cannot_write(path, errno);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    const int write_error = errno;
    const bool closed = std::fclose(file.release()) == 0;
    if (!written || !closed) {
        const int error = write_error != 0 ? write_error : errno;
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
        cannot_write(path, error);
    }
}

}  // namespace module
