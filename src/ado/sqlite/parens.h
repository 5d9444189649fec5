#pragma once
// Where each parenthesis of a statement closes, found once per rewrite pass: scanning for it
// from every occurrence grows with the square of the text (thousands of nested CASTs).
#include <cstddef>
#include <utility>
#include <vector>

#include "ado/sqlite/tokenizer.h"

namespace ado::sqlite {

inline constexpr std::size_t kNone = static_cast<std::size_t>(-1);

class Parens {
  public:
    // Throws ado::Error with the server's wording when a parenthesis is left open or closes
    // none, so that no rewrite ever meets an unbalanced group.
    explicit Parens(const std::vector<Token>& toks);

    // The partner of the parenthesis at `i`; kNone for any other token.
    std::size_t partner(std::size_t i) const { return match_[i]; }
    bool opens(std::size_t i) const { return match_[i] != kNone && match_[i] > i; }
    // The index after token `i`, a whole group when `i` opens one.
    std::size_t skip(std::size_t i) const { return opens(i) ? match_[i] + 1 : i + 1; }

    // Calls `f(k)` for each token directly inside the group opened at `open` (a nested group
    // shows only as its "(" ), so that a walk over every group's own tokens stays linear.
    template <typename F>
    void for_each_inside(std::size_t open, F&& f) const {
        for (std::size_t k = open + 1, close = match_[open]; k < close; k = skip(k)) f(k);
    }

    // [begin, end) of each item of the group opened at `open`, split at its own commas.
    std::vector<std::pair<std::size_t, std::size_t>> items(const std::vector<Token>& toks,
                                                           std::size_t open) const;

  private:
    std::vector<std::size_t> match_;
};

// The server's answer to text that ends or breaks off at token `i` (past the end: the last
// token).
[[noreturn]] void syntax_error_near(const std::vector<Token>& toks, std::size_t i);

}  // namespace ado::sqlite
