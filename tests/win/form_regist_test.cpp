// The registration editor driven as a user drives it: boxes typed into, OK and Cancel pressed,
// its message boxes read and answered, its effects on the table and the profile file checked.
#include "registration/form_regist.h"

#include <commctrl.h>

#include <memory>

#include "core/startup.h"
#include "registration/form_list.h"
#include "tests/win/registration_fixture.h"

namespace tolvare::testing {
namespace {

using F = FormRegist;

const std::wstring kErrorTitle = L"TOLVARE エラー";

std::wstring Repeat(const std::wstring& unit, int times) {
    std::wstring s;
    for (int i = 0; i < times; ++i) s += unit;
    return s;
}

class FormRegistTest : public RegistrationTest {
protected:
    // The editor as Form_Load prepares it, shown and active but not modal, so that the test
    // drives it directly; its OK and Cancel then destroy it.
    std::unique_ptr<FormRegist> Open() {
        auto form = std::make_unique<FormRegist>();
        EXPECT_TRUE(form->Create(nullptr));
        form->Form_Load();
        ShowWindow(form->hwnd(), SW_SHOW);
        SetForegroundWindow(form->hwnd());
        Pump();
        return form;
    }
    static void Type(FormRegist& form, int id, const std::wstring& text) {
        SendMessageW(form.Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    static void Fill(FormRegist& form, const std::wstring& mark, const std::wstring& program,
                     const std::wstring& name) {
        if (IsWindowEnabled(form.Control(F::kTextMark))) Type(form, F::kTextMark, mark);
        Type(form, F::kTextProgram, program);
        Type(form, F::kTextName, name);
    }
    static void Click(FormRegist& form, int id) { SendMessageW(form.Control(id), BM_CLICK, 0, 0); }
};

// ---- the checks, in their order

struct Refusal {
    const char* what;
    std::wstring mark, program, name;
    std::wstring message;
    int focus;
};

TEST_F(FormRegistTest, RefusesInputWithTheFirstFailedCheckAndFocusesItsBox) {
    const std::wstring exe = L"C:\\Tools\\editor.exe";
    const std::vector<Refusal> cases = {
        {"1 empty extension", L"", exe, L"", L"拡張子が未入力です", F::kTextMark},
        {"1 blanks only", L"   ", exe, L"", L"拡張子が未入力です", F::kTextMark},
        {"1 before 3", L"", L"", L"", L"拡張子が未入力です", F::kTextMark},
        {"2 equals sign first in list order", L"a=b;c", exe, L"", L"拡張子に不正な文字'='が含まれています", F::kTextMark},
        {"2 bracket before semicolon", L"x;y[z", exe, L"", L"拡張子に不正な文字'['が含まれています", F::kTextMark},
        {"2 comma", L"a,b", exe, L"", L"拡張子に不正な文字','が含まれています", F::kTextMark},
        {"2 closing bracket", L"a]", exe, L"", L"拡張子に不正な文字']'が含まれています", F::kTextMark},
        {"2 double quote", L"\"a", exe, L"", L"拡張子に不正な文字'\"'が含まれています", F::kTextMark},
        {"2 semicolon", L"a;", exe, L"", L"拡張子に不正な文字';'が含まれています", F::kTextMark},
        {"2 before 3", L"[", L"", L"", L"拡張子に不正な文字'['が含まれています", F::kTextMark},
        {"3 empty program", L"txt", L"", L"", L"プログラムが未指定です", F::kTextProgram},
        {"3 blanks only", L"txt", L"  ", L"", L"プログラムが未指定です", F::kTextProgram},
        {"3 before 4", L"ABCDEFGHIJK", L"", L"", L"プログラムが未指定です", F::kTextProgram},
        {"4 eleven bytes", L"ABCDEFGHIJK", exe, L"", L"拡張子が長すぎます\r\n10バイト以内で指定してください", F::kTextMark},
        {"4 six full-width", L"ＡＢＣＤＥＦ", exe, L"", L"拡張子が長すぎます\r\n10バイト以内で指定してください", F::kTextMark},
        {"4 blanks count", L" ABCDEFGHIJ", exe, L"", L"拡張子が長すぎます\r\n10バイト以内で指定してください", F::kTextMark},
        {"5 201 bytes", L"txt", L"C:\\" + std::wstring(198, L'p'), L"",
         L"プログラム(パス)が長すぎます\r\n200バイト以内で指定してください", F::kTextProgram},
        {"5 200 chars with a comma", L"txt", L"C:\\a," + std::wstring(195, L'p'), L"",
         L"プログラム(パス)が長すぎます\r\n200バイト以内で指定してください", F::kTextProgram},
        {"6 eleven full-width", L"txt", exe, Repeat(L"説", 11), L"名前が長すぎます\r\n20バイト以内で指定してください",
         F::kTextName},
        {"6 comma counts two bytes", L"txt", exe, std::wstring(19, L'n') + L",",
         L"名前が長すぎます\r\n20バイト以内で指定してください", F::kTextName},
        {"8 extension", L"é", exe, L"", L"拡張子に使用できない文字が含まれています", F::kTextMark},
        {"8 program", L"txt", L"C:\\\u301Cwave.exe", L"", L"プログラム(パス)に使用できない文字が含まれています",
         F::kTextProgram},
        {"8 description", L"txt", exe, L"\U0001F600", L"名前に使用できない文字が含まれています", F::kTextName},
    };
    const std::vector<MarkRecord> before = markTable.Rows();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        boxes.ClearSeen();
        auto form = Open();
        Fill(*form, c.mark, c.program, c.name);
        boxes.Answer(IDOK);
        Click(*form, F::kCommandOk);
        ASSERT_EQ(boxes.Seen().size(), 1u);
        const test::SeenBox& box = boxes.Seen()[0];
        EXPECT_EQ(box.text, c.message);
        EXPECT_EQ(box.title, kErrorTitle);
        EXPECT_EQ(StandardIconOf(box), BoxIcon::Stop);
        EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
        EXPECT_TRUE(IsWindow(form->hwnd())) << "the dialog stays open";
        EXPECT_EQ(GetFocus(), form->Control(c.focus));
        EXPECT_EQ(markTable.Rows(), before);
        EXPECT_EQ(markCount, 0);
        EXPECT_EQ(selectedMark, 0);
    }
}

TEST_F(FormRegistTest, AnExtensionTakesTenRegistrationsAndNoMore) {
    SetTable(std::vector<MarkRecord>(9, MarkRecord{L"TXT", L"C:\\v.exe", L"v"}));
    auto form = Open();
    Fill(*form, L" txt", L"C:\\ten.exe", L"");
    Click(*form, F::kCommandOk);
    ASSERT_EQ(markCount, 10) << "the tenth is accepted";

    selectedMark = 0;
    form = Open();
    Fill(*form, L"txt", L"C:\\eleven.exe", L"");
    boxes.Answer(IDOK);
    Click(*form, F::kCommandOk);
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].text, L"これ以上この拡張子は登録出来ません");
    EXPECT_EQ(boxes.Seen()[0].title, kErrorTitle);
    EXPECT_EQ(GetFocus(), form->Control(F::kTextMark));
    EXPECT_EQ(markCount, 10);

    // Changing one of the ten does not count against itself.
    Click(*form, F::kCommandCancel);
    selectedMark = 4;
    form = Open();
    Fill(*form, L"", L"C:\\changed.exe", L"changed");
    Click(*form, F::kCommandOk);
    EXPECT_EQ(markTable[4].program, L"C:\\changed.exe");
}

TEST_F(FormRegistTest, AFailedCheckOnTheLockedExtensionFocusesCancel) {
    // Start-up hands over extensions the user cannot edit any more.
    for (const std::wstring mark : {L"A=B", L"ABCDEFGHIJK"}) {
        SCOPED_TRACE(::testing::PrintToString(mark));
        boxes.ClearSeen();
        SetTable({MarkRecord{mark, L"", L""}});
        selectedMark = 1;
        editorCaller = kCallerStartup;
        auto form = Open();
        EXPECT_FALSE(IsWindowEnabled(form->Control(F::kTextMark)));
        Type(*form, F::kTextProgram, L"C:\\a.exe");
        boxes.Answer(IDOK);
        Click(*form, F::kCommandOk);
        ASSERT_EQ(boxes.Seen().size(), 1u);
        EXPECT_EQ(GetFocus(), form->Control(F::kCommandCancel));
        EXPECT_FALSE(FileExists(Profile()));
    }
}

// ---- what OK stores

struct Stored {
    const char* what;
    std::wstring mark, program, name;
    MarkRecord row;
};

TEST_F(FormRegistTest, StoresTheRowTrimmedUpperCasedWithFullWidthCommas) {
    const std::vector<Stored> cases = {
        {"lower case", L"txt", L"C:\\e.exe", L"Edit", {L"TXT", L"C:\\e.exe", L"Edit"}},
        {"leading dot stays", L".txt", L"C:\\e.exe", L"Edit", {L".TXT", L"C:\\e.exe", L"Edit"}},
        {"blanks trimmed", L" ABCDEFGH ", L"  C:\\e.exe ", L" x ", {L"ABCDEFGH", L"C:\\e.exe", L"x"}},
        {"ten bytes full-width", L"ＡＢＣＤＥ", L"C:\\e.exe", L"e", {L"ＡＢＣＤＥ", L"C:\\e.exe", L"e"}},
        {"199 bytes and a comma", L"txt", L"C:\\a," + std::wstring(194, L'p'), L"e",
         {L"TXT", L"C:\\a，" + std::wstring(194, L'p'), L"e"}},
        {"200 bytes", L"txt", L"C:\\" + std::wstring(197, L'p'), L"e", {L"TXT", L"C:\\" + std::wstring(197, L'p'), L"e"}},
        {"ten full-width description", L"txt", L"C:\\e.exe", Repeat(L"説", 10), {L"TXT", L"C:\\e.exe", Repeat(L"説", 10)}},
        {"comma in description", L"txt", L"C:\\e.exe", L"a,b", {L"TXT", L"C:\\e.exe", L"a，b"}},
        {"blank description stays blank", L"txt", L"C:\\e.exe", L"  ", {L"TXT", L"C:\\e.exe", L""}},
        {"default: the file name", L"txt", L"C:\\Tools\\editor.exe", L"", {L"TXT", L"C:\\Tools\\editor.exe", L"editor.exe"}},
        {"default: path ends in a backslash", L"txt", L"C:\\Tools\\", L"", {L"TXT", L"C:\\Tools\\", L""}},
        {"default: no backslash, 20 characters", L"txt", L"abcdefghijklmnopqrstuvwxyz.exe", L"",
         {L"TXT", L"abcdefghijklmnopqrstuvwxyz.exe", L"abcdefghijklmnopqrst"}},
        {"default: 20 bytes of full-width", L"txt", L"C:\\" + Repeat(L"あ", 12) + L".exe", L"",
         {L"TXT", L"C:\\" + Repeat(L"あ", 12) + L".exe", Repeat(L"あ", 10)}},
        {"default: never half a character", L"txt", L"C:\\a" + Repeat(L"あ", 12), L"",
         {L"TXT", L"C:\\a" + Repeat(L"あ", 12), L"a" + Repeat(L"あ", 9)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetTable({MarkRecord{L"DOC", L"C:\\d.exe", L"d"}});
        selectedMark = 0;
        editorCaller = 0;
        auto form = Open();
        EXPECT_EQ(TextOf(form->hwnd()), L"TOLVARE - 設定(登録)");
        Fill(*form, c.mark, c.program, c.name);
        Click(*form, F::kCommandOk);
        EXPECT_FALSE(IsWindow(form->hwnd())) << "OK closes the dialog";
        ASSERT_EQ(markCount, 2);
        ASSERT_EQ(markTable.UBound(), 2);
        EXPECT_EQ(markTable[2], c.row) << "a new registration is appended";
        EXPECT_EQ(selectedMark, 2);
    }
    EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(FormRegistTest, ChangeModeShowsTheRowAndRewritesIt) {
    SetTable({{L"DOC", L"C:\\d.exe", L"d"}, {L"TXT", L"C:\\old.exe", L"old"}});
    selectedMark = 2;
    auto form = Open();
    EXPECT_EQ(TextOf(form->hwnd()), L"TOLVARE - 設定(変更)");
    EXPECT_EQ(TextOf(form->Control(F::kTextMark)), L"TXT");
    EXPECT_EQ(TextOf(form->Control(F::kTextProgram)), L"C:\\old.exe");
    EXPECT_EQ(TextOf(form->Control(F::kTextName)), L"old");
    EXPECT_FALSE(IsWindowEnabled(form->Control(F::kTextMark)));
    Type(*form, F::kTextProgram, L"C:\\new.exe");
    Type(*form, F::kTextName, L"");
    Click(*form, F::kCommandOk);
    EXPECT_EQ(markCount, 2);
    EXPECT_EQ(markTable[2], (MarkRecord{L"TXT", L"C:\\new.exe", L"new.exe"}));
    EXPECT_FALSE(FileExists(Profile())) << "only start-up's editor writes the file";
}

TEST_F(FormRegistTest, FromTheListSortsRefillsTheListAndLeavesTheFile) {
    SetTable({{L"TXT", L"C:\\t.exe", L"t"}});
    FormList list;
    ASSERT_TRUE(list.Create(nullptr, false));
    list.Form_Load();
    editorCaller = kCallerList;
    selectedMark = 0;
    auto form = Open();
    Fill(*form, L"bmp", L"C:\\paint.exe", L"Paint");
    Click(*form, F::kCommandOk);
    EXPECT_EQ(selectedMark, 0);
    ASSERT_EQ(markCount, 2);
    EXPECT_EQ(markTable[1].mark, L"BMP") << "sorted by extension";
    EXPECT_EQ(ListLines(list.Control(FormList::kListMark)),
              (std::vector<std::wstring>{L"BMP\t>Paint", L"TXT\t>t"}));
    EXPECT_FALSE(FileExists(Profile()));
    DestroyWindow(list.hwnd());
}

TEST_F(FormRegistTest, FromStartUpWritesTheWholeTableAtOnceWithABackup) {
    const std::string old = test::ToCp932(L"[MARK]\r\nDOC_0=DOC,C:\\d.exe,文書\r\n");
    test::WriteFileBytes(Profile(), old);
    SetTable({{L"DOC", L"C:\\d.exe", L"文書"}, {L"ZIP", L"", L""}, {L"BMP", L"C:\\p.exe", L"p"}});
    selectedMark = 2;
    editorCaller = kCallerStartup;
    auto form = Open();
    Type(*form, F::kTextProgram, L"C:\\Tools\\解凍.exe");
    Click(*form, F::kCommandOk);
    EXPECT_EQ(Bytes(Profile()), test::ToCp932(L"[MARK]\r\nBMP_0=BMP,C:\\p.exe,p\r\nDOC_0=DOC,C:\\d.exe,文書\r\n"
                                          L"ZIP_0=ZIP,C:\\Tools\\解凍.exe,解凍.exe\r\n"));
    EXPECT_EQ(Bytes(Backup()), old);
}

TEST_F(FormRegistTest, CancelAndTheTitleBarLeaveEverythingAsItWas) {
    SetTable({{L"TXT", L"C:\\t.exe", L"t"}});
    editorCaller = kCallerStartup;
    for (bool titleBar : {false, true}) {
        selectedMark = 1;
        auto form = Open();
        Fill(*form, L"", L"C:\\other.exe", L"other");
        if (titleBar) {
            SendMessageW(form->hwnd(), WM_CLOSE, 0, 0);
        } else {
            Click(*form, F::kCommandCancel);
        }
        EXPECT_FALSE(IsWindow(form->hwnd()));
        EXPECT_EQ(markTable[1], (MarkRecord{L"TXT", L"C:\\t.exe", L"t"}));
        EXPECT_EQ(markCount, 1);
        EXPECT_EQ(selectedMark, 1);
        EXPECT_FALSE(FileExists(Profile()));
    }
}

TEST_F(FormRegistTest, EnterAndEscPressNoButton) {
    auto form = Open();
    Fill(*form, L"txt", L"C:\\e.exe", L"e");
    SetFocus(form->Control(F::kTextName));
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        MSG msg{form->Control(F::kTextName), WM_KEYDOWN, key, 0, 0, {}};
        if (!Window::PreTranslate(&msg)) DispatchMessageW(&msg);
        Pump();
    }
    EXPECT_TRUE(IsWindow(form->hwnd()));
    EXPECT_EQ(markCount, 0);
}

// ---- the window itself

TEST_F(FormRegistTest, IsTopmostWithHintsOnBothTextBoxes) {
    auto form = Open();
    EXPECT_NE(GetWindowLongPtrW(form->hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    // The tool tip window is owned by the dialog; ask it for each box's hint.
    HWND tip = nullptr;
    while ((tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) != nullptr) {
        if (GetWindow(tip, GW_OWNER) == form->hwnd()) break;
    }
    ASSERT_NE(tip, nullptr);
    const std::pair<int, std::wstring> hints[] = {{F::kTextMark, L"半角10文字以内"},
                                                  {F::kTextName, L"ﾌﾟﾛｸﾞﾗﾑの説明（全角10文字以内）"},
                                                  {F::kTextProgram, L""}};
    for (const auto& [id, hint] : hints) {
        wchar_t text[256] = {};
        TTTOOLINFOW info{};
        info.cbSize = sizeof info;
        info.hwnd = form->hwnd();
        info.uId = reinterpret_cast<UINT_PTR>(form->Control(id));
        info.lpszText = text;
        SendMessageW(tip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&info));
        EXPECT_EQ(std::wstring(text), hint);
    }
}

struct Placement {
    int id;
    const wchar_t* text;
    int left, top, width, height;
};

const Placement kEditorLayout[] = {
    {F::kLabel2, L"拡張子 (&M)： ", 75, 150, 1140, 240},
    {F::kTextMark, L"", 1350, 150, 3540, 270},
    {F::kLabel6, L"ﾌﾟﾛｸﾞﾗﾑ (&P)： ", 75, 525, 1140, 240},
    {F::kTextProgram, L"", 1350, 525, 3540, 270},
    {F::kCommandAdd, L"参照(&R)...", 5025, 525, 1215, 315},
    {F::kLabel4, L"説明 (&N)： ", 75, 900, 1140, 240},
    {F::kTextName, L"", 1350, 900, 3540, 270},
    {F::kCommandOk, L"OK", 1875, 1425, 1215, 315},
    {F::kCommandCancel, L"キャンセル", 3225, 1425, 1215, 315},
};

TEST_F(FormRegistTest, ControlsStandWhereTheDesignPutsThemAtAnyDpi) {
    auto form = Open();
    for (int dpi : {form->dpi(), 144}) {
        SCOPED_TRACE(dpi);
        if (dpi != form->dpi()) {
            RECT r{};
            GetWindowRect(form->hwnd(), &r);
            SendMessageW(form->hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
        }
        RECT client{};
        GetClientRect(form->hwnd(), &client);
        EXPECT_EQ(client.right, MulDiv(6345, dpi, 1440));
        EXPECT_EQ(client.bottom, MulDiv(2025, dpi, 1440));
        for (const auto& p : kEditorLayout) {
            SCOPED_TRACE(p.id);
            HWND control = form->Control(p.id);
            ASSERT_NE(control, nullptr);
            EXPECT_EQ(TextOf(control), p.text);
            const RECT want = Expected(p.left, p.top, p.width, p.height, dpi);
            const RECT got = ChildRect(control);
            EXPECT_EQ(got.left, want.left);
            EXPECT_EQ(got.top, want.top);
            EXPECT_EQ(got.right, want.right);
            EXPECT_EQ(got.bottom, want.bottom);
        }
    }
}

TEST_F(FormRegistTest, ChildrenFollowTheTabOrderAndAccessKeysReachTheBoxes) {
    auto form = Open();
    HWND child = GetWindow(form->hwnd(), GW_CHILD);
    for (const auto& p : kEditorLayout) {
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(GetDlgCtrlID(child), p.id);
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(GetFocus(), form->Control(F::kTextMark)) << "the first box has the focus";
    // Tab goes through the boxes and buttons only.
    const int tabs[] = {F::kTextProgram, F::kCommandAdd, F::kTextName, F::kCommandOk, F::kCommandCancel,
                        F::kTextMark};
    for (int id : tabs) {
        MSG msg{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
        ASSERT_TRUE(Window::PreTranslate(&msg));
        EXPECT_EQ(GetFocus(), form->Control(id));
    }
    const std::pair<wchar_t, int> keys[] = {{L'p', F::kTextProgram}, {L'n', F::kTextName}, {L'm', F::kTextMark}};
    for (const auto& [key, id] : keys) {
        MSG msg{GetFocus(), WM_SYSCHAR, key, 0x20000000, 0, {}};
        Window::PreTranslate(&msg);
        EXPECT_EQ(GetFocus(), form->Control(id)) << static_cast<char>(key);
    }
}

}  // namespace
}  // namespace tolvare::testing
