// Every text the user sees, byte for byte: captions, messages, hints, menu items and filters,
// grouped by the window that shows them, so that a reader or a translator finds them all here.
#pragma once

namespace tolvare::text {

// Every window and message box
inline constexpr wchar_t kTitle[] = L"TOLVARE";
inline constexpr wchar_t kErrorTitle[] = L"TOLVARE エラー";
inline constexpr wchar_t kOk[] = L"OK";
inline constexpr wchar_t kCancel[] = L"キャンセル";
// An exception that reached a window or the entry point; its own text follows on the next line.
inline constexpr wchar_t kInternalError[] = L"内部エラーが発生しました。";

// Start-up and the launch of a program
inline constexpr wchar_t kSecondInstance[] = L"ﾌﾟﾛｸﾞﾗﾑの二重起動は出来ません";
inline constexpr wchar_t kStartFailed[] = L"プログラム起動時にエラーが発生しました";
inline constexpr wchar_t kCheckSettings[] = L"設定を確認しますか？";
inline constexpr wchar_t kBatchRefused[] =
    L"ファイル名に、バッチファイルへ渡せない文字（& | < > ^ %）が含まれています。";
inline constexpr wchar_t kStartSelf[] = L"TOLVARE 自身は起動できません。";
inline constexpr wchar_t kNotRegisteredBefore[] = L"拡張子 '";
inline constexpr wchar_t kNotRegisteredAfter[] = L"' が登録されていません";

// The profile file (saving)
inline constexpr wchar_t kUnseenRegistrations[] =
    L"登録情報の一部を読み込めていないか、ほかのプログラムによって変更されています。\r\n"
    L"保存すると、表示されていない登録情報は失われます。保存しますか？";

// Selection window (Form_select)
inline constexpr wchar_t kSelectCaption[] = L"起動アプリケーション選択";
// Button 0 as designed; every caption is replaced when the window loads.
inline constexpr wchar_t kSelectDesignCaption[] = L"WWWWWWWWWWWWWWWWWWWW (&10)";

// Registration list (Form_list)
inline constexpr wchar_t kListCaption[] = L"TOLVARE - 登録リスト";
inline constexpr wchar_t kListLabel1[] = L"登録されている拡張子(&M)";
inline constexpr wchar_t kListAdd[] = L"追加(&N)...";
inline constexpr wchar_t kListDelete[] = L"削除(&R)";
inline constexpr wchar_t kListEdit[] = L"編集(&E)...";
inline constexpr wchar_t kListSave[] = L"適用(&A)...";
inline constexpr wchar_t kListFrame[] = L"登録情報の詳細";
inline constexpr wchar_t kListMarkCaption[] = L"拡張子 ： ";
inline constexpr wchar_t kListProgramCaption[] = L"ﾌﾟﾛｸﾞﾗﾑ ： ";
inline constexpr wchar_t kListNameCaption[] = L"説明 ： ";
inline constexpr wchar_t kListNoValue[] = L"-";
inline constexpr wchar_t kSelectToEdit[] = L"編集する拡張子を選択してください";
inline constexpr wchar_t kSelectToDelete[] = L"削除する拡張子を選択してください";
inline constexpr wchar_t kAskDeleteAfterMark[] = L"の登録情報を削除しますか？";
inline constexpr wchar_t kListSendToAdd[] = L"「送る」メニューに登録(&O)";
inline constexpr wchar_t kListSendToRemove[] = L"「送る」メニューから削除(&O)";

// Registration editor (Form_regist)
inline constexpr wchar_t kRegistCaption[] = L"TOLVARE - 設定";
inline constexpr wchar_t kRegistChange[] = L"(変更)";
inline constexpr wchar_t kRegistAdd[] = L"(登録)";
inline constexpr wchar_t kRegistMarkLabel[] = L"拡張子 (&M)： ";
inline constexpr wchar_t kRegistProgramLabel[] = L"ﾌﾟﾛｸﾞﾗﾑ (&P)： ";
inline constexpr wchar_t kRegistBrowse[] = L"参照(&R)...";
inline constexpr wchar_t kRegistNameLabel[] = L"説明 (&N)： ";
inline constexpr wchar_t kRegistMarkHint[] = L"半角10文字以内";
inline constexpr wchar_t kRegistNameHint[] = L"ﾌﾟﾛｸﾞﾗﾑの説明（全角10文字以内）";

// Registration editor: the checks of OK, in their order
inline constexpr wchar_t kMarkEmpty[] = L"拡張子が未入力です";
inline constexpr wchar_t kMarkBadCharBefore[] = L"拡張子に不正な文字'";
inline constexpr wchar_t kMarkBadCharAfter[] = L"'が含まれています";
inline constexpr wchar_t kProgramEmpty[] = L"プログラムが未指定です";
inline constexpr wchar_t kMarkTooLong[] = L"拡張子が長すぎます\r\n10バイト以内で指定してください";
inline constexpr wchar_t kProgramTooLong[] =
    L"プログラム(パス)が長すぎます\r\n200バイト以内で指定してください";
inline constexpr wchar_t kNameTooLong[] = L"名前が長すぎます\r\n20バイト以内で指定してください";
inline constexpr wchar_t kMarkFull[] = L"これ以上この拡張子は登録出来ません";
inline constexpr wchar_t kTableFull[] = L"これ以上登録出来ません";
inline constexpr wchar_t kMarkNotCp932[] = L"拡張子に使用できない文字が含まれています";
inline constexpr wchar_t kProgramNotCp932[] = L"プログラム(パス)に使用できない文字が含まれています";
inline constexpr wchar_t kNameNotCp932[] = L"名前に使用できない文字が含まれています";

// Registration editor: the browse button's file dialog
// Two pairs, programs first; the literal's own terminator makes the closing double NUL.
inline constexpr wchar_t kBrowseFilter[] = L"プログラム\0*.exe\0すべてのファイル\0*.*\0";
inline constexpr wchar_t kBrowseTitle[] = L"実行するﾌｧｲﾙを指定してください。";

}  // namespace tolvare::text
