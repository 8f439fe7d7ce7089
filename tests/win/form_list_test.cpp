// The registration list driven as a user drives it: lines clicked, buttons and keys pressed, the
// editor answered from inside its modal loop, and the profile file and its backup checked.
#include "registration/form_list.h"

#include <memory>

#include "core/startup.h"
#include "registration/form_regist.h"
#include "tests/win/registration_fixture.h"
#include "win32/forms.h"

namespace tolvare::testing {
namespace {

using L = FormList;

const std::vector<MarkRecord> kFour = {{L"BMP", L"C:\\paint.exe", L"ペイント"},
                                       {L"DOC", L"C:\\word.exe", L"Word"},
                                       {L"TXT", L"C:\\edit.exe", L"Edit"},
                                       {L"ZIP", L"C:\\zip.exe", L"解凍"}};

class FormListTest : public RegistrationTest {
protected:
    std::unique_ptr<FormList> Open(const std::vector<MarkRecord>& rows) {
        SetTable(rows);
        auto form = std::make_unique<FormList>();
        EXPECT_TRUE(form->Create(nullptr, false));
        form->Form_Load();
        ShowWindow(form->hwnd(), SW_SHOW);
        SetForegroundWindow(form->hwnd());
        Pump();
        return form;
    }
    static void Select(FormList& form, int index) {
        HWND list = form.Control(L::kListMark);
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(form.hwnd(), WM_COMMAND, MAKEWPARAM(L::kListMark, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    }
    static void Click(FormList& form, int id) { SendMessageW(form.Control(id), BM_CLICK, 0, 0); }
    static std::vector<std::wstring> Lines(FormList& form) { return ListLines(form.Control(L::kListMark)); }
    static std::vector<std::wstring> LinesOf(const std::vector<MarkRecord>& rows) {
        std::vector<std::wstring> lines;
        for (const auto& r : rows) lines.push_back(r.mark + L"\t>" + r.name);
        return lines;
    }
    static std::vector<MarkRecord> Table() { return markTable.Rows(); }

    // What the editor showed when it opened from the list, and what it was told to do then.
    struct EditorSeen {
        std::wstring caption;
        std::wstring mark, program, name;
        bool topmost = false;
        bool ownerDisabled = false;
    };
    // Arranges for the modal editor, once open, to be read and then filled (when `fill`) and
    // confirmed, or cancelled.
    void DriveEditor(EditorSeen& seen, HWND owner, bool ok, std::wstring mark = L"", std::wstring program = L"",
                     std::wstring name = L"") {
        RunSoon([=, &seen] {
            HWND editor = FindOwnWindow(FormRegist::kClassName);
            ASSERT_NE(editor, nullptr);
            seen.caption = TextOf(editor);
            seen.mark = TextOf(GetDlgItem(editor, FormRegist::kTextMark));
            seen.program = TextOf(GetDlgItem(editor, FormRegist::kTextProgram));
            seen.name = TextOf(GetDlgItem(editor, FormRegist::kTextName));
            seen.topmost = (GetWindowLongPtrW(editor, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
            seen.ownerDisabled = owner != nullptr && !IsWindowEnabled(owner);
            if (ok) {
                if (!mark.empty()) SetDlgItemTextW(editor, FormRegist::kTextMark, mark.c_str());
                if (!program.empty()) SetDlgItemTextW(editor, FormRegist::kTextProgram, program.c_str());
                SetDlgItemTextW(editor, FormRegist::kTextName, name.c_str());
            }
            SendDlgItemMessageW(editor, ok ? FormRegist::kCommandOk : FormRegist::kCommandCancel, BM_CLICK, 0, 0);
        });
    }
};

// ---- loading and showing

TEST_F(FormListTest, ListsEveryRowAsExtensionTabArrowDescription) {
    auto form = Open(kFour);
    EXPECT_EQ(TextOf(form->hwnd()), L"TOLVARE - 登録リスト");
    EXPECT_EQ(Lines(*form), LinesOf(kFour));
    EXPECT_EQ(SendMessageW(form->Control(L::kListMark), LB_GETCURSEL, 0, 0), LB_ERR) << "none selected";

    auto empty = Open({});
    EXPECT_TRUE(Lines(*empty).empty());
}

TEST_F(FormListTest, ClickShowsTheRowAndALongPathByItsLast100Bytes) {
    const std::wstring exactly100 = L"C:\\" + std::wstring(97, L'p');
    const std::wstring bytes101 = L"C:\\" + std::wstring(98, L'p');
    // 102 bytes whose last 100 start in the middle of the first "あ".
    const std::wstring split = L"a" + std::wstring(50, L'あ') + L"a";
    std::wstring tail49;
    for (int i = 0; i < 49; ++i) tail49 += L'あ';
    auto form = Open({{L"A", exactly100, L"a&b"}, {L"B", bytes101, L"b"}, {L"C", split, L"c"}});

    Select(*form, 0);
    EXPECT_EQ(selectedMark, 1);
    EXPECT_EQ(TextOf(form->Control(L::kLabelMark)), L"A");
    EXPECT_EQ(TextOf(form->Control(L::kLabelProgram)), exactly100);
    EXPECT_EQ(TextOf(form->Control(L::kLabelName)), L"a&b");

    Select(*form, 1);
    EXPECT_EQ(selectedMark, 2);
    EXPECT_EQ(TextOf(form->Control(L::kLabelProgram)), L"~" + bytes101.substr(1));

    Select(*form, 2);
    EXPECT_EQ(selectedMark, 3);
    EXPECT_EQ(TextOf(form->Control(L::kLabelProgram)), L"~" + tail49 + L"a");
}

// ---- add, edit, delete

TEST_F(FormListTest, AddOpensTheEditorAndShowsTheTableSorted) {
    auto form = Open(kFour);
    Select(*form, 3);
    EditorSeen seen;
    DriveEditor(seen, form->hwnd(), true, L"csv", L"C:\\calc.exe", L"");
    Click(*form, L::kCommandAdd);
    EXPECT_EQ(seen.caption, L"TOLVARE - 設定(登録)");
    EXPECT_EQ(seen.mark, L"");
    EXPECT_TRUE(seen.topmost);
    EXPECT_TRUE(seen.ownerDisabled) << "the editor is modal to the list";
    EXPECT_TRUE(IsWindowEnabled(form->hwnd()));
    EXPECT_EQ(editorCaller, kCallerList);
    EXPECT_EQ(selectedMark, 0);
    std::vector<MarkRecord> want = kFour;
    want.insert(want.begin() + 1, MarkRecord{L"CSV", L"C:\\calc.exe", L"calc.exe"});
    EXPECT_EQ(Table(), want);
    EXPECT_EQ(markCount, 5);
    EXPECT_EQ(Lines(*form), LinesOf(want));
    EXPECT_FALSE(FileExists(Profile())) << "the list writes only on OK or Apply";
}

TEST_F(FormListTest, EditChangesTheSelectedRowAndAsksForANewSelectionAfterwards) {
    auto form = Open(kFour);
    Select(*form, 2);
    EditorSeen seen;
    DriveEditor(seen, form->hwnd(), true, L"", L"C:\\notepad.exe", L"Alpha");
    Click(*form, L::kCommandEdit);
    EXPECT_EQ(seen.caption, L"TOLVARE - 設定(変更)");
    EXPECT_EQ(seen.mark, L"TXT");
    EXPECT_EQ(seen.program, L"C:\\edit.exe");
    EXPECT_EQ(seen.name, L"Edit");
    std::vector<MarkRecord> want = kFour;
    want[2] = {L"TXT", L"C:\\notepad.exe", L"Alpha"};
    EXPECT_EQ(Table(), want);
    EXPECT_EQ(selectedMark, 0);
    EXPECT_EQ(TextOf(form->Control(L::kLabelProgram)), L"C:\\edit.exe") << "details are not refreshed";

    boxes.Answer(IDOK);
    boxes.Answer(IDOK);
    Click(*form, L::kCommandEdit);
    Click(*form, L::kCommandDelete);
    ASSERT_EQ(boxes.Seen().size(), 2u);
    EXPECT_EQ(boxes.Seen()[0].text, L"編集する拡張子を選択してください");
    EXPECT_EQ(boxes.Seen()[1].text, L"削除する拡張子を選択してください");
    for (const auto& box : boxes.Seen()) {
        EXPECT_EQ(box.title, L"TOLVARE");
        EXPECT_EQ(StandardIconOf(box), BoxIcon::Exclamation);
        EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
    }
    EXPECT_EQ(Table(), want);
}

TEST_F(FormListTest, CancelInTheEditorChangesNothing) {
    auto form = Open(kFour);
    Select(*form, 1);
    EditorSeen seen;
    DriveEditor(seen, form->hwnd(), false);
    SendMessageW(form->hwnd(), WM_COMMAND, MAKEWPARAM(L::kListMark, LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(form->Control(L::kListMark)));
    EXPECT_EQ(seen.caption, L"TOLVARE - 設定(変更)") << "a double click edits";
    EXPECT_EQ(Table(), kFour);
    EXPECT_EQ(selectedMark, 2);
}

TEST_F(FormListTest, DeleteAsksThenMovesTheRowsBehindUp) {
    auto form = Open(kFour);
    Select(*form, 1);
    boxes.Answer(IDNO);
    Click(*form, L::kCommandDelete);
    EXPECT_EQ(Table(), kFour) << "No keeps the row";
    EXPECT_EQ(selectedMark, 2);

    boxes.Answer(IDYES);
    Click(*form, L::kCommandDelete);
    ASSERT_EQ(boxes.Seen().size(), 2u);
    for (const auto& box : boxes.Seen()) {
        EXPECT_EQ(box.text, L"DOCの登録情報を削除しますか？");
        EXPECT_EQ(box.title, L"TOLVARE");
        EXPECT_EQ(StandardIconOf(box), BoxIcon::Question);
        EXPECT_EQ(box.buttons, (std::vector<int>{IDYES, IDNO}));
    }
    const std::vector<MarkRecord> want = {kFour[0], kFour[2], kFour[3]};
    EXPECT_EQ(Table(), want);
    EXPECT_EQ(markCount, 3);
    EXPECT_EQ(selectedMark, 0);
    EXPECT_EQ(Lines(*form), LinesOf(want));
    EXPECT_EQ(TextOf(form->Control(L::kLabelMark)), L"DOC") << "details keep the deleted row";
    EXPECT_FALSE(FileExists(Profile()));
}

TEST_F(FormListTest, DeletingTheOnlyRowEmptiesTheTable) {
    auto form = Open({kFour[0]});
    Select(*form, 0);
    boxes.Answer(IDYES);
    Click(*form, L::kCommandDelete);
    EXPECT_TRUE(markTable.Empty());
    EXPECT_EQ(markCount, 0);
    EXPECT_TRUE(Lines(*form).empty());
}

TEST_F(FormListTest, InsertEnterAndDeleteKeysActLikeTheButtons) {
    auto form = Open(kFour);
    HWND list = form->Control(L::kListMark);
    SetFocus(list);
    EditorSeen added;
    DriveEditor(added, form->hwnd(), false);
    SendMessageW(list, WM_KEYDOWN, VK_INSERT, 0);
    EXPECT_EQ(added.caption, L"TOLVARE - 設定(登録)");

    Select(*form, 0);
    // Enter goes through the dialog manager, which must hand it to the list.
    EditorSeen edited;
    DriveEditor(edited, form->hwnd(), false);
    MSG enter{list, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    if (!Window::PreTranslate(&enter)) DispatchMessageW(&enter);
    EXPECT_EQ(edited.caption, L"TOLVARE - 設定(変更)");
    EXPECT_EQ(edited.mark, L"BMP");

    boxes.Answer(IDYES);
    SendMessageW(list, WM_KEYDOWN, VK_DELETE, 0);
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].text, L"BMPの登録情報を削除しますか？");
    EXPECT_EQ(markCount, 3);
}

// ---- OK, Cancel, Apply and the profile file

TEST_F(FormListTest, OkWritesTheTableKeepsABackupAndEndsTheProgram) {
    const std::string old = test::ToCp932(L"[MARK]\r\nOLD_0=OLD,C:\\old.exe,古い\r\n");
    test::WriteFileBytes(Profile(), old);
    auto form = Open({kFour[3], kFour[1], {L"TXT", L"C:\\b.exe", L"B"}, {L"TXT", L"C:\\a.exe", L"A"}});
    Click(*form, L::kCommandOk);
    EXPECT_EQ(Bytes(Profile()), test::ToCp932(L"[MARK]\r\nDOC_0=DOC,C:\\word.exe,Word\r\nTXT_0=TXT,C:\\a.exe,A\r\n"
                                          L"TXT_1=TXT,C:\\b.exe,B\r\nZIP_0=ZIP,C:\\zip.exe,解凍\r\n"));
    EXPECT_EQ(Bytes(Backup()), old);
    EXPECT_FALSE(IsWindow(form->hwnd()));
    EXPECT_TRUE(TakeQuit()) << "the list was the last window";
}

TEST_F(FormListTest, CancelAndTheTitleBarKeepTheFileButNotTheDeletedRowsInMemory) {
    const std::string old = test::ToCp932(L"[MARK]\r\nBMP_0=BMP,C:\\paint.exe,ペイント\r\n");
    for (bool titleBar : {false, true}) {
        test::WriteFileBytes(Profile(), old);
        auto form = Open(kFour);
        Select(*form, 0);
        boxes.Answer(IDYES);
        Click(*form, L::kCommandDelete);
        if (titleBar) {
            SendMessageW(form->hwnd(), WM_CLOSE, 0, 0);
        } else {
            Click(*form, L::kCommandCancel);
        }
        EXPECT_FALSE(IsWindow(form->hwnd()));
        EXPECT_EQ(Bytes(Profile()), old);
        EXPECT_FALSE(FileExists(Backup()));
        EXPECT_EQ(Table(), (std::vector<MarkRecord>{kFour[1], kFour[2], kFour[3]}));
        EXPECT_TRUE(TakeQuit());
    }
}

TEST_F(FormListTest, ApplyWritesSortsAndForgetsTheSelection) {
    auto form = Open({kFour[3], kFour[0]});
    Select(*form, 0);
    Click(*form, L::kCommandSave);
    EXPECT_EQ(Bytes(Profile()),
              test::ToCp932(L"[MARK]\r\nBMP_0=BMP,C:\\paint.exe,ペイント\r\nZIP_0=ZIP,C:\\zip.exe,解凍\r\n"));
    EXPECT_TRUE(IsWindow(form->hwnd())) << "the window stays open";
    EXPECT_EQ(selectedMark, 0) << "row 1 is now another registration";
    EXPECT_EQ(Lines(*form), LinesOf({kFour[0], kFour[3]}));
    boxes.Answer(IDOK);
    Click(*form, L::kCommandDelete);
    EXPECT_EQ(markCount, 2);

    // Applying again keeps the previous file as the backup.
    const std::string first = Bytes(Profile());
    Click(*form, L::kCommandSave);
    EXPECT_EQ(Bytes(Backup()), first);
}

TEST_F(FormListTest, TheProgramWideListOpensModelessAndOnlyOnce) {
    SetTable(kFour);
    ShowFormList(false);
    HWND list = FindOwnWindow(FormList::kClassName);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(TextOf(list), L"TOLVARE - 登録リスト");
    ASSERT_EQ(FormList::OpenLists().size(), 1u);
    ShowFormList(false);
    EXPECT_EQ(FormList::OpenLists().size(), 1u);
    EXPECT_EQ(ListLines(GetDlgItem(list, L::kListMark)), LinesOf(kFour));
    SendMessageW(list, WM_CLOSE, 0, 0);
    EXPECT_TRUE(TakeQuit());
}

// ---- the window itself

struct Placement {
    int id;
    const wchar_t* text;
    int left, top, width, height;
    bool inFrame;
};

const Placement kListLayout[] = {
    {L::kLabel1, L"登録されている拡張子(&M)", 150, 75, 3240, 240, false},
    {L::kListMark, L"", 150, 375, 3840, 2400, false},
    {L::kCommandAdd, L"追加(&N)...", 4200, 450, 1215, 315, false},
    {L::kCommandDelete, L"削除(&R)", 4200, 900, 1215, 315, false},
    {L::kCommandEdit, L"編集(&E)...", 4200, 1350, 1215, 315, false},
    {L::kCommandOk, L"OK", 750, 4575, 1215, 315, false},
    {L::kCommandCancel, L"キャンセル", 2175, 4575, 1215, 315, false},
    {L::kCommandSave, L"適用(&A)...", 3600, 4575, 1215, 315, false},
    {L::kFrame1, L"登録情報の詳細", 150, 2850, 5265, 1440, false},
    {L::kLabel8, L"拡張子 ： ", 75, 300, 840, 240, true},
    {L::kLabelMark, L"-", 975, 300, 2640, 240, true},
    {L::kLabel12, L"ﾌﾟﾛｸﾞﾗﾑ ： ", 75, 600, 840, 240, true},
    {L::kLabelProgram, L"-", 975, 600, 4140, 390, true},
    {L::kLabel10, L"説明 ： ", 75, 1050, 840, 240, true},
    {L::kLabelName, L"-", 975, 1050, 2640, 240, true},
};

TEST_F(FormListTest, ControlsStandWhereTheDesignPutsThemAtAnyDpi) {
    auto form = Open({});
    for (int dpi : {form->dpi(), 144}) {
        SCOPED_TRACE(dpi);
        if (dpi != form->dpi()) {
            RECT r{};
            GetWindowRect(form->hwnd(), &r);
            SendMessageW(form->hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
        }
        RECT client{};
        GetClientRect(form->hwnd(), &client);
        EXPECT_EQ(client.right, MulDiv(5565, dpi, 1440));
        EXPECT_EQ(client.bottom, MulDiv(5130, dpi, 1440));
        HWND child = GetWindow(form->hwnd(), GW_CHILD);
        for (const auto& p : kListLayout) {
            SCOPED_TRACE(p.id);
            ASSERT_NE(child, nullptr);
            EXPECT_EQ(GetDlgCtrlID(child), p.id) << "children in tab order";
            child = GetWindow(child, GW_HWNDNEXT);
            HWND control = form->Control(p.id);
            EXPECT_EQ(TextOf(control), p.text);
            const int dx = p.inFrame ? 150 : 0, dy = p.inFrame ? 2850 : 0;
            const RECT want = Expected(p.left + dx, p.top + dy, p.width, p.height, dpi);
            const RECT got = ChildRect(control);
            EXPECT_EQ(got.left, want.left);
            EXPECT_EQ(got.top, want.top);
            EXPECT_EQ(got.right, want.right);
            EXPECT_EQ(got.bottom, want.bottom);
        }
        // The list's fixed-pitch font follows the DPI too.
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(form->Control(L::kListMark), WM_GETFONT, 0, 0)),
                   sizeof font, &font);
        EXPECT_STREQ(font.lfFaceName, L"ＭＳ ゴシック");
        EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
        EXPECT_EQ(font.lfHeight, -MulDiv(9, dpi, 72));
    }
}

TEST_F(FormListTest, ValueLabelsShowAmpersandsAndTheListKeepsTheTableOrder) {
    auto form = Open({{L"Z", L"C:\\a&b.exe", L"x"}, {L"A", L"C:\\c.exe", L"y"}});
    EXPECT_EQ(Lines(*form), (std::vector<std::wstring>{L"Z\t>x", L"A\t>y"})) << "no sorting by the list box";
    for (int id : {L::kLabelMark, L::kLabelProgram, L::kLabelName}) {
        EXPECT_NE(GetWindowLongPtrW(form->Control(id), GWL_STYLE) & SS_NOPREFIX, 0);
    }
    for (int id : {L::kLabel8, L::kLabel12, L::kLabel10}) {
        EXPECT_EQ(GetWindowLongPtrW(form->Control(id), GWL_STYLE) & SS_TYPEMASK, SS_RIGHT);
    }
}

}  // namespace
}  // namespace tolvare::testing
