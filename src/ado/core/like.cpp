// LIKE under the database collation: patterns of the server's syntax compiled to a list of
// one-character elements and runs, matched with one backtracking point (the last run).
#include <string>

#include "ado/core/collation.h"

namespace ado {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

bool only_blanks(std::string_view s, std::size_t from) {
    for (std::size_t i = from; i < s.size(); ++i)
        if (s[i] != ' ') return false;
    return true;
}

}  // namespace

void LikePattern::add(Kind kind, char32_t c) {
    if (kind == Kind::Any && !elements_.empty() && elements_.back().kind == Kind::Any) return;
    elements_.push_back(Element{kind, c, 0, 0});
}

LikePattern LikePattern::parse(std::string_view p, std::optional<char32_t> escape) {
    LikePattern out;
    std::size_t i = 0;
    while (i < p.size() && !out.never_) {
        const char32_t c = next_char(p, i);
        if (escape && c == *escape) {
            if (i >= p.size()) {
                out.never_ = true;  // nothing left to escape: the server matches nothing
                break;
            }
            out.add(Kind::Char, next_char(p, i));
        } else if (c == U'%') {
            out.add(Kind::Any);
        } else if (c == U'_') {
            out.add(Kind::One);
        } else if (c == U'[') {
            i = out.parse_set(p, i, escape);
        } else {
            out.add(Kind::Char, c);
        }
    }
    return out;
}

// Reads a set after its "[" up to its "]"; returns the position after it. "-" between two
// characters makes a range; first or last it stands for itself.
std::size_t LikePattern::parse_set(std::string_view p, std::size_t i, std::optional<char32_t> escape) {
    Element set{Kind::Set, 0, ranges_.size(), 0};
    if (i < p.size() && p[i] == '^') {
        set.kind = Kind::NotSet;
        ++i;
    }
    auto member = [&](char32_t c) -> std::optional<char32_t> {
        if (escape && c == *escape) {
            if (i >= p.size()) return std::nullopt;
            return next_char(p, i);
        }
        return c;
    };
    for (;;) {
        if (i >= p.size()) {
            never_ = true;  // "[" never closed
            return i;
        }
        const char32_t c = next_char(p, i);
        if (c == U']') break;
        const auto low = member(c);
        if (!low) continue;
        char32_t high = *low;
        if (i + 1 < p.size() && p[i] == '-' && p[i + 1] != ']') {
            ++i;
            const auto h = member(next_char(p, i));
            if (h) high = *h;
        }
        ranges_.push_back(Range{*low, high});
    }
    set.count = ranges_.size() - set.first;
    elements_.push_back(set);
    return i;
}

LikePattern LikePattern::literal(std::string_view text, bool any_before, bool any_after) {
    LikePattern out;
    if (any_before) out.add(Kind::Any);
    for (std::size_t i = 0; i < text.size();) out.add(Kind::Char, next_char(text, i));
    if (any_after) out.add(Kind::Any);
    return out;
}

bool LikePattern::in_set(const Element& e, char32_t c) const {
    for (std::size_t k = e.first; k < e.first + e.count; ++k) {
        const Range& r = ranges_[k];
        if (r.low == r.high ? collate_chars(r.low, c) == 0
                            : collate_chars(r.low, c) <= 0 && collate_chars(c, r.high) <= 0)
            return true;
    }
    return false;
}

bool LikePattern::element_matches(const Element& e, char32_t c) const {
    switch (e.kind) {
        case Kind::Char:
            return collate_chars(e.c, c) == 0;
        case Kind::One:
            return true;
        case Kind::Set:
            return in_set(e, c);
        case Kind::NotSet:
            return !in_set(e, c);
        case Kind::Any:
            break;
    }
    return false;
}

bool LikePattern::matches(std::string_view text) const {
    if (never_) return false;
    const std::size_t n = elements_.size();
    std::size_t p = 0;
    std::size_t t = 0;
    std::size_t run = kNone;  // the last % met, and where its match ends in the text
    std::size_t run_end = 0;
    for (;;) {
        if (p < n) {
            const Element& e = elements_[p];
            if (e.kind == Kind::Any) {
                run = p++;
                run_end = t;
                continue;
            }
            if (t < text.size()) {
                std::size_t next = t;
                if (element_matches(e, next_char(text, next))) {
                    ++p;
                    t = next;
                    continue;
                }
            }
        } else if ((run != kNone && run + 1 == n) || only_blanks(text, t)) {
            return true;
        }
        if (run == kNone || run_end >= text.size()) return false;
        next_char(text, run_end);  // the run takes one more character
        t = run_end;
        p = run + 1;
    }
}

bool like_match(std::string_view pattern, std::string_view text, std::optional<char32_t> escape) {
    return LikePattern::parse(pattern, escape).matches(text);
}

}  // namespace ado
