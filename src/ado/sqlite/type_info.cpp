#include "ado/sqlite/type_info.h"

#include <charconv>
#include <limits>

#include "ado/error.h"
#include "ado/sqlite/tokenizer.h"

namespace ado::sqlite {
namespace {

constexpr long kMaxWide = 1073741823;
constexpr long kMaxNarrow = 2147483647;

// Argument `i` of a type as a number (MAX: -1; beyond the range of long: LONG_MAX, which
// every range check below refuses); `fallback` when not given.
long arg_number(const std::vector<std::string>& args, std::size_t i, long fallback) {
    if (i >= args.size()) return fallback;
    const auto& a = args[i];
    if (iequals(a, "MAX")) return -1;
    long v = 0;
    const auto res = std::from_chars(a.data(), a.data() + a.size(), v);
    if (res.ptr != a.data() + a.size() || a.empty()) incorrect_syntax_near(a);
    if (res.ec == std::errc::result_out_of_range) return std::numeric_limits<long>::max();
    if (res.ec != std::errc()) incorrect_syntax_near(a);
    return v;
}

// The width of a text or binary type: 1 to `max`, or MAX.
long width(const std::vector<std::string>& args, const std::string& name, long max) {
    const long n = arg_number(args, 0, 1);
    if (n == -1 || (n >= 1 && n <= max)) return n;
    throw Error(kErrProvider, "The size (" + args[0] + ") given to the type '" + name + "' is outside 1 to " +
                                  std::to_string(max) + " (or MAX).");
}

TypeInfo make(Storage s, int ado, long size, int precision, int scale, std::string tsql) {
    TypeInfo t;
    t.storage = s;
    t.ado_type = ado;
    t.size = size;
    t.precision = precision;
    t.scale = scale;
    t.tsql = std::move(tsql);
    return t;
}

TypeInfo text_type(const std::string& name, long n, bool fixed, bool wide) {
    TypeInfo t;
    t.storage = fixed ? Storage::FixedText : Storage::Text;
    if (n < 0) {
        t.is_long = true;
        t.size = wide ? kMaxWide : kMaxNarrow;
        t.ado_type = wide ? adLongVarWChar : adLongVarChar;
        t.tsql = name + "(MAX)";
        return t;
    }
    t.size = n;
    t.ado_type = fixed ? (wide ? adWChar : adChar) : (wide ? adVarWChar : adVarChar);
    t.tsql = name + "(" + std::to_string(n) + ")";
    return t;
}

}  // namespace

long TypeInfo::attributes_for_type() const {
    long a = 0;
    switch (storage) {
        case Storage::Text:
        case Storage::Binary:
        case Storage::Expression:
            break;
        case Storage::RowVersion:
            a |= adFldFixed | adFldRowVersion;
            break;
        default:
            a |= adFldFixed;
    }
    if (is_long) a |= adFldLong;
    return a;
}

TypeInfo tsql_type(std::string_view name_in, const std::vector<std::string>& args) {
    const std::string name = upper(name_in);
    if (name == "INT" || name == "INTEGER") return make(Storage::Int32, adInteger, 4, 10, 0, "INT");
    if (name == "SMALLINT") return make(Storage::Int16, adSmallInt, 2, 5, 0, "SMALLINT");
    if (name == "TINYINT") return make(Storage::Int16, adTinyInt, 1, 3, 0, "TINYINT");
    if (name == "BIGINT") return make(Storage::Int64, adBigInt, 8, 19, 0, "BIGINT");
    if (name == "BIT") return make(Storage::Bool, adBoolean, 2, 1, 0, "BIT");
    if (name == "DECIMAL" || name == "NUMERIC" || name == "DEC") {
        const long p = arg_number(args, 0, 18);
        const long s = arg_number(args, 1, 0);
        if (p < 1 || p > 38)
            throw Error(kErrProvider, "The precision (" + args[0] + ") given to the type '" + name +
                                          "' is outside 1 to 38.");
        if (s < 0 || s > p)
            throw Error(kErrProvider, "The scale (" + args[1] + ") given to the type '" + name + "(" +
                                          args[0] + ")' is outside 0 to its precision.");
        return make(Storage::Decimal, adNumeric, 19, static_cast<int>(p), static_cast<int>(s),
                    name + "(" + std::to_string(p) + "," + std::to_string(s) + ")");
    }
    if (name == "MONEY") return make(Storage::Decimal, adCurrency, 8, 19, 4, "MONEY");
    if (name == "SMALLMONEY") return make(Storage::Decimal, adCurrency, 4, 10, 4, "SMALLMONEY");
    if (name == "FLOAT" || name == "REAL" || name == "DOUBLE")
        return make(Storage::Double, adDouble, 8, 15, 0, "FLOAT");
    if (name == "CHAR" || name == "CHARACTER") return text_type("CHAR", width(args, name, 8000), true, false);
    if (name == "NCHAR") return text_type("NCHAR", width(args, name, 4000), true, true);
    if (name == "VARCHAR") return text_type("VARCHAR", width(args, name, 8000), false, false);
    if (name == "NVARCHAR") return text_type("NVARCHAR", width(args, name, 4000), false, true);
    if (name == "TEXT" || name == "NTEXT") {
        TypeInfo t = text_type(name == "TEXT" ? "VARCHAR" : "NVARCHAR", -1, false, name == "NTEXT");
        t.tsql = name;
        return t;
    }
    if (name == "DATETIME" || name == "DATE" || name == "SMALLDATETIME" || name == "DATETIME2")
        return make(Storage::Date, adDBTimeStamp, 16, 23, 3, name);
    if (name == "UNIQUEIDENTIFIER") return make(Storage::Guid, adGUID, 16, 0, 0, name);
    if (name == "ROWVERSION" || name == "TIMESTAMP")
        return make(Storage::RowVersion, adBinaryType, 8, 0, 0, "ROWVERSION");
    if (name == "VARBINARY" || name == "BINARY") {
        const long n = width(args, name, 8000);
        TypeInfo t = make(Storage::Binary, name == "BINARY" ? adBinaryType : adVarBinary, n, 0, 0,
                          name + "(" + (n < 0 ? std::string("MAX") : std::to_string(n)) + ")");
        if (n < 0) {
            t.is_long = true;
            t.size = kMaxNarrow;
            t.ado_type = adLongVarBinaryType;
        }
        return t;
    }
    if (name == "IMAGE") {
        TypeInfo t = make(Storage::Binary, adLongVarBinaryType, kMaxNarrow, 0, 0, "IMAGE");
        t.is_long = true;
        return t;
    }
    throw Error(kErrProvider,
                "Column, parameter, or variable: cannot find data type " + std::string(name_in) + ".");
}

std::vector<std::string> type_arguments(const std::vector<Token>& toks, std::size_t open, std::size_t close) {
    std::vector<std::string> args;
    for (std::size_t k = open + 1; k < close; k += 2) {
        const Token& a = toks[k];
        if (a.kind != TokKind::Number && !a.is_word("MAX")) incorrect_syntax_near(a.text);
        args.emplace_back(a.kind == TokKind::Number ? std::string(a.text) : std::string("MAX"));
        if (k + 1 < close && !toks[k + 1].is_punct(",")) incorrect_syntax_near(toks[k + 1].text);
    }
    if (args.empty() || toks[close - 1].is_punct(",")) incorrect_syntax_near(toks[close].text);
    return args;
}

TypeInfo declared_type(std::string_view decl) {
    if (decl.empty()) return {};
    std::vector<Token> toks;
    try {
        toks = tokenize(decl);
    } catch (const Error&) {
        return {};
    }
    if (toks.empty() || toks[0].kind != TokKind::Word) return {};
    std::vector<std::string> args;
    for (std::size_t i = 1; i < toks.size(); ++i) {
        if (toks[i].kind == TokKind::Number) args.emplace_back(toks[i].text);
        if (toks[i].is_word("MAX")) args.emplace_back("MAX");
    }
    try {
        return tsql_type(toks[0].text, args);
    } catch (const Error&) {
        return {};
    }
}

std::string sqlite_declaration(const TypeInfo& t) {
    switch (t.storage) {
        case Storage::Date:
        case Storage::Guid:
            return t.tsql + " TEXT";  // TEXT affinity: '20240131' must stay text
        default:
            break;
    }
    std::string out = t.tsql;
    const auto max = out.find("(MAX)");
    if (max != std::string::npos) out.replace(max, 5, " MAX");
    return out;
}

}  // namespace ado::sqlite
