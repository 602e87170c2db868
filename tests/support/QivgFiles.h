#pragma once
// Making .qivg files in tests: scripted round keys and draws, the hex-text road (the in-memory
// cipher object) as the reference the streaming codec must match, and crafted envelopes that no
// encryptor writes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "AtomicFile.h"
#include "BinAngsDL.h"
#include "Envelope.h"
#include "FakeRunTime.h"
#include "Files.h"
#include "FormatRules.h"
#include "HexText.h"
#include "Paths.h"
#include "Utf.h"

namespace angoka::testing {

namespace fs = std::filesystem;

// Text from a UTF-8 literal.
inline std::u16string Utf16(std::string_view utf8) {
    return FromUtf8(utf8);
}

// Draws u with floor(u * 14) + 1 == offset and floor(u * 15) + 1 == decoy.
constexpr double OffsetDraw(int offset) {
    return (offset - 0.5) / 14;
}
constexpr double DecoyDraw(int decoy) {
    return (decoy - 0.5) / 15;
}

// Scripts the next round: a round draws its offset first, then its decoy digit.
inline void ScriptRound(FakeRunTime& services, int offset, int decoy) {
    services.draws.push_back(OffsetDraw(offset));
    services.draws.push_back(DecoyDraw(decoy));
}

// Uniform draws in [0, 1) for the scripted run-time, two per round; the first draws hit the
// extremes of both ranges (offset 1 and 14, decoy 1 and 15).
inline std::deque<double> DrawScript(int rounds, std::uint32_t seed) {
    std::deque<double> draws = {0.0, 0.9999, 0.9999, 0.0};
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    while (draws.size() < static_cast<std::size_t>(2 * rounds)) draws.push_back(uniform(generator));
    return draws;
}

// The keys that n + 3 rounds draw from the script, in drawing order.
inline std::vector<RoundKey> KeysFromScript(const std::deque<double>& draws, int rounds) {
    FakeRunTime services;
    services.draws = draws;
    return DrawRoundKeys(services, rounds - kEnvelopeRounds);
}

inline constexpr char16_t kMarker[] = u"CFEC2EC5CF3FADE6";

// Encrypts through the cipher object, the way the window's run does it.
inline void HexRoadEncrypt(const fs::path& source, const fs::path& destination,
                           const std::u16string& password, const std::u16string& baseName, std::int32_t inKey,
                           int n, const std::deque<double>& draws) {
    FakeRunTime services;
    services.draws = draws;
    BinAngsDL cipher(services);
    cipher.InKey(inKey);
    cipher.FileName(baseName);
    std::u16string sourceText = TextFromPath(source);
    std::u16string work = cipher.OpenBin(sourceText);
    work = kMarker + work;
    cipher.Pass(password);
    work = cipher.PassAngs(work);
    for (int i = 0; i < n; ++i) work = cipher.Angs(work);
    std::u16string destinationText = TextFromPath(destination);
    cipher.SaveBin(destinationText, work);
}

struct HexRoadDecrypted {
    std::optional<std::string> content;  // nothing: wrong password or no marker
    std::u16string storedName;
};

// Decrypts through the cipher object and returns the content's bytes.
inline HexRoadDecrypted HexRoadDecrypt(const fs::path& source, const std::u16string& password,
                                       std::int32_t inKey, int n) {
    FakeRunTime services;
    BinAngsDL cipher(services);
    cipher.InKey(inKey);
    cipher.FileName(u"");
    std::u16string sourceText = TextFromPath(source);
    std::u16string work = cipher.OpenBin(sourceText);
    for (int i = 0; i < n; ++i) work = cipher.Hukgs(work);
    cipher.Pass(password);
    work = cipher.PassHukgs(work);
    HexRoadDecrypted result;
    result.storedName = cipher.FileName();
    if (work == u"Error" || work.substr(0, 16) != kMarker) return result;
    std::string bytes;
    if (HexToBytes(std::u16string_view(work).substr(16), bytes).status != HexDecodeResult::Status::Ok)
        return result;
    result.content = bytes;
    return result;
}

// A .qivg file around any envelope bytes, made with the cipher object's rounds: lets a test
// build files that no encryptor writes (stray line ends, non-hex content, odd lengths).
inline std::string CraftQivg(const std::string& envelope, std::int32_t inKey, int n, std::uint32_t seed = 7) {
    FakeRunTime services;
    services.draws = DrawScript(n + 3, seed);
    BinAngsDL cipher(services);
    cipher.InKey(inKey);
    std::u16string work = BytesToHex(envelope);
    for (int i = 0; i < n + 3; ++i) work = cipher.Angs(work);
    std::string bytes;
    EXPECT_EQ(HexToBytes(work, bytes).status, HexDecodeResult::Status::Ok);
    return bytes;
}

inline std::string HexOf(const std::string& bytes) {
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (unsigned char b : bytes) {
        hex += kHexDigits[b >> 4];
        hex += kHexDigits[b & 15];
    }
    return hex;
}

}  // namespace angoka::testing
