// The list window's Send To item, used through its system menu in a temporary Send To folder;
// every shortcut is made and read back with the shell link API, as Explorer reads it.
#include <objbase.h>
#include <shlobj.h>

#include <map>

#include "core/system.h"
#include "registration/form_list.h"
#include "registration/send_to.h"
#include "tests/win/registration_fixture.h"

namespace tolvare::testing {
namespace {

using L = FormList;

struct Link {
    std::wstring target, description;
    bool operator==(const Link&) const = default;
};
using Links = std::map<std::wstring, Link>;  // by file name

// Runs `use` on a new shell link object, in COM of its own (the code under test must start COM itself).
template <class Use>
bool WithLink(Use use) {
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    bool ok = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                         reinterpret_cast<void**>(&link))) &&
              SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
              use(link, file);
    if (file != nullptr) file->Release();
    if (link != nullptr) link->Release();
    if (SUCCEEDED(init)) CoUninitialize();
    return ok;
}

void MakeLink(const std::wstring& path, const Link& link) {
    ASSERT_TRUE(WithLink([&](IShellLinkW* l, IPersistFile* f) {
        return SUCCEEDED(l->SetPath(link.target.c_str())) &&
               SUCCEEDED(l->SetDescription(link.description.c_str())) &&
               SUCCEEDED(f->Save(path.c_str(), TRUE));
    })) << "cannot make the shortcut "
        << test::ToCp932(path);
}

// Every file of the folder, read as a shortcut (a file that is none reads as an empty Link).
Links LinksIn(const std::wstring& folder) {
    Links links;
    WIN32_FIND_DATAW entry{};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return links;
    do {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
        Link& link = links[entry.cFileName];
        WithLink([&](IShellLinkW* l, IPersistFile* f) {
            wchar_t target[MAX_PATH] = {}, description[MAX_PATH] = {};
            const bool read = SUCCEEDED(f->Load((folder + L"\\" + entry.cFileName).c_str(), STGM_READ)) &&
                              SUCCEEDED(l->GetPath(target, MAX_PATH, nullptr, 0)) &&
                              SUCCEEDED(l->GetDescription(description, MAX_PATH));
            if (read) link = {target, description};
            return read;
        });
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return links;
}

std::wstring ThisExe() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

class SendToTest : public RegistrationTest {
protected:
    void SetUp() override {
        RegistrationTest::SetUp();
        SetSendToFolder(folder_);
    }
    void TearDown() override {
        SetSendToFolder(L"");
        RegistrationTest::TearDown();
    }
    // The Send To item's text as the user sees it: the system menu opened for real (Alt+Space)
    // and read from inside its loop, then closed.
    static std::wstring MenuText(const FormList& form) {
        static std::wstring seen;
        static HWND window;
        seen = L"(menu not opened)";
        window = form.hwnd();
        SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR id, DWORD) {
            KillTimer(nullptr, id);
            HMENU menu = GetSystemMenu(window, FALSE);
            wchar_t text[128] = {};
            GetMenuStringW(menu, L::kMenuSendTo, text, 128, MF_BYCOMMAND);
            seen = text;
            EndMenu();
        });
        SendMessageW(form.hwnd(), WM_SYSCOMMAND, SC_KEYMENU, L' ');
        Pump();
        return seen;
    }
    static void Choose(const FormList& form) { SendMessageW(form.hwnd(), WM_SYSCOMMAND, L::kMenuSendTo, 0); }

    test::TempDir sendTo_{L"tolvare send to"};
    std::wstring folder_ = sendTo_.MakeDir(L"SendTo");
};

constexpr wchar_t kAdd[] = L"「送る」メニューに登録(&O)";
constexpr wchar_t kRemove[] = L"「送る」メニューから削除(&O)";

TEST_F(SendToTest, TheItemStandsLastBelowASeparator) {
    auto form = Open<FormList>({}, false);
    HMENU menu = GetSystemMenu(form->hwnd(), FALSE);
    const int count = GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    EXPECT_EQ(GetMenuItemID(menu, count - 1), L::kMenuSendTo);
    EXPECT_NE(GetMenuState(menu, static_cast<UINT>(count - 2), MF_BYPOSITION) & MF_SEPARATOR, 0U);
}

// `before`: the folder's shortcuts to begin with (the exe's own name stands for this exe);
// `added`: the name registering gives, or none when the exe is registered from the start.
struct Folder {
    const char* what;
    Links before;
    const wchar_t* added;
};

TEST_F(SendToTest, RegisteringMakesOneShortcutAndRemovingTakesOnlyThoseOfThisExe) {
    const std::wstring self = ThisExe(), other = test::WindowsPathOf(TOLVARE_PROBE_PATH);
    const Link otherTolvare{other, L"TOLVARE"};
    const Folder cases[] = {
        {"empty folder", {}, L"TOLVARE.lnk"},
        {"another program's TOLVARE.lnk", {{L"TOLVARE.lnk", otherTolvare}}, L"TOLVARE (2).lnk"},
        {"this exe under other names, one by its short path",
         {{L"TOLVARE.lnk", otherTolvare},
          {L"win_tests - ショートカット.lnk", {self, L""}},
          {L"short.lnk", {test::ShortPath(self), L""}}},
         nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& [name, link] : LinksIn(folder_)) DeleteFileW((folder_ + L"\\" + name).c_str());
        for (const auto& [name, link] : c.before) MakeLink(folder_ + L"\\" + name, link);
        const Links before = LinksIn(folder_);  // as the shell reads them back
        Links others = before;
        std::erase_if(others, [&](const auto& entry) { return entry.second.target != other; });
        auto form = Open<FormList>({}, false);
        if (c.added != nullptr) {
            EXPECT_EQ(MenuText(*form), kAdd);
            Choose(*form);
            Links registered = before;
            registered[c.added] = {self, L"TOLVARE"};
            EXPECT_EQ(LinksIn(folder_), registered);
        }
        EXPECT_EQ(MenuText(*form), kRemove);
        Choose(*form);
        EXPECT_EQ(LinksIn(folder_), others);
        EXPECT_EQ(MenuText(*form), kAdd);
        EXPECT_TRUE(boxes.Seen().empty());
    }
}

TEST_F(SendToTest, AShortcutThatCannotBeDeletedIsReportedWithTheSystemsText) {
    const std::wstring path = folder_ + L"\\TOLVARE.lnk";
    MakeLink(path, {ThisExe(), L"TOLVARE"});
    // Open elsewhere without delete sharing: readable, but not deletable.
    HANDLE held =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    auto form = Open<FormList>({}, false);
    boxes.Answer(IDOK);
    Choose(*form);
    CloseHandle(held);
    test::ExpectMessages(boxes.Seen(), {{.text = Sys().ErrorText(ERROR_SHARING_VIOLATION),
                                         .title = L"TOLVARE",
                                         .buttons = {IDOK},
                                         .icon = test::BoxIcon::Stop}});
    EXPECT_EQ(LinksIn(folder_).size(), 1U);
    EXPECT_EQ(MenuText(*form), kRemove);
}

}  // namespace
}  // namespace tolvare::testing
