// The registration editor driven as a user drives it: boxes typed into, OK and Cancel pressed,
// its message boxes read and answered, its effects on the table and the profile file checked.
#include "registration/form_regist.h"

#include <commctrl.h>

#include <tuple>

#include "core/globals.h"
#include "win32/win32_system.h"
#include "tests/win/registration_fixture.h"

namespace tolvare::testing {
namespace {

using F = FormRegist;

const MarkRecord kTxt{L"TXT", L"C:\\v.exe", L"v"};

using FormRegistTest = RegistrationTest;

// What the checks decide is tested without a window; here, what the window does with it.
struct Refusal {
    std::wstring mark, program, name, message;
    int focus;  // kCommandCancel: start-up handed the extension over, so its box is locked
};

TEST_F(FormRegistTest, ARefusalIsAStopBoxThenTheFocusGoesToItsBox) {
    const std::wstring exe = L"C:\\e.exe", markLong = L"拡張子が長すぎます\r\n10バイト以内で指定してください";
    const Refusal cases[] = {
        {L"", exe, L"", L"拡張子が未入力です", F::kTextMark},
        {L"txt", L"", L"", L"プログラムが未指定です", F::kTextProgram},
        {L"txt", exe, std::wstring(11, L'説'), L"名前が長すぎます\r\n20バイト以内で指定してください",
         F::kTextName},
        {L"ABCDEFGHIJK", exe, L"", markLong, F::kCommandCancel},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.focus);
        const bool locked = c.focus == F::kCommandCancel;
        const auto before = locked ? std::vector{MarkRecord{c.mark, L"", L""}} : std::vector{kTxt};
        selectedMark = locked ? 1 : 0;
        boxes.ClearSeen();
        auto form = Open<FormRegist>(before);
        Fill(form->hwnd(), {c.mark, c.program, c.name});
        boxes.Answer(IDOK);
        Click(form->Control(F::kCommandOk));
        test::ExpectMessages(boxes.Seen(), {{.text = c.message,
                                             .title = L"TOLVARE エラー",
                                             .buttons = {IDOK},
                                             .icon = test::BoxIcon::Stop}});
        EXPECT_TRUE(IsWindow(form->hwnd())) << "the dialog stays open";
        EXPECT_EQ(GetFocus(), form->Control(c.focus));
        EXPECT_EQ(markTable.Rows(), before);
        EXPECT_EQ(selectedMark, locked ? 1 : 0);
    }
}

TEST_F(FormRegistTest, OkAppendsTheStoredRowWithItsDefaultDescription) {
    selectedMark = 0;
    auto form = Open<FormRegist>(std::vector<MarkRecord>(9, kTxt));
    Fill(form->hwnd(), {L" txt ", L" C:\\bin\\a,b.exe ", L""});
    Click(form->Control(F::kCommandOk));
    EXPECT_FALSE(IsWindow(form->hwnd())) << "OK closes the dialog";
    ASSERT_EQ(markCount, 10);
    EXPECT_EQ(markTable[10], (MarkRecord{L"TXT", L"C:\\bin\\a，b.exe", L"a，b.exe"}));
    EXPECT_EQ(selectedMark, 10);
    EXPECT_EQ(Bytes(Profile()), "(none)") << "only start-up's editor writes the file";
}

TEST_F(FormRegistTest, ChangeModeFromStartUpWritesTheWholeTableWithABackupOnOkOnly) {
    const std::string old = test::ToCp932(L"[MARK]\r\nTXT_0=TXT,C:\\old.exe,古い\r\n");
    test::WriteFileBytes(Profile(), old);
    // Ten TXT rows: the one being changed does not count against its extension's ten.
    std::vector<MarkRecord> rows(10, kTxt);
    rows[3] = {L"TXT", L"C:\\old.exe", L"古い"};
    std::wstring written = L"[MARK]\r\n";
    for (int i = 0; i < 9; ++i) written += L"TXT_" + std::to_wstring(i) + L"=TXT,C:\\v.exe,v\r\n";
    written += L"TXT_9=TXT,C:\\Tools\\解凍.exe,解凍.exe\r\n";
    for (int button : {+F::kCommandCancel, 0, +F::kCommandOk}) {  // 0: the title bar's close box
        SCOPED_TRACE(button);
        selectedMark = 4;
        editorCaller = kCallerStartup;
        auto form = Open<FormRegist>(rows);
        EXPECT_EQ(WindowText(form->hwnd()), L"TOLVARE - 設定(変更)");
        EXPECT_FALSE(IsWindowEnabled(form->Control(F::kTextMark)));
        EXPECT_EQ(GetFocus(), form->Control(F::kTextProgram)) << "typing goes to the first box it can";
        EXPECT_EQ((MarkRecord{WindowText(form->Control(F::kTextMark)),
                              WindowText(form->Control(F::kTextProgram)),
                              WindowText(form->Control(F::kTextName))}),
                  rows[3]);
        Fill(form->hwnd(), {L"TXT", L"C:\\Tools\\解凍.exe", L""});
        SendMessageW(button != 0 ? form->Control(button) : form->hwnd(), button != 0 ? BM_CLICK : WM_CLOSE, 0,
                     0);
        EXPECT_FALSE(IsWindow(form->hwnd()));
        EXPECT_EQ(Bytes(Profile()), button == F::kCommandOk ? test::ToCp932(written) : old);
        EXPECT_EQ(Bytes(Profile() + L".bk"), button == F::kCommandOk ? old : "(none)");
        EXPECT_EQ(markTable.Rows() != rows, button == F::kCommandOk) << "only OK changes the table";
    }
}

TEST_F(FormRegistTest, KeysHintsAndLayoutAreAsDesigned) {
    auto form = Open<FormRegist>({});
    EXPECT_EQ(GetFocus(), form->Control(F::kTextMark)) << "the first box has the focus";
    // Tab skips the labels; a label's access key goes to the box after it. With the boxes empty,
    // a pressed OK would raise an unexpected box and a pressed Cancel would close the dialog.
    const std::tuple<UINT, WPARAM, int> keys[] = {
        {WM_KEYDOWN, VK_TAB, F::kTextProgram},   {WM_KEYDOWN, VK_TAB, F::kCommandBrowse},
        {WM_KEYDOWN, VK_TAB, F::kTextName},      {WM_KEYDOWN, VK_TAB, F::kCommandOk},
        {WM_KEYDOWN, VK_TAB, F::kCommandCancel}, {WM_KEYDOWN, VK_TAB, F::kTextMark},
        {WM_SYSCHAR, L'p', F::kTextProgram},     {WM_SYSCHAR, L'n', F::kTextName},
        {WM_SYSCHAR, L'm', F::kTextMark},        {WM_KEYDOWN, VK_RETURN, F::kTextMark},
        {WM_KEYDOWN, VK_ESCAPE, F::kTextMark}};
    for (const auto& [message, key, focus] : keys) {
        MSG msg{GetFocus(), message, key, message == WM_SYSCHAR ? 0x20000000 : 0,
                0,          {}};  // Alt held for WM_SYSCHAR
        if (!Window::PreTranslate(&msg)) DispatchMessageW(&msg);
        Pump();
        ASSERT_TRUE(IsWindow(form->hwnd())) << key;
        EXPECT_EQ(GetFocus(), form->Control(focus)) << key;
    }
    HWND tip = nullptr;  // the tool tip window the dialog owns
    do tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr);
    while (tip != nullptr && GetWindow(tip, GW_OWNER) != form->hwnd());
    ASSERT_NE(tip, nullptr);
    const std::pair<int, std::wstring> hints[] = {{F::kTextMark, L"半角10文字以内"},
                                                  {F::kTextName, L"ﾌﾟﾛｸﾞﾗﾑの説明（全角10文字以内）"},
                                                  {F::kTextProgram, L""}};
    for (const auto& [id, hint] : hints) {
        wchar_t text[256] = {};
        const auto uId = reinterpret_cast<UINT_PTR>(form->Control(id));
        TTTOOLINFOW info{sizeof info, 0, form->hwnd(), uId, {}, nullptr, nullptr, 0, nullptr};
        // The program box has no tool at all; the others have one with their hint.
        EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info)) != FALSE,
                  !hint.empty());
        if (hint.empty()) continue;
        info.lpszText = text;
        SendMessageW(tip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&info));
        EXPECT_EQ(std::wstring(text), hint);
    }
    ExpectLayout(*form, {{F::kLabel2, L"拡張子 (&M)： ", SS_RIGHT},
                         {F::kTextMark, L"", 0},
                         {F::kLabel6, L"ﾌﾟﾛｸﾞﾗﾑ (&P)： ", SS_RIGHT},
                         {F::kTextProgram, L"", 0},
                         {F::kCommandBrowse, L"参照(&R)...", 0},
                         {F::kLabel4, L"説明 (&N)： ", SS_RIGHT},
                         {F::kTextName, L"", 0},
                         {F::kCommandOk, L"OK", 0},
                         {F::kCommandCancel, L"キャンセル", 0}});
    // The hints have followed the window to its new DPI as well.
    LOGFONTW font{};
    ASSERT_NE(GetObjectW(reinterpret_cast<HFONT>(SendMessageW(tip, WM_GETFONT, 0, 0)), sizeof font, &font),
              0);
    EXPECT_EQ(font.lfHeight, -MulDiv(9, form->dpi(), 72));
}

TEST_F(FormRegistTest, EveryOpeningFreesTheFontsItMade) {
    // Each opening is closed from inside its own modal loop by a close posted as it is created.
    HHOOK hook = SetWindowsHookExW(
        WH_CBT,
        [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
            wchar_t cls[64] = {};
            if (code == HCBT_CREATEWND && GetClassNameW(reinterpret_cast<HWND>(wParam), cls, 64) &&
                lstrcmpW(cls, F::kClassName) == 0) {
                PostMessageW(reinterpret_cast<HWND>(wParam), WM_CLOSE, 0, 0);
            }
            return CallNextHookEx(nullptr, code, wParam, lParam);
        },
        nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    // GDI objects as the platform counts them (Wine has no count: 0) and as the window base does.
    const auto gdiObjects = [] { return GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS); };
    ShowFormRegist();  // the first opening may load what stays loaded
    const DWORD gdiBefore = gdiObjects();
    for (int i = 0; i < 500; ++i) ShowFormRegist();
    UnhookWindowsHookEx(hook);
    EXPECT_FALSE(Window::AnyOpen());
    EXPECT_EQ(Window::FontsAlive(), 0);
    EXPECT_LE(gdiObjects(), gdiBefore);
}

}  // namespace
}  // namespace tolvare::testing
