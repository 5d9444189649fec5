#pragma once
// Column types: the T-SQL type a column was declared with, how the engine stores its
// values, and the codes the record sets report (type, size, precision, scale).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ado/sqlite/tokenizer.h"
#include "ado/types.h"

namespace ado::sqlite {

// Codes of the platform that types.h does not name.
inline constexpr int adBinaryType = 128;
inline constexpr int adLongVarBinaryType = 205;

// How values of a column are held in SQLite and turned back into Variants.
enum class Storage : std::uint8_t {
    Expression,  // no declared type: judged by each value's storage class
    Int16,
    Int32,
    Int64,
    Bool,
    Decimal,  // INTEGER when integral, else REAL (exact up to 15 significant digits)
    Double,
    Text,
    FixedText,   // read back blank-padded to the width
    Date,        // TEXT 'YYYYMMDD' or 'YYYYMMDD HH:MM:SS'
    Guid,        // TEXT, upper case, no braces
    RowVersion,  // INTEGER maintained by the engine
    Binary,
};

struct TypeInfo {
    Storage storage = Storage::Expression;
    int ado_type = adVarWChar;
    long size = 0;  // characters for text, bytes otherwise
    int precision = 0;
    int scale = 0;
    bool is_long = false;  // (MAX), TEXT, NTEXT, IMAGE
    std::string tsql;      // canonical T-SQL spelling, e.g. "NVARCHAR(50)"

    bool is_text() const { return storage == Storage::Text || storage == Storage::FixedText; }
    bool has_text_affinity() const {
        return is_text() || storage == Storage::Date || storage == Storage::Guid;
    }
    bool is_integer() const {
        return storage == Storage::Int16 || storage == Storage::Int32 || storage == Storage::Int64 ||
               storage == Storage::Bool;
    }
    long attributes_for_type() const;  // adFldFixed / adFldLong / adFldRowVersion
};

// From a T-SQL type name and its arguments ("MAX" allowed). Throws ado::Error for a type
// the engine does not know and for a size, precision or scale out of range (naming it).
TypeInfo tsql_type(std::string_view name, const std::vector<std::string>& args);

// The arguments of a type written in the group opened at `open` and closed at `close`: whole
// numbers or MAX, separated by commas ("DECIMAL(19, 4)", "NVARCHAR(MAX)"). Throws ado::Error
// for anything else ("VARCHAR(-1)", "VARCHAR()").
std::vector<std::string> type_arguments(const std::vector<Token>& toks, std::size_t open, std::size_t close);

// From the declared type SQLite reports for a column (as our DDL wrote it). An empty or
// unknown declaration gives Storage::Expression.
TypeInfo declared_type(std::string_view decl);

// The declaration our DDL writes for a type: keeps the T-SQL name and gives SQLite the
// affinity the storage needs (dates and GUIDs as TEXT, "(MAX)" as a word).
std::string sqlite_declaration(const TypeInfo& t);

}  // namespace ado::sqlite
