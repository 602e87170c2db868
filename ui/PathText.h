#pragma once
// Paths as the window's boxes hold them: the parts of a typed path.
#include <string>

class QLineEdit;

namespace angoka {

// The text of a box, as the engine takes it.
std::u16string BoxText(const QLineEdit* box);

// The characters after the last separator; a path without one is all name.
std::u16string BaseName(const std::u16string& path);
// The folder part with its trailing separator; empty for a path without one.
std::u16string FolderOf(const std::u16string& path);
// A destination typed without a folder goes beside the source.
std::u16string BesideSource(const std::u16string& source, const std::u16string& destination);

}  // namespace angoka
