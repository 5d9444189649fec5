#pragma once
// The SQL functions that evaluate typed expressions, registered on every connection.
// The translator writes calls to them with the operand types as integer codes
// (SqlType::code) and the operator or date part as an integer:
//   li_calc(op, a, b, ta, tb, tr)    a op b (ArithOp) giving type tr
//   li_cmp(a, b, ta, tb)             -1, 0, 1 or NULL
//   li_cast(v, from, to, style)      CAST / CONVERT
//   li_dateadd(part, n, d, td)       DATEADD (DatePart)
//   li_datediff(part, a, b, ta, tb)  DATEDIFF
//   li_datepart(part, d, td)         DATEPART, YEAR, MONTH, DAY
//   li_pad(v, n)                     a CHAR(n) value blank-padded to n characters
// and (typed_aggregates.cpp):
//   li_round(x, n, truncate, tx)     ROUND of a decimal, half away from zero
//   li_sortkey(x)                    a key that orders exact decimals of any length
//   li_sum_int(x)                    SUM of int values: int, overflow beyond it
//   li_avg_int(x)                    AVG of integers: the truncated integer quotient
//   li_avg_s0 .. li_avg_s38(x)       AVG of decimals: the quotient truncated at that scale
// Each raises the server's message as the statement's error.
struct sqlite3;

namespace ado::sqlite {

void register_typed_functions(sqlite3* db);  // throws ado::Error when SQLite refuses
void register_typed_aggregates(sqlite3* db);

}  // namespace ado::sqlite
