#include "ado/sqlite/expr_edits.h"

#include <algorithm>

namespace ado::sqlite {

std::vector<Token> Edits::apply(const std::vector<Token>& src) {
    std::sort(heads_.begin(), heads_.end(),
              [](const Insert& a, const Insert& b) { return a.at != b.at ? a.at < b.at : a.seq > b.seq; });
    std::sort(tails_.begin(), tails_.end(),
              [](const Insert& a, const Insert& b) { return a.at != b.at ? a.at < b.at : a.seq < b.seq; });
    std::vector<Token> out;
    out.reserve(src.size() + 8 * (heads_.size() + tails_.size()));
    auto h = heads_.begin();
    auto t = tails_.begin();
    for (std::size_t i = 0; i <= src.size(); ++i) {
        for (; t != tails_.end() && t->at == i; ++t) out.insert(out.end(), t->toks.begin(), t->toks.end());
        for (; h != heads_.end() && h->at == i; ++h) out.insert(out.end(), h->toks.begin(), h->toks.end());
        if (i < src.size() && !drop_[i]) out.push_back(src[i]);
    }
    return out;
}

}  // namespace ado::sqlite
