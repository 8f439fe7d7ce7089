// The editor's program box filled without typing: the real file-open dialog driven from a hook,
// and drops built exactly as the shell sends them.
#include <windows.h>
#include <dlgs.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/profile.h"
#include "core/startup.h"
#include "registration/form_regist.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/test_files.h"
#include "win32/win32_system.h"

namespace tolvare {
namespace {

using namespace tolvare::test;
using F = FormRegist;

std::wstring TextOf(HWND hwnd) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

void Pump() {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// An HDROP as the shell builds it: a DROPFILES header, then the wide names, each NUL-ended, and
// one more NUL.
HDROP ShellDrop(const std::vector<std::wstring>& files) {
    std::wstring list;
    for (const auto& f : files) list += f + L'\0';
    list += L'\0';
    const size_t bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (memory == nullptr) return nullptr;
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), list.data(), list.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

class ChooserDropTest : public ::testing::Test {
protected:
    void SetUp() override {
        static Win32System system;
        SetSystem(&system);
        profilePath = dir_ / L"tolvare.ini";
        markTable.Erase();
        markCount = 0;
        selectedMark = 0;
        editorCaller = kCallerList;
        form_ = std::make_unique<FormRegist>();
        ASSERT_TRUE(form_->Create(nullptr));
        form_->Form_Load();
        ShowWindow(form_->hwnd(), SW_SHOW);
        SetForegroundWindow(form_->hwnd());
        Pump();
        SetBox(F::kTextProgram, L"typed before");
    }
    void TearDown() override {
        form_.reset();
        Pump();
    }
    void SetBox(int id, const std::wstring& text) { SetWindowTextW(form_->Control(id), text.c_str()); }
    std::wstring Box(int id) const { return TextOf(form_->Control(id)); }

    TempDir dir_{L"tolvare chooser"};
    std::unique_ptr<FormRegist> form_;
};

// What the file dialog showed, read from the hook while it was up.
struct SeenChooser {
    HWND owner = nullptr;
    std::wstring title, nameBox;
    std::vector<std::wstring> filters;
    int filterIndex = -1;
    bool readOnlyBoxVisible = true;
};

// Answers the file-open dialog: reads it, then types `name` and presses Open (or cancels).
DialogAnswerer::CustomHandler DriveChooser(SeenChooser& seen, std::wstring name, bool open) {
    return [&seen, name, open](HWND dlg) {
        HWND nameBox = GetDlgItem(dlg, cmb13);
        if (nameBox == nullptr) nameBox = GetDlgItem(dlg, edt1);
        HWND filter = GetDlgItem(dlg, cmb1);
        if (nameBox == nullptr || filter == nullptr) return false;  // a message box, not ours
        seen.owner = GetWindow(dlg, GW_OWNER);
        seen.title = TextOf(dlg);
        seen.nameBox = TextOf(nameBox);
        const int count = static_cast<int>(SendMessageW(filter, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t item[128] = {};
            SendMessageW(filter, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
            seen.filters.push_back(item);
        }
        seen.filterIndex = static_cast<int>(SendMessageW(filter, CB_GETCURSEL, 0, 0));
        HWND readOnly = GetDlgItem(dlg, chx1);
        seen.readOnlyBoxVisible = readOnly != nullptr && IsWindowVisible(readOnly);
        SetWindowTextW(nameBox, name.c_str());
        PressButton(dlg, open ? IDOK : IDCANCEL);
        return true;
    };
}

TEST_F(ChooserDropTest, BrowseOffersProgramsFirstAndPutsTheChosenPathInTheBox) {
    // An existing file of each filter: the name box takes any file by its full path.
    for (const std::wstring name : {L"tool dir\\editor.exe", L"notes.txt"}) {
        SCOPED_TRACE(name);
        if (name.find(L'\\') != std::wstring::npos) dir_.MakeDir(L"tool dir");
        const std::wstring path = dir_ / name;
        ASSERT_TRUE(WriteFileBytes(path, "MZ"));
        SetBox(F::kTextProgram, L"typed before");
        SeenChooser seen;
        DialogAnswerer boxes;
        boxes.SetCustomHandler(DriveChooser(seen, path, true));
        SendMessageW(form_->Control(F::kCommandAdd), BM_CLICK, 0, 0);
        ASSERT_EQ(boxes.Seen().size(), 1u) << "the file dialog never came";
        EXPECT_EQ(seen.owner, form_->hwnd());
        EXPECT_EQ(seen.title, L"実行するﾌｧｲﾙを指定してください。");
        EXPECT_EQ(seen.nameBox, L"");
        EXPECT_EQ(seen.filters, (std::vector<std::wstring>{L"プログラム", L"すべてのファイル"}));
        EXPECT_EQ(seen.filterIndex, 0);
        EXPECT_FALSE(seen.readOnlyBoxVisible);
        EXPECT_EQ(Box(F::kTextProgram), path);
    }
}

TEST_F(ChooserDropTest, CancelledBrowseLeavesTheBoxAsItWas) {
    SeenChooser seen;
    DialogAnswerer boxes;
    boxes.SetCustomHandler(DriveChooser(seen, dir_ / L"never.exe", false));
    SendMessageW(form_->Control(F::kCommandAdd), BM_CLICK, 0, 0);
    ASSERT_EQ(boxes.Seen().size(), 1u) << "the file dialog never came";
    EXPECT_EQ(Box(F::kTextProgram), L"typed before");
}

struct DropCase {
    const char* what;
    std::vector<std::wstring> files;
    std::wstring expected;
};
void PrintTo(const DropCase& c, std::ostream* os) { *os << c.what; }

class ChooserDrop : public ChooserDropTest, public ::testing::WithParamInterface<DropCase> {};

TEST_P(ChooserDrop, FirstDroppedFileReplacesTheProgramBoxAsDelivered) {
    const DropCase& c = GetParam();
    HDROP drop = ShellDrop(c.files);
    ASSERT_NE(drop, nullptr);
    SendMessageW(form_->Control(F::kTextProgram), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    EXPECT_EQ(Box(F::kTextProgram), c.expected);
    // The receiver releases the drop, whatever it held.
    EXPECT_EQ(GlobalSize(drop), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Drops, ChooserDrop,
    ::testing::Values(
        DropCase{"ThreeFilesFirstWins",
                 {L"C:\\Program Files\\Tool\\first tool.exe", L"C:\\second.exe", L"D:\\third.txt"},
                 L"C:\\Program Files\\Tool\\first tool.exe"},
        DropCase{"JapaneseName", {L"C:\\ツール\\表示.exe"}, L"C:\\ツール\\表示.exe"},
        DropCase{"NotTrimmed", {L"C:\\a b\\c.exe  "}, L"C:\\a b\\c.exe  "},
        DropCase{"NoFileInTheList", {}, L"typed before"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(ChooserDropTest, OnlyTheProgramBoxTakesDrops) {
    SetBox(F::kTextMark, L"TXT");
    SetBox(F::kTextName, L"説明");
    for (int id : {F::kTextMark, F::kTextName}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(GetWindowLongPtrW(form_->Control(id), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
        HDROP drop = ShellDrop({L"C:\\dropped.exe"});
        SendMessageW(form_->Control(id), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
        DragFinish(drop);
    }
    EXPECT_FALSE(GetWindowLongPtrW(form_->hwnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_TRUE(GetWindowLongPtrW(form_->Control(F::kTextProgram), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    // Dragged text needs an OLE drop target, which no box registers: it cannot land.
    for (int id : {F::kTextMark, F::kTextProgram, F::kTextName}) {
        EXPECT_EQ(GetPropW(form_->Control(id), L"OleDropTargetInterface"), nullptr);
    }
    EXPECT_EQ(Box(F::kTextMark), L"TXT");
    EXPECT_EQ(Box(F::kTextName), L"説明");
    EXPECT_EQ(Box(F::kTextProgram), L"typed before");
}

}  // namespace
}  // namespace tolvare
