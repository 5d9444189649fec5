#include "ado/sqlite/values.h"

#include <sqlite3.h>

#include <limits>

#include "ado/datetime.h"
#include "ado/error.h"

namespace ado::sqlite {
namespace {

std::string_view text_of(sqlite3_stmt* s, int col) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, col));
    return p ? std::string_view(p, static_cast<std::size_t>(sqlite3_column_bytes(s, col)))
             : std::string_view();
}

bool fits_int64(Int128 v) {
    return v >= std::numeric_limits<std::int64_t>::min() && v <= std::numeric_limits<std::int64_t>::max();
}

Variant integer_variant(std::int64_t v, Storage s) {
    if (s == Storage::Int16 && v >= INT16_MIN && v <= INT16_MAX) return Variant(static_cast<std::int16_t>(v));
    if (s != Storage::Int64 && v >= INT32_MIN && v <= INT32_MAX) return Variant(static_cast<int>(v));
    return Variant(static_cast<long long>(v));
}

// Fixed width as the server stores it: blank-padded, and trailing blanks beyond the
// width (the only excess the width check lets through) cut.
std::string padded(std::string_view text, long width) {
    const auto len = static_cast<long>(utf8_length(text));
    if (len > width) return utf8_left(text, static_cast<std::size_t>(width));
    std::string out(text);
    out.append(static_cast<std::size_t>(width - len), ' ');
    return out;
}

Variant expression_value(sqlite3_stmt* s, int col) {
    switch (sqlite3_column_type(s, col)) {
        case SQLITE_INTEGER:
            return integer_variant(sqlite3_column_int64(s, col), Storage::Int32);
        case SQLITE_FLOAT:
            return Variant(decimal_from_real(sqlite3_column_double(s, col)));
        case SQLITE_NULL:
            return Variant(Null);
        case SQLITE_BLOB: {
            const auto* b = static_cast<const char*>(sqlite3_column_blob(s, col));
            return Variant(std::string(b ? b : "", static_cast<std::size_t>(sqlite3_column_bytes(s, col))));
        }
        default:
            return Variant(text_of(s, col));
    }
}

Variant decimal_value(sqlite3_stmt* s, int col, int scale) {
    Decimal d;
    switch (sqlite3_column_type(s, col)) {
        case SQLITE_INTEGER:
            return Variant(Decimal(sqlite3_column_int64(s, col)));
        case SQLITE_FLOAT:
            d = decimal_from_real(sqlite3_column_double(s, col));
            break;
        default: {
            const auto parsed = Decimal::parse(text_of(s, col));
            if (!parsed) return expression_value(s, col);
            d = *parsed;
        }
    }
    return Variant(d.scale() > scale ? d.rounded(scale) : d);
}

}  // namespace

Decimal decimal_from_real(double v) {
    return Decimal::from_double(v);
}

BoundValue decimal_storage(const Decimal& d) {
    if (d.is_integer()) {
        Int128 unit = 1;
        for (int k = 0; k < d.scale(); ++k) unit *= 10;
        const Int128 whole = d.coefficient() / unit;
        if (fits_int64(whole)) return BoundValue::integer(static_cast<std::int64_t>(whole));
    }
    const std::string text = d.to_string();
    if (significant_digits(text) > 15)
        throw Error(kErrOverflow, "Arithmetic overflow: " + text +
                                      " has more significant digits than the engine holds exactly (15).");
    return BoundValue::real(d.to_double());
}

std::string normalize_guid(std::string_view text) {
    std::string_view t = text;
    if (t.size() == 38 && t.front() == '{' && t.back() == '}') t = t.substr(1, 36);
    std::string out;
    out.reserve(36);
    bool ok = t.size() == 36;
    for (std::size_t i = 0; ok && i < t.size(); ++i) {
        const char c = t[i];
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            ok = c == '-';
        } else if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) {
        } else if (c >= 'a' && c <= 'f') {
            out.push_back(static_cast<char>(c - 'a' + 'A'));
            continue;
        } else {
            ok = false;
        }
        out.push_back(c);
    }
    if (!ok)
        throw Error(kErrProvider,
                    "Conversion failed when converting from a character string to uniqueidentifier.");
    return out;
}

std::string date_storage(std::string_view text) {
    const auto d = DateTime::parse(text);
    if (!d)
        throw Error(kErrProvider,
                    "Conversion failed when converting date and/or time from character string.");
    return d->compact();
}

BoundValue to_storage(const Variant& v, const TypeInfo& t) {
    if (v.is_null() || v.is_empty()) return BoundValue::null();
    switch (t.storage) {
        case Storage::Int16:
        case Storage::Int32:
        case Storage::Int64:
        case Storage::RowVersion:
            return BoundValue::integer(v.to_longlong());
        case Storage::Bool:
            return BoundValue::integer(v.to_bool() ? 1 : 0);
        case Storage::Decimal:
            return decimal_storage(v.to_decimal().rounded(t.scale));
        case Storage::Double:
            return BoundValue::real(v.to_double());
        case Storage::Text:
        case Storage::FixedText:
            return BoundValue::str(v.to_string());
        case Storage::Date:
            return BoundValue::str(v.is_string() ? date_storage(v.str()) : v.to_date().compact());
        case Storage::Guid:
            return BoundValue::str(normalize_guid(v.to_string()));
        case Storage::Binary: {
            BoundValue b = BoundValue::str(v.to_string());
            b.kind = BoundValue::Kind::Blob;
            return b;
        }
        case Storage::Expression:
            break;
    }
    switch (v.type()) {
        case VarType::Integer:
        case VarType::Long:
        case VarType::LongLong:
        case VarType::Boolean:
            return BoundValue::integer(v.to_longlong());
        case VarType::Double:
            return BoundValue::real(v.to_double());
        case VarType::Decimal:
            return decimal_storage(v.to_decimal());
        case VarType::Date:
            return BoundValue::str(v.date().compact());
        default:
            return BoundValue::str(v.to_string());
    }
}

void bind_value(sqlite3_stmt* s, int index, const BoundValue& v) {
    switch (v.kind) {
        case BoundValue::Kind::Null:
            sqlite3_bind_null(s, index);
            break;
        case BoundValue::Kind::Int:
            sqlite3_bind_int64(s, index, v.i);
            break;
        case BoundValue::Kind::Real:
            sqlite3_bind_double(s, index, v.r);
            break;
        case BoundValue::Kind::Text:
            sqlite3_bind_text(s, index, v.text.data(), static_cast<int>(v.text.size()), SQLITE_STATIC);
            break;
        case BoundValue::Kind::Blob:
            sqlite3_bind_blob(s, index, v.text.data(), static_cast<int>(v.text.size()), SQLITE_STATIC);
            break;
    }
}

BoundValue value_of(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
        case SQLITE_INTEGER:
            return BoundValue::integer(sqlite3_value_int64(v));
        case SQLITE_FLOAT:
            return BoundValue::real(sqlite3_value_double(v));
        case SQLITE_NULL:
            return BoundValue::null();
        case SQLITE_BLOB: {
            const auto* b = static_cast<const char*>(sqlite3_value_blob(v));
            BoundValue out =
                BoundValue::str(std::string(b ? b : "", static_cast<std::size_t>(sqlite3_value_bytes(v))));
            out.kind = BoundValue::Kind::Blob;
            return out;
        }
        default: {
            const auto* t = reinterpret_cast<const char*>(sqlite3_value_text(v));
            return BoundValue::str(std::string(t ? t : "", static_cast<std::size_t>(sqlite3_value_bytes(v))));
        }
    }
}

BoundValue column_value(sqlite3_stmt* s, int col) {
    return value_of(sqlite3_column_value(s, col));
}

Variant read_value(sqlite3_stmt* s, int col, const TypeInfo& t) {
    const int kind = sqlite3_column_type(s, col);
    if (kind == SQLITE_NULL) return Variant(Null);
    switch (t.storage) {
        case Storage::Int16:
        case Storage::Int32:
        case Storage::Int64:
        case Storage::RowVersion:
            if (kind == SQLITE_INTEGER)
                return integer_variant(sqlite3_column_int64(s, col),
                                       t.storage == Storage::RowVersion ? Storage::Int64 : t.storage);
            break;
        case Storage::Bool:
            if (kind == SQLITE_INTEGER) return Variant(sqlite3_column_int64(s, col) != 0);
            break;
        case Storage::Decimal:
            return decimal_value(s, col, t.scale);
        case Storage::Double:
            if (kind == SQLITE_FLOAT || kind == SQLITE_INTEGER) return Variant(sqlite3_column_double(s, col));
            break;
        case Storage::Text:
        case Storage::Guid:
            return Variant(text_of(s, col));
        case Storage::FixedText:
            return Variant(padded(text_of(s, col), t.size));
        case Storage::Date:
            if (const auto d = DateTime::parse(text_of(s, col))) return Variant(*d);
            break;
        case Storage::Binary:
        case Storage::Expression:
            break;
    }
    return expression_value(s, col);
}

}  // namespace ado::sqlite
