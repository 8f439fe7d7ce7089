// The registration list driven as a user drives it: lines clicked, buttons and keys pressed, the
// editor answered from inside its modal loop, and the profile file and its backup checked.
#include "registration/form_list.h"

#include <functional>
#include <optional>

#include "core/globals.h"
#include "registration/form_regist.h"
#include "tests/win/registration_fixture.h"

namespace tolvare::testing {
namespace {

using L = FormList;
using R = FormRegist;
using Action = std::function<void(FormList&)>;
using Rows = std::vector<MarkRecord>;

const Rows kFour = {{L"BMP", L"C:\\paint.exe", L"ペイント"},
                    {L"DOC", L"C:\\word.exe", L"Word"},
                    {L"TXT", L"C:\\edit.exe", L"Edit"},
                    {L"ZIP", L"C:\\zip.exe", L"解凍"}};

std::vector<std::wstring> LinesOf(const Rows& rows) {
    std::vector<std::wstring> lines;
    for (const auto& r : rows) lines.push_back(r.mark + L"\t>" + r.name);
    return lines;
}

// The list box's lines; a line is never empty, so the first empty answer ends them.
std::vector<std::wstring> Lines(const FormList& form) {
    std::vector<std::wstring> lines;
    wchar_t line[256];
    for (int i = 0;
         SendMessageW(form.Control(L::kListMark), LB_GETTEXT, i, reinterpret_cast<LPARAM>(line)) > 0; ++i) {
        lines.push_back(line);
    }
    return lines;
}

class FormListTest : public RegistrationTest {
protected:
    // The list box's notification to its window, as a click or a double click sends it.
    static void Notify(FormList& form, WORD code) {
        HWND list = form.Control(L::kListMark);
        SendMessageW(form.hwnd(), WM_COMMAND, MAKEWPARAM(L::kListMark, code), reinterpret_cast<LPARAM>(list));
    }
    static void Select(FormList& form, int index) {
        SendDlgItemMessageW(form.hwnd(), L::kListMark, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        Notify(form, LBN_SELCHANGE);
    }
    static Action Button(int id) {
        return [id](FormList& form) { Click(form.Control(id)); };
    }
    // A key pressed in the list, through the dialog manager as the program's loop passes it.
    static Action Key(WPARAM key) {
        return [key](FormList& form) {
            MSG msg{form.Control(L::kListMark), WM_KEYDOWN, key, 0, 0, {}};
            if (!Window::PreTranslate(&msg)) DispatchMessageW(&msg);
        };
    }
};

TEST_F(FormListTest, ClickShowsTheRowAndALongPathByItsLast100Bytes) {
    const std::wstring exactly100 = L"C:\\" + std::wstring(97, L'p'),
                       bytes101 = L"C:\\" + std::wstring(98, L'p');
    // 102 bytes whose last 100 start in the middle of the first "あ".
    const std::wstring split = L"a" + std::wstring(50, L'あ') + L"a";
    const std::pair<MarkRecord, std::wstring> rows[] = {{{L"A", exactly100, L"a&b"}, exactly100},
                                                        {{L"B", bytes101, L"b"}, L"~" + bytes101.substr(1)},
                                                        {{L"C", split, L"c"},
                                                         L"~" + std::wstring(49, L'あ') + L"a"}};
    auto form = Open<FormList>({rows[0].first, rows[1].first, rows[2].first}, false);
    for (int i = 0; i < 3; ++i) {
        Select(*form, i);
        EXPECT_EQ(selectedMark, i + 1);
        const MarkRecord shown{WindowText(form->Control(L::kLabelMark)),
                               WindowText(form->Control(L::kLabelProgram)),
                               WindowText(form->Control(L::kLabelName))};
        EXPECT_EQ(shown, (MarkRecord{rows[i].first.mark, rows[i].second, rows[i].first.name}));
    }
}

// `index`: the line clicked first, or -1; `fill`: typed into the editor before OK, or none to
// close it by its title bar instead; `want`: the table afterwards.
struct Opening {
    const char* how;
    Action open;
    int index;
    bool adds;
    std::optional<MarkRecord> fill;
    Rows want;
};

TEST_F(FormListTest, EveryWayToTheEditorOpensItModalAndShowsTheTableSorted) {
    Rows added = kFour, edited = kFour;
    added.insert(added.begin() + 1, MarkRecord{L"CSV", L"C:\\calc.exe", L"calc.exe"});
    edited[2] = {L"TXT", L"C:\\notepad.exe", L"Alpha"};
    const Opening cases[] = {
        {"add button", Button(L::kCommandAdd), 3, true, MarkRecord{L"csv", L"C:\\calc.exe", L""}, added},
        {"edit button", Button(L::kCommandEdit), 2, false, MarkRecord{L"TXT", L"C:\\notepad.exe", L"Alpha"},
         edited},
        {"double click", [](FormList& form) { Notify(form, LBN_DBLCLK); }, 1, false, std::nullopt, kFour},
        {"Insert key", Key(VK_INSERT), -1, true, std::nullopt, kFour},
        {"Enter key", Key(VK_RETURN), 0, false, std::nullopt, kFour},
    };
    // What to do in the editor once its modal loop runs: a timer of this thread reaches it there.
    static std::function<void(HWND editor)> inEditor;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        editorCaller = 0;  // each way must say itself that the editor works for the list
        auto form = Open<FormList>(kFour, false);
        if (c.index >= 0) Select(*form, c.index);
        std::wstring caption;  // stays empty unless the editor opens
        inEditor = [&](HWND editor) {
            caption = WindowText(editor);
            const MarkRecord seen{WindowText(GetDlgItem(editor, R::kTextMark)),
                                  WindowText(GetDlgItem(editor, R::kTextProgram)),
                                  WindowText(GetDlgItem(editor, R::kTextName))};
            EXPECT_EQ(seen, c.adds ? MarkRecord{} : kFour[static_cast<size_t>(c.index)]);
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
        EXPECT_EQ(markCount, static_cast<int16_t>(c.want.size()));
        EXPECT_EQ(Lines(*form), LinesOf(c.want));
        EXPECT_EQ(Bytes(Profile()), "(none)") << "the list writes only on OK or Apply";
    }
}

// `index`: the line clicked first, or -1; `text`: the box's, answered with `answer`.
struct Question {
    const char* what;
    Rows rows;
    int index;
    Action press;
    int answer;
    std::wstring text;
    Rows left;
};

TEST_F(FormListTest, DeleteAsksThenMovesTheRowsBehindUpAndBothAskForASelection) {
    const std::wstring ask = L"DOCの登録情報を削除しますか？";
    const Question cases[] = {
        {"No keeps the row", kFour, 1, Button(L::kCommandDelete), IDNO, ask, kFour},
        {"Yes", kFour, 1, Button(L::kCommandDelete), IDYES, ask, {kFour[0], kFour[2], kFour[3]}},
        {"the Delete key, the only row", {kFour[1]}, 0, Key(VK_DELETE), IDYES, ask, {}},
        {"edit, none selected", kFour, -1, Button(L::kCommandEdit), IDOK, L"編集する拡張子を選択してください",
         kFour},
        {"delete, none selected", kFour, -1, Button(L::kCommandDelete), IDOK,
         L"削除する拡張子を選択してください", kFour},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        boxes.ClearSeen();
        auto form = Open<FormList>(c.rows, false);
        if (c.index >= 0) Select(*form, c.index);
        boxes.Answer(c.answer);
        c.press(*form);
        const bool asks = c.index >= 0;
        test::ExpectMessages(boxes.Seen(),
                             {{.text = c.text,
                               .title = L"TOLVARE",
                               .buttons = asks ? std::vector{IDYES, IDNO} : std::vector{IDOK},
                               .icon = asks ? test::BoxIcon::Question : test::BoxIcon::Exclamation}});
        EXPECT_EQ(markTable.Rows(), c.left);
        EXPECT_EQ(markCount, static_cast<int16_t>(c.left.size()));
        EXPECT_EQ(selectedMark, c.answer == IDNO ? c.index + 1 : 0);
        EXPECT_EQ(Lines(*form), LinesOf(c.left));
        EXPECT_EQ(WindowText(form->Control(L::kLabelMark)), asks ? L"DOC" : L"-")
            << "details keep a deleted row";
        EXPECT_EQ(Bytes(Profile()), "(none)");
    }
}

// `meanwhile`: another program rewrites the profile while the list is open; the user answers No
// to saving over it.
struct Closing {
    const char* what;
    Action press;
    bool saves, staysOpen, meanwhile = false;
};

TEST_F(FormListTest, OkAndApplyWriteTheSortedTableWithABackupCancelAndTheTitleBarLeaveTheFile) {
    const std::string old = test::ToCp932(L"[MARK]\r\nOLD_0=OLD,C:\\old.exe,古い\r\n");
    const std::string written = test::ToCp932(L"[MARK]\r\nTXT_0=TXT,C:\\a,A\r\nTXT_1=TXT,C:\\b,B\r\n"
                                              L"ZIP_0=ZIP,C:\\zip.exe,解凍\r\n");
    const Rows rows = {kFour[3], kFour[1], {L"TXT", L"C:\\b", L"B"}, {L"TXT", L"C:\\a", L"A"}};
    const Rows kept = {rows[0], rows[2], rows[3]}, sorted = {rows[3], rows[2], rows[0]};
    const Closing cases[] = {
        {"Cancel", Button(L::kCommandCancel), false, false},
        {"title bar", [](FormList& form) { SendMessageW(form.hwnd(), WM_CLOSE, 0, 0); }, false, false},
        {"OK", Button(L::kCommandOk), true, false},
        {"Apply", Button(L::kCommandSave), true, true},
        {"OK over a changed file, No", Button(L::kCommandOk), false, true, true},
        {"Apply over a changed file, No", Button(L::kCommandSave), false, true, true},
    };
    const std::string other = "[MARK]\r\nNEW_0=NEW,C:\\new.exe,new\r\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TakeQuit();  // from the window of the case before
        DeleteFileW((Profile() + L".bk").c_str());
        test::WriteFileBytes(Profile(), old);
        auto form = Open<FormList>(rows, false);
        if (c.meanwhile) test::WriteFileBytes(Profile(), other);
        Select(*form, 1);
        boxes.Answer(IDYES);
        Click(form->Control(L::kCommandDelete));
        EXPECT_EQ(Lines(*form), LinesOf(kept)) << "the list box itself does not sort";
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
        const Rows shown = c.staysOpen ? (c.saves ? sorted : kept) : Rows{};
        EXPECT_EQ(Lines(*form), LinesOf(shown));
        if (c.meanwhile) {
            ASSERT_EQ(boxes.Seen().size(), 2u);
            ExpectMessage(
                boxes.Seen()[1],
                {.text = L"登録情報の一部を読み込めていないか、ほかのプログラムによって変更されています。\r\n"
                         L"保存すると、表示されていない登録情報は失われます。保存しますか？",
                 .title = L"TOLVARE",
                 .buttons = {IDYES, IDNO},
                 .icon = test::BoxIcon::Question});
            DestroyWindow(form->hwnd());
            TakeQuit();
        }
        boxes.ClearSeen();
    }
}

TEST_F(FormListTest, ControlsStandWhereTheDesignPutsThem) {
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
    // The list's fixed-pitch font has followed the window to its new DPI too.
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendDlgItemMessageW(form->hwnd(), L::kListMark, WM_GETFONT, 0, 0)),
               sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, L"ＭＳ ゴシック");
    EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
    EXPECT_EQ(font.lfHeight, -MulDiv(9, form->dpi(), 72));
}

}  // namespace
}  // namespace tolvare::testing
