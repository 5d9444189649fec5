#include "ado/sqlite/parens.h"

#include "ado/error.h"

namespace ado::sqlite {

void syntax_error_near(const std::vector<Token>& toks, std::size_t i) {
    std::string near = "the end of the batch";
    if (i < toks.size())
        near = std::string(toks[i].text);
    else if (!toks.empty())
        near = std::string(toks.back().text);
    incorrect_syntax_near(near);
}

Parens::Parens(const std::vector<Token>& toks) : match_(toks.size(), kNone) {
    std::vector<std::size_t> open;
    for (std::size_t i = 0; i < toks.size(); ++i) {
        const Token& t = toks[i];
        if (t.kind != TokKind::Punct || t.text.size() != 1) continue;
        if (t.text[0] == '(') {
            open.push_back(i);
        } else if (t.text[0] == ')') {
            if (open.empty()) syntax_error_near(toks, i);
            match_[open.back()] = i;
            match_[i] = open.back();
            open.pop_back();
        }
    }
    // The server names the last token read before the text ran out.
    if (!open.empty()) syntax_error_near(toks, toks.size());
}

std::vector<std::pair<std::size_t, std::size_t>> Parens::items(const std::vector<Token>& toks,
                                                               std::size_t open) const {
    std::vector<std::pair<std::size_t, std::size_t>> out;
    std::size_t begin = open + 1;
    for_each_inside(open, [&](std::size_t k) {
        if (!toks[k].is_punct(",")) return;
        out.emplace_back(begin, k);
        begin = k + 1;
    });
    const std::size_t close = match_[open];
    if (close > open + 1 || !out.empty()) out.emplace_back(begin, close);
    return out;
}

}  // namespace ado::sqlite
