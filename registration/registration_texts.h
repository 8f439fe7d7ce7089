// The user-visible texts of the registration list and editor, byte for byte as the user sees them.
#pragma once

namespace tolvare::text {

inline constexpr wchar_t kListCaption[] = L"TOLVARE - 登録リスト";
inline constexpr wchar_t kListLabel1[] = L"登録されている拡張子(&M)";
inline constexpr wchar_t kListAdd[] = L"追加(&N)...";
inline constexpr wchar_t kListDelete[] = L"削除(&R)";
inline constexpr wchar_t kListEdit[] = L"編集(&E)...";
inline constexpr wchar_t kOk[] = L"OK";
inline constexpr wchar_t kCancel[] = L"キャンセル";
inline constexpr wchar_t kListSave[] = L"適用(&A)...";
inline constexpr wchar_t kListFrame[] = L"登録情報の詳細";
inline constexpr wchar_t kListMarkCaption[] = L"拡張子 ： ";
inline constexpr wchar_t kListProgramCaption[] = L"ﾌﾟﾛｸﾞﾗﾑ ： ";
inline constexpr wchar_t kListNameCaption[] = L"説明 ： ";
inline constexpr wchar_t kListNoValue[] = L"-";
inline constexpr wchar_t kSelectToEdit[] = L"編集する拡張子を選択してください";
inline constexpr wchar_t kSelectToDelete[] = L"削除する拡張子を選択してください";
inline constexpr wchar_t kAskDeleteAfterMark[] = L"の登録情報を削除しますか？";
// The list's system menu item, as it reads without and with this exe's shortcut in Send To. "O",
// because the system menu's own items already use R, M, S, N, X and C.
inline constexpr wchar_t kListSendToAdd[] = L"「送る」メニューに登録(&O)";
inline constexpr wchar_t kListSendToRemove[] = L"「送る」メニューから削除(&O)";

inline constexpr wchar_t kRegistCaption[] = L"TOLVARE - 設定";
inline constexpr wchar_t kRegistChange[] = L"(変更)";
inline constexpr wchar_t kRegistAdd[] = L"(登録)";
inline constexpr wchar_t kRegistMarkLabel[] = L"拡張子 (&M)： ";
inline constexpr wchar_t kRegistProgramLabel[] = L"ﾌﾟﾛｸﾞﾗﾑ (&P)： ";
inline constexpr wchar_t kRegistBrowse[] = L"参照(&R)...";
inline constexpr wchar_t kRegistNameLabel[] = L"説明 (&N)： ";
inline constexpr wchar_t kRegistMarkHint[] = L"半角10文字以内";
inline constexpr wchar_t kRegistNameHint[] = L"ﾌﾟﾛｸﾞﾗﾑの説明（全角10文字以内）";

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

}  // namespace tolvare::text
