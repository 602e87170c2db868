#pragma once
// The texts that only the window shows: captions of its state, questions, prompts and
// filters. What the user is told about an outcome is shared with qivg (Messages.h).
#include <cstdint>
#include <string>

#include "Messages.h"

namespace angoka {

inline constexpr char16_t kBusyCaption[] = u"変換中.......";
inline constexpr char16_t kBrowseTitle[] = u"ファイルの参照";

// Browse filters: description "|" pattern.
inline constexpr char16_t kAllFilesFilter[] = u"全てのファイル(*.*)|*.*";
inline constexpr char16_t kBitmapFilter[] = u"Bitmap(*.bmp)|*.bmp";
inline constexpr char16_t kEncryptedFilter[] = u"Quorvane暗号ファイル(*.qivg)|*.qivg";

// Encrypt/decrypt pane.
inline constexpr char16_t kEnterSource[] = u"元ファイルを入力してください";
inline constexpr char16_t kEnterDestination[] = u"後ファイルを入力してください";
inline constexpr char16_t kEncryptDonePrefix[] = u"完了\r\n";
inline constexpr char16_t kOutputDone[] = u"に出力完了";
inline constexpr char16_t kDecryptDone[] = u"に復号完了";
inline constexpr char16_t kStoredNameBefore[] = u"元のファイル名";
inline constexpr char16_t kStoredNameAfter[] = u"を検出しました。適応しますか？";

// Asked when the password matched under other numbers than the ones set.
inline std::u16string OtherSettingsQuestion(std::int32_t inKey, std::int32_t rounds) {
    return SettingsText(inKey, rounds) + u" ならパスワードが一致します。この設定で復号しますか？";
}

// Asked before a run writes over anything at its output path.
inline std::u16string ReplaceQuestion(const std::u16string& path) {
    return path + u"は既に存在します。置き換えますか？";
}

// BMP pane.
inline constexpr char16_t kEnterFileName[] = u"ファイル名を入力してください";
inline constexpr char16_t kExtensionPrompt[] = u"につける拡張子を入力してください(.は不必要)";
inline constexpr char16_t kExtensionTitle[] = u"拡張子";
inline constexpr char16_t kExtensionDefault[] = u"qivg";

// Shown in an empty path box.
inline constexpr char16_t kDropHint[] = u"ここにファイルをドロップできます";
// Shown when several files are dropped on a path box at once.
inline std::u16string OnlyFirstDropped(const std::u16string& path) {
    return u"複数のファイルがドロップされたため、最初のファイルだけを使います\r\n" + path;
}

// The home-page shortcut in the program's folder.
inline constexpr char16_t kShortcutFile[] = u"Quorvane.url";

}  // namespace angoka
