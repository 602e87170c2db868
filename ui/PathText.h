#pragma once
// Paths as the window's boxes hold them: the parts of a typed path, and the destination that
// the window suggests for a chosen source.
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

// Whether the file's name ends in "." and `extension`, in any case: "a.QIVG" has "qivg".
bool HasExtension(const std::u16string& path, const std::u16string& extension);

// The destination offered for a chosen source: encryption adds ".qivg"; decryption takes a
// trailing ".qivg" (any case) away and offers nothing for a source without one. No source,
// no destination.
std::u16string SuggestedDestination(const std::u16string& source, bool encrypting);

}  // namespace angoka
