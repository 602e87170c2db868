#pragma once
// The texts that the window shows: captions of its state, questions and messages.
#include <string>

namespace angoka {

inline constexpr char16_t kBusyCaption[] = u"変換中.......";
inline constexpr char16_t kBrowseTitle[] = u"ファイルの参照";

// Browse filters: description "|" pattern.
inline constexpr char16_t kAllFilesFilter[] = u"全てのファイル(*.*)|*.*";
inline constexpr char16_t kBitmapFilter[] = u"Bitmap(*.bmp)|*.bmp";
inline constexpr char16_t kEncryptedFilter[] = u"Quorvane暗号ファイル(*.qivg)|*.qivg";
inline constexpr char16_t kEncryptedSuffix[] = u"qivg";

// Encrypt/decrypt pane.
inline constexpr char16_t kEnterSource[] = u"元ファイルを入力してください";
inline constexpr char16_t kEnterDestination[] = u"後ファイルを入力してください";
inline constexpr char16_t kEnterPassword[] = u"パスワードを入力してください";
inline constexpr char16_t kEncryptDonePrefix[] = u"完了\r\n";
inline constexpr char16_t kOutputDone[] = u"に出力完了";
inline constexpr char16_t kDecryptDone[] = u"に復号完了";
inline constexpr char16_t kDecryptFailed[] = u"復号に失敗しました";
inline constexpr char16_t kNotQivg[] = u"正しいqivg形式ファイルではありませんでした";
inline constexpr char16_t kStoredNameBefore[] = u"元のファイル名";
inline constexpr char16_t kStoredNameAfter[] = u"を検出しました。適応しますか？";
inline constexpr char16_t kPasswordNotNarrow[] = u"パスワードに使えない文字が含まれています";
inline constexpr char16_t kTooShort[] = u"ファイルが短すぎるため復号できませんでした";
inline constexpr char16_t kTruncated[] = u"ファイルが途中で切れているため復号できませんでした";
inline constexpr char16_t kBadHex[] = u"ファイルの内容が壊れているため復号できませんでした";

// BMP pane.
inline constexpr char16_t kEnterFileName[] = u"ファイル名を入力してください";
inline constexpr char16_t kNoDot[] = u"拡張子のあるファイル名を入力してください";
inline constexpr char16_t kBmpTooShort[] = u"ファイルが118バイトより短いため、データを取り出せませんでした";
inline constexpr char16_t kExtensionPrompt[] = u"につける拡張子を入力してください(.は不必要)";
inline constexpr char16_t kExtensionTitle[] = u"拡張子";
inline constexpr char16_t kExtensionDefault[] = u"qivg";

// Both panes.
inline constexpr char16_t kCancelled[] = u"処理を中止しました";
inline constexpr char16_t kDestinationIsFolder[] = u"出力先がフォルダのため書き込めませんでした";
inline constexpr char16_t kFileFailed[] = u"ファイルの読み書きに失敗しました";
inline constexpr char16_t kReasonLabel[] = u"理由: ";

// The home-page shortcut in the program's folder.
inline constexpr char16_t kShortcutFile[] = u"Quorvane.url";

}  // namespace angoka
