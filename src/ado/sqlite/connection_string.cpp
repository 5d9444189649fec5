// Connection strings and the choice of engine. They live with the engine library so that
// driver-level code (and its tests) can open a database without the record-set layer.
#include "ado/driver.h"
#include "ado/sqlite/sqlite_driver.h"

namespace ado {
namespace {

// Keys compare without case and without blanks: "Data Source", "data source", "DataSource".
std::string normal_key(std::string_view k) {
    std::string out;
    for (char c : k)
        if (c != ' ' && c != '\t') out.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
    return out;
}

std::string_view blanks_trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

}  // namespace

// Pairs separated by ";"; a value may be quoted ("..." or '...') to hold ";" or blanks,
// a doubled quote standing for itself. A later key replaces an earlier one.
ConnectionString::ConnectionString(std::string_view text) : text_(text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto eq = text.find('=', i);
        const auto semi = text.find(';', i);
        if (eq == std::string_view::npos || (semi != std::string_view::npos && semi < eq)) {
            if (!blanks_trimmed(
                     text.substr(i, semi == std::string_view::npos ? std::string_view::npos : semi - i))
                     .empty())
                throw Error(kErrArgument, "The connection string has an entry without a value near '" +
                                              std::string(text.substr(i, semi - i)) + "'.");
            if (semi == std::string_view::npos) break;
            i = semi + 1;
            continue;
        }
        const std::string key = normal_key(blanks_trimmed(text.substr(i, eq - i)));
        std::size_t p = eq + 1;
        while (p < text.size() && (text[p] == ' ' || text[p] == '\t')) ++p;
        std::string value;
        if (p < text.size() && (text[p] == '"' || text[p] == '\'')) {
            const char q = text[p++];
            bool closed = false;
            while (p < text.size()) {
                if (text[p] == q) {
                    if (p + 1 < text.size() && text[p + 1] == q) {
                        value.push_back(q);
                        p += 2;
                        continue;
                    }
                    ++p;
                    closed = true;
                    break;
                }
                value.push_back(text[p++]);
            }
            if (!closed) throw Error(kErrArgument, "The connection string has an unclosed quote.");
            while (p < text.size() && text[p] != ';') {
                if (text[p] != ' ' && text[p] != '\t')
                    throw Error(kErrArgument, "The connection string has text after a quoted value.");
                ++p;
            }
        } else {
            const auto end = text.find(';', p);
            value = std::string(blanks_trimmed(
                text.substr(p, end == std::string_view::npos ? std::string_view::npos : end - p)));
            p = end == std::string_view::npos ? text.size() : end;
        }
        if (key.empty()) throw Error(kErrArgument, "The connection string has a value without a key.");
        bool replaced = false;
        for (auto& kv : pairs_)
            if (kv.first == key) kv.second = value, replaced = true;
        if (!replaced) pairs_.emplace_back(key, std::move(value));
        i = p + 1;
    }
}

std::optional<std::string> ConnectionString::get(std::string_view key) const {
    const std::string k = normal_key(key);
    for (const auto& kv : pairs_)
        if (kv.first == k) return kv.second;
    return std::nullopt;
}

std::unique_ptr<Driver> open_driver(const ConnectionString& cs) {
    const auto provider = cs.get("Provider");
    if (!provider) throw Error(3706, "Provider cannot be found. The connection string names no Provider.");
    const std::string p = normal_key(*provider);
    if (p == "sqlite" || p == "sqlite3")
        return std::make_unique<sqlite::SqliteDriver>(sqlite::SqliteOptions::from(cs));
    throw Error(3706,
                "Provider cannot be found. It may not be properly installed. (Provider=" + *provider + ")");
}

}  // namespace ado
