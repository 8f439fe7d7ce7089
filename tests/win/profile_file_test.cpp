// The profile file on the real platform: the reader agrees with GetPrivateProfileStringA on
// every file the writer makes, and a save that fails or is killed leaves a whole profile.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/texts.h"
#include "core/profile.h"
#include "core/globals.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/process_driver.h"
#include "tests/support/test_files.h"
#include "win32/win32_system.h"

namespace tolvare {
namespace {

class ProfileFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetSystem(&system);
        profilePath = dir / L"tolvare.ini";
        GetMarkProfileAll(markTable);  // no file yet
    }
    // Writes the profile and loads it, as the list does before the user saves.
    void Existing(const std::string& bytes) {
        ASSERT_TRUE(test::WriteFileBytes(profilePath, bytes));
        GetMarkProfileAll(markTable);
    }
    // The names in the folder, sorted.
    std::vector<std::wstring> Names() const {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW data{};
        HANDLE find = FindFirstFileW((dir / L"*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return names;
        do {
            if (data.cFileName[0] != L'.') names.emplace_back(data.cFileName);
        } while (FindNextFileW(find, &data));
        FindClose(find);
        std::sort(names.begin(), names.end());
        return names;
    }
    Win32System system;
    test::TempDir dir{L"tolvare profile"};
};

// The file's bytes, read without standing in the way of a save that replaces it meanwhile: a
// reader that denies deletion makes the save's rename fail, and its question would stop the child.
std::optional<std::string> ReadLettingSavesReplace(const std::wstring& path) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

// What the platform's own reader finds, through the ANSI call the program was designed around.
std::wstring PlatformValue(const std::wstring& key, const std::wstring& path) {
    char buffer[255] = {};
    const DWORD n = GetPrivateProfileStringA("MARK", test::ToCp932(key).c_str(), "nodata", buffer,
                                             sizeof buffer, test::ToCp932(path).c_str());
    return test::FromCp932(std::string(buffer, n));
}

MarkTable RandomTable(std::mt19937& random) {
    static const wchar_t* kMarks[] = {L"TXT", L"txt", L"HTML", L"'A", L"ｶﾅ", L"拡張", L"1", L"A_0", L"X'"};
    static const wchar_t* kPrograms[] = {L"C:\\Tools\\edit.exe",
                                         L" C:\\Program Files\\x.exe ",
                                         L"\\\\server\\share\\ツール.exe",
                                         L"",
                                         L"'q.exe",
                                         L"\"C:\\a b\\c.exe\"",
                                         L"a=b;c[d]"};
    static const wchar_t* kNames[] = {L"",
                                      L"エディタ",
                                      L"name'",
                                      L" spaced ",
                                      L"a\xFF0C"
                                      L"b",
                                      L"\"quoted\"",
                                      L"=",
                                      L"ｴﾃﾞｨﾀ"};
    MarkTable table;
    const int rows = 1 + static_cast<int>(random() % 25);
    for (int i = 0; i < rows; ++i) {
        table.Append({kMarks[random() % std::size(kMarks)], kPrograms[random() % std::size(kPrograms)],
                      kNames[random() % std::size(kNames)]});
    }
    return table;
}

TEST_F(ProfileFileTest, ReaderAgreesWithThePlatformOnEverySavedFile) {
    ASSERT_EQ(GetACP(), 932u) << "the test prefix must run with the Japanese ANSI code page";
    std::mt19937 random(932);
    for (int round = 0; round < 40; ++round) {
        markTable = RandomTable(random);
        SaveMarkProfileAll(markTable);
        std::vector<std::wstring> keys = {L"NONE_0", L"TXT_10", L"txt_0", L" TXT_0"};
        for (const auto& line : ProfileLines(markTable)) {
            if (const size_t eq = line.find(L'='); eq != std::wstring::npos)
                keys.push_back(line.substr(0, eq));
        }
        for (const auto& key : keys) {
            ASSERT_EQ(GetProfileValue(L"MARK", key, L"nodata", profilePath), PlatformValue(key, profilePath))
                << "round " << round << " key " << ::testing::PrintToString(key);
        }
    }
}

TEST_F(ProfileFileTest, AReadOnlyProfileIsLeftAsItWas) {
    const std::string old = "[MARK]\r\nOLD_0=OLD,o,p\r\n";
    Existing(old);
    ASSERT_TRUE(SetFileAttributesW(profilePath.c_str(), FILE_ATTRIBUTE_READONLY));
    markTable.Append({L"NEW", L"n", L"m"});
    test::DialogAnswerer boxes;
    boxes.Answer(IDABORT);
    SaveMarkProfileAll(markTable);
    SetFileAttributesW(profilePath.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(test::ReadFileBytes(profilePath), old);
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].text.rfind(L"SaveMarkProfileAll:\r\n", 0), 0u);
    EXPECT_EQ(boxes.Seen()[0].title, L"TOLVARE エラー");
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"tolvare.ini", L"tolvare.ini.bk"}));  // no leftovers
}

TEST_F(ProfileFileTest, LeftoversOfKilledSavesNeverBlockASave) {
    // A folder where an earlier version wrote its new file, and a leftover held open by another
    // program (a scanner, a sync client).
    const std::string old = "[MARK]\r\nOLD_0=OLD,o,p\r\n";
    Existing(old);
    dir.MakeDir(L"tolvare.ini.new");
    const std::wstring locked = dir / L"tolvare.ini.0000cafe.tmp";
    ASSERT_TRUE(test::WriteFileBytes(locked, "[MARK]\r\nHA"));
    HANDLE holder = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    markTable.Rows() = {{L"NEW", L"n", L"m"}};
    test::DialogAnswerer boxes;  // any box fails the test
    EXPECT_EQ(SaveMarkProfileAll(markTable), SaveResult::kSaved);
    EXPECT_EQ(test::ReadFileBytes(profilePath), "[MARK]\r\nNEW_0=NEW,n,m\r\n");
    EXPECT_EQ(test::ReadFileBytes(profilePath + L".bk"), old);
    CloseHandle(holder);
    // Once free, the next save clears it away.
    EXPECT_EQ(SaveMarkProfileAll(markTable), SaveResult::kSaved);
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"tolvare.ini", L"tolvare.ini.bk", L"tolvare.ini.new"}));
}

// On a disk with room for the new profile but not for a copy of the old one, the save goes
// through and the earlier backup stays whole (it once became the first 4 KB of the profile).
TEST_F(ProfileFileTest, AFullDiskNeverDamagesTheBackup) {
    wchar_t disk[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"TOLVARE_FULL_DISK", disk, MAX_PATH) == 0) {
        GTEST_SKIP() << "needs the small file system tools/test mounts (as root)";
    }
    profilePath = std::wstring(disk) + L"\\tolvare.ini";
    const std::wstring filler = std::wstring(disk) + L"\\filler";
    std::string big = "[MARK]\r\n";
    for (int i = 0; big.size() < 100 * 1024; ++i) {
        const std::string n = std::to_string(i);
        big.append("A").append(n).append("_0=A").append(n).append(",C:\\a.exe,a\r\n");
    }
    const std::string backup = "[MARK]\r\nOLD_0=OLD,o,p\r\n";
    ASSERT_TRUE(test::WriteFileBytes(profilePath + L".bk", backup));
    Existing(big);
    // Fill the disk, then give back a little: room for the small new profile only.
    HANDLE fill = CreateFileW(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(fill, INVALID_HANDLE_VALUE);
    const std::string chunk(4096, 'x');
    DWORD written = 0;
    while (WriteFile(fill, chunk.data(), 4096, &written, nullptr) && written == 4096) {
    }
    LARGE_INTEGER size{};
    GetFileSizeEx(fill, &size);
    size.QuadPart = std::max<LONGLONG>(0, size.QuadPart - 16 * 1024);
    SetFilePointerEx(fill, size, nullptr, FILE_BEGIN);
    SetEndOfFile(fill);
    CloseHandle(fill);
    markTable.Rows() = {{L"NEW", L"n", L"m"}};
    test::DialogAnswerer boxes;  // the failed backup is not reported
    EXPECT_EQ(SaveMarkProfileAll(markTable), SaveResult::kSaved);
    EXPECT_EQ(test::ReadFileBytes(profilePath), "[MARK]\r\nNEW_0=NEW,n,m\r\n");
    EXPECT_EQ(test::ReadFileBytes(profilePath + L".bk"), backup);
    for (const auto& f : {filler, profilePath, profilePath + L".bk"}) DeleteFileW(f.c_str());
}

TEST_F(ProfileFileTest, AKilledSaveLeavesTheOldOrTheNewProfileWhole) {
    MarkTable a, b;
    for (int i = 0; i < 3000; ++i) {
        a.Append({L"A" + std::to_wstring(i), L"C:\\a.exe", L"a"});
        b.Append({L"B" + std::to_wstring(i), L"C:\\b.exe", L"b"});
    }
    SortMarkTable(a);
    SortMarkTable(b);
    std::string bytesA, bytesB;
    for (const auto& l : ProfileLines(a)) bytesA += test::ToCp932(l) + "\r\n";
    for (const auto& l : ProfileLines(b)) bytesB += test::ToCp932(l) + "\r\n";
    ASSERT_TRUE(test::WriteFileBytes(profilePath, bytesA));

    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    SetEnvironmentVariableW(L"TOLVARE_SAVE_CHILD", profilePath.c_str());
    std::mt19937 random(5);
    for (int kill = 0; kill < 6; ++kill) {
        std::wstring command = L"\"" + std::wstring(self) + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        ASSERT_TRUE(
            CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
        // However slow the machine, the first kill comes after a whole save: the kills land
        // among saves, not before the first one.
        if (kill == 0 &&
            !test::PollUntil([&] { return ReadLettingSavesReplace(profilePath) == bytesB; }, 20000)) {
            TerminateProcess(pi.hProcess, 1);
            FAIL() << "the child never finished a save";
        }
        Sleep(random() % 400);
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, INFINITE);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
        const auto now = test::ReadFileBytes(profilePath);
        ASSERT_TRUE(now.has_value()) << "kill " << kill << ": the profile is missing";
        EXPECT_TRUE(*now == bytesA || *now == bytesB)
            << "kill " << kill << ": a partial profile of " << now->size() << " bytes";
    }
    SetEnvironmentVariableW(L"TOLVARE_SAVE_CHILD", nullptr);
}

}  // namespace

// The other half of the killed-save test: this test program, started with TOLVARE_SAVE_CHILD
// set, saves two tables in turn until it is killed (see main.cpp).
int RunSaveChild(const std::wstring& target) {
    Win32System system;
    SetSystem(&system);
    profilePath = target;
    GetMarkProfileAll(markTable);
    MarkTable a, b;
    for (int i = 0; i < 3000; ++i) {
        a.Append({L"A" + std::to_wstring(i), L"C:\\a.exe", L"a"});
        b.Append({L"B" + std::to_wstring(i), L"C:\\b.exe", L"b"});
    }
    for (;;) {
        markTable = a;
        SaveMarkProfileAll(markTable);
        markTable = b;
        SaveMarkProfileAll(markTable);
    }
}

}  // namespace tolvare
