#include "ado/records/filter.h"

#include <optional>
#include <string>

#include "ado/core/collation.h"
#include "ado/error.h"
#include "ado/records/convert.h"
#include "ado/records/messages.h"

namespace ado::detail {
namespace {

[[noreturn]] void malformed() {
    Error e = bad_arguments();
    throw Error(kErrFilter, e.description());
}

// ---------------------------------------------------------------------------------------
// Tokens

enum class Tok { Name, And, Or, Like, NullWord, Op, Number, Text, Date, LParen, RParen, End };

struct Token {
    Tok kind = Tok::End;
    std::string text;
};

bool is_blank_char(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool is_digit(char c) {
    return c >= '0' && c <= '9';
}
bool is_word_char(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || is_digit(c) || c == '_' || u >= 0x80;
}

bool equals_word(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (x != b[i]) return false;
    }
    return true;
}

class Lexer {
  public:
    explicit Lexer(std::string_view s) : s_(s) {}

    std::vector<Token> run() {
        std::vector<Token> out;
        for (;;) {
            while (i_ < s_.size() && is_blank_char(s_[i_])) ++i_;
            if (i_ >= s_.size()) break;
            out.push_back(next());
        }
        out.push_back(Token{Tok::End, {}});
        return out;
    }

  private:
    Token next() {
        const char c = s_[i_];
        if (c == '(') return single(Tok::LParen);
        if (c == ')') return single(Tok::RParen);
        if (c == '\'') return quoted_text();
        if (c == '#') return delimited('#', Tok::Date);
        if (c == '[') return delimited(']', Tok::Name);
        if (c == '<' || c == '>' || c == '=') return op();
        const bool signed_number =
            (c == '-' || c == '+') && i_ + 1 < s_.size() && (is_digit(s_[i_ + 1]) || s_[i_ + 1] == '.');
        if (is_digit(c) || c == '.' || signed_number) return number();
        if (is_word_char(c)) return word();
        malformed();
    }

    Token single(Tok kind) {
        ++i_;
        return Token{kind, {}};
    }

    Token quoted_text() {
        std::string text;
        for (++i_; i_ < s_.size(); ++i_) {
            if (s_[i_] != '\'') {
                text += s_[i_];
            } else if (i_ + 1 < s_.size() && s_[i_ + 1] == '\'') {
                text += '\'';
                ++i_;
            } else {
                ++i_;
                return Token{Tok::Text, std::move(text)};
            }
        }
        malformed();  // unclosed quote
    }

    Token delimited(char close, Tok kind) {
        const std::size_t end = s_.find(close, i_ + 1);
        if (end == std::string_view::npos) malformed();
        Token t{kind, std::string(s_.substr(i_ + 1, end - i_ - 1))};
        i_ = end + 1;
        if (t.text.empty()) malformed();
        return t;
    }

    Token op() {
        std::string text(1, s_[i_++]);
        if (i_ < s_.size() && text != "=") {
            const char c = s_[i_];
            if (c == '=' || (text == "<" && c == '>')) {
                text += c;
                ++i_;
            }
        }
        return Token{Tok::Op, std::move(text)};
    }

    Token number() {
        const std::size_t start = i_;
        if (s_[i_] == '-' || s_[i_] == '+') ++i_;
        while (i_ < s_.size() && (is_digit(s_[i_]) || s_[i_] == '.')) ++i_;
        if (i_ < s_.size() && is_word_char(s_[i_])) malformed();  // "12abc"
        return Token{Tok::Number, std::string(s_.substr(start, i_ - start))};
    }

    Token word() {
        const std::size_t start = i_;
        while (i_ < s_.size() && is_word_char(s_[i_])) ++i_;
        std::string text(s_.substr(start, i_ - start));
        if (equals_word(text, "AND")) return Token{Tok::And, std::move(text)};
        if (equals_word(text, "OR")) return Token{Tok::Or, std::move(text)};
        if (equals_word(text, "LIKE")) return Token{Tok::Like, std::move(text)};
        if (equals_word(text, "NULL")) return Token{Tok::NullWord, std::move(text)};
        return Token{Tok::Name, std::move(text)};
    }

    std::string_view s_;
    std::size_t i_ = 0;
};

// ---------------------------------------------------------------------------------------
// Conditions

enum class Op { Eq, Ne, Lt, Gt, Le, Ge };

Op to_op(const std::string& text) {
    if (text == "=") return Op::Eq;
    if (text == "<>") return Op::Ne;
    if (text == "<") return Op::Lt;
    if (text == ">") return Op::Gt;
    if (text == "<=") return Op::Le;
    if (text == ">=") return Op::Ge;
    malformed();
}

bool holds(Op op, int cmp) {
    switch (op) {
        case Op::Eq:
            return cmp == 0;
        case Op::Ne:
            return cmp != 0;
        case Op::Lt:
            return cmp < 0;
        case Op::Gt:
            return cmp > 0;
        case Op::Le:
            return cmp <= 0;
        case Op::Ge:
            return cmp >= 0;
    }
    return false;
}

template <typename T>
int three_way(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

std::optional<Decimal> number_of(const Variant& v) {
    if (v.is_string()) return Decimal::parse(v.str());
    if (v.is_date()) return std::nullopt;
    try {
        return v.to_decimal();
    } catch (const Error&) {
        return std::nullopt;
    }
}

std::optional<DateTime> date_of(const Variant& v) {
    if (v.is_date()) return v.date();
    if (v.is_string()) return DateTime::parse(trim(v.str()));
    return std::nullopt;
}

std::optional<std::string> text_of(const Variant& v) {
    try {
        return display_text(v);
    } catch (const Error&) {
        return std::nullopt;
    }
}

}  // namespace

// Decimal's text is canonical (no trailing zeros), so equal numbers give equal texts.
std::optional<std::string> equality_key(const Variant& value, KeyKind kind) {
    if (value.is_null() || value.is_empty()) return std::nullopt;
    if (kind == KeyKind::Number) {
        const auto n = number_of(value);
        return n ? std::optional<std::string>(n->to_string()) : std::nullopt;
    }
    const auto t = text_of(value);
    return t ? std::optional<std::string>(collation_key(*t)) : std::nullopt;
}

namespace {

class AllOf final : public Condition {
  public:
    explicit AllOf(std::vector<ConditionPtr> parts) : parts_(std::move(parts)) {}
    bool matches(const std::vector<Variant>& row) const override {
        for (const auto& p : parts_)
            if (!p->matches(row)) return false;
        return true;
    }
    void probes(std::vector<EqualityProbe>& out) const override {
        for (const auto& p : parts_) p->probes(out);
    }

  private:
    std::vector<ConditionPtr> parts_;
};

class AnyOf final : public Condition {
  public:
    explicit AnyOf(std::vector<ConditionPtr> parts) : parts_(std::move(parts)) {}
    bool matches(const std::vector<Variant>& row) const override {
        for (const auto& p : parts_)
            if (p->matches(row)) return true;
        return false;
    }

  private:
    std::vector<ConditionPtr> parts_;
};

class NullTest final : public Condition {
  public:
    NullTest(std::size_t column, bool want_null) : column_(column), want_null_(want_null) {}
    bool matches(const std::vector<Variant>& row) const override {
        const Variant& v = row[column_];
        return (v.is_null() || v.is_empty()) == want_null_;
    }

  private:
    std::size_t column_;
    bool want_null_;
};

class NumberCompare final : public Condition {
  public:
    NumberCompare(std::size_t column, Op op, Decimal literal)
        : column_(column),
          op_(op),
          literal_(literal),
          key_(op == Op::Eq ? literal.to_string() : std::string()) {}
    bool matches(const std::vector<Variant>& row) const override {
        const Variant& v = row[column_];
        if (v.is_null() || v.is_empty()) return false;
        const auto n = number_of(v);
        return n && holds(op_, three_way(*n, literal_));
    }
    void probes(std::vector<EqualityProbe>& out) const override {
        if (op_ == Op::Eq) out.push_back({column_, KeyKind::Number, key_});
    }

  private:
    std::size_t column_;
    Op op_;
    Decimal literal_;
    std::string key_;  // of an equality: computed once, as a filter is compiled once per text
};

class DateCompare final : public Condition {
  public:
    DateCompare(std::size_t column, Op op, DateTime literal) : column_(column), op_(op), literal_(literal) {}
    bool matches(const std::vector<Variant>& row) const override {
        const Variant& v = row[column_];
        if (v.is_null() || v.is_empty()) return false;
        const auto d = date_of(v);
        return d && holds(op_, three_way(*d, literal_));
    }

  private:
    std::size_t column_;
    Op op_;
    DateTime literal_;
};

// Text compares as the database collates: case and trailing blanks ignored.
class TextCompare final : public Condition {
  public:
    TextCompare(std::size_t column, Op op, std::string literal)
        : column_(column),
          op_(op),
          literal_(std::move(literal)),
          key_(op == Op::Eq ? collation_key(literal_) : std::string()) {}
    bool matches(const std::vector<Variant>& row) const override {
        const Variant& v = row[column_];
        if (v.is_null() || v.is_empty()) return false;
        const auto t = text_of(v);
        return t && holds(op_, collate_compare(*t, literal_));
    }
    void probes(std::vector<EqualityProbe>& out) const override {
        if (op_ == Op::Eq) out.push_back({column_, KeyKind::Text, key_});
    }

  private:
    std::size_t column_;
    Op op_;
    std::string literal_;
    std::string key_;
};

// Case folding of field names: ASCII and the Latin-1 capitals (UTF-8 C3 80..C3 9E but the
// multiplication sign).
std::string fold(std::string_view s) {
    std::string out(s);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (c >= 'A' && c <= 'Z') {
            out[i] = static_cast<char>(c - 'A' + 'a');
        } else if (c == 0xC3 && i + 1 < out.size()) {
            const auto n = static_cast<unsigned char>(out[i + 1]);
            if (n >= 0x80 && n <= 0x9E && n != 0x97) out[i + 1] = static_cast<char>(n + 0x20);
            ++i;
        }
    }
    return out;
}

// LIKE with its wildcards at the ends only; characters compare as the collation does
// (case ignored, accents counted), blanks at the end of the value never count.
class LikeMatch final : public Condition {
  public:
    enum class Mode { Whole, Prefix, Suffix, Contains };
    LikeMatch(std::size_t column, Mode mode, const std::string& pattern)
        : column_(column), pattern_(compile(mode, pattern)) {}
    bool matches(const std::vector<Variant>& row) const override {
        const Variant& v = row[column_];
        if (v.is_null() || v.is_empty()) return false;
        const auto t = text_of(v);
        return t && pattern_.matches(rtrim(*t));
    }

  private:
    static LikePattern compile(Mode mode, const std::string& pattern) {
        const bool before = mode == Mode::Suffix || mode == Mode::Contains;
        const bool after = mode == Mode::Prefix || mode == Mode::Contains;
        return LikePattern::literal(mode == Mode::Whole ? rtrim(pattern) : pattern, before, after);
    }

    std::size_t column_;
    LikePattern pattern_;
};

bool is_wildcard(char c) {
    return c == '*' || c == '%';
}

// The platform allows wildcards only at the ends of a LIKE pattern.
ConditionPtr make_like(std::size_t column, const std::string& pattern) {
    std::string_view p = pattern;
    const bool lead = !p.empty() && is_wildcard(p.front());
    if (lead) p.remove_prefix(1);
    const bool trail = !p.empty() && is_wildcard(p.back());
    if (trail) p.remove_suffix(1);
    for (char c : p)
        if (is_wildcard(c)) malformed();
    using Mode = LikeMatch::Mode;
    const Mode mode = lead && trail ? Mode::Contains
                      : lead        ? Mode::Suffix
                      : trail       ? Mode::Prefix
                                    : Mode::Whole;
    return std::make_shared<LikeMatch>(column, mode, std::string(p));
}

// ---------------------------------------------------------------------------------------
// Parser: or-list of and-lists of comparisons or parenthesised groups (AND binds tighter).

class Parser {
  public:
    Parser(std::vector<Token> tokens, const std::vector<ColumnInfo>& columns)
        : tokens_(std::move(tokens)), columns_(columns) {}

    ConditionPtr criteria(CriteriaShape shape) {
        ConditionPtr c = shape == CriteriaShape::Filter ? any_of() : comparison();
        if (peek().kind != Tok::End) malformed();
        return c;
    }

  private:
    const Token& peek() const { return tokens_[pos_]; }
    const Token& take() {
        const Token& t = tokens_[pos_];
        if (t.kind != Tok::End) ++pos_;
        return t;
    }

    ConditionPtr any_of() {
        std::vector<ConditionPtr> parts{all_of()};
        while (peek().kind == Tok::Or) {
            take();
            parts.push_back(all_of());
        }
        return parts.size() == 1 ? parts.front() : std::make_shared<AnyOf>(std::move(parts));
    }

    ConditionPtr all_of() {
        std::vector<ConditionPtr> parts{term()};
        while (peek().kind == Tok::And) {
            take();
            parts.push_back(term());
        }
        return parts.size() == 1 ? parts.front() : std::make_shared<AllOf>(std::move(parts));
    }

    // Groups nest by recursion (here, and in the conditions built); deeper than any filter
    // the module writes is malformed rather than a stack overflow.
    static constexpr int kMaxGroupDepth = 128;

    ConditionPtr term() {
        if (peek().kind != Tok::LParen) return comparison();
        if (depth_ == kMaxGroupDepth) malformed();
        take();
        ++depth_;
        ConditionPtr inner = any_of();
        --depth_;
        if (take().kind != Tok::RParen) malformed();
        return inner;
    }

    std::size_t column_named(const std::string& name) const {
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            const ColumnInfo& c = columns_[i];
            if (!c.hidden && c.name.size() == name.size() && fold(c.name) == fold(name)) return i;
        }
        malformed();
    }

    ConditionPtr comparison() {
        const Token& field = take();
        if (field.kind != Tok::Name) malformed();
        const std::size_t column = column_named(field.text);
        const Token& op = take();
        const Token& value = take();
        if (op.kind == Tok::Like) {
            if (value.kind != Tok::Text || column_kind(columns_[column].type) != ColumnKind::Text)
                malformed();
            return make_like(column, value.text);
        }
        if (op.kind != Tok::Op) malformed();
        const Op o = to_op(op.text);
        if (value.kind == Tok::NullWord) {
            if (o != Op::Eq && o != Op::Ne) malformed();
            return std::make_shared<NullTest>(column, o == Op::Eq);
        }
        return typed_comparison(column, o, value);
    }

    // The value must be one literal of the field's type (a number for a numeric field,
    // a date for a date field); anything else is a malformed filter.
    ConditionPtr typed_comparison(std::size_t column, Op o, const Token& value) const {
        const ColumnKind kind = column_kind(columns_[column].type);
        if (is_number_kind(kind)) {
            if (value.kind != Tok::Number && value.kind != Tok::Text) malformed();
            const auto n = Decimal::parse(value.text);
            if (!n || (value.kind == Tok::Text && trim(value.text).empty())) malformed();
            return std::make_shared<NumberCompare>(column, o, *n);
        }
        if (kind == ColumnKind::Date) {
            if (value.kind != Tok::Date && value.kind != Tok::Text) malformed();
            const auto d = DateTime::parse(trim(value.text));
            if (!d) malformed();
            return std::make_shared<DateCompare>(column, o, *d);
        }
        if (value.kind != Tok::Text && value.kind != Tok::Number) malformed();
        return std::make_shared<TextCompare>(column, o, value.text);
    }

    std::vector<Token> tokens_;
    std::size_t pos_ = 0;
    int depth_ = 0;  // groups open
    const std::vector<ColumnInfo>& columns_;
};

}  // namespace

ConditionPtr compile_criteria(std::string_view text, const std::vector<ColumnInfo>& columns,
                              CriteriaShape shape) {
    Parser parser(Lexer(text).run(), columns);
    return parser.criteria(shape);
}

}  // namespace ado::detail
