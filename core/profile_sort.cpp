// SortMarkTable: the table's exchange sort, reproduced exactly but fast.
//
// The order of rows that tie on (mark, name) decides the key numbers written to the profile and
// so the order in which an extension's programs are offered, so the sort must give the very
// permutation of the exchange sort below, not merely some sorted order:
//
//   for i in rows: for j from i to the last row: if row j sorts before row i: swap rows i and j
//
// Pass i swaps only when it meets a strictly smaller key than the one standing at i. The keys are
// replaced by their dense ranks (16-bit: a table holds at most 32767 rows), and the search for the
// next smaller rank scans a block at a time with a minimum the compiler vectorises.
#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

#include "core/profile.h"

namespace tolvare {

namespace {

// Ordinal comparison by UTF-16 code unit, whatever the width of wchar_t.
int CompareUnits(std::wstring_view a, std::wstring_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        if (a[i] == b[i]) continue;
        auto unit = [](wchar_t c) -> uint32_t {
            const auto v = static_cast<uint32_t>(c);
            // A character beyond the BMP starts with a high surrogate in UTF-16.
            return v > 0xFFFF ? 0xD800 + ((v - 0x10000) >> 10) : v;
        };
        const uint32_t ua = unit(a[i]), ub = unit(b[i]);
        if (ua != ub) return ua < ub ? -1 : 1;
        return static_cast<uint32_t>(a[i]) < static_cast<uint32_t>(b[i]) ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool KeyLess(const MarkRecord& a, const MarkRecord& b) {
    const int byMark = CompareUnits(a.mark, b.mark);
    if (byMark != 0) return byMark < 0;
    return CompareUnits(a.name, b.name) < 0;
}

bool KeyEqual(const MarkRecord& a, const MarkRecord& b) {
    return CompareUnits(a.mark, b.mark) == 0 && CompareUnits(a.name, b.name) == 0;
}

constexpr size_t kBlock = 32;

// The first index at or after `from` whose rank is below `bound`, or ranks.size().
template <typename Rank>
size_t NextSmaller(const std::vector<Rank>& ranks, size_t from, Rank bound) {
    const size_t n = ranks.size();
    size_t j = from;
    while (j + kBlock <= n) {
        Rank lowest = ranks[j];
        for (size_t k = 1; k < kBlock; ++k) lowest = std::min(lowest, ranks[j + k]);
        if (lowest < bound) break;
        j += kBlock;
    }
    for (; j < n; ++j) {
        if (ranks[j] < bound) return j;
    }
    return n;
}

// Runs the exchange sort over ranks; returns the final order of the original row indexes.
template <typename Rank>
std::vector<size_t> ExchangeOrder(const std::vector<MarkRecord>& rows,
                                  const std::vector<size_t>& byKey) {
    const size_t n = rows.size();
    std::vector<Rank> ranks(n);
    Rank rank = 0;
    for (size_t k = 0; k < n; ++k) {
        if (k > 0 && !KeyEqual(rows[byKey[k - 1]], rows[byKey[k]])) ++rank;
        ranks[byKey[k]] = rank;
    }
    std::vector<size_t> order(n);
    std::iota(order.begin(), order.end(), size_t{0});
    for (size_t i = 0; i + 1 < n; ++i) {
        for (size_t j = NextSmaller(ranks, i + 1, ranks[i]); j < n;
             j = NextSmaller(ranks, j + 1, ranks[i])) {
            std::swap(ranks[i], ranks[j]);
            std::swap(order[i], order[j]);
        }
    }
    return order;
}

}  // namespace

void SortMarkTable(MarkTable& table) {
    auto& rows = table.Rows();
    const size_t n = rows.size();
    if (n < 2) return;

    std::vector<size_t> byKey(n);
    std::iota(byKey.begin(), byKey.end(), size_t{0});
    std::stable_sort(byKey.begin(), byKey.end(),
                     [&](size_t a, size_t b) { return KeyLess(rows[a], rows[b]); });
    // Ranks stay 16-bit for every table of legal size, which halves the memory scanned.
    const std::vector<size_t> order = n <= 32768 ? ExchangeOrder<int16_t>(rows, byKey)
                                                 : ExchangeOrder<int32_t>(rows, byKey);

    std::vector<MarkRecord> sorted;
    sorted.reserve(n);
    for (size_t k : order) sorted.push_back(std::move(rows[k]));
    rows = std::move(sorted);
}

}  // namespace tolvare
