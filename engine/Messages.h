#pragma once
// The texts the user reads, in one place for the engine, the window and qivg: the cipher
// object's own messages, and what each outcome of a file operation means.
#include <cstdint>
#include <string>
#include <system_error>

#include "CodecTypes.h"

namespace angoka {

// The cipher object's messages.
inline constexpr char16_t kNotFoundMessage[] = u"ファイルが見つかりません";
inline constexpr char16_t kOddLengthMessage[] = u"ZLTﾊﾞｲﾅﾘｻｰﾊﾞｰ ｴﾗｰ";
inline constexpr char16_t kOddLengthTitleSuffix[] = u"-ｴﾗｰ";
inline constexpr char16_t kPasswordMismatchMessage[] = u"パスワードが一致しません";
// What the envelope gives back instead of a payload when the password does not match.
inline constexpr char16_t kDecryptionFailedResult[] = u"Error";

inline std::u16string NotFoundMessage(const std::u16string& path) {
    return std::u16string(kNotFoundMessage) + u"\r\n" + path;
}

// Outcomes of a run.
inline constexpr char16_t kEnterPassword[] = u"パスワードを入力してください";
inline constexpr char16_t kDecryptFailed[] = u"復号に失敗しました";
inline constexpr char16_t kNotQivg[] = u"正しいqivg形式ファイルではありませんでした";
inline constexpr char16_t kPasswordNotNarrow[] = u"パスワードに使えない文字が含まれています";
inline constexpr char16_t kPasswordTooLong[] = u"パスワードが長すぎます (1024 文字まで)";
inline constexpr char16_t kNameNotStorable[] =
    u"保存するファイル名に使えない文字が含まれているか、名前が長すぎます";
inline constexpr char16_t kTooFewRounds[] = u"暗号化回数が正しくありません";
inline constexpr char16_t kCharsetUnavailable[] =
    u"このシステムでは文字コード(CP932)の変換が使えないため、処理できませんでした";
inline constexpr char16_t kTooShort[] = u"ファイルが短すぎるため復号できませんでした";
inline constexpr char16_t kTruncated[] = u"ファイルが途中で切れているため復号できませんでした";
inline constexpr char16_t kBadHex[] = u"ファイルの内容が壊れているため復号できませんでした";
inline constexpr char16_t kNoDot[] = u"拡張子のあるファイル名を入力してください";
inline constexpr char16_t kBmpTooShort[] = u"ファイルが118バイトより短いため、データを取り出せませんでした";
inline constexpr char16_t kCancelled[] = u"処理を中止しました";
inline constexpr char16_t kDestinationIsFolder[] = u"出力先がフォルダのため書き込めませんでした";
inline constexpr char16_t kDestinationExists[] = u"出力先のファイルが既に存在するため書き込めませんでした";
inline constexpr char16_t kDestinationNotFile[] = u"出力先が通常のファイルではないため書き込めませんでした";
inline constexpr char16_t kFileFailed[] = u"ファイルの読み書きに失敗しました";
// A run never writes over the file it reads.
inline constexpr char16_t kOutputIsSource[] = u"出力先が元ファイルと同じファイルのため書き込めませんでした";
inline constexpr char16_t kReasonLabel[] = u"理由: ";
inline constexpr char16_t kInternalError[] = u"プログラムの内部エラーのため、処理できませんでした";

// The headline for an outcome: what went wrong, without the path. Ok has none; SourceMissing
// is the not-found message without its path line; WrongPassword is the mismatch message
// (the window follows it with kDecryptFailed); OddLength is the cipher object's own text.
std::u16string OutcomeText(Outcome outcome);

// The two numbers a decryption needs, as the user sees them: "内部変化数 3、暗号化回数 5".
std::u16string SettingsText(std::int32_t inKey, std::int32_t rounds);

// Why a file operation failed, in Japanese for the failures a user can meet, followed by the
// system's own text in parentheses; the system's text alone for the rest.
std::u16string ReasonText(const std::error_code& error);

}  // namespace angoka
