// The user-visible texts of the core, in one place.
#pragma once

namespace tolvare::text {

inline constexpr wchar_t kTitle[] = L"TOLVARE";
inline constexpr wchar_t kErrorTitle[] = L"TOLVARE エラー";
inline constexpr wchar_t kSecondInstance[] = L"ﾌﾟﾛｸﾞﾗﾑの二重起動は出来ません";
inline constexpr wchar_t kCheckSettings[] = L"設定を確認しますか？";
inline constexpr wchar_t kStartFailed[] = L"プログラム起動時にエラーが発生しました";
inline constexpr wchar_t kNotRegisteredBefore[] = L"拡張子 '";
inline constexpr wchar_t kNotRegisteredAfter[] = L"' が登録されていません";
inline constexpr wchar_t kUnseenRegistrations[] =
    L"登録情報の一部を読み込めていないか、ほかのプログラムによって変更されています。\r\n"
    L"保存すると、表示されていない登録情報は失われます。保存しますか？";

}  // namespace tolvare::text
