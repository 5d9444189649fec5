#pragma once
// The books of a database as rows of text, made comparable between two runs of the same
// import: what a run legitimately does differently is left out or renumbered.
//
// - Left out: identities of the import history and of customers and registry versions
//   (IE42_ID, IE43_ID, IE43_ID_IE42, CG44_IDCLIFOR, CG16S_ID), GUIDs, row versions (one
//   counter of the whole database that every write moves on, rolled-back ones included),
//   the moments a run stamps (a date-time of today), the moment of each import header, and the kept import
//   logs (HOST_IMPORT_LOG: one per run).
// - Renumbered by rank: registration numbers, customer and supplier codes (per kind) and
//   registry codes. A number is taken on the store of numbers before the entry's or the
//   creation's transaction opens and is not given back when the program dies before the
//   commit, so an interrupted run leaves a gap; the order of the numbers stays that of the
//   file, which the rank keeps.
// - Import headers (IE42_IMPCOGE): each run that took over entries has one, so the
//   headers are compared as a set of distinct rows (all must equal the reference's), and
//   their count and the count of headers left without entries are given apart.
#include <cstddef>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace reliability {

struct Books {
    std::map<std::string, std::vector<std::string>> tables;  // rows sorted, one text each
    std::size_t headers = 0;                                 // IE42_IMPCOGE rows
    std::size_t empty_headers = 0;                           // of which without an IE43_DETTIMPCOGE row
};

// The tables compared: the journal, the history detail, the master data the import may
// create, the VAT numbering and the progressive totals.
const std::vector<std::string>& compared_tables();

// Reads the books of `db` (a database no program has open); `today` as YYYYMMDD.
Books read_books(const std::filesystem::path& db, const std::string& today);

// What differs, one text per table that differs; empty when the books are equal.
std::vector<std::string> differences(const Books& reference, const Books& books);

// Today's date as YYYYMMDD in the local time zone, as the program stamps it.
std::string today_text();

}  // namespace reliability
