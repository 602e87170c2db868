#pragma once
// The home-page link's target: the web address in an Internet shortcut file (".url").
#include <filesystem>
#include <optional>
#include <string>

namespace angoka {

// The URL= line of the [InternetShortcut] section, when it names a web page (http or https);
// nothing for a missing file, a missing line or any other kind of target. The file may be
// UTF-8 (with or without a byte order mark) or in the narrow character set.
std::optional<std::u16string> ShortcutUrl(const std::filesystem::path& file);

}  // namespace angoka
