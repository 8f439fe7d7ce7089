// The list and the editor driven as a user drives them: lines clicked, buttons and keys pressed,
// the editor answered from inside its modal loop, files chosen and dropped, Send To used, and the
// profile file and its backup checked.
#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>
#include <shlobj.h>

#include <map>
#include <optional>

#include "registration/form_list.h"
#include "registration/form_regist.h"
#include "registration/send_to.h"
#include "tests/support/win_test.h"

namespace tolvare {
namespace {

using namespace tolvare::test;
using L = FormList;
using R = FormRegist;
using Rows = std::vector<MarkRecord>;
using RegistrationTest = WinTest;

std::vector<std::wstring> Lines(const FormList& form) {
    std::vector<std::wstring> lines;
    wchar_t line[256];
    while (SendDlgItemMessageW(form.hwnd(), L::kListMark, LB_GETTEXT, lines.size(), (LPARAM)line) > 0)
        lines.push_back(line);
    return lines;
}
std::vector<std::wstring> Lines(const Rows& rows) {
    std::vector<std::wstring> lines;
    for (const auto& r : rows) lines.push_back(r.mark + L"\t>" + r.name);
    return lines;
}
// A click (or a double click) on a line.
void Select(FormList& form, int index, WORD code = LBN_SELCHANGE) {
    SendDlgItemMessageW(form.hwnd(), L::kListMark, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(form.hwnd(), WM_COMMAND, MAKEWPARAM(L::kListMark, code), (LPARAM)form.Control(L::kListMark));
}
MarkRecord Texts(HWND window, int mark, int program, int name) {
    return {WindowText(GetDlgItem(window, mark)), WindowText(GetDlgItem(window, program)),
            WindowText(GetDlgItem(window, name))};
}
MarkRecord Shown(HWND editor) { return Texts(editor, R::kTextMark, R::kTextProgram, R::kTextName); }
void Fill(HWND editor, const MarkRecord& row) {
    SetDlgItemTextW(editor, R::kTextMark, row.mark.c_str());
    SetDlgItemTextW(editor, R::kTextProgram, row.program.c_str());
    SetDlgItemTextW(editor, R::kTextName, row.name.c_str());
}
// Does `open`, and hands the editor it opens to `use` from inside the editor's modal loop.
void InEditor(const std::function<void()>& open, std::function<void(HWND editor)> use) {
    static std::function<void(HWND)> handler;
    handler = std::move(use);
    SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        handler(Window::FrontWindow());
    });
    open();
}

TEST_F(RegistrationTest, TheListEditsItsTableInTheEditorAndWritesItOnlyOnOkOrApply) {
    const std::string old = "[MARK]\r\nOLD_0=OLD,o,p\r\n", other = "[MARK]\r\nNEW_0=N,n,n\r\n";
    WriteFileBytes(profile_, old);
    const std::wstring split = L"a" + std::wstring(50, L'あ') + L"a";  // 102 bytes
    Rows rows = {{L"ZIP", split, L"解凍"}, {L"DOC", L"d", L"D"}, {L"TXT", L"b", L"B"}, {L"TXT", L"a", L"A"}};
    auto form = Open<FormList>(rows, false);
    EXPECT_EQ(WindowText(form->hwnd()), L"TOLVARE - 登録リスト");
    // clang-format off
    ExpectLayout(*form, {5565, 5130}, {  // the frame's labels at the frame's 150, 2850 plus their own place
        {L::kLabel1, L"登録されている拡張子(&M)", 0, {150, 75, 3240, 240}}, {L::kListMark, L"", 0, {150, 375, 3840, 2400}},
        {L::kCommandAdd, L"追加(&N)...", 0, {4200, 450, 1215, 315}}, {L::kCommandDelete, L"削除(&R)", 0, {4200, 900, 1215, 315}},
        {L::kCommandEdit, L"編集(&E)...", 0, {4200, 1350, 1215, 315}}, {L::kCommandOk, L"OK", 0, {750, 4575, 1215, 315}},
        {L::kCommandCancel, L"キャンセル", 0, {2175, 4575, 1215, 315}}, {L::kCommandSave, L"適用(&A)...", 0, {3600, 4575, 1215, 315}},
        {L::kFrame1, L"登録情報の詳細", 0, {150, 2850, 5265, 1440}}, {L::kLabel8, L"拡張子 ： ", SS_RIGHT, {225, 3150, 840, 240}},
        {L::kLabelMark, L"-", SS_NOPREFIX, {1125, 3150, 2640, 240}}, {L::kLabel12, L"ﾌﾟﾛｸﾞﾗﾑ ： ", SS_RIGHT, {225, 3450, 840, 240}},
        {L::kLabelProgram, L"-", SS_NOPREFIX, {1125, 3450, 4140, 390}}, {L::kLabel10, L"説明 ： ", SS_RIGHT, {225, 3900, 840, 240}},
        {L::kLabelName, L"-", SS_NOPREFIX, {1125, 3900, 2640, 240}}});
    // clang-format on
    LOGFONTW font{};  // the list's fixed-pitch font has followed the window to its new DPI
    GetObjectW((HFONT)SendDlgItemMessageW(form->hwnd(), L::kListMark, WM_GETFONT, 0, 0), sizeof font, &font);
    EXPECT_EQ(std::wstring(font.lfFaceName) + L"/" + std::to_wstring(font.lfHeight),
              L"ＭＳ ゴシック/" + std::to_wstring(-MulDiv(9, form->dpi(), 72)));
    const auto expect = [&](const Rows& want, int selected, const std::string& file) {
        EXPECT_EQ(markTable.Rows(), want);
        EXPECT_EQ(Lines(*form), Lines(want)) << "the list box itself never sorts";
        EXPECT_EQ(selectedMark, selected);
        EXPECT_EQ(Bytes(profile_), file) << "the list writes only on OK or Apply";
    };
    const auto press = [&](int id) { Click(form->Control(id)); };
    // Edit and Delete need a line; Delete asks, and No keeps the row.
    boxes.Answer(IDOK).Answer(IDOK).Answer(IDNO).Answer(IDYES);
    press(L::kCommandEdit);
    press(L::kCommandDelete);
    Select(*form, 1);
    press(L::kCommandDelete);
    expect(rows, 2, old);
    Key(form->Control(L::kListMark), WM_KEYDOWN, VK_DELETE);
    rows.erase(rows.begin() + 1);
    expect(rows, 0, old);
    const Box ask{L"DOCの登録情報を削除しますか？", L"TOLVARE", 'Q', {IDYES, IDNO}};
    EXPECT_EQ(boxes.seen, (std::vector<Box>{{L"編集する拡張子を選択してください", L"TOLVARE", 'E', {IDOK}},
                                            {L"削除する拡張子を選択してください", L"TOLVARE", 'E', {IDOK}},
                                            ask,
                                            ask}));
    // A click shows the row, a long path by its last 100 bytes (which begin inside an "あ").
    Select(*form, 0);
    EXPECT_EQ(Texts(form->hwnd(), L::kLabelMark, L::kLabelProgram, L::kLabelName),
              (MarkRecord{L"ZIP", L"~" + std::wstring(49, L'あ') + L"a", L"解凍"}));
    // Every way to the editor opens it modal and topmost over the list, the focus in its first box
    // the user can type in; OK stores the row and the list shows the table sorted.
    const Rows added = {{L"CSV", L"C:\\calc.exe", L"calc.exe"}, rows[2], rows[1], rows[0]};
    const struct {
        std::function<void()> open;
        int line;  // clicked first, or -1
        bool adds;
        std::optional<MarkRecord> typed;  // then OK, or none to close it by its title bar
        Rows want;
    } ways[] = {
        {[&] { press(L::kCommandAdd); }, 2, true, MarkRecord{L"csv", L"C:\\calc.exe", L""}, added},
        {[&] { press(L::kCommandEdit); },
         3,
         false,
         MarkRecord{L"ZIP", L"z", L"Z"},
         {added[0], added[1], added[2], {L"ZIP", L"z", L"Z"}}},
        {[&] { Select(*form, 1, LBN_DBLCLK); }, 1, false, std::nullopt, {}},
        {[&] { Key(form->Control(L::kListMark), WM_KEYDOWN, VK_INSERT); }, -1, true, std::nullopt, {}},
        {[&] { Key(form->Control(L::kListMark), WM_KEYDOWN, VK_RETURN); }, 0, false, std::nullopt, {}},
    };
    for (const auto& w : ways) {
        SCOPED_TRACE(&w - ways);
        const Rows before = markTable.Rows();
        if (w.line >= 0) Select(*form, w.line);
        std::wstring caption;
        InEditor(w.open, [&](HWND editor) {
            caption = WindowText(editor);
            EXPECT_EQ(caption, w.adds ? L"TOLVARE - 設定(登録)" : L"TOLVARE - 設定(変更)");
            EXPECT_EQ(Shown(editor), w.adds ? MarkRecord{} : before[static_cast<size_t>(w.line)]);
            EXPECT_EQ(GetFocus(), GetDlgItem(editor, w.adds ? R::kTextMark : R::kTextProgram));
            EXPECT_NE(GetWindowLongW(editor, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
            EXPECT_EQ(GetWindow(editor, GW_OWNER), form->hwnd());
            EXPECT_FALSE(IsWindowEnabled(form->hwnd()));
            if (w.typed) Fill(editor, *w.typed);
            SendMessageW(w.typed ? GetDlgItem(editor, R::kCommandOk) : editor, w.typed ? BM_CLICK : WM_CLOSE,
                         0, 0);
        });
        EXPECT_FALSE(caption.empty()) << "no editor";
        EXPECT_EQ(GetActiveWindow(), form->hwnd()) << "the list, enabled again, takes the activation back";
        expect(w.typed ? w.want : before, w.typed || w.adds ? 0 : w.line + 1, old);
    }
    // Apply writes the sorted table and keeps the old file as the backup; over a file another
    // program has changed meanwhile, Apply and OK ask first, and No, like a failed save, leaves
    // everything open.
    const Rows saved = markTable.Rows();
    const std::string written = ToCp932(L"[MARK]\r\nCSV_0=CSV,C:\\calc.exe,calc.exe\r\nTXT_0=TXT,a,A\r\n"
                                        L"TXT_1=TXT,b,B\r\nZIP_0=ZIP,z,Z\r\n");
    press(L::kCommandSave);
    expect(saved, 0, written);
    EXPECT_EQ(Bytes(profile_ + L".bk"), old);
    WriteFileBytes(profile_, other);
    boxes.seen.clear();
    boxes.Answer(IDNO).Answer(IDNO).Answer(IDYES).Answer(IDABORT).Answer(IDYES);
    press(L::kCommandSave);
    press(L::kCommandOk);
    SetFileAttributesW(profile_.c_str(), FILE_ATTRIBUTE_READONLY);  // and after a failed save
    press(L::kCommandOk);
    SetFileAttributesW(profile_.c_str(), FILE_ATTRIBUTE_NORMAL);
    expect(saved, 0, other);
    EXPECT_FALSE(TakeQuit());
    press(L::kCommandOk);  // Yes
    EXPECT_EQ(Bytes(profile_), written);
    EXPECT_EQ(Bytes(profile_ + L".bk"), other);
    EXPECT_TRUE(TakeQuit() && !IsWindow(form->hwnd())) << "OK ends the program's last window";
    const Box unseen{L"登録情報の一部を読み込めていないか、ほかのプログラムによって変更されています。\r\n"
                     L"保存すると、表示されていない登録情報は失われます。保存しますか？",
                     L"TOLVARE",
                     'Q',
                     {IDYES, IDNO}};
    const Box failed{L"SaveMarkProfileAll:\r\n" + SystemText(ERROR_ACCESS_DENIED),
                     L"TOLVARE エラー",
                     'S',
                     {IDABORT, IDRETRY, IDIGNORE}};
    EXPECT_EQ(boxes.seen, (std::vector{unseen, unseen, unseen, failed, unseen}));
    // Cancel and the title bar leave the file as it is, and keep what was done in memory.
    for (const int close : {+L::kCommandCancel, 0}) {
        form = Open<FormList>(rows, false);
        Select(*form, 0);
        boxes.Answer(IDYES);
        press(L::kCommandDelete);
        close ? press(close) : (void)SendMessageW(form->hwnd(), WM_CLOSE, 0, 0);
        EXPECT_TRUE(TakeQuit() && !IsWindow(form->hwnd()));
        EXPECT_EQ(markTable.Rows(), Rows(rows.begin() + 1, rows.end()));
        EXPECT_EQ(Bytes(profile_), written);
    }
    // Apply shows the table as it wrote it, sorted, with nothing selected.
    form = Open<FormList>(rows, false);  // ZIP, TXT b, TXT a
    Select(*form, 2);
    press(L::kCommandSave);
    expect({rows[2], rows[1], rows[0]}, 0,
           ToCp932(L"[MARK]\r\nTXT_0=TXT,a,A\r\nTXT_1=TXT,b,B\r\nZIP_0=ZIP," + split + L",解凍\r\n"));
}

TEST_F(RegistrationTest, AnExceptionInAHandlerShowsOneStopBoxWithItsText) {
    auto form = Open<FormList>({}, false);
    selectedMark = 3;  // a row the table does not have
    boxes.Answer(IDOK);
    Click(form->Control(L::kCommandDelete));
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_TRUE(boxes.seen[0].text.starts_with(L"内部エラーが発生しました。\r\n") &&
                boxes.seen[0].text.size() > 16);
    EXPECT_EQ(std::tuple(boxes.seen[0].title, boxes.seen[0].icon), std::tuple(L"TOLVARE エラー", 'S'));
    EXPECT_TRUE(IsWindow(form->hwnd()));
}

TEST_F(RegistrationTest, TheEditorRefusesWithAStopBoxAndTakesKeysFilesAndDropsAsDesigned) {
    auto form = Open<FormRegist>({});
    // clang-format off
    ExpectLayout(*form, {6345, 2025}, {
        {R::kLabel2, L"拡張子 (&M)： ", SS_RIGHT, {75, 150, 1140, 240}}, {R::kTextMark, L"", 0, {1350, 150, 3540, 270}},
        {R::kLabel6, L"ﾌﾟﾛｸﾞﾗﾑ (&P)： ", SS_RIGHT, {75, 525, 1140, 240}}, {R::kTextProgram, L"", 0, {1350, 525, 3540, 270}},
        {R::kCommandBrowse, L"参照(&R)...", 0, {5025, 525, 1215, 315}}, {R::kLabel4, L"説明 (&N)： ", SS_RIGHT, {75, 900, 1140, 240}},
        {R::kTextName, L"", 0, {1350, 900, 3540, 270}}, {R::kCommandOk, L"OK", 0, {1875, 1425, 1215, 315}},
        {R::kCommandCancel, L"キャンセル", 0, {3225, 1425, 1215, 315}}});
    // Tab skips the labels; a label's access key goes to the box after it; Enter in a box is OK (a
    // refusal here), on a button that button (Cancel, at the end).
    EXPECT_EQ(GetFocus(), form->Control(R::kTextMark));
    const std::tuple<UINT, WPARAM, int> keys[] = {
        {WM_KEYDOWN, VK_TAB, R::kTextProgram}, {WM_KEYDOWN, VK_TAB, R::kCommandBrowse}, {WM_KEYDOWN, VK_TAB, R::kTextName},
        {WM_KEYDOWN, VK_TAB, R::kCommandOk}, {WM_KEYDOWN, VK_TAB, R::kCommandCancel}, {WM_KEYDOWN, VK_TAB, R::kTextMark},
        {WM_SYSCHAR, L'p', R::kTextProgram}, {WM_SYSCHAR, L'n', R::kTextName}, {WM_SYSCHAR, L'm', R::kTextMark},
        {WM_SYSCHAR, L'p', R::kTextProgram}, {WM_KEYDOWN, VK_RETURN, R::kTextMark}, {WM_SYSCHAR, L'n', R::kTextName},
        {WM_KEYDOWN, VK_RETURN, R::kTextMark}};
    // clang-format on
    boxes.Answer(IDOK).Answer(IDOK);
    for (const auto& [message, key, focus] : keys) {
        Key(GetFocus(), message, key);
        ASSERT_TRUE(IsWindow(form->hwnd())) << key;
        EXPECT_EQ(GetFocus(), form->Control(focus)) << key;
    }
    EXPECT_EQ(boxes.seen, std::vector<Box>(2, {L"拡張子が未入力です", L"TOLVARE エラー", 'S', {IDOK}}));
    // The focus stays where the user left it while another window is active.
    SetFocus(form->Control(R::kTextName));
    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 9, 9, 0, 0, 0, 0);
    SetActiveWindow(other), Pump(), SetActiveWindow(form->hwnd()), Pump(), DestroyWindow(other);
    EXPECT_EQ(GetFocus(), form->Control(R::kTextName));
    // The hints, in the tool tip window the dialog owns: none on the program box.
    HWND tip = nullptr;
    do tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr);
    while (tip != nullptr && GetWindow(tip, GW_OWNER) != form->hwnd());
    for (const auto& [id, hint] : {std::pair{+R::kTextMark, L"半角10文字以内"},
                                   {+R::kTextName, L"ﾌﾟﾛｸﾞﾗﾑの説明（全角10文字以内）"},
                                   {+R::kTextProgram, L""}}) {
        wchar_t text[256] = {};
        TTTOOLINFOW info{sizeof info, 0, form->hwnd(), (UINT_PTR)form->Control(id), {}, nullptr,
                         text,        0, nullptr};
        EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLINFOW, 0, (LPARAM)&info) != FALSE, *hint != 0);
        SendMessageW(tip, TTM_GETTEXTW, 256, (LPARAM)&info);
        EXPECT_EQ(std::wstring(text), hint);
    }
    LOGFONTW font{};
    GetObjectW((HFONT)SendMessageW(tip, WM_GETFONT, 0, 0), sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -MulDiv(9, form->dpi(), 72)) << "the hints follow the window to its new DPI";

    // A refusal is a stop box, then the focus goes to the box at fault (Cancel for an extension
    // that start-up handed over and locked); the row being changed is not counted twice.
    const std::wstring exe = L"C:\\e.exe";
    const struct {
        MarkRecord typed;
        std::wstring message;
        int focus;
    } refusals[] = {
        {{L"", exe, L""}, L"拡張子が未入力です", R::kTextMark},
        {{L"txt", L"", L""}, L"プログラムが未指定です", R::kTextProgram},
        {{L"txt", exe, std::wstring(11, L'説')},
         L"名前が長すぎます\r\n20バイト以内で指定してください",
         R::kTextName},
        {{L"ABCDEFGHIJK", exe, L""},
         L"拡張子が長すぎます\r\n10バイト以内で指定してください",
         R::kCommandCancel},
    };
    for (const auto& c : refusals) {
        selectedMark = c.focus == R::kCommandCancel ? 1 : 0;
        form = Open<FormRegist>({{c.typed.mark, L"", L""}});
        Fill(form->hwnd(), c.typed);
        boxes.seen.clear();
        boxes.Answer(IDOK);
        Click(form->Control(R::kCommandOk));
        EXPECT_EQ(boxes.seen, (std::vector<Box>{{c.message, L"TOLVARE エラー", 'S', {IDOK}}}));
        EXPECT_TRUE(IsWindow(form->hwnd())) << "the dialog stays open";
        EXPECT_EQ(GetFocus(), form->Control(c.focus));
        EXPECT_EQ(markCount, 1);
    }

    // The file dialog: its title and filter, and the program box gets the file chosen; the current
    // folder, which the programs started later inherit, stays.
    const std::wstring folder = dir_.MakeDir(L"tool dir"), path = folder + L"\\editor.exe";
    ASSERT_TRUE(WriteFileBytes(path, "MZ"));
    wchar_t before[MAX_PATH] = {}, after[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, before);
    SetDlgItemTextW(form->hwnd(), R::kTextMark, L"TXT");
    boxes.custom = [&](HWND dlg) {
        HWND name = GetDlgItem(dlg, cmb13) ? GetDlgItem(dlg, cmb13) : GetDlgItem(dlg, edt1);
        wchar_t filter[64] = {};
        SendDlgItemMessageW(dlg, cmb1, CB_GETLBTEXT, SendDlgItemMessageW(dlg, cmb1, CB_GETCURSEL, 0, 0),
                            (LPARAM)filter);
        EXPECT_EQ(GetWindow(dlg, GW_OWNER), form->hwnd());
        EXPECT_EQ(WindowText(dlg) + L"|" + filter, L"実行するﾌｧｲﾙを指定してください。|プログラム");
        SetWindowTextW(name, folder.c_str());  // into the folder first, as a user browses there
        SendMessageW(dlg, WM_COMMAND, IDOK, 0);
        SetWindowTextW(name, path.c_str());
        Press(dlg, IDOK);
        return true;
    };
    Click(form->Control(R::kCommandBrowse));
    GetCurrentDirectoryW(MAX_PATH, after);
    EXPECT_EQ(std::pair(WindowText(form->Control(R::kTextProgram)), std::wstring(after)),
              std::pair(path, std::wstring(before)));
    // Drops as the shell builds them: a header, then the names, each NUL-ended, and one more NUL;
    // the shell sends them only to windows that accept files.
    const std::wstring first = L"C:\\ツール\\first tool.exe  ";
    for (const auto& [box, files, program] : {std::tuple{+R::kTextProgram, std::wstring(), path},
                                              {+R::kTextMark, L"C:\\a.exe", path},
                                              {+R::kTextProgram, first + L'\0' + L"C:\\b.exe", first}}) {
        const std::wstring list = files + std::wstring(2, L'\0');
        HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
        auto* header = static_cast<DROPFILES*>(GlobalLock(drop));
        *header = {sizeof(DROPFILES), {}, FALSE, TRUE};
        memcpy(header + 1, list.data(), list.size() * sizeof(wchar_t));
        GlobalUnlock(drop);
        EXPECT_EQ((GetWindowLongPtrW(form->Control(box), GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0,
                  box == R::kTextProgram);
        SendMessageW(form->Control(box), WM_DROPFILES, (WPARAM)drop, 0);
        EXPECT_EQ(Texts(form->hwnd(), R::kTextMark, R::kTextProgram, R::kTextName),
                  (MarkRecord{L"TXT", program, L""}));
        if (box != R::kTextProgram) DragFinish(static_cast<HDROP>(drop));
    }
    SetFocus(form->Control(R::kCommandCancel));
    for (const WPARAM key : {VK_RETURN, VK_ESCAPE}) {  // Cancel pressed by Enter; Esc in a box
        Key(GetFocus(), WM_KEYDOWN, key);
        EXPECT_FALSE(IsWindow(form->hwnd())) << key;
        form = Open<FormRegist>({});
    }
    // Opened by start-up, OK writes the profile; when it cannot, the dialog stays with what was typed.
    WriteFileBytes(profile_, "[MARK]\r\n"), SetFileAttributesW(profile_.c_str(), FILE_ATTRIBUTE_READONLY);
    editorCaller = kCallerStartup, selectedMark = 1, boxes.custom = nullptr;
    form = Open<FormRegist>({{L"ZIP", L"", L""}});
    Fill(form->hwnd(), {L"ZIP", exe, L"z"}), boxes.Answer(IDABORT), Click(form->Control(R::kCommandOk));
    EXPECT_TRUE(IsWindow(form->hwnd()) && Shown(form->hwnd()) == (MarkRecord{L"ZIP", exe, L"z"}));
    SetFileAttributesW(profile_.c_str(), FILE_ATTRIBUTE_NORMAL), editorCaller = 0, boxes.seen.clear();
}

// Makes (save) or reads a shortcut's target and description with the shell link API, as Explorer.
using Link = std::pair<std::wstring, std::wstring>;
bool ShellLink(const std::wstring& path, Link& link, bool save) {
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* l = nullptr;
    IPersistFile* f = nullptr;
    wchar_t target[MAX_PATH] = {}, description[MAX_PATH] = {};
    bool ok = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                         (void**)&l)) &&
              SUCCEEDED(l->QueryInterface(IID_IPersistFile, (void**)&f));
    if (ok && save) {
        ok = SUCCEEDED(l->SetPath(link.first.c_str())) && SUCCEEDED(l->SetDescription(link.second.c_str())) &&
             SUCCEEDED(f->Save(path.c_str(), TRUE));
    } else if (ok) {
        ok = SUCCEEDED(f->Load(path.c_str(), STGM_READ)) &&
             SUCCEEDED(l->GetPath(target, MAX_PATH, nullptr, 0)) &&
             SUCCEEDED(l->GetDescription(description, MAX_PATH));
        link = {target, description};
    }
    if (f) f->Release();
    if (l) l->Release();
    if (SUCCEEDED(init)) CoUninitialize();
    return ok;
}

TEST_F(RegistrationTest, SendToMakesOneShortcutAndRemovesOnlyThoseOfThisExe) {
    const std::wstring folder = dir_.MakeDir(L"SendTo"), other = WindowsPathOf(TOLVARE_PROBE_PATH);
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const auto links = [&] {  // the folder's shortcuts by name
        std::map<std::wstring, Link> found;
        WIN32_FIND_DATAW entry{};
        HANDLE search = FindFirstFileW((folder + L"\\*.lnk").c_str(), &entry);
        for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &entry))
            ShellLink(folder + L"\\" + entry.cFileName, found[entry.cFileName], false);
        if (search != INVALID_HANDLE_VALUE) FindClose(search);
        return found;
    };
    SetSendToFolder(folder);
    std::unique_ptr<FormList> form;
    HMENU menu = nullptr;
    const auto choose = [&](const wchar_t* item) {  // as the item reads when the menu opens
        SendMessageW(form->hwnd(), WM_INITMENUPOPUP, (WPARAM)menu, MAKELPARAM(0, TRUE));
        wchar_t text[128] = {};
        GetMenuStringW(menu, L::kMenuSendTo, text, 128, MF_BYCOMMAND);
        EXPECT_STREQ(text, item);
        SendMessageW(form->hwnd(), WM_SYSCOMMAND, L::kMenuSendTo, 0);
    };
    const Link otherTolvare{other, L"TOLVARE"};
    const struct {
        std::map<std::wstring, Link> before;
        const wchar_t* added;  // the name registering gives; none: this exe is in the folder already
    } cases[] = {
        {{}, L"TOLVARE.lnk"},
        {{{L"TOLVARE.lnk", otherTolvare}}, L"TOLVARE (2).lnk"},
        {{{L"TOLVARE.lnk", otherTolvare},
          {L"a.lnk", {self, L""}},
          {L"short.lnk", {ShortPath(self), L""}},
          {L"upper.lnk", {Sys().ToUpper(self), L""}}},
         nullptr},
    };
    for (auto c : cases) {
        for (const auto& [name, link] : links()) DeleteFileW((folder + L"\\" + name).c_str());
        for (auto& [name, link] : c.before) ASSERT_TRUE(ShellLink(folder + L"\\" + name, link, true));
        form = Open<FormList>({}, false);  // the state is read as the list opens
        menu = GetSystemMenu(form->hwnd(), FALSE);
        const int last = GetMenuItemCount(menu) - 1;
        EXPECT_EQ(GetMenuItemID(menu, last), L::kMenuSendTo);  // last, below a separator
        EXPECT_NE(GetMenuState(menu, static_cast<UINT>(last - 1), MF_BYPOSITION) & MF_SEPARATOR, 0U);
        auto want = links();
        if (c.added != nullptr) {
            choose(L"「送る」メニューに登録(&O)");
            want[c.added] = {self, L"TOLVARE"};
            EXPECT_EQ(links(), want);
        }
        choose(L"「送る」メニューから削除(&O)");
        std::erase_if(want, [&](const auto& entry) { return entry.second.first != other; });
        EXPECT_EQ(links(), want);
    }
    EXPECT_TRUE(boxes.seen.empty());
    SetSendToFolder(L"");
}

}  // namespace
}  // namespace tolvare
