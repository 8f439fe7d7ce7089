// Shared set-up of the registration window tests: see registration_fixture.h.
#include "tests/win/registration_fixture.h"

#include <array>

#include "core/globals.h"
#include "core/system.h"
#include "launcher/form_select.h"
#include "registration/form_list.h"
#include "registration/form_regist.h"
#include "win32/win32_system.h"

namespace tolvare::testing {

void RegistrationTest::SetUp() {
    static Win32System system({ShowFormList, ShowFormRegist, ShowFormSelect});
    SetSystem(&system);
    profilePath = Profile();
    markTable.Erase();
    markCount = 0;
    selectedMark = 0;
    editorCaller = 0;
    TakeQuit();
}

void RegistrationTest::Fill(HWND editor, const MarkRecord& row) {
    SetDlgItemTextW(editor, FormRegist::kTextMark, row.mark.c_str());
    SetDlgItemTextW(editor, FormRegist::kTextProgram, row.program.c_str());
    SetDlgItemTextW(editor, FormRegist::kTextName, row.name.c_str());
}

void ExpectLayout(const Window& form, const std::vector<Placement>& design) {
    for (int dpi : {96, 144}) {
        SCOPED_TRACE(dpi);
        RECT r{};
        GetWindowRect(form.hwnd(), &r);
        if (form.dpi() != dpi) {
            SendMessageW(form.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
        }
        ASSERT_EQ(form.dpi(), dpi);
        // Every size comes from twips at the window's DPI: 1440 twips to the inch.
        const auto px = [dpi](int tw) -> LONG { return MulDiv(tw, dpi, 1440); };
        GetClientRect(form.hwnd(), &r);
        EXPECT_EQ((std::array{r.right, r.bottom}),
                  (std::array{px(form.ClientWidthTw()), px(form.ClientHeightTw())}));
        HWND child = GetWindow(form.hwnd(), GW_CHILD);
        for (const auto& p : design) {
            SCOPED_TRACE(p.id);
            ASSERT_NE(child, nullptr);
            EXPECT_EQ(GetDlgCtrlID(child), p.id) << "children in tab order";
            EXPECT_EQ(WindowText(child), p.text);
            EXPECT_EQ(GetWindowLongW(child, GWL_STYLE) & p.style, p.style);
            const RectTw tw = form.PlacedRect(child);
            GetWindowRect(child, &r);
            MapWindowPoints(nullptr, form.hwnd(), reinterpret_cast<POINT*>(&r), 2);
            EXPECT_EQ((std::array{r.left, r.top, r.right, r.bottom}),
                      (std::array{px(tw.left), px(tw.top), px(tw.left + tw.width), px(tw.top + tw.height)}));
            child = GetWindow(child, GW_HWNDNEXT);
        }
    }
}

}  // namespace tolvare::testing
