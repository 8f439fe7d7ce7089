// SortMarkTable against the literal exchange sort: the same order of ties, row for row.
#include <gtest/gtest.h>

#include <random>

#include "core/profile.h"
#include "tests/core/reference_sort.h"

namespace tolvare {
namespace {

// Random rows from a small alphabet so that (mark, name) ties are frequent; the program field
// numbers each row so that the order of tied rows is visible.
MarkTable RandomTable(std::mt19937& random, int rows, int marks, int names) {
    static const wchar_t* kMarks[] = {L"TXT", L"txt", L"DOC", L"ZIP", L"ｶﾅ", L"HTML", L"A", L""};
    static const wchar_t* kNames[] = {L"", L"B", L"a", L"エディタ", L"ビューア", L"A", L" b", L"z"};
    MarkTable table;
    for (int i = 0; i < rows; ++i) {
        table.Append({kMarks[random() % marks], L"row" + std::to_wstring(i), kNames[random() % names]});
    }
    return table;
}

TEST(SortMarkTable, MatchesTheExchangeSortExactly) {
    std::mt19937 random(20261206);
    for (int round = 0; round < 300; ++round) {
        const int rows = 1 + static_cast<int>(random() % 120);
        const int marks = 1 + static_cast<int>(random() % 8);
        const int names = 1 + static_cast<int>(random() % 8);
        MarkTable fast = RandomTable(random, rows, marks, names);
        MarkTable reference = fast;
        SortMarkTable(fast);
        testing::ReferenceExchangeSort(reference);
        ASSERT_EQ(fast.Rows(), reference.Rows()) << "round " << round;
    }
}

TEST(SortMarkTable, MatchesOnLargeTablesAcrossScanBlocks) {
    std::mt19937 random(7);
    for (int rows : {31, 32, 33, 64, 65, 1000}) {
        MarkTable fast = RandomTable(random, rows, 3, 2);
        MarkTable reference = fast;
        SortMarkTable(fast);
        testing::ReferenceExchangeSort(reference);
        ASSERT_EQ(fast.Rows(), reference.Rows()) << rows << " rows";
    }
}

TEST(SortMarkTable, TiesAreNotKeptInTheirOriginalOrder) {
    // The exchange sort is not stable; a stable sort would give r0, r1 for the two TXT/A rows.
    MarkTable table;
    table.Rows() = {{L"TXT", L"r0", L"A"}, {L"TXT", L"r1", L"A"}, {L"DOC", L"r2", L"A"}};
    SortMarkTable(table);
    EXPECT_EQ(table[1].program, L"r2");
    EXPECT_EQ(table[2].program, L"r1");
    EXPECT_EQ(table[3].program, L"r0");
}

}  // namespace
}  // namespace tolvare
