// The registration table's exchange sort written out literally: the reference that the fast
// SortMarkTable must match permutation for permutation.
#pragma once

#include <utility>

#include "core/profile.h"

namespace tolvare::testing {

// Ordinal by UTF-16 code unit; the tests keep to the BMP, where wchar_t order is that order.
inline void ReferenceExchangeSort(MarkTable& table) {
    auto& rows = table.Rows();
    for (size_t i = 0; i < rows.size(); ++i) {
        for (size_t j = i; j < rows.size(); ++j) {
            if (rows[i].mark > rows[j].mark || (rows[i].mark == rows[j].mark && rows[i].name > rows[j].name))
                std::swap(rows[i], rows[j]);
        }
    }
}

}  // namespace tolvare::testing
