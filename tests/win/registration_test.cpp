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
using Action = std::function<void(FormList&)>;
using RegistrationTest = WinTest;

const Rows kFour = {{L"BMP", L"C:\\paint.exe", L"ペイント"},
                    {L"DOC", L"C:\\word.exe", L"Word"},
                    {L"TXT", L"C:\\edit.exe", L"Edit"},
                    {L"ZIP", L"C:\\zip.exe", L"解凍"}};
const std::wstring kUnseen =
    L"登録情報の一部を読み込めていないか、ほかのプログラムによって変更されています。\r\n"
    L"保存すると、表示されていない登録情報は失われます。保存しますか？";

// The list box's lines, and the lines a table should give.
std::vector<std::wstring> Lines(const FormList& form) {
    std::vector<std::wstring> lines;
    wchar_t line[256];
    for (int i = 0;
         SendMessageW(form.Control(L::kListMark), LB_GETTEXT, i, reinterpret_cast<LPARAM>(line)) > 0;)
        lines.push_back(line), ++i;
    return lines;
}
std::vector<std::wstring> Lines(const Rows& rows) {
    std::vector<std::wstring> lines;
    for (const auto& r : rows) lines.push_back(r.mark + L"\t>" + r.name);
    return lines;
}
// The list box's notification, as a click or a double click sends it.
void Notify(FormList& form, WORD code) {
    SendMessageW(form.hwnd(), WM_COMMAND, MAKEWPARAM(L::kListMark, code),
                 reinterpret_cast<LPARAM>(form.Control(L::kListMark)));
}
void Select(FormList& form, int index) {
    SendDlgItemMessageW(form.hwnd(), L::kListMark, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    Notify(form, LBN_SELCHANGE);
}
Action Button(int id) {
    return [id](FormList& form) { SendMessageW(form.Control(id), BM_CLICK, 0, 0); };
}
Action KeyIn(WPARAM key) {
    return [key](FormList& form) { WinTest::Key(form.Control(L::kListMark), WM_KEYDOWN, key); };
}

TEST_F(RegistrationTest, AClickedLineShowsItsRowAndALongPathByItsLast100Bytes) {
    const std::wstring exactly100 = L"C:\\" + std::wstring(97, L'p');
    // 102 bytes whose last 100 start in the middle of the first "あ".
    const std::wstring split = L"a" + std::wstring(50, L'あ') + L"a";
    const std::pair<MarkRecord, std::wstring> rows[] = {{{L"A", exactly100, L"a&b"}, exactly100},
                                                        {{L"B", exactly100 + L"q", L"b"},
                                                         L"~" + exactly100.substr(1) + L"q"},
                                                        {{L"C", split, L"c"},
                                                         L"~" + std::wstring(49, L'あ') + L"a"}};
    auto form = Open<FormList>({rows[0].first, rows[1].first, rows[2].first}, false);
    for (int i = 0; i < 3; ++i) {
        Select(*form, i);
        EXPECT_EQ(selectedMark, i + 1);
        EXPECT_EQ((MarkRecord{WindowText(form->Control(L::kLabelMark)),
                              WindowText(form->Control(L::kLabelProgram)),
                              WindowText(form->Control(L::kLabelName))}),
                  (MarkRecord{rows[i].first.mark, rows[i].second, rows[i].first.name}));
    }
}

TEST_F(RegistrationTest, EveryWayToTheEditorOpensItModalAndTheListShowsTheTableSorted) {
    Rows added = kFour, edited = kFour;
    added.insert(added.begin() + 1, MarkRecord{L"CSV", L"C:\\calc.exe", L"calc.exe"});
    edited[2] = {L"TXT", L"C:\\notepad.exe", L"Alpha"};
    const struct {
        const char* how;
        Action open;
        int index;  // the line clicked first, or -1
        bool adds;
        std::optional<MarkRecord> fill;  // typed before OK; none: closed by the title bar
        Rows want;
    } cases[] = {
        {"add button", Button(L::kCommandAdd), 3, true, MarkRecord{L"csv", L"C:\\calc.exe", L""}, added},
        {"edit button", Button(L::kCommandEdit), 2, false, edited[2], edited},
        {"double click", [](FormList& form) { Notify(form, LBN_DBLCLK); }, 1, false, std::nullopt, kFour},
        {"Insert key", KeyIn(VK_INSERT), -1, true, std::nullopt, kFour},
        {"Enter key", KeyIn(VK_RETURN), 0, false, std::nullopt, kFour},
    };
    static std::function<void(HWND editor)> inEditor;  // reached by a timer from the editor's modal loop
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        auto form = Open<FormList>(kFour, false);
        if (c.index >= 0) Select(*form, c.index);
        std::wstring caption;
        inEditor = [&](HWND editor) {
            caption = WindowText(editor);
            EXPECT_EQ(Shown(editor), c.adds ? MarkRecord{} : kFour[static_cast<size_t>(c.index)]);
            EXPECT_EQ(GetFocus(), GetDlgItem(editor, c.adds ? R::kTextMark : R::kTextProgram));
            EXPECT_NE(GetWindowLongW(editor, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
            EXPECT_EQ(GetWindow(editor, GW_OWNER), form->hwnd());
            EXPECT_FALSE(IsWindowEnabled(form->hwnd())) << "the editor is modal to the list";
            if (c.fill) Fill(editor, *c.fill);
            SendMessageW(c.fill ? GetDlgItem(editor, R::kCommandOk) : editor, c.fill ? BM_CLICK : WM_CLOSE, 0,
                         0);
        };
        SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR id, DWORD) {
            KillTimer(nullptr, id);
            inEditor(Window::FrontWindow());
        });
        c.open(*form);
        EXPECT_EQ(caption, c.adds ? L"TOLVARE - 設定(登録)" : L"TOLVARE - 設定(変更)");
        EXPECT_TRUE(IsWindowEnabled(form->hwnd()));
        EXPECT_EQ(selectedMark, c.fill || c.adds ? 0 : c.index + 1);
        EXPECT_EQ(markTable.Rows(), c.want);
        EXPECT_EQ(Lines(*form), Lines(c.want));
        EXPECT_EQ(Bytes(Profile()), "(none)") << "the list writes only on OK or Apply";
    }
}

TEST_F(RegistrationTest, DeleteAsksThenMovesTheRowsBehindUpAndEditAndDeleteNeedALine) {
    const std::wstring ask = L"DOCの登録情報を削除しますか？";
    const struct {
        Rows rows;
        int index;  // the line clicked first, or -1
        Action press;
        Box box;
        int answer;
        Rows left;
    } cases[] = {
        {kFour, 1, Button(L::kCommandDelete), {ask, L"TOLVARE", 'Q', {IDYES, IDNO}}, IDNO, kFour},
        {kFour,
         1,
         Button(L::kCommandDelete),
         {ask, L"TOLVARE", 'Q', {IDYES, IDNO}},
         IDYES,
         {kFour[0], kFour[2], kFour[3]}},
        {{kFour[1]}, 0, KeyIn(VK_DELETE), {ask, L"TOLVARE", 'Q', {IDYES, IDNO}}, IDYES, {}},
        {kFour,
         -1,
         Button(L::kCommandEdit),
         {L"編集する拡張子を選択してください", L"TOLVARE", 'E', {IDOK}},
         IDOK,
         kFour},
        {kFour,
         -1,
         Button(L::kCommandDelete),
         {L"削除する拡張子を選択してください", L"TOLVARE", 'E', {IDOK}},
         IDOK,
         kFour},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.box) + " " + std::to_string(c.answer));
        boxes.seen.clear();
        auto form = Open<FormList>(c.rows, false);
        if (c.index >= 0) Select(*form, c.index);
        boxes.Answer(c.answer);
        c.press(*form);
        EXPECT_EQ(boxes.seen, std::vector{c.box});
        EXPECT_EQ(markTable.Rows(), c.left);
        EXPECT_EQ(markCount, static_cast<int16_t>(c.left.size()));
        EXPECT_EQ(selectedMark, c.answer == IDNO ? c.index + 1 : 0);
        EXPECT_EQ(Lines(*form), Lines(c.left));
        EXPECT_EQ(Bytes(Profile()), "(none)");
    }
}

TEST_F(RegistrationTest, OkAndApplyWriteTheSortedTableWithABackupCancelAndTheTitleBarLeaveTheFile) {
    const std::string old = ToCp932(L"[MARK]\r\nOLD_0=OLD,C:\\old.exe,古い\r\n"),
                      other = "[MARK]\r\nNEW_0=N,n,n\r\n";
    const std::string written =
        ToCp932(L"[MARK]\r\nTXT_0=TXT,C:\\a,A\r\nTXT_1=TXT,C:\\b,B\r\nZIP_0=ZIP,C:\\zip.exe,解凍\r\n");
    const Rows rows = {kFour[3], kFour[1], {L"TXT", L"C:\\b", L"B"}, {L"TXT", L"C:\\a", L"A"}};
    const Rows kept = {rows[0], rows[2], rows[3]}, sorted = {rows[3], rows[2], rows[0]};
    const struct {
        const char* what;
        Action press;
        bool saves, staysOpen, meanwhile;  // meanwhile: another program rewrote the file; No to saving
    } cases[] = {
        {"Cancel", Button(L::kCommandCancel), false, false, false},
        {"title bar", [](FormList& form) { SendMessageW(form.hwnd(), WM_CLOSE, 0, 0); }, false, false, false},
        {"OK", Button(L::kCommandOk), true, false, false},
        {"Apply", Button(L::kCommandSave), true, true, false},
        {"OK over a changed file", Button(L::kCommandOk), false, true, true},
        {"Apply over a changed file", Button(L::kCommandSave), false, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileW((Profile() + L".bk").c_str());
        WriteFileBytes(Profile(), old);
        auto form = Open<FormList>(rows, false);
        if (c.meanwhile) WriteFileBytes(Profile(), other);
        Select(*form, 1);
        boxes.Answer(IDYES);
        Button(L::kCommandDelete)(*form);
        EXPECT_EQ(Lines(*form), Lines(kept)) << "the list box itself does not sort";
        Select(*form, 0);
        if (c.meanwhile) boxes.Answer(IDNO);
        c.press(*form);
        EXPECT_EQ(Bytes(Profile()), c.saves ? written : c.meanwhile ? other : old);
        EXPECT_EQ(Bytes(Profile() + L".bk"), c.saves ? old : "(none)");
        EXPECT_EQ(markTable.Rows(), c.saves ? sorted : kept) << "Cancel keeps the deletion in memory";
        EXPECT_EQ(IsWindow(form->hwnd()) != FALSE, c.staysOpen);
        EXPECT_EQ(TakeQuit(), !c.staysOpen) << "the list was the program's last window";
        EXPECT_EQ(selectedMark, c.saves && c.staysOpen ? 0 : 1)
            << "after Apply, row 1 is another registration";
        EXPECT_EQ(Lines(*form), Lines(c.staysOpen ? (c.saves ? sorted : kept) : Rows{}));
        EXPECT_EQ(boxes.seen.size(), c.meanwhile ? 2u : 1u);
        if (c.meanwhile) {
            EXPECT_EQ(boxes.seen.back(), (Box{kUnseen, L"TOLVARE", 'Q', {IDYES, IDNO}}));
        }
        boxes.seen.clear();
        form.reset();
        TakeQuit();
    }
}

TEST_F(RegistrationTest, TheListsControlsStandWhereTheDesignPutsThem) {
    auto form = Open<FormList>({}, false);
    EXPECT_EQ(WindowText(form->hwnd()), L"TOLVARE - 登録リスト");
    ExpectLayout(*form, {{L::kLabel1, L"登録されている拡張子(&M)", 0},
                         {L::kListMark, L"", 0},
                         {L::kCommandAdd, L"追加(&N)...", 0},
                         {L::kCommandDelete, L"削除(&R)", 0},
                         {L::kCommandEdit, L"編集(&E)...", 0},
                         {L::kCommandOk, L"OK", 0},
                         {L::kCommandCancel, L"キャンセル", 0},
                         {L::kCommandSave, L"適用(&A)...", 0},
                         {L::kFrame1, L"登録情報の詳細", 0},
                         {L::kLabel8, L"拡張子 ： ", SS_RIGHT},
                         {L::kLabelMark, L"-", SS_NOPREFIX},
                         {L::kLabel12, L"ﾌﾟﾛｸﾞﾗﾑ ： ", SS_RIGHT},
                         {L::kLabelProgram, L"-", SS_NOPREFIX},
                         {L::kLabel10, L"説明 ： ", SS_RIGHT},
                         {L::kLabelName, L"-", SS_NOPREFIX}});
    LOGFONTW font{};  // the list's fixed-pitch font has followed the window to its new DPI
    GetObjectW(reinterpret_cast<HFONT>(SendDlgItemMessageW(form->hwnd(), L::kListMark, WM_GETFONT, 0, 0)),
               sizeof font, &font);
    EXPECT_EQ(std::tuple(std::wstring(font.lfFaceName), font.lfCharSet, font.lfHeight),
              std::tuple(std::wstring(L"ＭＳ ゴシック"), BYTE{SHIFTJIS_CHARSET},
                         -MulDiv(9, form->dpi(), 72)));
}

TEST_F(RegistrationTest, ARefusalIsAStopBoxThenTheFocusGoesToItsBox) {
    const struct {
        MarkRecord typed;
        std::wstring message;
        int focus;  // kCommandCancel: start-up handed the extension over, so its box is locked
    } cases[] = {
        {{L"", L"C:\\e.exe", L""}, L"拡張子が未入力です", R::kTextMark},
        {{L"txt", L"", L""}, L"プログラムが未指定です", R::kTextProgram},
        {{L"txt", L"C:\\e.exe", std::wstring(11, L'説')},
         L"名前が長すぎます\r\n20バイト以内で指定してください",
         R::kTextName},
        {{L"ABCDEFGHIJK", L"C:\\e.exe", L""},
         L"拡張子が長すぎます\r\n10バイト以内で指定してください",
         R::kCommandCancel},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.focus);
        const bool locked = c.focus == R::kCommandCancel;
        const Rows before = {locked ? MarkRecord{c.typed.mark, L"", L""} : kFour[0]};
        selectedMark = locked ? 1 : 0;
        boxes.seen.clear();
        auto form = Open<FormRegist>(before);
        Fill(form->hwnd(), c.typed);
        boxes.Answer(IDOK);
        Click(form->Control(R::kCommandOk));
        EXPECT_EQ(boxes.seen, (std::vector<Box>{{c.message, L"TOLVARE エラー", 'S', {IDOK}}}));
        EXPECT_TRUE(IsWindow(form->hwnd())) << "the dialog stays open";
        EXPECT_EQ(GetFocus(), form->Control(c.focus));
        EXPECT_EQ(markTable.Rows(), before);
    }
}

TEST_F(RegistrationTest, TheEditorFromStartUpWritesTheWholeTableWithABackupOnOkOnly) {
    const std::string old = ToCp932(L"[MARK]\r\nTXT_0=TXT,C:\\old.exe,古い\r\n");
    // Ten TXT rows: the one being changed does not count against its extension's ten.
    Rows rows(10, {L"TXT", L"C:\\v.exe", L"v"});
    rows[3] = {L"TXT", L"C:\\old.exe", L"古い"};
    std::wstring written = L"[MARK]\r\n";
    for (int i = 0; i < 9; ++i) written += L"TXT_" + std::to_wstring(i) + L"=TXT,C:\\v.exe,v\r\n";
    written += L"TXT_9=TXT,C:\\Tools\\解凍.exe,解凍.exe\r\n";
    for (int button : {+R::kCommandCancel, 0, +R::kCommandOk}) {  // 0: the title bar's close box
        SCOPED_TRACE(button);
        WriteFileBytes(Profile(), old);
        selectedMark = 4;
        editorCaller = kCallerStartup;
        auto form = Open<FormRegist>(rows);
        EXPECT_EQ(WindowText(form->hwnd()), L"TOLVARE - 設定(変更)");
        EXPECT_FALSE(IsWindowEnabled(form->Control(R::kTextMark)));
        EXPECT_EQ(GetFocus(), form->Control(R::kTextProgram)) << "typing goes to the first box it can";
        EXPECT_EQ(Shown(form->hwnd()), rows[3]);
        Fill(form->hwnd(), {L"TXT", L"C:\\Tools\\解凍.exe", L""});
        SendMessageW(button ? form->Control(button) : form->hwnd(), button ? BM_CLICK : WM_CLOSE, 0, 0);
        EXPECT_FALSE(IsWindow(form->hwnd()));
        EXPECT_EQ(Bytes(Profile()), button == R::kCommandOk ? ToCp932(written) : old);
        EXPECT_EQ(Bytes(Profile() + L".bk"), button == R::kCommandOk ? old : "(none)");
    }
}

TEST_F(RegistrationTest, TheEditorsKeysHintsAndLayoutAreAsDesigned) {
    auto form = Open<FormRegist>({});
    EXPECT_EQ(GetFocus(), form->Control(R::kTextMark));
    // Tab skips the labels; a label's access key goes to the box after it; with the boxes empty,
    // Enter and Esc would raise a box or close the dialog.
    const std::tuple<UINT, WPARAM, int> keys[] = {
        {WM_KEYDOWN, VK_TAB, R::kTextProgram},   {WM_KEYDOWN, VK_TAB, R::kCommandBrowse},
        {WM_KEYDOWN, VK_TAB, R::kTextName},      {WM_KEYDOWN, VK_TAB, R::kCommandOk},
        {WM_KEYDOWN, VK_TAB, R::kCommandCancel}, {WM_KEYDOWN, VK_TAB, R::kTextMark},
        {WM_SYSCHAR, L'p', R::kTextProgram},     {WM_SYSCHAR, L'n', R::kTextName},
        {WM_SYSCHAR, L'm', R::kTextMark},        {WM_KEYDOWN, VK_RETURN, R::kTextMark},
        {WM_KEYDOWN, VK_ESCAPE, R::kTextMark}};
    for (const auto& [message, key, focus] : keys) {
        Key(GetFocus(), message, key);
        ASSERT_TRUE(IsWindow(form->hwnd())) << key;
        EXPECT_EQ(GetFocus(), form->Control(focus)) << key;
    }
    HWND tip = nullptr;  // the tool tip window the dialog owns
    do tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr);
    while (tip != nullptr && GetWindow(tip, GW_OWNER) != form->hwnd());
    ASSERT_NE(tip, nullptr);
    for (const auto& [id, hint] : {std::pair{+R::kTextMark, L"半角10文字以内"},
                                   {+R::kTextName, L"ﾌﾟﾛｸﾞﾗﾑの説明（全角10文字以内）"},
                                   {+R::kTextProgram, L""}}) {
        wchar_t text[256] = {};
        TTTOOLINFOW info{sizeof info, 0,       form->hwnd(), reinterpret_cast<UINT_PTR>(form->Control(id)),
                         {},          nullptr, text,         0,
                         nullptr};
        // The program box has no tool at all; the others have one with their hint.
        EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info)) != FALSE,
                  *hint != 0);
        info.lpszText = text;
        SendMessageW(tip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&info));
        EXPECT_EQ(std::wstring(text), hint);
    }
    ExpectLayout(*form, {{R::kLabel2, L"拡張子 (&M)： ", SS_RIGHT},
                         {R::kTextMark, L"", 0},
                         {R::kLabel6, L"ﾌﾟﾛｸﾞﾗﾑ (&P)： ", SS_RIGHT},
                         {R::kTextProgram, L"", 0},
                         {R::kCommandBrowse, L"参照(&R)...", 0},
                         {R::kLabel4, L"説明 (&N)： ", SS_RIGHT},
                         {R::kTextName, L"", 0},
                         {R::kCommandOk, L"OK", 0},
                         {R::kCommandCancel, L"キャンセル", 0}});
    LOGFONTW font{};  // the hints have followed the window to its new DPI as well
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(tip, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -MulDiv(9, form->dpi(), 72));
}

TEST_F(RegistrationTest, BrowseAndADropFillTheProgramBoxAndNothingElse) {
    auto form = Open<FormRegist>({});
    SetWindowTextW(form->Control(R::kTextMark), L"TXT");
    const std::wstring folder = dir_.MakeDir(L"tool dir"), path = folder + L"\\editor.exe";
    ASSERT_TRUE(WriteFileBytes(path, "MZ"));
    wchar_t before[MAX_PATH] = {}, after[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, before);
    for (const bool open : {false, true}) {
        SetWindowTextW(form->Control(R::kTextProgram), L"typed before");
        bool came = false;
        boxes.custom = [&](HWND dlg) {
            HWND name = GetDlgItem(dlg, cmb13) ? GetDlgItem(dlg, cmb13) : GetDlgItem(dlg, edt1);
            wchar_t filter[64] = {};
            SendDlgItemMessageW(dlg, cmb1, CB_GETLBTEXT, SendDlgItemMessageW(dlg, cmb1, CB_GETCURSEL, 0, 0),
                                reinterpret_cast<LPARAM>(filter));
            EXPECT_EQ(GetWindow(dlg, GW_OWNER), form->hwnd());
            EXPECT_EQ(WindowText(dlg), L"実行するﾌｧｲﾙを指定してください。");
            EXPECT_EQ(std::wstring(filter), L"プログラム");
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(dlg, chx1)));  // the read-only box
            SetWindowTextW(name, folder.c_str());  // into the folder first, as a user browses there
            SendMessageW(dlg, WM_COMMAND, IDOK, 0);
            SetWindowTextW(name, path.c_str());
            Press(dlg, open ? IDOK : IDCANCEL);
            return came = true;
        };
        Click(form->Control(R::kCommandBrowse));
        EXPECT_TRUE(came) << "the file dialog never came";
        EXPECT_EQ(WindowText(form->Control(R::kTextProgram)), open ? path : L"typed before");
        GetCurrentDirectoryW(MAX_PATH, after);
        EXPECT_STREQ(after, before) << "the programs started later inherit it";
    }
    // Drops as the shell builds them: a header, then the names, each NUL-ended, and one more NUL.
    for (const auto& [box, files, program] :
         {std::tuple{+R::kTextProgram, std::wstring(), path},
          {+R::kTextMark, std::wstring(L"C:\\a.exe"), path},
          {+R::kTextProgram, std::wstring(L"C:\\ツール\\first tool.exe  ") + L'\0' + L"C:\\second.exe",
           std::wstring(L"C:\\ツール\\first tool.exe  ")}}) {
        const std::wstring list = files + std::wstring(2, L'\0');
        HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
        auto* header = static_cast<DROPFILES*>(GlobalLock(drop));
        *header = {sizeof(DROPFILES), {}, FALSE, TRUE};
        memcpy(header + 1, list.data(), list.size() * sizeof(wchar_t));
        GlobalUnlock(drop);
        // The shell sends WM_DROPFILES only to windows that accept files.
        EXPECT_EQ((GetWindowLongPtrW(form->Control(box), GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0,
                  box == R::kTextProgram);
        SendMessageW(form->Control(box), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
        EXPECT_EQ(WindowText(form->Control(R::kTextProgram)), program);
        EXPECT_EQ(WindowText(form->Control(R::kTextMark)), L"TXT");
        if (box != R::kTextProgram) DragFinish(static_cast<HDROP>(drop));
    }
}

// Shortcuts made and read with the shell link API, as Explorer reads them; by file name.
using Links = std::map<std::wstring, std::pair<std::wstring, std::wstring>>;  // target, description

template <class Use>
bool WithLink(Use use) {
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    const bool ok = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                               IID_IShellLinkW, reinterpret_cast<void**>(&link))) &&
                    SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
                    use(link, file);
    if (file) file->Release();
    if (link) link->Release();
    if (SUCCEEDED(init)) CoUninitialize();
    return ok;
}

Links LinksIn(const std::wstring& folder) {
    Links links;
    WIN32_FIND_DATAW entry{};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &entry)) {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        WithLink([&](IShellLinkW* l, IPersistFile* f) {
            wchar_t target[MAX_PATH] = {}, description[MAX_PATH] = {};
            f->Load((folder + L"\\" + entry.cFileName).c_str(), STGM_READ);
            l->GetPath(target, MAX_PATH, nullptr, 0);
            l->GetDescription(description, MAX_PATH);
            links[entry.cFileName] = {target, description};
            return true;
        });
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return links;
}

TEST_F(RegistrationTest, SendToMakesOneShortcutAndRemovesOnlyThoseOfThisExe) {
    const std::wstring folder = dir_.MakeDir(L"SendTo"), other = WindowsPathOf(TOLVARE_PROBE_PATH);
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    SetSendToFolder(folder);
    const std::pair<std::wstring, std::wstring> otherTolvare{other, L"TOLVARE"};
    const struct {
        Links before;          // the exe's own name stands for this exe
        const wchar_t* added;  // what registering names it; none when it is registered already
    } cases[] = {
        {{}, L"TOLVARE.lnk"},
        {{{L"TOLVARE.lnk", otherTolvare}}, L"TOLVARE (2).lnk"},
        {{{L"TOLVARE.lnk", otherTolvare},
          {L"win_tests - ショートカット.lnk", {self, L""}},
          {L"short.lnk", {ShortPath(self), L""}}},
         nullptr},
    };
    auto form = Open<FormList>({}, false);
    HMENU menu = GetSystemMenu(form->hwnd(), FALSE);
    const int last = GetMenuItemCount(menu) - 1;
    EXPECT_EQ(GetMenuItemID(menu, last), L::kMenuSendTo);  // last, below a separator
    EXPECT_NE(GetMenuState(menu, static_cast<UINT>(last - 1), MF_BYPOSITION) & MF_SEPARATOR, 0U);
    const auto item = [&] {
        wchar_t text[128] = {};
        GetMenuStringW(menu, L::kMenuSendTo, text, 128, MF_BYCOMMAND);
        return std::wstring(text);
    };
    const auto choose = [&] { SendMessageW(form->hwnd(), WM_SYSCOMMAND, L::kMenuSendTo, 0); };
    for (const auto& c : cases) {
        for (const auto& [name, link] : LinksIn(folder)) DeleteFileW((folder + L"\\" + name).c_str());
        for (const auto& [name, link] : c.before) {
            ASSERT_TRUE(WithLink([&](IShellLinkW* l, IPersistFile* f) {
                return SUCCEEDED(l->SetPath(link.first.c_str())) &&
                       SUCCEEDED(l->SetDescription(link.second.c_str())) &&
                       SUCCEEDED(f->Save((folder + L"\\" + name).c_str(), TRUE));
            }));
        }
        const Links before = LinksIn(folder);
        SendMessageW(form->hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, TRUE));
        if (c.added != nullptr) {
            EXPECT_EQ(item(), L"「送る」メニューに登録(&O)");
            choose();
            Links registered = before;
            registered[c.added] = {self, L"TOLVARE"};
            EXPECT_EQ(LinksIn(folder), registered);
            SendMessageW(form->hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, TRUE));
        }
        EXPECT_EQ(item(), L"「送る」メニューから削除(&O)");
        choose();
        Links others = before;
        std::erase_if(others, [&](const auto& entry) { return entry.second.first != other; });
        EXPECT_EQ(LinksIn(folder), others);
    }
    EXPECT_TRUE(boxes.seen.empty());
    SetSendToFolder(L"");
}

}  // namespace
}  // namespace tolvare
