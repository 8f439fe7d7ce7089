// The core over the scripted system: the profile file read and written, start-up's decisions down to
// the programs it starts, the table's exchange sort, and the registration editor's checks and row.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <random>

#include "core/paths.h"
#include "core/profile.h"
#include "core/startup.h"
#include "core/text.h"
#include "registration/regist_check.h"
#include "tests/core/reference_sort.h"
#include "tests/native/fake_system.h"

namespace tolvare {
namespace {

using Bytes = std::optional<std::string>;  // a file's bytes; nothing when it does not exist
using Boxes = std::vector<testing::ShownBox>;
using Strings = std::vector<std::wstring>;
using testing::RowsOf;

const std::wstring kProfile =
    L"[MARK]\r\nDIR\\README_0=DIR\\README,C:\\R.EXE,r\r\nDOC_0=DOC,C:\\W.EXE,w\r\nHTML_0=HTML,C:\\B.EXE,b\r\n"
    L"TXT_0=TXT,C:\\E.EXE,e\r\nTXT_1=TXT,C:\\V.EXE,ビューア\r\nTXT_2=TXT,C:\\M.EXE,m\r\n";

class CoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetSystem(&fake);
        profilePath = file;
        GetMarkProfileAll(markTable);  // no file yet: a save may create one without asking
        fake.exeDir = dir.path();
    }
    Bytes File(const wchar_t* suffix = L"") { return test::ReadFileBytes(file + suffix); }
    void SetFile(const Bytes& bytes) {
        test::RemoveTree(file);
        if (bytes) test::WriteFileBytes(file, *bytes);
    }
    std::wstring Load(const std::wstring& text) {  // the rows read from the text in code page 932
        SetFile(fake.ToCp932(text));
        GetMarkProfileAll(markTable);
        return RowsOf(markTable);
    }
    void TearDown() override { SetSystem(nullptr); }
    void Run(const std::wstring& args) {
        fake.args = args;
        fake.opened.clear(), fake.boxes.clear();
        Main();
    }

    test::TempDir dir;
    const std::wstring file = dir / L"tolvare.ini";  // the profile, where start-up puts it too
    testing::FakeSystem fake;
};
using Profile = CoreTest;
using Startup = CoreTest;
using RegistCheck = CoreTest;
using RegistRow = CoreTest;
using F = RegistField;

TEST_F(Profile, ReadsTheMarkSectionUntilItEnds) {
    struct Case {
        std::wstring text, rows;
        bool complete;  // both readers see the same registrations, and each saves back as itself
    } cases[] = {
        {L"[MARK]\r\nA_0=A,1,a\r\nB_0=B,2,b\r\n", L"A,1,a | B,2,b", true},
        {L"[MARK]\nA_0=A,1,a\rB_0=B,2,b", L"A,1,a | B,2,b", true},
        {L"B_0=B,2,b\r\n[X]\r\nA=1\r\n  [MARK]  \r\nA_0=A,1,a\r\n[X]\r\nB_0=B,2,b\r\n", L"A,1,a", true},
        {L"[mark]\r\n[MARK]\r\nB_0=B,2,b\r\n", L"B,2,b",
         false},  // case matters; the lookup's section is empty
        {L"[MARK]\r\nA_0=A,1,a\r\n   \r\nB_0=B,2,b\r\n", L"A,1,a", false},  // a blank line ends it,
        {std::wstring(L"[MARK]\r\nA_0=A,1,a\r\n\t\0\u3000\r\nB_0=B,2,b\r\n", 30), L"A,1,a", false},  // so do
        {L"[MARK]\r\nA_0=A,1,a\r\n\u3000\r\n", L"A,1,a", true},  // blanks, NUL; with nothing after them
        // Keys play no part; the value is trimmed and unquoted as the lookup has it, its fields are not.
        {L"[MARK]\r\nt_7=t,p\r\n K =\t T, E ,n,4th  \r\nTXT_0=\"TXT,C:\\x\\edit.exe,Edit\"\r\n",
         L"t,p, | T, E ,n | TXT,C:\\x\\edit.exe,Edit", true},
        // Lines the lookup reads otherwise, or that a save would not write back as they are.
        {L"[MARK]\r\nTXT,C:\\E.EXE,エディタ\r\n; a, b\r\n", L"TXT,C:\\E.EXE,エディタ | ; a, b,", false},
        {L"[MARK]\r\nA_0=[A,1,a\r\nB_0=\"B,2,b\",c\r\n", L"[A,1,a | \"B,2,b\"", false},
        {L"[MARK]\r\nA_0=A," + std::wstring(127, L'ぁ') + L",a\r\n", L"A," + std::wstring(127, L'ぁ') + L",a",
         false},  // 258 bytes: the lookup has only 254, and here they lose a field
        {L"[MARK]\r\nA_0=A," + std::wstring(251, L'p') + L",,\r\n", L"A," + std::wstring(251, L'p') + L",",
         true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Load(c.text), c.rows);
        EXPECT_EQ(loadedProfile.complete, c.complete) << ::testing::PrintToString(c.text);
    }
    // Row numbers end at 32,767: a line beyond them is not loaded, and the load says so.
    std::wstring full = L"[MARK]\r\n";
    for (int i = 0; i < kMaxRows; ++i)
        full += L"A" + std::to_wstring(i) + L"_0=A" + std::to_wstring(i) + L",p,n\r\n";
    for (const auto& [text, complete] : {std::pair{full, true}, {full + L"B_0=B,p,n\r\n", false}}) {
        Load(text);
        EXPECT_EQ(markTable.UBound(), kMaxRows);
        EXPECT_EQ(markTable[kMaxRows].mark, L"A" + std::to_wstring(kMaxRows - 1));
        EXPECT_EQ(loadedProfile.complete, complete);
    }
}

// "=" and quotes inside a program or a description go through the save, both readers and back.
TEST_F(Profile, KeepsSeparatorsInsideValues) {
    const MarkRecord row{L"TXT", L"C:\\a=b\\\"x\".exe", L"\"名\"=1"};
    markTable.Rows() = {row};
    ASSERT_EQ(SaveMarkProfileAll(markTable), SaveResult::kSaved);
    EXPECT_EQ(File(), fake.ToCp932(L"[MARK]\r\nTXT_0=TXT,C:\\a=b\\\"x\".exe,\"名\"=1\r\n"));
    EXPECT_EQ(GetMarkProfileAll(markTable), 1);
    EXPECT_EQ(markTable[1], row);
    EXPECT_TRUE(loadedProfile.complete);
    EXPECT_EQ(GetMarkProfile(markTable, L"TXT"), 1);
    EXPECT_EQ(markTable[1], row);
}

TEST_F(Profile, ReadsTheEncodingsWindowsEditorsSave) {
    const std::wstring text =
        L"[MARK]\r\nTXT_0=TXT,C:\\ツール\\文書.exe,ｴﾃﾞｨﾀ\r\nTXT_1=nodata\r\nTXT_2=X\r\n";
    const std::string utf8 = reinterpret_cast<const char*>(
        u8"[MARK]\r\nTXT_0=TXT,C:\\ツール\\文書.exe,ｴﾃﾞｨﾀ\r\nTXT_1=nodata\r\nTXT_2=X\r\n");
    std::string le, be;
    for (const wchar_t c : text) le += {char(c), char(c >> 8)}, be += {char(c >> 8), char(c)};
    const std::wstring base = L"TXT,C:\\ツール\\文書.exe,ｴﾃﾞｨﾀ | nodata,, | X,,";
    // The bytes, the rows, whether complete: half-width katakana that are two-byte UTF-8 as well
    // stay code page 932; a byte that stands for nothing is replaced (in UTF-8, 0x20 after 0x81,
    // UTF-16 cut short); UTF-8 and UTF-16 with and without a mark, and with an end-of-file mark.
    const std::string cp932 = fake.ToCp932(text);
    std::vector<std::tuple<std::string, std::wstring, bool>> cases = {
        {fake.ToCp932(L"[MARK]\r\nTXT_0=TXT,C:\\m.exe,ﾒｰﾗｰ\r\nTXT_1=TXT,C:\\h.exe,ﾊｲ\r\n"),
         L"TXT,C:\\m.exe,ﾒｰﾗｰ | TXT,C:\\h.exe,ﾊｲ", true},
        {utf8 + "\xFF", base + L" | \uFFFD,,", false},
        {"; \x81\x20\r\n" + cp932, base, false},
        {"\xFF\xFE" + le.substr(0, le.size() - 1), base + L" | \uFFFD,,", false},
        // The largest lead bytes: code page 932's last row, UTF-8's four bytes, UTF-16's surrogates.
        {"[MARK]\r\nTXT_0=TXT,\xFC\x4B,n\r\n", L"TXT,\u9ED1,n", true},
        {"\xEF\xBB\xBF[MARK]\r\nTXT_0=TXT,\xF4\x8F\xBF\xBF,n\r\n", L"TXT,\U0010FFFF,n", true},
        {std::string("\xFF\xFE[\0M\0A\0R\0K\0]\0\n\0T\0X\0T\0_\0\x30\0=\0T\0X\0T\0,\0\xFF\xDB\xFF\xDF,\0n\0",
                     44),
         L"TXT,\U0010FFFF,n", true}};
    for (const std::string& bytes : {cp932, "\xEF\xBB\xBF" + utf8, utf8, "\xFF\xFE" + le, "\xFE\xFF" + be, le,
                                     be, cp932 + "\x1A", le + "\x1A"})
        cases.emplace_back(bytes, base, true);
    for (const auto& [bytes, rows, complete] : cases) {
        SCOPED_TRACE(::testing::PrintToString(bytes));
        SetFile(bytes);
        GetMarkProfileAll(markTable);
        EXPECT_EQ(RowsOf(markTable), rows);
        EXPECT_EQ(loadedProfile.complete, complete);
        GetMarkProfile(markTable, L"txt");  // the same bytes, up to the value "nodata"
        EXPECT_EQ(RowsOf(markTable), rows.substr(0, rows.find(L" | nodata")));
    }
}

TEST_F(Profile, AsksBeforeOverwritingRegistrationsNobodyHasSeen) {
    const testing::ShownBox question{
        L"登録情報の一部を読み込めていないか、ほかのプログラムによって変更されています。\r\n"
        L"保存すると、表示されていない登録情報は失われます。保存しますか？",
        L"TOLVARE", kMbIconQuestion | kMbYesNo};
    const std::string one = "[MARK]\r\nA_0=A,1,a\r\n", hidden = one + "\r\nB_0=B,2,b\r\n";
    struct Case {
        Bytes loaded, meanwhile;  // the file the table was loaded from, and the one there at the save
        int answer;               // to the question; 0: none is asked
    } cases[] = {{one, one, 0},           {{}, {}, 0},       {hidden, hidden, kIdNo},
                 {one, one + "C", kIdNo}, {{}, one, kIdYes}, {one, {}, kIdNo}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.loaded) + " then " + ::testing::PrintToString(c.meanwhile));
        test::RemoveTree(file + L".bk");
        SetFile(c.loaded);
        GetMarkProfileAll(markTable);
        SetFile(c.meanwhile);
        markTable.Rows() = {{L"Z", L"z", L"new"}};
        fake.boxes.clear(), fake.answers = {c.answer};
        const bool saves = c.answer != kIdNo;
        EXPECT_EQ(SaveMarkProfileAll(markTable), saves ? SaveResult::kSaved : SaveResult::kDeclined);
        EXPECT_EQ(fake.boxes, c.answer ? Boxes{question} : Boxes{});
        EXPECT_EQ(File(), saves ? "[MARK]\r\nZ_0=Z,z,new\r\n" : c.meanwhile);
        EXPECT_EQ(File(L".bk"), saves ? c.meanwhile : std::nullopt);  // No writes nothing at all
    }
}

TEST_F(Profile, SavesSortedWithABackupAndNamesALineItCannotWrite) {
    const std::string old = "; mine\r\n[X]\r\n[MARK]\r\nOLD_0=OLD\r\n";
    const std::string doc = fake.ToCp932(L"DOC_0=DOC,X.EXE,文書\r\n");
    const std::string txt = fake.ToCp932(L"TXT_0=TXT,A,エディタ\r\nTXT_1=TXT,B.EXE,ビューア\r\n");
    Load(fake.FromCp932(old));
    markTable.Rows() = {{L"TXT", L"B.EXE", L"ビューア"},
                        {L"DOC", L"X.EXE", L"文書"},
                        {L"TXT", L"A", L"エディタ"}};
    EXPECT_EQ(SaveMarkProfileAll(markTable), SaveResult::kSaved);
    EXPECT_EQ(RowsOf(markTable), L"DOC,X.EXE,文書 | TXT,A,エディタ | TXT,B.EXE,ビューア");
    EXPECT_EQ(File(), "[MARK]\r\n" + doc + txt);
    EXPECT_EQ(File(L".bk"), old);  // other sections survive in the backup only
    // A line the file cannot hold is never written as a silent '?': its box names it; Ignore leaves
    // it out while the backup holds it, and the save does not count as done.
    markTable[1].program = L"X\xE9.EXE";
    fake.answers = {kIdIgnore};
    EXPECT_EQ(SaveMarkProfileAll(markTable), SaveResult::kFailed);
    EXPECT_EQ(File(), "[MARK]\r\n" + txt);
    EXPECT_EQ(File(L".bk"), "[MARK]\r\n" + doc + txt);
    EXPECT_EQ(fake.boxes, (Boxes{{L"SaveMarkProfileAll:\r\nDOC_0=DOC,X\xE9.EXE,文書\r\nerror 1113",
                                  L"TOLVARE エラー", kMbIconStop | kMbAbortRetryIgnore}}));
    // A profile held by another program (its replacement, a save's last file operation) for under
    // a second is waited for quietly; longer, the user is asked.
    for (const auto& [held, asked] : {std::pair{900, false}, {1100, true}}) {
        markTable[1].program = L"X.EXE", fake.boxes.clear(), fake.fileOps = 0;
        SaveMarkProfileAll(markTable);
        fake.failAt = fake.fileOps, fake.fileOps = 0, fake.failCode = 32, fake.holdMs = held;
        EXPECT_EQ(SaveMarkProfileAll(markTable), asked ? SaveResult::kFailed : SaveResult::kSaved);
        EXPECT_EQ(fake.boxes.size(), asked ? 1u : 0u) << held;
        fake.failAt = 0;
    }
#ifndef _WIN32
    // Through a symbolic link, the file it names is replaced beside itself; the link stays.
    const std::wstring real = dir.MakeDir(L"synced") + L"/tolvare.ini";
    test::WriteFileBytes(real, old);
    test::RemoveTree(file), std::filesystem::create_symlink(real, file);
    GetMarkProfileAll(markTable);
    EXPECT_EQ(SaveMarkProfileAll(markTable), SaveResult::kSaved);
    EXPECT_TRUE(std::filesystem::is_symlink(file));
    EXPECT_EQ(test::ReadFileBytes(real), "[MARK]\r\nOLD_0=OLD,,\r\n");
    EXPECT_EQ(File(L".bk"), old);
#endif
}

// Every file operation of a run fails in turn: once (access denied, sharing violation), as a full
// disk from there on, or as if the machine stopped there; every box is answered each way (Retry at
// most three times). Afterwards no registration the profile held is lost unless the user deleted
// or changed it, the profile is the old file or a whole new one, a save that says it is done wrote
// exactly the table shown, and a load that missed rows never saves without the question.
TEST_F(Profile, NeverLosesARegistrationWhicheverFileOperationFails) {
    const std::string shown3 =
        "[MARK]\r\nDOC_0=DOC,C:\\W.EXE,w\r\nTXT_0=TXT,C:\\E.EXE,e\r\nTXT_1=TXT,C:\\V.EXE,v\r\n";
    std::string old;  // the profile each run starts from
    const std::string earlier = "[MARK]\r\nOLD_0=OLD,o,o\r\n";
    using Values = std::vector<std::string>;
    const auto values = [](const Bytes& bytes) {  // the registrations of a file, by their values
        Values found;
        bool inSection = false;
        for (size_t at = 0, end; bytes && (end = bytes->find("\r\n", at)) != std::string::npos;
             at = end + 2) {
            const std::string line = bytes->substr(at, end - at);
            if (inSection && !line.empty()) found.push_back(line.substr(line.find('=') + 1));
            inSection = inSection || line == "[MARK]";
        }
        return found;
    };
    const auto holds = [](const Values& in, const std::string& v) { return std::ranges::count(in, v) > 0; };
    std::optional<SaveResult> result;
    Values shown, dropped;  // the table a save was given; the rows the user deleted or changed
    const auto value = [&](const MarkRecord& r) {
        return fake.ToCp932(r.mark + L"," + r.program + L"," + r.name);
    };
    const auto save = [&] {
        result = SaveMarkProfileAll(markTable);
        for (const auto& r : markTable.Rows()) shown.push_back(value(r));
    };
    const std::tuple<const char*, std::string, std::function<void()>> scenarios[] = {
        {"list, a row deleted and one changed", shown3,
         [&] {
             GetMarkProfileAll(markTable);
             std::erase_if(markTable.Rows(), [&](MarkRecord& r) {
                 if (r.mark == L"DOC" || r.program == L"C:\\E.EXE") dropped.push_back(value(r));
                 if (r.program == L"C:\\E.EXE") r.program = L"C:\\E2.EXE";
                 return r.mark == L"DOC";
             });
             save();
         }},
        {"list, every row deleted", shown3,
         [&] {
             for (GetMarkProfileAll(markTable); const auto& r : markTable.Rows()) dropped.push_back(value(r));
             markTable.Erase(), save();
         }},
        {"start-up's editor, a new row", shown3,
         [&] {
             fake.args = L"C:\\a.pdf";
             fake.onEditor = [&] { markTable[selectedMark].program = L"C:\\P.EXE", save(); };
             Main();
         }},
        // The question comes first; the registration the list could not show is then kept in the
        // backup, or the profile is not replaced.
        {"list, a registration it cannot show", shown3 + "\r\nZIP_0=ZIP,C:\\Z.EXE,z\r\n", [&] {
             if (GetMarkProfileAll(markTable) > 0)
                 dropped.push_back(value(markTable[1])), markTable[1].name = L"w2";
             save();
         }}};
    int points = 0, runs = 0;
    for (const auto& [name, initial, scenario] : scenarios) {
        old = initial;
        // kind: 5 or 32 fail operation k once with that code, 'H' (a sharing violation) each time it
        // is tried again, 'F' fills the disk, 'S' stops all.
        const auto run = [&](int k, int kind, int button, int yesNo) {
            for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
                test::RemoveTree(entry.path().wstring());
            test::WriteFileBytes(file, old), test::WriteFileBytes(file + L".bk", earlier);
            result.reset(), shown.clear(), dropped.clear(), fake.boxes.clear(), fake.beeps = 0;
            fake.fileOps = 0, fake.failCode = kind == 'H' ? 32 : static_cast<uint32_t>(kind);
            fake.failAt = kind < 'F' || kind == 'H' ? k : 0, fake.holdSame = kind == 'H';
            fake.fullFrom = kind == 'F' ? k : 0, fake.stopFrom = kind == 'S' ? k : 0;
            int retries = 0;
            fake.answer = [&](const testing::ShownBox& box) {
                const unsigned type = std::get<2>(box) & 0xF;
                if (type != kMbAbortRetryIgnore) return type == kMbYesNo ? yesNo : +kIdOk;
                return button == kIdRetry && ++retries > 3 ? +kIdAbort : button;
            };
            fake.failedOp.clear(), scenario();
            const int ops = fake.fileOps;
            fake.failAt = fake.fullFrom = fake.stopFrom = 0, ++runs;
            SCOPED_TRACE(::testing::Message() << name << ", operation " << k << " kind " << kind
                                              << ", answers " << button << " " << yesNo);
            EXPECT_TRUE(kind == 'S' || fake.failedOp.starts_with(L"delete") ||
                        fake.ListFiles(dir / L"*.tmp").empty());
            const Bytes ini = File(), bk = File(L".bk");
            const Values now = values(ini), backup = values(bk);
            EXPECT_TRUE(bk == earlier || bk == old) << ::testing::PrintToString(bk);
            EXPECT_TRUE(ini == old || !ini || (ini->starts_with("[MARK]\r\n") && ini->ends_with("\r\n")));
            for (const auto& v : ini == old ? Values{} : now) EXPECT_TRUE(holds(shown, v)) << v;
            if (result == SaveResult::kSaved) {
                EXPECT_TRUE(now == shown && !!ini == !shown.empty());
            }
            const bool asked = std::ranges::any_of(fake.boxes, [](const auto& box) {
                return std::get<0>(box).starts_with(L"登録情報の一部を読み込めていないか");
            });
            // Each failure box, after a beep, names the read or the save and gives the failure's reason.
            const int code = kind == 'F' ? 112 : kind == 'S' ? 5 : kind == 'H' ? 32 : kind;
            const auto failureBox = [&](const testing::ShownBox& box) {
                const auto& [text, title, style] = box;
                return style == (kMbIconStop | kMbAbortRetryIgnore) && title == L"TOLVARE エラー" &&
                       (text.starts_with(L"GetMarkProfileAll:\r\n") ||
                        text.starts_with(L"SaveMarkProfileAll:\r\n")) &&
                       text.ends_with(L"error " + std::to_wstring(code));
            };
            EXPECT_EQ(std::ranges::count_if(fake.boxes, failureBox), fake.beeps);
            for (const auto& v : values(old)) {
                if (holds(dropped, v)) continue;
                EXPECT_TRUE(holds(now, v) || holds(backup, v)) << "lost: " << v;
                EXPECT_TRUE(asked || result != SaveResult::kSaved || holds(now, v))
                    << "dropped unasked: " << v;
            }
            EXPECT_TRUE(asked || old == shown3 || ini == old) << "saved over what the list did not show";
            return ops;
        };
        const int clean = run(0, 0, kIdAbort, kIdYes);
        ASSERT_EQ(result, SaveResult::kSaved) << name;
        points += clean;
        for (int k = 1; k <= clean && !HasFailure(); ++k)
            for (const int button : {kIdAbort, kIdRetry, kIdIgnore})
                for (const int yesNo : {kIdYes, kIdNo})
                    for (const int kind : {5, 32, int{'H'}, int{'F'}, int{'S'}}) run(k, kind, button, yesNo);
    }
    RecordProperty("fault_points", points), RecordProperty("runs", runs);
    std::cout << "file-fault sweep: " << points << " fault points, " << runs << " runs\n";
}

TEST_F(Startup, StartsTheOneProgramOrOpensAWindow) {
    Load(kProfile);
    fake.shortNames[L"C:\\B.EXE"] = L"C:\\B~1.EXE";
    // C:\Program Files (PROGRA~1) holds report.html (REPORT~1.HTM).
    fake.attributes = {{L"C:\\PROGRA~1\\REPORT~1.HTM", 0x20}, {L"C:\\PROGRA~1\\", kAttrDirectory}};
    for (auto program : {L"C:\\W.EXE", L"C:\\B.EXE", L"C:\\B~1.EXE", L"C:\\R.EXE"})
        fake.attributes[program] = 0x20;
    fake.listings = {{{L"C:\\PROGRA~1", true}, L"Program Files"},
                     {{L"C:\\PROGRA~1\\", true}, L"."},
                     {{L"C:\\PROGRA~1\\REPORT~1.HTM", false}, L"report.html"}};
    for (const wchar_t* args : {L"", L"\"\"", L"C:\\readme", L"C:\\name.", L"C:\\a.d\\", L"C:\\PROGRA~1\\"}) {
        selectedMark = 5;
        Run(args);
        EXPECT_EQ(fake.opened, Strings{L"list"}) << args;  // with every registration, none selected
        EXPECT_EQ(markTable.UBound(), 6) << args;
        EXPECT_EQ(selectedMark, 0) << args;
    }
    const std::pair<std::wstring, std::wstring> starts[] = {
        // the argument, and the command started
        {L"\"C:\\a b\\c.doc\"", L"C:\\W.EXE C:\\a b\\c.doc"},
        {L"C:\\x\\report.Html", L"C:\\B~1.EXE C:\\x\\report.Html"},
        {L"C:\\a.txt C:\\b.doc", L"C:\\W.EXE C:\\a.txt C:\\b.doc"},  // one path, blanks and all
        {L"C:\\my.dir\\readme", L"C:\\R.EXE C:\\my.dir\\readme"},
        {L"\"C:\\a.doc \"", L"C:\\W.EXE C:\\a.doc"},  // a trailing blank is no part of the extension
        {L"C:\\a.doc\t", L"C:\\W.EXE C:\\a.doc"},     // nor a tab
        {L"C:\\PROGRA~1\\REPORT~1.HTM", L"C:\\B~1.EXE C:\\PROGRA~1\\REPORT~1.HTM"},
    };
    for (const auto& [args, command] : starts) {
        Run(args);
        EXPECT_EQ(fake.opened, Strings{command}) << args;
        EXPECT_TRUE(fake.boxes.empty()) << args;
    }
    Run(L"C:\\notes\\todo.txt  ");
    EXPECT_EQ(fake.opened, Strings{L"select"});
    EXPECT_EQ(selectCount, 3);
    EXPECT_EQ(selectFile, L"C:\\notes\\todo.txt  ");  // the file as given
    EXPECT_EQ(RowsOf(markTable), L"TXT,C:\\E.EXE,e | TXT,C:\\V.EXE,ビューア | TXT,C:\\M.EXE,m");
    // The tenth key is the last one looked up.
    std::wstring eleven = L"[MARK]\r\n";
    for (int i = 0; i <= 10; ++i) {
        const std::wstring n = std::to_wstring(i);
        eleven += L"TXT_" + n + L"=TXT,C:\\" + n + L".EXE," + n + L"\r\n";
    }
    Load(eleven);
    Run(L"C:\\a.txt");
    EXPECT_EQ(selectCount, 10);
    EXPECT_EQ(markTable[10], (MarkRecord{L"TXT", L"C:\\9.EXE", L"9"}));
}

TEST_F(Startup, OffersTheEditorForAnUnregisteredExtension) {
    Load(kProfile);
    for (auto program : {L"C:\\PDF.EXE", L"C:\\X.EXE"}) fake.attributes[program] = 0x20;
    fake.onEditor = [&] {  // the editor gets every registration and the new row to change; OK saves
        EXPECT_EQ(editorCaller, kCallerStartup);
        EXPECT_EQ(markCount, 7);
        EXPECT_EQ(selectedMark, 7);
        EXPECT_EQ(markTable[7], (MarkRecord{L"PDF", L"", L""}));
        markTable[7].program = L"C:\\PDF.EXE";
        SaveMarkProfileAll(markTable);
    };
    Run(L"C:\\docs\\paper.pdf");
    EXPECT_EQ(fake.opened, (Strings{L"editor", L"C:\\PDF.EXE C:\\docs\\paper.pdf"}));
    fake.onEditor = nullptr;  // cancelled
    Run(L"C:\\docs\\paper.zip");
    EXPECT_EQ(fake.boxes, (Boxes{{L"拡張子 'ZIP' が登録されていません", L"TOLVARE", kMbIconStop | kMbOk}}));
    EXPECT_EQ(markCount, 7);  // read again: the pending row is gone
    // A hand-made line names XYZ in its value only: found once its key appears before the last try.
    fake.onEditor = [&] { Load(kProfile + L"X_0=XYZ,C:\\X.EXE\r\n"); };
    fake.onWait = [&] {
        if (fake.waits == kRegisteredLookups - 1) Load(kProfile + L"XYZ_0=XYZ,C:\\X.EXE");
    };
    Run(L"C:\\a.xyz");
    EXPECT_EQ(fake.opened, (Strings{L"editor", L"C:\\X.EXE C:\\a.xyz"}));
}

TEST_F(Startup, LaunchStartsTheRegisteredFileOrNoneAndOffersTheList) {
    fake.exeDir = L"C:\\T", fake.self = L"C:\\T\\tolvare.exe", fake.pathVar = L".;\"C:\\bin\";";
    const std::wstring app = L"C:\\Program Files\\App\\app.exe", shortApp = L"C:\\PROGRA~1\\App\\app.exe";
    fake.shortNames[app] = shortApp;
    // The files there are; the last two lie in the current folder only.
    for (auto f :
         {L"C:\\app.exe", L"C:\\app", app.c_str(), shortApp.c_str(), L"C:\\t\\My Tool.exe", L"C:\\t\\a.exe",
          L"C:\\t\\a.exe b.exe", L"C:\\t\\My.exe", L"C:\\t\\My\tApp\\x.exe", L"C:\\Windows\\notepad.exe",
          L"C:\\Windows\\System32\\notepad.exe", L"C:\\bin\\tool.exe", L"C:\\T\\tools\\x.exe",
          L"C:\\T\\Run.Cmd", L"C:\\T\\tolvare.exe", L"C:\\my.dir\\app", L"planted.exe", L".\\planted.exe"})
        fake.attributes[f] = 0x20;
    fake.attributes[L"C:\\T\\edit.exe"] = fake.attributes[L"C:\\Windows\\System32\\edit.exe"] = 0x20;
    const std::wstring doc = L" C:\\my docs\\a.txt\t", line = L" C:\\my docs\\a.txt", notFound = L"error 2";
    const std::wstring batch = L"ファイル名に、バッチファイルへ渡せない文字（& | < > ^ %）が含まれています。";
    struct Case {
        std::wstring program, file, command, started, reason = {};  // started "": refused for the reason
        uint32_t startError = 0, elevatedError = 0;
    };
    std::vector<Case> cases = {
        {L" \tC:\\app.exe \t", doc, L"C:\\app.exe" + line, L"C:\\app.exe"},  // blanks and tabs trimmed
        {app, doc, shortApp + line, shortApp},
        {L"C:\\t\\My Tool.exe", doc, L"\"C:\\t\\My Tool.exe\"" + line, L"C:\\t\\My Tool.exe"},  // no 8.3
        {L"\"" + app + L"\" /x", doc, shortApp + L" /x" + line, app},
        {app + L" /x", doc, shortApp + L" /x" + line, app},
        {L"C:\\t\\a.exe b.exe /x", doc, L"\"C:\\t\\a.exe b.exe\" /x" + line,
         L"C:\\t\\a.exe b.exe"},  // longest
        {L"C:\\app.exe\t/x", doc, L"C:\\app.exe\t/x" + line, L"C:\\app.exe"},
        {L"notepad", doc, L"notepad" + line, L"C:\\Windows\\System32\\notepad.exe"},
        {L"edit", doc, L"edit" + line, L"C:\\T\\edit.exe"},  // TOLVARE's folder comes first
        {L"tool.exe /x", doc, L"tool.exe /x" + line, L"C:\\bin\\tool.exe"},
        {L"tools\\x.exe", doc, L"tools\\x.exe" + line, L"C:\\T\\tools\\x.exe"},
        {L"Run.Cmd", L"C:\\x(y) z.txt", L"C:\\T\\Run.Cmd C:\\x(y) z.txt", L"C:\\T\\Run.Cmd"},
        {L"C:\\t\\My\tApp\\x.exe", doc, L"C:\\t\\My\tApp\\x.exe" + line, L"", notFound},
        {L"C:\\t\\My App\\missing.exe", doc, L"C:\\t\\My App\\missing.exe" + line, L"", notFound},
        {L"C:\\app /x", doc, L"C:\\app /x" + line, L"", notFound},  // its extension not written out
        {L"planted.exe", doc, L"planted.exe" + line, L"", notFound},
        {L"\"C:\\app.exe /x", doc, L"\"C:\\app.exe /x" + line, L"", notFound},
        {L" \t ", doc, line, L"", notFound},                                        // no program at all
        {L"C:\\my.dir\\app /x", doc, L"C:\\my.dir\\app /x" + line, L"", notFound},  // a folder's dot
        {L"tolvare", doc, L"tolvare" + line, L"", L"TOLVARE 自身は起動できません。"},
        {L"C:\\app.exe /x", doc, L"elevated: /x C:\\my docs\\a.txt", L"C:\\app.exe", L"", 740},
        {L"C:\\app.exe", doc, L"C:\\app.exe" + line, L"", L"error 5", 740, 5},
        {L"C:\\app.exe", doc, L"", L"", L"", 740, 1223},  // declined at the consent prompt: not a word
    };
    for (wchar_t c : std::wstring(L"&|<>^%"))
        cases.push_back({L"C:\\T\\Run.Cmd", L"C:\\x" + std::wstring(1, c) + L"y.txt",
                         L"C:\\T\\Run.Cmd C:\\x" + std::wstring(1, c) + L"y.txt", L"", batch});
    for (const auto& c : cases) {
        markTable.Rows() = {{L"TXT", c.program, L""}};
        fake.opened.clear(), fake.started.clear(), fake.boxes.clear(), fake.answers = {kIdOk, kIdYes};
        fake.startError = c.startError, fake.elevatedError = c.elevatedError;
        LaunchMarkRow(1, c.file, false);
        const Boxes failed{{L"プログラム起動時にエラーが発生しました\r\n" + c.command + L"\r\n" + c.reason,
                            L"TOLVARE", kMbIconStop | kMbOk},
                           {L"設定を確認しますか？", L"TOLVARE", kMbIconQuestion | kMbYesNo}};
        const bool quiet = !c.started.empty() || c.command.empty();
        EXPECT_EQ(fake.boxes, quiet ? Boxes{} : failed) << c.program;
        EXPECT_EQ(fake.opened, c.command.empty() ? Strings{} : Strings{quiet ? c.command : L"list"})
            << c.program;
        EXPECT_EQ(fake.started, c.started.empty() ? Strings{} : Strings{c.started}) << c.program;
    }
}

// Random tables from a small alphabet, so that (mark, name) ties are frequent; the program field
// numbers the rows so that the order of tied rows shows.
TEST(Sort, MatchesTheExchangeSortRowForRow) {
    static const wchar_t* kTexts[] = {L"TXT", L"txt", L"", L"ｶﾅ", L"エディタ", L"A", L" b", L"AB"};
    std::mt19937 random(20261206);
    for (int round = 0; round < 300; ++round) {
        const int rows = round < 290 ? 1 + static_cast<int>(random() % 120) : 31 + round % 3 * 500;
        const int marks = 1 + static_cast<int>(random() % 8), names = 1 + static_cast<int>(random() % 8);
        MarkTable fast;
        for (int i = 0; i < rows; ++i)
            fast.Append({kTexts[random() % marks], L"row" + std::to_wstring(i), kTexts[random() % names]});
        MarkTable reference = fast;
        SortMarkTable(fast);
        testing::ReferenceExchangeSort(reference);
        ASSERT_EQ(fast.Rows(), reference.Rows()) << "round " << round;
    }
}

TEST_F(RegistCheck, RefusesWithTheFirstFailedCheckInItsOrder) {
    const std::wstring exe = L"C:\\e.exe", p201 = L"C:\\" + std::wstring(198, L'p'), wave = L"\u301C";
    const std::wstring markLong = L"拡張子が長すぎます\r\n10バイト以内で指定してください";
    const std::wstring programLong = L"プログラム(パス)が長すぎます\r\n200バイト以内で指定してください";
    struct Case {
        int txtRows;  // TXT registrations already in the table
        std::wstring mark, program, name, message;
        F field;
    };
    std::vector<Case> cases = {
        {0, L"   ", L"", L"", L"拡張子が未入力です", F::kMark},
        {0, L"ABCDEFGHIJK", L"  ", L"", L"プログラムが未指定です", F::kProgram},
        {0, L"ＡＢＣＤＥＦ", p201, L"", markLong, F::kMark},
        {0, L" ABCDEFGHIJ", exe, L"", markLong, F::kMark},  // blanks count
        {0, L"txt", p201, std::wstring(11, L'説'), programLong, F::kProgram},
        {0, L"txt", L"C:\\a," + std::wstring(195, L'p'), L"", programLong, F::kProgram},
        {10, L"txt", exe, std::wstring(19, L'n') + L",",
         L"名前が長すぎます\r\n20バイト以内で指定してください", F::kName},
        {10, L" txt", L"C:\\" + wave, L"", L"これ以上この拡張子は登録出来ません", F::kMark},
        {0, wave, exe, L"", L"拡張子に使用できない文字が含まれています", F::kMark},
        {0, L"txt", L"C:\\" + wave, L"", L"プログラム(パス)に使用できない文字が含まれています", F::kProgram},
        {0, L"txt", exe, L"\U0001F600", L"名前に使用できない文字が含まれています", F::kName},
    };
    // Check 2 names the first of its characters in this order, even when it stands last, and it
    // comes before check 3.
    const std::wstring refused = L"=,[]\";.";
    for (size_t next = 1; wchar_t c : refused)
        cases.push_back({0, refused.substr(next++) + c, L"", L"",
                         L"拡張子に不正な文字'" + std::wstring(1, c) + L"'が含まれています", F::kMark});
    for (const auto& c : cases) {
        MarkTable table;
        table.Rows().resize(c.txtRows, {L"TXT", exe, L"v"});
        const auto failure = CheckRegist(c.mark, c.program, c.name, table, table.UBound(), 0);
        ASSERT_TRUE(failure.has_value()) << ::testing::PrintToString(c.mark);
        EXPECT_EQ(failure->message, c.message);
        EXPECT_EQ(failure->field, c.field) << ::testing::PrintToString(c.message);
    }
}

TEST_F(RegistCheck, AcceptsTheLimitsAndCountsTheChangedRowOnce) {
    MarkTable table;
    table.Rows().resize(10, {L"TXT", L"C:\\v.exe", L"v"});
    EXPECT_FALSE(CheckRegist(L"txt", L"C:\\e.exe", L"", table, 10, 3));  // changing one of the ten
    table.Resize(9);  // the tenth, with 10, 200 and 20 bytes
    EXPECT_FALSE(CheckRegist(L"ＡＢＣＤＥ", L"C:\\a，" + std::wstring(194, L'p'), std::wstring(10, L'説'),
                             table, 9, 0));
    table.Resize(kMaxRows);
    EXPECT_EQ(CheckRegist(L"NEW", L"C:\\n", L"", table, kMaxRows, 0)->message, L"これ以上登録出来ません");
    EXPECT_FALSE(CheckRegist(L"NEW", L"C:\\n", L"", table, kMaxRows, 5));  // a change still fits
}

TEST_F(RegistRow, IsTrimmedUpperCasedWithFullWidthCommasAndADefaultDescription) {
    EXPECT_EQ(StoredRow(L" a,b ", L"  C:\\a,b ", L" x,y "), (MarkRecord{L"A，B", L"C:\\a，b", L"x，y"}));
    EXPECT_EQ(StoredRow(L"txt", L"c", L" \t "), (MarkRecord{L"TXT", L"c", L"\t"}));  // half-width blanks only
    EXPECT_EQ(DefaultDescription(L"C:\\b.c\\edit.exe"), L"edit.exe");                // after the last "\"
    // A program pasted in quotes is stored without them unless arguments follow.
    EXPECT_EQ(StoredRow(L"t", L" \"C:\\P Q\\a.exe\" ", L"").program, L"C:\\P Q\\a.exe");
    EXPECT_EQ(StoredRow(L"t", L"\"C:\\P Q\\a.exe\" /x", L"").program, L"\"C:\\P Q\\a.exe\" /x");
    EXPECT_EQ(DefaultDescription(L"\"C:\\P Q\\a.exe\" /x"), L"a.exe");
    // At most 20 characters and 20 bytes.
    EXPECT_EQ(DefaultDescription(L"abcdefghijklmnopqrstuvwxyz"), L"abcdefghijklmnopqrst");
    EXPECT_EQ(DefaultDescription(L"C:\\a" + std::wstring(12, L'あ')), L"a" + std::wstring(9, L'あ'));
}

}  // namespace
}  // namespace tolvare
