#pragma once
// The encrypted file, streamed: encryption in one read of the source and one write of the
// destination, decryption in two steps (open: the header and envelope lines only; write: the
// content), each in fixed-size chunks, so memory stays flat whatever the file size.
//
// n + 3 rounds only add (offset - InKey) mod 16 to every nibble already there, so the file is
// n + 3 header bytes (each round's decoy and offset, shifted by the rounds after it) followed
// by the envelope's bytes with every nibble shifted by the sum of all rounds.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CodecTypes.h"
#include "Nibbles.h"

namespace angoka {

struct EncryptRequest {
    std::filesystem::path source;
    std::filesystem::path destination;
    std::u16string password;    // see CheckPassword
    std::u16string storedName;  // the name the envelope carries (the source's base name; see StorableName)
    std::int32_t inKey = 0;
    // n + 3 round keys in the order a round draws them: the envelope's three rounds first,
    // then the n extra rounds. Draw them with DrawRoundKeys on the caller's thread.
    std::vector<RoundKey> rounds;
};

// The longest password, in UTF-16 units, that encryption stores and the open step looks for
// when it judges a file under a password it does not know (see FoundSettings::qivgShape).
inline constexpr std::size_t kPasswordLimit = 1024;

// A password that a .qivg file can hold and give back: Ok, EmptyPassword, UnstorablePassword
// (a character with no narrow form, a CR or an LF) or PasswordTooLong (over kPasswordLimit).
Outcome CheckPassword(std::u16string_view password);
// A stored name that a .qivg file can hold and give back: Ok, UnstorableName (a CR or LF, or
// longer than a reader accepts) or CharsetUnavailable.
Outcome CheckStoredName(std::u16string_view name);
// Everything EncryptFile checks before it reads or writes anything: the password, the stored
// name and the round keys (TooFewRounds: fewer than the envelope's three).
Outcome CheckEncryptRequest(const EncryptRequest& request);

// Writes exactly the bytes that the hex-text road writes for the same round keys; refuses what
// CheckEncryptRequest refuses, before anything is written.
Result EncryptFile(const EncryptRequest& request, const Progress& progress = {},
                   const WriteOptions& output = {});

struct DecryptRequest {
    std::filesystem::path source;
    std::u16string password;
    std::int32_t inKey = 0;
    std::int32_t rounds = 1;  // n, the extra rounds
};

class SourceFile;

// What the open step found. `outcome` is Ok, SourceMissing, TooShort, WrongPassword,
// ErrorPayload, NotQivg, Truncated, CharsetUnavailable, Cancelled or IoError; only an Ok open
// may be written. It keeps the source open, so the file that was judged is the file that is
// written, however long the caller takes in between.
struct OpenedQivg {
    Result result;
    // The name stored in the envelope, decoded; present whenever the envelope had two lines.
    std::optional<std::u16string> storedName;
    // The stored name when it is a plain file name that is safe to write in a chosen folder,
    // and every byte of it was a character (an unreadable byte would show as a '?' that is not
    // in the file).
    std::optional<std::u16string> safeName;

    // Where the content starts, for the write step.
    DecryptRequest request;
    std::shared_ptr<SourceFile> source;  // open from the open step to the write step
    std::uint64_t payloadOffset = 0;     // file offset of the first byte after the name line
    int envelopeShift = 0;               // added to each nibble of the file to get the envelope
};

// Reads only the file's first bytes (a bounded amount, checking `progress`'s cancel flag) and
// its last two.
OpenedQivg OpenQivg(const DecryptRequest& request, const Progress& progress = {});

// Streams the content of an opened file to `output`. Outcomes: Ok, OddLength, BadHex,
// DestinationIsFolder, IoError, Cancelled, and SourceMissing when the file went away since it
// was opened; on every outcome but Ok the output is unchanged.
Result WriteQivg(const OpenedQivg& opened, const std::filesystem::path& output, const Progress& progress = {},
                 const WriteOptions& options = {});

// Streams the content of an opened file to an open descriptor (standard output), or only
// checks it when `fd` is negative; `contentBytes` gets the number of bytes that went out, and a
// failed write names the descriptor `fdName`. Nothing is atomic here: content found damaged
// after some bytes went out ends in OddLength or BadHex all the same, and the caller says so.
// Outcomes as WriteQivg, without the destination ones.
Result StreamQivg(const OpenedQivg& opened, int fd, const Progress& progress = {},
                  std::uint64_t* contentBytes = nullptr, const std::filesystem::path& fdName = "<output>");

// Why a stored name cannot be used as a file name in a chosen folder, rule by rule; None when
// it can. Besides being a plain name (not empty, no "/" or "\\", no control characters, no
// longer than a file name may be: 255 bytes), it must be nothing a user would not see or a
// program would take for something else: no leading "." (a hidden file, "." and ".." among
// them) or "-" (an option), no leading or trailing space, no trailing ".".
enum class NameProblem {
    None,
    Empty,
    Separator,
    Control,
    TooLong,
    LeadingDot,
    LeadingDash,
    SpaceAtEnd,
    TrailingDot
};
NameProblem FileNameProblem(const std::u16string& name);
inline bool IsSafeFileName(const std::u16string& name) {
    return FileNameProblem(name) == NameProblem::None;
}
// C0 and C1 controls and DEL: never in a safe name, never sent to a terminal as they are.
constexpr bool IsControlCharacter(char16_t c) {
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0);
}

// The settings a user chooses and the file does not store.
struct QivgSettings {
    std::int32_t inKey = 0;   // -10..10
    std::int32_t rounds = 1;  // n, 1..30
    bool operator==(const QivgSettings&) const = default;
};

// Every setting in -10..10 x 1..30 under which `password` matches the stored one and the
// format marker follows, n ascending, then InKey by distance from 0 (0, -1, 1, -2, ...).
// Reads the file's first bytes once, never the whole file. `result` is Ok, SourceMissing,
// CharsetUnavailable or IoError.
//
// A setting is left out when the password is only the end of one stored under fewer rounds.
// Undoing more rounds than a file was made with takes the first characters of its password
// line for round keys, and for some InKey the shifts cancel: the file then opens, content and
// all, under any ending part of the real password. So a setting is kept only if no setting
// with fewer rounds gives a password line that ends with `password` after at least one
// character a user could have typed, with every round's decoy and offset in the ranges that
// encryption draws from. The real password is refused too when such a line comes about by
// chance (about one file in ten): the user then sees a wrong password, never the content.
struct FoundSettings {
    Result result;
    std::vector<QivgSettings> settings;
    // Whether some setting (InKey modulo 16, n from 1 to 30) gives an envelope whose payload
    // begins with the format marker, whatever its password: false for a file that is no .qivg
    // file at all.
    bool qivgShape = false;
};
FoundSettings FindSettings(const std::filesystem::path& source, std::u16string_view password);

// What a password mismatch is reported as, given what the finder saw in the same file:
// NotQivg when the file has the shape of a .qivg file under no setting, else WrongPassword.
Outcome MismatchOutcome(const FoundSettings& found);

}  // namespace angoka
