#pragma once
// The walk every section check makes over a section of the file: the count of its Row
// elements, then each row by its position (a missing one is skipped). The action returns
// false to stop the walk (its trap was answered abort).
#include <functional>
#include <string_view>

#include "importfile/import_document.h"

namespace verify {

inline void for_each_row(const importfile::ImportDocument* document, std::string_view section,
                         const std::function<bool(long index, const importfile::Node& row)>& action) {
    if (document == nullptr) return;
    const long count = document->row_count(section);
    for (long i = 1; i <= count; ++i) {
        const importfile::Node row = document->row(section, i);
        if (!row.present()) continue;
        if (!action(i, row)) return;
    }
}

}  // namespace verify
