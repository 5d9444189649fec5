#pragma once
// Edits of the typed rewrite, applied in one pass. Calls wrap expressions that may already
// be wrapped: an outer call's head must come before an inner one's at the same position,
// its tail after, so heads given later go first and tails keep their order.
#include <cstddef>
#include <vector>

#include "ado/sqlite/tokenizer.h"

namespace ado::sqlite {

class Edits {
  public:
    explicit Edits(std::size_t n) : drop_(n, 0) {}

    void head(std::size_t at, std::vector<Token> toks) { heads_.push_back({at, seq_++, std::move(toks)}); }
    void tail(std::size_t at, std::vector<Token> toks) { tails_.push_back({at, seq_++, std::move(toks)}); }
    void drop(std::size_t at) { drop_[at] = 1; }
    bool empty() const { return heads_.empty() && tails_.empty(); }

    // Tails at a position close expressions that end before it, so they come before heads.
    std::vector<Token> apply(const std::vector<Token>& src);

  private:
    struct Insert {
        std::size_t at;
        std::size_t seq;
        std::vector<Token> toks;
    };
    std::vector<char> drop_;
    std::vector<Insert> heads_;
    std::vector<Insert> tails_;
    std::size_t seq_ = 0;
};

}  // namespace ado::sqlite
