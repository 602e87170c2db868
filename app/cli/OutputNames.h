#pragma once
// The names qivg gives its outputs, from the input's file name alone (never its folder).
#include <string>

namespace angoka::cli {

inline constexpr char kQivgSuffix[] = ".qivg";
inline constexpr char kBmpSuffix[] = ".bmp";

// The name cut back to and including its last ".", or the name plus "." when it has no dot
// but a leading one: "a.b.c" -> "a.b.", "README" -> "README.", ".bashrc" -> ".bashrc.".
std::string DottedStemOf(const std::string& name);

// Whether `name` ends with `suffix`, in any letter case (".qivg", ".QIVG").
bool HasSuffix(const std::string& name, const std::string& suffix);

// The decrypted file's name when the stored one is not used: "a.txt.qivg" -> "a.txt",
// "a.bin" -> "a.bin.out" (and ".qivg", which would leave nothing, -> ".qivg.out").
std::string PlainNameOf(const std::string& name);

}  // namespace angoka::cli
