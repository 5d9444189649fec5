#pragma once
// Small text forms the front end writes: CSV fields, JSON values, and the single-byte
// Windows-1252 text of a saved log.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "modulebase/text_file.h"

namespace cli {

// A CSV field (RFC 4180): quoted, with quotes doubled, when it holds a comma, a quote, a
// CR or an LF; as it is otherwise.
std::string csv_field(std::string_view value);
// A CSV line of fields, ended by "\n".
std::string csv_line(const std::vector<std::string>& fields);

// A word a POSIX shell reads back as `text`, for command lines the program prints: as it is
// when it holds only letters, digits and _ . / : = @ % + , -; otherwise in single quotes
// (a quote inside as '\''). A text with control characters or bytes that are not UTF-8
// becomes a $'...' word with those bytes as \xHH, so that the line prints safely.
std::string shell_word(std::string_view text);

// A JSON string literal with its quotes. Invalid UTF-8 bytes become U+FFFD.
std::string json_string(std::string_view utf8);

// Builds one JSON value; members and elements are added in order.
class JsonWriter {
  public:
    JsonWriter& begin_object();
    JsonWriter& end_object();
    JsonWriter& begin_array();
    JsonWriter& end_array();
    JsonWriter& key(std::string_view name);
    JsonWriter& value(std::string_view text);
    JsonWriter& value(const char* text) { return value(std::string_view(text)); }
    JsonWriter& value(std::int64_t number);
    JsonWriter& value(int number) { return value(static_cast<std::int64_t>(number)); }
    JsonWriter& value(bool flag);
    JsonWriter& null();
    // key(name) then value(v).
    template <class T>
    JsonWriter& field(std::string_view name, const T& v) {
        return key(name).value(v);
    }
    const std::string& text() const { return out_; }

  private:
    void separate();
    JsonWriter& open(char bracket);
    JsonWriter& close(char bracket);
    std::string out_;
    std::vector<bool> first_;  // per open container: no member written yet
    bool after_key_ = false;
};

// The saved log's code page and the strict UTF-8 reading, shared with the module.
using module::next_code_point;
using module::to_windows_1252;

}  // namespace cli
