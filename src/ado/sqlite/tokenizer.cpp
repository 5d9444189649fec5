#include "ado/sqlite/tokenizer.h"

#include <array>

#include "ado/error.h"

namespace ado::sqlite {

void incorrect_syntax_near(std::string_view text) {
    throw Error(kErrProvider, "Incorrect syntax near '" + std::string(text) + "'.");
}

void unsupported(std::string_view what) {
    throw Error(kErrProvider, "The embedded engine does not support " + std::string(what) + ".");
}
namespace {

// Character classes, looked up: the tokenizer runs on every statement sent.
enum : unsigned char { kSpace = 1, kDigit = 2, kWordStart = 4, kWordChar = 8, kPunct = 16 };

constexpr std::array<unsigned char, 256> make_classes() {
    std::array<unsigned char, 256> t{};
    for (int c = 0; c < 256; ++c) {
        unsigned char v = 0;
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') v |= kSpace;
        if (c >= '0' && c <= '9') v |= kDigit | kWordChar;
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '#' || c >= 0x80)
            v |= kWordStart | kWordChar;
        if (c == '$' || c == '@') v |= kWordChar;
        for (char p : std::string_view("(),.;+-*/%=<>&|^~:"))
            if (c == p) v |= kPunct;
        t[static_cast<std::size_t>(c)] = v;
    }
    return t;
}
constexpr std::array<unsigned char, 256> kClass = make_classes();

bool has(char c, unsigned char cls) {
    return (kClass[static_cast<unsigned char>(c)] & cls) != 0;
}
bool is_space(char c) {
    return has(c, kSpace);
}
bool is_digit(char c) {
    return has(c, kDigit);
}
bool is_word_start(char c) {
    return has(c, kWordStart);
}
bool is_word_char(char c) {
    return has(c, kWordChar);
}
char to_upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

[[noreturn]] void unclosed(std::string_view rest) {
    throw Error(kErrProvider,
                "Unclosed quotation mark after the character string '" + std::string(rest) + "'.");
}

class Scanner {
  public:
    explicit Scanner(std::string_view s) : s_(s) {}

    std::vector<Token> run() {
        std::vector<Token> out;
        out.reserve(s_.size() / 4 + 8);
        while (skip_blanks_and_comments(), pos_ < s_.size()) out.push_back(next());
        return out;
    }

  private:
    void skip_blanks_and_comments() {
        while (pos_ < s_.size()) {
            const char c = s_[pos_];
            if (is_space(c)) {
                ++pos_;
            } else if (c == '-' && peek(1) == '-') {
                while (pos_ < s_.size() && s_[pos_] != '\n') ++pos_;
            } else if (c == '/' && peek(1) == '*') {
                const auto end = s_.find("*/", pos_ + 2);
                if (end == std::string_view::npos)
                    throw Error(kErrProvider, "Missing end comment mark '*/'.");
                pos_ = end + 2;
            } else {
                return;
            }
        }
    }

    char peek(std::size_t ahead) const { return pos_ + ahead < s_.size() ? s_[pos_ + ahead] : '\0'; }

    Token make(TokKind k, std::size_t start) const { return Token{k, s_.substr(start, pos_ - start), -1}; }

    Token next() {
        const std::size_t start = pos_;
        const char c = s_[pos_];
        if ((c == 'N' || c == 'n') && peek(1) == '\'') {
            ++pos_;
            return quoted_string(start);
        }
        if (c == '\'') return quoted_string(start);
        if (c == '[') return bracketed(start);
        if (c == '"') return double_quoted(start);
        if (is_digit(c) || (c == '.' && is_digit(peek(1)))) return number(start);
        if (c == '@') {
            ++pos_;
            while (pos_ < s_.size() && is_word_char(s_[pos_])) ++pos_;
            return make(TokKind::Variable, start);
        }
        if (is_word_start(c)) {
            while (pos_ < s_.size() && is_word_char(s_[pos_])) ++pos_;
            return make(TokKind::Word, start);
        }
        return punct(start);
    }

    Token quoted_string(std::size_t start) {
        ++pos_;  // opening quote
        while (true) {
            const auto q = s_.find('\'', pos_);
            if (q == std::string_view::npos) unclosed(s_.substr(start).substr(s_[start] == '\'' ? 1 : 2));
            pos_ = q + 1;
            if (pos_ < s_.size() && s_[pos_] == '\'') {
                ++pos_;
                continue;
            }
            return make(TokKind::String, start);
        }
    }

    Token bracketed(std::size_t start) {
        ++pos_;
        while (true) {
            const auto q = s_.find(']', pos_);
            if (q == std::string_view::npos)
                throw Error(kErrProvider, "Unclosed quotation mark after the character string '" +
                                              std::string(s_.substr(start + 1)) + "'.");
            pos_ = q + 1;
            if (pos_ < s_.size() && s_[pos_] == ']') {
                ++pos_;
                continue;
            }
            return make(TokKind::QuotedIdent, start);
        }
    }

    Token double_quoted(std::size_t start) {
        ++pos_;
        while (true) {
            const auto q = s_.find('"', pos_);
            if (q == std::string_view::npos)
                throw Error(kErrProvider, "Unclosed quotation mark after the character string '" +
                                              std::string(s_.substr(start + 1)) + "'.");
            pos_ = q + 1;
            if (pos_ < s_.size() && s_[pos_] == '"') {
                ++pos_;
                continue;
            }
            return make(TokKind::QuotedIdent, start);
        }
    }

    Token number(std::size_t start) {
        while (pos_ < s_.size() && is_digit(s_[pos_])) ++pos_;
        if (pos_ < s_.size() && s_[pos_] == '.') {
            ++pos_;
            while (pos_ < s_.size() && is_digit(s_[pos_])) ++pos_;
        }
        if (pos_ < s_.size() && (s_[pos_] == 'e' || s_[pos_] == 'E')) {
            std::size_t p = pos_ + 1;
            if (p < s_.size() && (s_[p] == '+' || s_[p] == '-')) ++p;
            if (p < s_.size() && is_digit(s_[p])) {
                pos_ = p;
                while (pos_ < s_.size() && is_digit(s_[pos_])) ++pos_;
            }
        }
        if (pos_ < s_.size() && is_word_start(s_[pos_]))
            incorrect_syntax_near(s_.substr(start, pos_ - start + 1));
        return make(TokKind::Number, start);
    }

    Token punct(std::size_t start) {
        const char c = s_[pos_];
        const char n = peek(1);
        const bool two = (c == '<' && (n == '=' || n == '>')) || (c == '>' && n == '=') ||
                         (c == '!' && (n == '=' || n == '<' || n == '>')) || (c == '|' && n == '|');
        if (two) {
            pos_ += 2;
            return make(TokKind::Punct, start);
        }
        if (!has(c, kPunct)) incorrect_syntax_near(std::string_view(&c, 1));
        ++pos_;
        return make(TokKind::Punct, start);
    }

    std::string_view s_;
    std::size_t pos_ = 0;
};

}  // namespace

bool iequals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (to_upper(a[i]) != to_upper(b[i])) return false;
    return true;
}

Token raw(std::string_view text) {
    TokKind kind = TokKind::Raw;
    if (!text.empty()) {
        const char c = text.front();
        if (is_word_start(c))
            kind = TokKind::Word;
        else if (is_digit(c))
            kind = TokKind::Number;
        else if (c == '\'')
            kind = TokKind::String;
        else
            kind = TokKind::Punct;
    }
    return Token{kind, text, -1};
}

bool Token::is(TokKind k, std::string_view t) const {
    return kind == k && iequals(text, t);
}

bool is_one_of(const Token& t, std::span<const std::string_view> words) {
    if (t.kind != TokKind::Word) return false;
    for (auto w : words)
        if (t.is_word(w)) return true;
    return false;
}

std::vector<Token> tokenize(std::string_view sql) {
    return Scanner(sql).run();
}

std::string string_value(std::string_view t) {
    if (!t.empty() && (t.front() == 'N' || t.front() == 'n')) t.remove_prefix(1);
    t = t.substr(1, t.size() - 2);
    std::string out;
    out.reserve(t.size());
    for (std::size_t i = 0; i < t.size(); ++i) {
        out.push_back(t[i]);
        if (t[i] == '\'' && i + 1 < t.size() && t[i + 1] == '\'') ++i;
    }
    return out;
}

std::string ident_value(std::string_view t) {
    if (t.size() < 2) return std::string(t);
    const char close = t.front() == '[' ? ']' : '"';
    t = t.substr(1, t.size() - 2);
    std::string out;
    for (std::size_t i = 0; i < t.size(); ++i) {
        out.push_back(t[i]);
        if (t[i] == close && i + 1 < t.size() && t[i + 1] == close) ++i;
    }
    return out;
}

std::string enclosed(std::string_view s, char mark) {
    std::string out(1, mark);
    for (char c : s) {
        out.push_back(c);
        if (c == mark) out.push_back(mark);
    }
    out.push_back(mark);
    return out;
}

std::string upper(std::string_view s) {
    std::string out(s);
    for (auto& c : out) c = to_upper(c);
    return out;
}

Token small_number(int n) {
    static constexpr std::string_view kNumbers[] = {
        "0",  "1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",  "10", "11", "12",
        "13", "14", "15", "16", "17", "18", "19", "20", "21", "22", "23", "24", "25",
        "26", "27", "28", "29", "30", "31", "32", "33", "34", "35", "36", "37", "38"};
    if (n < 0 || n > 38) throw Error(kErrProvider, "Invalid precision or scale: " + std::to_string(n) + ".");
    return Token{TokKind::Number, kNumbers[n], -1};
}

namespace {

bool glue_left(const Token& t) {
    return t.is_punct(".") || t.is_punct(",") || t.is_punct(")");
}

}  // namespace

Emitted emit(const std::vector<Token>& toks) {
    Emitted e;
    std::string& out = e.sql;
    out.reserve(toks.size() * 8);
    const Token* prev = nullptr;
    for (const Token& t : toks) {
        if (prev && !glue_left(t) && !prev->is_punct(".") && !prev->is_punct("(")) out.push_back(' ');
        prev = &t;
        // Anonymous parameters: SQLite looks a named one up in a list per occurrence, which
        // grows with the square of their number (100,000 literals in one IN list).
        if (t.lifted() || t.kind == TokKind::Variable) {
            out.push_back('?');
            e.params.push_back(t.lifted() ? ParamSlot{t.literal, {}} : ParamSlot{-1, upper(t.text)});
            continue;
        }
        switch (t.kind) {
            case TokKind::QuotedIdent:
                out.append(enclosed(ident_value(t.text), '"'));
                break;
            case TokKind::String:
                out.append((t.text.front() == 'N' || t.text.front() == 'n') ? t.text.substr(1) : t.text);
                break;
            case TokKind::Word:
                if (t.text.front() == '#') {
                    out.append("temp.");
                    out.append(enclosed(upper(t.text), '"'));
                } else {
                    out.append(t.text);
                }
                break;
            default:
                out.append(t.text);
        }
    }
    return e;
}

}  // namespace ado::sqlite
