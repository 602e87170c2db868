#pragma once
// The rules that the format and both front ends share, each written once: the two numbers a
// user chooses, the rounds a file is made of, the suffixes, and the names each front end gives
// its outputs, side by side.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Nibbles.h"

namespace angoka {

class RunTime;

// The numbers a decryption needs and the file does not store: InKey (内部変化数) and n, the
// extra rounds (暗号化回数).
inline constexpr std::int32_t kMinInKey = -10, kMaxInKey = 10, kDefaultInKey = 0;
inline constexpr std::int32_t kMinRounds = 1, kMaxRounds = 30, kDefaultRounds = 1;

// The envelope's own rounds, applied before the n extra ones: a file has n + 3 header bytes.
inline constexpr std::int32_t kEnvelopeRounds = 3;

// The n + 3 round keys of one encryption, drawn in the order the rounds apply them (the
// envelope's three first), as EncryptRequest takes them.
std::vector<RoundKey> DrawRoundKeys(RunTime& random, std::int32_t rounds);

// The suffixes, without their dot.
inline constexpr char16_t kQivgExtension[] = u"qivg";
inline constexpr char16_t kBmpExtension[] = u"bmp";

// Whether `name` ends in "." and `extension`, in any letter case ("a.QIVG" has "qivg"): a
// path as the window holds it, or a file name as the file system has it.
bool HasExtension(std::u16string_view name, std::u16string_view extension);
bool HasExtension(std::string_view name, std::u16string_view extension);

// The names each front end gives its outputs. The window works on the path text in its boxes
// and keeps the behaviour its users know; qivg works on a file's own name (bytes, as the file
// system has it) and never on its folder, so that a script never writes outside it.
//
// Encryption and decryption. The window offers, for a source, the source plus ".qivg" when
// encrypting, and when decrypting the source without its ".qivg" (any case), or nothing for a
// source without one (the user then types a destination). qivg names the output of every file
// it is given, so it adds ".out" where there is no ".qivg" to take away ("a.bin" ->
// "a.bin.out"); it uses that name when the stored name is not used.
std::u16string WindowDestination(const std::u16string& source, bool encrypting);
std::string EncryptedNameOf(const std::string& name);
std::string PlainNameOf(const std::string& name);
// Wrapping and extraction: the name cut back to and including its last ".", then "bmp" or the
// extension. The window cuts the whole path text, folder part included ("C:\my.dir\file" ->
// "C:\my.bmp") and has no name for a path without a dot; qivg cuts the file's name only, and
// takes a name without a dot, or with a leading one alone, whole ("README" -> "README.",
// ".bashrc" -> ".bashrc.").
std::optional<std::u16string> DottedStem(const std::u16string& path);
std::string DottedStemOf(const std::string& name);

}  // namespace angoka
