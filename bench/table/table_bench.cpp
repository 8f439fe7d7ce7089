// Load + sort + save of a full table (32,767 rows) against the same work with the literal
// exchange sort; the outputs must be byte-identical. `table_bench [RUNS]` prints the medians of
// RUNS runs (default 1).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "core/profile.h"
#include "core/globals.h"
#include "tests/native/fake_system.h"
#include "tests/core/reference_sort.h"

using namespace tolvare;

namespace {

std::string ReadAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteProfileInRandomOrder(const std::filesystem::path& p, bool duplicates) {
    std::mt19937 random(duplicates ? 2 : 1);
    std::vector<std::string> lines;
    for (int i = 0; i < kMaxRows; ++i) {
        const int mark = duplicates ? static_cast<int>(random() % 12) : i;
        const int name = duplicates ? static_cast<int>(random() % 5) : static_cast<int>(random() % 100000);
        lines.push_back("E" + std::to_string(mark) + "_0=E" + std::to_string(mark) + ",C:\\TOOLS\\P" +
                        std::to_string(i) + ".EXE,N" + std::to_string(name));
    }
    std::shuffle(lines.begin(), lines.end(), random);
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << "[MARK]\r\n";
    for (const auto& l : lines) out << l << "\r\n";
}

double Ms(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// The save without its own sort: the writer's lines for a table already in order.
void WriteSorted(const MarkTable& table) {
    std::ofstream out(std::filesystem::path(profilePath), std::ios::binary | std::ios::trunc);
    for (const auto& line : ProfileLines(table)) out << Sys().ToCp932(line + L"\r\n");
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
    testing::FakeSystem system;  // real files and code page 932; nothing here asks the user
    SetSystem(&system);
    const auto dir = std::filesystem::temp_directory_path() / "tolvare-table-bench";
    std::filesystem::create_directories(dir);
    const auto input = dir / "input.ini";
    profilePath = (dir / "tolvare.ini").wstring();

    int failures = 0;
    for (bool duplicates : {false, true}) {
        WriteProfileInRandomOrder(input, duplicates);
        std::vector<double> fast, plain;
        bool same = true;
        for (int run = 0; run < runs; ++run) {
            std::filesystem::copy_file(input, profilePath, std::filesystem::copy_options::overwrite_existing);
            auto start = std::chrono::steady_clock::now();
            GetMarkProfileAll(markTable);
            SaveMarkProfileAll(markTable);
            fast.push_back(Ms(start));
            const std::string fastBytes = ReadAll(profilePath);

            std::filesystem::copy_file(input, profilePath, std::filesystem::copy_options::overwrite_existing);
            start = std::chrono::steady_clock::now();
            GetMarkProfileAll(markTable);
            testing::ReferenceExchangeSort(markTable);
            WriteSorted(markTable);
            plain.push_back(Ms(start));
            same = same && ReadAll(profilePath) == fastBytes;
        }
        failures += same ? 0 : 1;

        const double f = Median(fast), p = Median(plain);
        std::printf("%-22s rows %d  load+sort+save %.1f ms  with the plain exchange sort %.1f ms  "
                    "ratio %.1fx  output %s  (median of %d)\n",
                    duplicates ? "many duplicates" : "distinct (mark, name)", kMaxRows, f, p, p / f,
                    same ? "identical" : "DIFFERENT", runs);
    }
    std::filesystem::remove_all(dir);
    return failures;
}
