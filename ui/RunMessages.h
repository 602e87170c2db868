#pragma once
// Every message a run of the window can end with, in one place: the completion messages and
// the table from a codec outcome to what the user is told.
#include <optional>
#include <string>
#include <vector>

#include "CodecTypes.h"

namespace angoka {

// "完了", a line break, the destination, "に出力完了".
std::u16string EncryptedMessage(const std::u16string& destination);
// The output path, "に復号完了".
std::u16string DecryptedMessage(const std::u16string& output);
// The output path, "に出力完了".
std::u16string WrappedMessage(const std::u16string& output);

// A message box of a run: its text, and its title when it has one of its own.
struct RunMessage {
    std::u16string text;
    std::optional<std::u16string> title;
};

// The messages, in order, for an ending other than success. `source` names the file in the
// not-found message; `path` is the file named when the codec gives none. The cipher object's
// own messages carry its title, `cipherTitle`; the rest show the application's.
std::vector<RunMessage> FailureMessages(const Result& result, const std::u16string& source,
                                        const std::u16string& path, const std::u16string& cipherTitle);

}  // namespace angoka
