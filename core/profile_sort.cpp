// SortMarkTable: the table's exchange sort, reproduced exactly but fast.
//
// The order of rows that tie on (mark, name) decides the key numbers written to the profile and
// so the order in which an extension's programs are offered, so the sort must give the very
// permutation of the exchange sort below, not merely some sorted order:
//
//   for i in rows: for j from i to the last row: if row j sorts before row i: swap rows i and j
//
// The keys are compared once, to give each row its dense rank; the passes then run over small
// integers instead of strings.
#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

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

// One pass of the exchange sort carries the smallest key met so far: a strictly smaller key
// drops the carried row in its place and is picked up instead. Rank and row index share one
// word, rank in the high half, so a pass moves single integers.
//
// A pass can stop as soon as it carries the smallest rank left in rows i.. (nothing is strictly
// smaller); counting the ranks still ahead tells which that is. Tables with many equal keys then
// cost a few steps per pass instead of a scan to the end.
// Between swaps a pass is a search for the next smaller rank, made a block at a time with
// comparisons the compiler vectorises.
constexpr size_t kBlock = 16;

// Whether any of the kBlock words at p is below `bound`.
inline bool AnyBelow(const int32_t* p, int32_t bound) {
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i b = _mm_set1_epi32(bound);
    const __m128i lt = _mm_or_si128(
        _mm_or_si128(_mm_cmplt_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), b),
                     _mm_cmplt_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 4)), b)),
        _mm_or_si128(_mm_cmplt_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8)), b),
                     _mm_cmplt_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 12)), b)));
    return _mm_movemask_epi8(lt) != 0;
#else
    bool any = false;
    for (size_t k = 0; k < kBlock; ++k) any |= p[k] < bound;
    return any;
#endif
}

std::vector<size_t> ExchangeOrderPacked(const std::vector<uint32_t>& ranks, uint32_t rankCount) {
    const size_t n = ranks.size();
    // Ranks stay below 32768 here, so the packed words are positive 32-bit integers.
    std::vector<int32_t> cells(n);
    std::vector<uint32_t> remaining(rankCount, 0);
    for (size_t k = 0; k < n; ++k) {
        cells[k] = static_cast<int32_t>((ranks[k] << 16) | static_cast<uint32_t>(k));
        ++remaining[ranks[k]];
    }
    uint32_t lowest = 0;
    int32_t* a = cells.data();
    for (size_t i = 0; i + 1 < n; ++i) {
        while (remaining[lowest] == 0) ++lowest;
        const int32_t lowestRank = static_cast<int32_t>(lowest << 16);
        int32_t carried = a[i];
        // With the index half cleared, "x < carriedRank" compares ranks alone, strictly.
        int32_t carriedRank = carried & ~0xFFFF;
        size_t j = i + 1;
        while (j < n && carriedRank != lowestRank) {
            if (j + kBlock <= n && !AnyBelow(a + j, carriedRank)) {
                j += kBlock;
                continue;
            }
            for (const size_t end = std::min(n, j + kBlock); j < end; ++j) {
                const int32_t x = a[j];
                if (x < carriedRank) {
                    a[j] = carried;
                    carried = x;
                    carriedRank = carried & ~0xFFFF;
                }
            }
        }
        a[i] = carried;
        --remaining[lowest];
    }
    std::vector<size_t> order(n);
    for (size_t k = 0; k < n; ++k) order[k] = cells[k] & 0xFFFFu;
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
    // Equal keys share a rank: the exchange sort only ever compares keys.
    std::vector<uint32_t> ranks(n);
    uint32_t rank = 0;
    for (size_t k = 0; k < n; ++k) {
        if (k > 0 && !KeyEqual(rows[byKey[k - 1]], rows[byKey[k]])) ++rank;
        ranks[byKey[k]] = rank;
    }
    std::vector<size_t> order;
    if (rank + 1 == n) {
        // No two keys are equal: the exchange sort's result is the one sorted order.
        order = std::move(byKey);
    } else {
        // Row numbers are 16-bit (kMaxRows): every row fits the packed word.
        order = ExchangeOrderPacked(ranks, rank + 1);
    }

    std::vector<MarkRecord> sorted;
    sorted.reserve(n);
    for (size_t k : order) sorted.push_back(std::move(rows[k]));
    rows = std::move(sorted);
}

}  // namespace tolvare
