// The program-wide state: the registration table and the values through which start-up tells
// the windows why they were opened. One copy each, for the whole run; anyone may include this.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tolvare {

struct MarkRecord {
    std::wstring mark;     // extension without the dot, upper case as the editor stores it
    std::wstring program;  // program path
    std::wstring name;     // description
    bool operator==(const MarkRecord&) const = default;
};

// Rows are numbered from 1, as everywhere in the program; an empty table has no rows at all.
class MarkTable {
public:
    MarkRecord& operator[](int i) { return rows_.at(static_cast<size_t>(i) - 1); }
    const MarkRecord& operator[](int i) const { return rows_.at(static_cast<size_t>(i) - 1); }
    int16_t UBound() const { return static_cast<int16_t>(rows_.size()); }
    bool Empty() const { return rows_.empty(); }
    void Erase() { rows_.clear(); }
    // Grows or shrinks to rows 1..count, keeping the rows that stay.
    void Resize(int count) { rows_.resize(count > 0 ? static_cast<size_t>(count) : 0); }
    void Append(MarkRecord row) { rows_.push_back(std::move(row)); }
    std::vector<MarkRecord>& Rows() { return rows_; }
    const std::vector<MarkRecord>& Rows() const { return rows_; }

private:
    std::vector<MarkRecord> rows_;
};

// The most rows a table holds: row numbers are 16-bit.
inline constexpr int kMaxRows = 32767;
// The most registrations one extension has.
inline constexpr int kMaxPerMark = 10;

extern MarkTable markTable;       // the registrations in memory, between a load and a save
extern int16_t markCount;         // its row count as the windows keep it
extern std::wstring profilePath;  // tolvare.ini beside the executable
extern int16_t selectedMark;      // row chosen in the list or being changed; 0 = none (add)
extern int16_t editorCaller;      // who opened the editor: kCallerList or kCallerStartup
extern int16_t selectCount;       // buttons of the selection window
extern std::wstring selectFile;   // the file the selection window opens

inline constexpr int16_t kCallerList = 1;
inline constexpr int16_t kCallerStartup = 2;

}  // namespace tolvare
