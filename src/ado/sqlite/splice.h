#pragma once
// A rewrite pass's edits, applied in one pass over the tokens: ranges dropped and tokens put
// before a position. Inserting into the middle of the vector for each occurrence would copy
// the rest of the statement every time.
#include <cstddef>
#include <initializer_list>
#include <utility>
#include <vector>

#include "ado/sqlite/tokenizer.h"

namespace ado::sqlite {

class Splice {
  public:
    explicit Splice(const std::vector<Token>& src) : src_(src) {}

    // Drops [begin, end). Tokens inserted before a dropped position still appear.
    void drop(std::size_t begin, std::size_t end);
    bool dropped(std::size_t i) const { return !drop_.empty() && drop_[i] != 0; }
    // Puts `toks` before position `at` (src.size(): at the end); several at one position
    // keep the order they were given in.
    void insert(std::size_t at, std::initializer_list<Token> toks);
    void insert(std::size_t at, const std::vector<Token>& toks);
    bool empty() const { return drop_.empty() && inserts_.empty(); }

    std::vector<Token> result();

  private:
    const std::vector<Token>& src_;
    std::vector<char> drop_;  // sized on the first drop
    std::vector<std::pair<std::size_t, Token>> inserts_;
};

}  // namespace ado::sqlite
