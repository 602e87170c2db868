#pragma once
// The texts only qivg shows (UTF-8). What qivg shares with the window comes from the engine's
// Messages.h.
#include <cstdint>
#include <string>
#include <string_view>

#include "Messages.h"
#include "QivgCodec.h"
#include "Utf.h"

namespace angoka::cli {

inline constexpr std::string_view kProgramName = "qivg";

// Password input.
inline constexpr std::string_view kPasswordPrompt = "パスワード: ";
inline constexpr std::string_view kConfirmPrompt = "パスワード(確認): ";
inline constexpr std::string_view kConfirmMismatch = "確認用のパスワードが一致しません";
inline constexpr std::string_view kNoPasswordSource =
    "パスワードを尋ねる端末がありません: --password-file でパスワードのファイルを指定してください";

// Usage errors.
inline constexpr std::string_view kUsagePrefix = "使い方が正しくありません: ";
inline constexpr std::string_view kUsageHint = "使い方は qivg --help で表示されます";
inline constexpr std::string_view kForceHint = "(-f で置き換えます)";
inline constexpr std::string_view kUnknownCommand = "知らないコマンドです: ";
inline constexpr std::string_view kOutputNeedsOneFile = "-o は FILE が一つ (-r なし) のときだけ使えます";
inline constexpr std::string_view kNameNeedsOneFile = "--name は FILE が一つ (-r なし) のときだけ使えます";
inline constexpr std::string_view kOutputExcludesOutputDir = "-o と -d は一緒に使えません";
inline constexpr std::string_view kFindSettingsExcludesSettings =
    "--find-settings と -k、-n は一緒に使えません";
inline constexpr std::string_view kStdoutOnlyForDecrypt = "-o - (標準出力) は decrypt でだけ使えます";
inline constexpr std::string_view kStdoutIsTerminal =
    "標準出力が端末のため書き出しません: パイプかファイルへ向けてください";
inline constexpr std::string_view kBadExtension = "--ext には空でなく / を含まない拡張子を指定してください";
inline constexpr std::string_view kNulInArgument = "引数に NUL 文字は使えません";
// -k or -n given something else than a decimal number in its range.
inline std::string NotInRangeText(const std::string& value, int low, int high) {
    return value + " は " + std::to_string(low) + "〜" + std::to_string(high) +
           " の10進数の整数ではありません";
}
inline constexpr std::string_view kStdinIsNoFile =
    "標準入力 (-) は FILE に使えません (- という名前のファイルは ./- と指定してください)";

// Files.
inline constexpr std::string_view kIsFolder = "フォルダです (中のファイルを処理するには -r を付けてください)";
inline constexpr std::string_view kNotRegularFile = "通常のファイルではありません";
inline constexpr std::string_view kOutputFolderMissing =
    "出力先のフォルダがありません (フォルダを作るのは -d だけです)";
inline constexpr std::string_view kSystemFolderNeedsOutput =
    "/dev、/proc、/sys の中には出力を書きません: -o か -d で出力先を指定してください";
inline constexpr std::string_view kStandardOutput = "標準出力";
inline std::string StandardOutputFailedText(const std::error_code& error) {
    return "標準出力に書き込めませんでした。" + ToUtf8(kReasonLabel) + ToUtf8(ReasonText(error));
}
// Why a stored name did not name the output, and what became of it.
inline constexpr std::string_view kNameHasSeparator = "フォルダの区切り (/ か \\) を含む";
inline constexpr std::string_view kNameHasControl = "制御文字を含む";
inline constexpr std::string_view kNameTooLong = "長すぎる";
inline constexpr std::string_view kNameLeadingDot = "「.」で始まる (隠しファイルになる)";
inline constexpr std::string_view kNameLeadingDash = "「-」で始まる (オプションと読まれる)";
inline constexpr std::string_view kNameSpaceAtEnd = "空白で始まるか終わる";
inline constexpr std::string_view kNameTrailingDot = "「.」で終わる";
inline constexpr std::string_view kNameUnreadable = "CP932 の文字にならないバイトを含む";
inline std::string UnusedNameText(const std::string& name, std::string_view why, const std::string& output) {
    return "保存された名前「" + name + "」は" + std::string(why) + "ため使わず、" + output + " に書きます";
}
// After an encryption whose stored name has characters with no CP932 form.
inline std::string StoredAsText(const std::string& readBack) {
    return "CP932 にない文字は「?」になるため、保存した名前は「" + readBack + "」です";
}
// After the refusal of a symbolic link where a stored name points.
inline constexpr std::string_view kStoredNameLinkNote =
    " (保存された名前の場所にあるシンボリックリンクはたどりません)";

// An output that one run may not write, even with -f (`output` as it is shown).
inline std::string WrittenThisRunText(const std::string& output) {
    return "出力先 " + output + " はこの実行で書き出したファイルのため書き込めませんでした";
}
inline std::string InputOfThisRunText(const std::string& output) {
    return "出力先 " + output + " はこの実行の入力ファイルのため書き込めませんでした";
}

inline std::string SettingsText(const QivgSettings& settings) {
    return ToUtf8(angoka::SettingsText(settings.inKey, settings.rounds));
}
// --find-settings chose these.
inline std::string SettingsUsedText(const QivgSettings& settings) {
    return SettingsText(settings) + " で一致しました";
}
// Added to the message of a file that is no .qivg file, or does not open, when it begins like
// a wrapped bitmap.
inline constexpr std::string_view kWrappedBmpHint =
    " (BMP 化されたファイルです: qivg extract で取り出してから復号してください)";
// Added to a wrong password's message when the finder knows better.
inline std::string SettingsHintText(const QivgSettings& settings) {
    return " (" + SettingsText(settings) + " なら一致します: --find-settings で復号できます)";
}

// The line `test` writes for a good file: "a.qivg: OK (a.txt, 1234 バイト)".
inline std::string TestedLine(const std::string& file, const std::string& storedName, std::uint64_t bytes) {
    return file + ": OK (" + storedName + ", " + std::to_string(bytes) + " バイト)\n";
}

// The last line of a run over several files: "3 件中 2 件成功、1 件失敗".
inline std::string SummaryText(int total, int succeeded) {
    return std::to_string(total) + " 件中 " + std::to_string(succeeded) + " 件成功、" +
           std::to_string(total - succeeded) + " 件失敗";
}

}  // namespace angoka::cli
