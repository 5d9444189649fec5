#include "ado/sqlite/shape.h"

#include <charconv>

#include "ado/error.h"
#include "ado/sqlite/sql_type.h"

namespace ado::sqlite {
namespace {

constexpr std::string_view kTypeWords[] = {"CHAR",      "VARCHAR", "NCHAR",     "NVARCHAR",
                                           "DECIMAL",   "NUMERIC", "VARBINARY", "BINARY",
                                           "DATETIME2", "FLOAT",   "TIME",      "DATETIMEOFFSET"};

bool is_type_word(const Token& t) {
    return is_one_of(t, kTypeWords);
}

bool defines_objects(const std::vector<Token>& toks) {
    int depth = 0;
    for (const Token& t : toks) {
        if (t.kind == TokKind::Punct) {
            depth += t.text[0] == '(' ? 1 : t.text[0] == ')' ? -1 : 0;
            continue;
        }
        if (depth != 0 || t.kind != TokKind::Word) continue;
        switch (t.text[0]) {
            case 'C':
            case 'c':
            case 'A':
            case 'a':
            case 'D':
            case 'd':
            case 'T':
            case 't':
                if (t.is_word("CREATE") || t.is_word("ALTER") || t.is_word("DROP") || t.is_word("TRUNCATE"))
                    return true;
                break;
            default:
                break;
        }
    }
    return false;
}

bool is_list_boundary(const Token& t) {
    if (t.kind == TokKind::Punct) return t.is_punct("(") || t.is_punct(")");
    return t.is_word("BY") || t.is_word("SELECT") || t.is_word("WHERE") || t.is_word("SET") ||
           t.is_word("VALUES");
}

// A number that is part of the statement's structure rather than a value. Asked about
// tokens in increasing order (see make_shape).
class StructuralNumbers {
  public:
    explicit StructuralNumbers(const std::vector<Token>& toks) : t_(toks) {}

    bool operator()(std::size_t i) const { return after_top(i) || type_argument(i) || ordinal(i); }

  private:
    const Token* at(std::size_t i) const { return i < t_.size() ? &t_[i] : nullptr; }
    const Token* before(std::size_t i, std::size_t back) const { return i >= back ? &t_[i - back] : nullptr; }

    bool after_top(std::size_t i) const {
        const Token* p = before(i, 1);
        if (p && p->is_word("TOP")) return true;
        const Token* pp = before(i, 2);
        return p && pp && p->is_punct("(") && pp->is_word("TOP");
    }

    // VARCHAR(500), DECIMAL(10, 0) after AS, after a variable (DECLARE) or as CONVERT's type.
    bool type_argument(std::size_t i) const {
        std::size_t open = i;
        if (const Token* p = before(i, 1); p && p->is_punct("(")) {
            open = i - 1;
        } else if (p && p->is_punct(",") && before(i, 3) && before(i, 2)->kind == TokKind::Number &&
                   before(i, 3)->is_punct("(")) {
            open = i - 3;
        } else {
            return false;
        }
        const Token* type = before(open, 1);
        if (!type || !is_type_word(*type)) return false;
        const Token* lead = before(open, 2);
        if (!lead) return false;
        if (lead->is_word("AS") || lead->kind == TokKind::Variable) return true;
        const Token* conv = before(open, 3);
        return lead->is_punct("(") && conv && conv->is_word("CONVERT");
    }

    // ORDER BY 1, 2: a position, not a value.
    bool ordinal(std::size_t i) const {
        const Token* p = before(i, 1);
        if (!p || !(p->is_word("BY") || p->is_punct(","))) return false;
        const Token* n = at(i + 1);
        if (n && !(n->is_punct(",") || n->is_punct(")") || n->is_punct(";") || n->is_word("ASC") ||
                   n->is_word("DESC") || n->is_word("UNION")))
            return false;
        return in_by_list(i);
    }

    // Whether the nearest list boundary before `i` is an ORDER BY / GROUP BY. The scan goes on
    // from where the last question left it: walking back from every item of a long list
    // (IN (1, 2, ...)) would grow with the square of its length.
    bool in_by_list(std::size_t i) const {
        for (; scanned_ < i; ++scanned_)
            if (is_list_boundary(t_[scanned_])) boundary_ = scanned_;
        return boundary_ != kNoBoundary && t_[boundary_].is_word("BY") && boundary_ > 0 &&
               (t_[boundary_ - 1].is_word("ORDER") || t_[boundary_ - 1].is_word("GROUP"));
    }

    static constexpr std::size_t kNoBoundary = static_cast<std::size_t>(-1);
    const std::vector<Token>& t_;
    mutable std::size_t scanned_ = 0;
    mutable std::size_t boundary_ = kNoBoundary;
};

}  // namespace

int significant_digits(std::string_view text) {
    std::string digits;
    for (char c : text) {
        if (c == 'e' || c == 'E') break;
        if (c >= '0' && c <= '9') digits.push_back(c);
    }
    const auto first = digits.find_first_not_of('0');
    if (first == std::string::npos) return 0;
    return static_cast<int>(digits.find_last_not_of('0') - first + 1);
}

BoundValue number_value(std::string_view text) {
    const auto exponent = text.find_first_of("eE");
    const auto mantissa = text.substr(0, exponent);
    const auto point = mantissa.find('.');
    const auto whole = mantissa.substr(0, point);
    const bool integral = exponent == std::string_view::npos &&
                          (point == std::string_view::npos ||
                           mantissa.substr(point + 1).find_first_not_of('0') == std::string_view::npos);
    if (integral) {
        std::int64_t v = 0;
        const auto res = std::from_chars(whole.data(), whole.data() + whole.size(), v);
        if (res.ec == std::errc() && res.ptr == whole.data() + whole.size()) return BoundValue::integer(v);
    }
    if (significant_digits(text) > 15)
        throw Error(kErrOverflow, "Arithmetic overflow: the number " + std::string(text) +
                                      " has more significant digits than the engine holds exactly (15).");
    double d = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), d);
    if (res.ec != std::errc())
        throw Error(kErrOverflow, "Arithmetic overflow converting " + std::string(text) + ".");
    return BoundValue::real(d);
}

Shape make_shape(std::string_view sql, char mode) {
    Shape shape;
    shape.tokens = tokenize(sql);
    auto& toks = shape.tokens;
    shape.cacheable = !defines_objects(toks);
    shape.key.reserve(sql.size() + 8);
    shape.literals.reserve(toks.size() / 4 + 1);
    shape.key.push_back(mode);
    const StructuralNumbers structural(toks);
    for (std::size_t i = 0; i < toks.size(); ++i) {
        Token& t = toks[i];
        shape.key.push_back(' ');
        const bool literal = t.kind == TokKind::String || t.kind == TokKind::Number;
        if (!literal || !shape.cacheable || (t.kind == TokKind::Number && structural(i))) {
            shape.key.append(t.text);
            continue;
        }
        t.literal = static_cast<int>(shape.literals.size());
        if (t.kind == TokKind::String) {
            shape.literals.push_back(BoundValue::str(string_value(t.text)));
            shape.key.append("$s");
        } else {
            shape.literals.push_back(number_value(t.text));
            // The literal's type is part of the shape: 7 / 2 and 7 / 2.0 compute differently.
            shape.key.append("$n");
            shape.key.append(std::to_string(number_literal_type(t.text).code()));
        }
    }
    return shape;
}

}  // namespace ado::sqlite
