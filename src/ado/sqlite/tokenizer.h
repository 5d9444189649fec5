#pragma once
// Tokens of T-SQL statement text. Whitespace and comments separate tokens and are dropped,
// so line layout (CR LF, blank lines, trailing blanks) never matters to what follows.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ado::sqlite {

// The engine's refusals of statement text, in the server's wording (ado::Error).
[[noreturn]] void incorrect_syntax_near(std::string_view text);
[[noreturn]] void unsupported(std::string_view what);

enum class TokKind : std::uint8_t {
    Word,         // keyword, identifier, #temp name
    QuotedIdent,  // [name] or "name"
    String,       // 'text' or N'text' (quotes doubled inside)
    Number,       // 12, 1.5, .5, 1E3
    Variable,     // @name, @@name
    Punct,        // ( ) , . ; + - * / % = < > <= >= <> != ||
    Raw,          // synthetic: text emitted as is
};

struct Token {
    TokKind kind = TokKind::Raw;
    std::string_view text;  // as written (String: with N prefix and quotes)
    int literal = -1;       // String/Number lifted: its index among the batch's literals; -1 when kept

    bool is(TokKind k, std::string_view t) const;  // kind and case-insensitive text
    bool is_word(std::string_view upper) const { return is(TokKind::Word, upper); }
    bool is_punct(std::string_view p) const {
        if (kind != TokKind::Punct || text.size() != p.size()) return false;
        for (std::size_t i = 0; i < p.size(); ++i)
            if (text[i] != p[i]) return false;
        return true;
    }
    bool lifted() const { return literal >= 0; }
};

// True for a Word token equal (ignoring case) to one of the upper-case `words`.
bool is_one_of(const Token& t, std::span<const std::string_view> words);

// A token made by a rewrite, its kind judged from its text (which must outlive it).
Token raw(std::string_view text);

// Splits `sql` into tokens viewing into `sql`. Throws ado::Error (provider) for an
// unclosed quotation mark or bracket, with the server's wording.
std::vector<Token> tokenize(std::string_view sql);

// Value of a String token: prefix and quotes removed, doubled quotes undone.
std::string string_value(std::string_view token_text);
// Value of a QuotedIdent token: brackets or quotes removed.
std::string ident_value(std::string_view token_text);
// Upper-case ASCII copy.
std::string upper(std::string_view s);
bool iequals(std::string_view a, std::string_view b);
// `s` between two `mark`s with each `mark` inside doubled: '"' for an SQLite identifier,
// '\'' for a text literal.
std::string enclosed(std::string_view s, char mark);

// A token for a small whole number (0 to 38: a scale or an index), text held statically.
Token small_number(int n);

// Where a statement parameter's value comes from.
struct ParamSlot {
    int literal = -1;      // index into the batch's lifted literals
    std::string variable;  // or a batch variable ("@NAME", upper case)
};

struct Emitted {
    std::string sql;
    std::vector<ParamSlot> params;  // parameter i + 1 of `sql`
};

// SQLite text of the tokens: lifted literals and variables as anonymous parameters "?" (one
// per occurrence, listed in `params`), #temp names in the temp schema, [brackets] as
// "quotes", N'..' as '..'.
Emitted emit(const std::vector<Token>& toks);

}  // namespace ado::sqlite
