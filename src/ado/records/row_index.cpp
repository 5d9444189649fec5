#include "ado/records/row_index.h"

namespace ado::detail {

const std::vector<std::size_t>* RowIndexes::rows_with(const std::vector<StoredRow>& rows,
                                                      const EqualityProbe& probe) {
    Index& index = indexes_[{probe.column, probe.kind}];
    if (index.lookups < 2 && ++index.lookups < 2) return nullptr;
    if (index.generation != generation_) {
        index.buckets.clear();
        index.upto = 0;
        index.generation = generation_;
    }
    for (; index.upto < rows.size(); ++index.upto) {
        const auto key = equality_key(rows[index.upto].values.at(probe.column), probe.kind);
        if (key) index.buckets[*key].push_back(index.upto);
    }
    static const std::vector<std::size_t> none;
    const auto it = index.buckets.find(probe.key);
    return it == index.buckets.end() ? &none : &it->second;
}

}  // namespace ado::detail
