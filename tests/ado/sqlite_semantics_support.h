#pragma once
// Short ways to write the types and values of the typed-evaluation tests, and one text for
// what an evaluation gives: its value, or "error: " and the message.
#include <array>
#include <charconv>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "../support/case_name.h"
#include "ado/error.h"
#include "ado/sqlite/sql_eval.h"
#include "ado/sqlite/sql_type.h"

namespace ado::testing {

using sqlite::ArithOp;
using sqlite::BoundValue;
using sqlite::DatePart;
using sqlite::SqlBase;
using sqlite::SqlType;

inline SqlType ty(SqlBase b) {
    return SqlType::of(b);
}
inline SqlType num(int p, int s) {
    return SqlType::decimal(p, s);
}
inline SqlType text_type(SqlBase b, long length) {
    return SqlType{b, 0, 0, length};
}
inline const SqlType kBit = ty(SqlBase::Bit);
inline const SqlType kTiny = ty(SqlBase::TinyInt);
inline const SqlType kSmall = ty(SqlBase::SmallInt);
inline const SqlType kInt = ty(SqlBase::Int);
inline const SqlType kBig = ty(SqlBase::BigInt);
inline const SqlType kMoney = SqlType{SqlBase::Money, 19, 4, 0};
inline const SqlType kSmallMoney = SqlType{SqlBase::SmallMoney, 10, 4, 0};
inline const SqlType kFloat = ty(SqlBase::Float);
inline const SqlType kVarchar = ty(SqlBase::VarChar);
inline const SqlType kNVarchar = ty(SqlBase::NVarChar);
inline const SqlType kDate = ty(SqlBase::DateTime);
inline const SqlType kGuid = ty(SqlBase::Guid);
inline const SqlType kNull = ty(SqlBase::Null);
inline const SqlType kUnknown = ty(SqlBase::Unknown);

inline BoundValue I(std::int64_t v) {
    return BoundValue::integer(v);
}
inline BoundValue R(double v) {
    return BoundValue::real(v);
}
inline BoundValue T(const char* v) {
    return BoundValue::str(v);
}
inline BoundValue N() {
    return BoundValue::null();
}

// A value as SQLite would hand it back: REAL in its shortest plain-notation text.
inline std::string render(const BoundValue& v) {
    switch (v.kind) {
        case BoundValue::Kind::Null:
            return "NULL";
        case BoundValue::Kind::Int:
            return std::to_string(v.i);
        case BoundValue::Kind::Real: {
            std::array<char, 400> buf{};
            const auto res =
                std::to_chars(buf.data(), buf.data() + buf.size(), v.r, std::chars_format::fixed);
            return "real " + std::string(buf.data(), res.ptr);
        }
        case BoundValue::Kind::Blob:
            return "blob " + v.text;
        case BoundValue::Kind::Text:
            break;
    }
    return "'" + v.text + "'";
}

// The text `f` gives, or "error: " with the message it throws.
inline std::string answer(const std::function<std::string()>& f) {
    try {
        return f();
    } catch (const Error& e) {
        return "error: " + e.description();
    }
}

// What an evaluation gives, or "error: " with the message it throws.
inline std::string outcome(const std::function<BoundValue()>& f) {
    return answer([&] { return render(f()); });
}

inline std::string type_text(const SqlType& t) {
    std::string s = t.name();
    if (t.base == SqlBase::Decimal)
        s += "(" + std::to_string(t.precision) + "," + std::to_string(t.scale) + ")";
    if (t.is_text() && t.length != 0) s += "(" + std::to_string(t.length) + ")";
    return s;
}

}  // namespace ado::testing
