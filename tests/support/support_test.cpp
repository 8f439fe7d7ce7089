// Checks of the test helpers themselves: GUI tests are only as good as the answerer that reads
// and closes their message boxes.
#include "tests/support/dialog_answerer.h"
#include "tests/support/expect_message.h"
#include "tests/support/test_files.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace tolvare::test {
namespace {

TEST(DialogAnswerer, ReadsTheBoxAndPressesTheQueuedButton) {
    DialogAnswerer answerer;
    answerer.Answer(IDNO).Answer(IDRETRY);
    EXPECT_EQ(MessageBoxW(nullptr, L"一行目\r\n二行目", L"TOLVARE", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(MessageBoxW(nullptr, L"GetMarkProfileAll:", L"TOLVARE エラー",
                          MB_ABORTRETRYIGNORE | MB_ICONSTOP),
              IDRETRY);
    ExpectMessages(answerer.Seen(),
                   {{.text = L"一行目\r\n二行目", .title = L"TOLVARE", .buttons = {IDYES, IDNO},
                     .icon = BoxIcon::Question},
                    {.text = L"GetMarkProfileAll:", .title = L"TOLVARE エラー",
                     .buttons = {IDABORT, IDRETRY, IDIGNORE}, .icon = BoxIcon::Stop}});
    EXPECT_EQ(BoxLines(answerer.Seen()[0].text), (std::vector<std::wstring>{L"一行目", L"二行目"}));
}

TEST(DialogAnswerer, DismissesUnexpectedBoxesWithTheButtonThatDoesLeast) {
    const struct {
        UINT type;
        int dismissedWith;
    } cases[] = {{MB_OK, IDOK},
                 {MB_OKCANCEL, IDCANCEL},
                 {MB_YESNO, IDNO},
                 {MB_YESNOCANCEL, IDCANCEL},
                 {MB_ABORTRETRYIGNORE, IDABORT}};
    for (const auto& c : cases) {
        DialogAnswerer answerer;
        EXPECT_EQ(MessageBoxW(nullptr, L"?", L"TOLVARE", c.type), c.dismissedWith) << c.type;
        EXPECT_EQ(answerer.TakeUnexpected().size(), 1u) << c.type;
    }
}

TEST(DialogAnswerer, AQueuedButtonTheBoxLacksCountsAsUnexpected) {
    DialogAnswerer answerer;
    answerer.Answer(IDYES);
    EXPECT_EQ(MessageBoxW(nullptr, L"notice", L"TOLVARE", MB_OK | MB_ICONINFORMATION), IDOK);
    EXPECT_EQ(answerer.TakeUnexpected().size(), 1u);
    EXPECT_EQ(answerer.PendingAnswers(), 0u);
}

TEST(DialogAnswerer, ReportsUnexpectedBoxesAndUnusedAnswersWhenItEnds) {
    EXPECT_NONFATAL_FAILURE(
        {
            DialogAnswerer answerer;
            MessageBoxW(nullptr, L"surprise", L"TOLVARE", MB_OK);
        },
        "surprise");
    EXPECT_NONFATAL_FAILURE({ DialogAnswerer().Answer(IDOK); }, "never used");
}

TEST(DialogAnswerer, HandsDialogsToTheCustomHandlerFirst) {
    DialogAnswerer answerer;
    HWND handled = nullptr;
    answerer.SetCustomHandler([&](HWND dlg) {
        handled = dlg;
        PressButton(dlg, IDCANCEL);
        return true;
    });
    EXPECT_EQ(MessageBoxW(nullptr, L"custom", L"TOLVARE", MB_OKCANCEL), IDCANCEL);
    ASSERT_EQ(answerer.Seen().size(), 1u);
    EXPECT_TRUE(answerer.Seen()[0].custom);
    EXPECT_EQ(answerer.Seen()[0].dlg, handled);
}

TEST(ExpectMessage, PointsAtTheDifference) {
    SeenBox box;
    box.text = L"設定を確認しますか？";
    box.title = L"TOLVARE";
    box.buttons = {IDYES, IDNO};
    EXPECT_NONFATAL_FAILURE(ExpectMessage(box, {.text = L"設定を確認しますか"}), "message text");
    EXPECT_NONFATAL_FAILURE(ExpectMessage(box, {.text = box.text, .title = L"TOLVARE エラー"}),
                            "message title");
    EXPECT_NONFATAL_FAILURE(ExpectMessage(box, {.text = box.text, .buttons = {IDOK}}), "buttons");
    ExpectMessage(box, {.text = L"設定を", .textIsPrefix = true});
}

TEST(TempDir, RemovesItsTreeIncludingReadOnlyFiles) {
    std::wstring path;
    {
        TempDir dir(L"tolvare a b");
        path = dir.path();
        std::wstring sub = dir.MakeDir(L"sub dir");
        ASSERT_TRUE(WriteFileBytes(sub + L"\\f.txt", ToCp932(L"ﾃｽﾄ，テスト\r\n")));
        SetFileAttributesW((sub + L"\\f.txt").c_str(), FILE_ATTRIBUTE_READONLY);
        auto bytes = ReadFileBytes(sub + L"\\f.txt");
        ASSERT_TRUE(bytes.has_value());
        EXPECT_EQ(FromCp932(*bytes), L"ﾃｽﾄ，テスト\r\n");
    }
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(WindowsPathOf, MapsLinuxBuildPathsToDriveZ) {
    EXPECT_EQ(WindowsPathOf("/work/build/app/tolvare.exe"), L"Z:\\work\\build\\app\\tolvare.exe");
    EXPECT_EQ(WindowsPathOf("C:/build/app/tolvare.exe"), L"C:\\build\\app\\tolvare.exe");
}

}  // namespace
}  // namespace tolvare::test
