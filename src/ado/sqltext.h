#pragma once
// Statement text built line by line (lines joined with CR LF). Values taken from files or
// users and inserted verbatim are recorded, so that a value holding a quote can be refused
// before it could change the shape of the statement.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ado {

class Decimal;

class SqlText {
  public:
    SqlText() = default;
    // Starts a new line with fixed text (part of the statement's shape).
    SqlText& line(std::string_view fixed);
    // Appends fixed text to the current line.
    SqlText& add(std::string_view fixed);
    // Appends a value verbatim (not quote-doubled) and records it.
    SqlText& value(std::string_view verbatim);
    // Appends a number in decimal.
    SqlText& number(std::int64_t n);
    SqlText& number(const Decimal& d);
    // An empty line.
    SqlText& blank_line() { return line(""); }

    // Lines joined with CR LF; `final_crlf` also ends the last line.
    std::string text(bool final_crlf = true) const;
    const std::vector<std::string>& lines() const { return lines_; }
    const std::vector<std::string>& verbatim_values() const { return values_; }
    // The first recorded verbatim value that holds a single quote, or nullptr.
    const std::string* unsafe_value() const;
    bool final_crlf() const { return final_crlf_; }
    SqlText& without_final_crlf() {
        final_crlf_ = false;
        return *this;
    }

  private:
    std::vector<std::string> lines_;
    std::vector<std::string> values_;
    bool final_crlf_ = true;
};

}  // namespace ado
