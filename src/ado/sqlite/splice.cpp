#include "ado/sqlite/splice.h"

#include <algorithm>

namespace ado::sqlite {

void Splice::drop(std::size_t begin, std::size_t end) {
    if (begin >= end) return;
    if (drop_.empty()) drop_.assign(src_.size(), 0);
    std::fill(drop_.begin() + static_cast<long>(begin),
              drop_.begin() + static_cast<long>(std::min(end, src_.size())), char{1});
}

void Splice::insert(std::size_t at, std::initializer_list<Token> toks) {
    for (const Token& t : toks) inserts_.emplace_back(at, t);
}

void Splice::insert(std::size_t at, const std::vector<Token>& toks) {
    for (const Token& t : toks) inserts_.emplace_back(at, t);
}

std::vector<Token> Splice::result() {
    // Passes add their edits mostly in order; a stable sort keeps the order within a position.
    const auto by_position = [](const auto& a, const auto& b) { return a.first < b.first; };
    if (!std::is_sorted(inserts_.begin(), inserts_.end(), by_position))
        std::stable_sort(inserts_.begin(), inserts_.end(), by_position);
    std::vector<Token> out;
    out.reserve(src_.size() + inserts_.size());
    auto next = inserts_.begin();
    for (std::size_t i = 0; i <= src_.size(); ++i) {
        for (; next != inserts_.end() && next->first == i; ++next) out.push_back(next->second);
        if (i < src_.size() && !dropped(i)) out.push_back(src_[i]);
    }
    return out;
}

}  // namespace ado::sqlite
