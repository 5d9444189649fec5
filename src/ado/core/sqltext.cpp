#include "ado/sqltext.h"

#include <string>

#include "ado/decimal.h"

namespace ado {

SqlText& SqlText::line(std::string_view fixed) {
    lines_.emplace_back(fixed);
    return *this;
}

SqlText& SqlText::add(std::string_view fixed) {
    if (lines_.empty()) lines_.emplace_back();
    lines_.back().append(fixed);
    return *this;
}

SqlText& SqlText::value(std::string_view verbatim) {
    add(verbatim);
    values_.emplace_back(verbatim);
    return *this;
}

SqlText& SqlText::number(std::int64_t n) {
    return add(std::to_string(n));
}

SqlText& SqlText::number(const Decimal& d) {
    return add(d.to_string());
}

// The statement's own setting (without_final_crlf) wins over the caller's default.
std::string SqlText::text(bool final_crlf) const {
    std::string out;
    std::size_t size = 0;
    for (const auto& l : lines_) size += l.size() + 2;
    out.reserve(size);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i > 0) out.append("\r\n");
        out.append(lines_[i]);
    }
    if (!lines_.empty() && final_crlf && final_crlf_) out.append("\r\n");
    return out;
}

const std::string* SqlText::unsafe_value() const {
    for (const auto& v : values_)
        if (v.find('\'') != std::string::npos) return &v;
    return nullptr;
}

}  // namespace ado
