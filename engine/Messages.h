#pragma once
// The texts that the engine shows or returns.
#include <string>

namespace angoka {

inline constexpr char16_t kNotFoundMessage[] = u"ファイルが見つかりません";
inline constexpr char16_t kOddLengthMessage[] = u"ZLTﾊﾞｲﾅﾘｻｰﾊﾞｰ ｴﾗｰ";
inline constexpr char16_t kOddLengthTitleSuffix[] = u"-ｴﾗｰ";
inline constexpr char16_t kPasswordMismatchMessage[] = u"パスワードが一致しません";
// What the envelope gives back instead of a payload when the password does not match.
inline constexpr char16_t kDecryptionFailedResult[] = u"Error";

inline std::u16string NotFoundMessage(const std::u16string& path) {
    return std::u16string(kNotFoundMessage) + u"\r\n" + path;
}

}  // namespace angoka
