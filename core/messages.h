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

}  // namespace tolvare::text
