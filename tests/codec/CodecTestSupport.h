#pragma once
// Shared by the codec tests: scratch folders, whole-file helpers, scripted round keys, and the
// hex-text road (the in-memory cipher object) as the reference the streaming codec must match.
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
#include "FormatRules.h"
#include "HexText.h"
#include "Paths.h"

namespace angoka::testing {

namespace fs = std::filesystem;

// A fresh folder per test, removed with everything in it afterwards.
class ScratchFolder {
public:
    ScratchFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string tag = info ? std::string(info->test_suite_name()) + "." + info->name() : "codec";
        for (char& c : tag)
            if (c == '/') c = '_';
        path_ = fs::temp_directory_path() / ("angoka-codec-" + std::to_string(::getpid()) + "-" + tag);
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }

    // The names in the folder, to show that nothing (no temporary file either) was left behind.
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(path_))
            names.insert(entry.path().filename().string());
        return names;
    }

private:
    fs::path path_;
};

inline std::string ReadBytes(const fs::path& path) {
    return ReadWholeFile(path);
}
inline void WriteBytes(const fs::path& path, const std::string& bytes) {
    WriteWholeFile(path, bytes);
}

// Deterministic bytes of every value.
inline std::string RandomBytes(std::size_t size, std::uint32_t seed = 1) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& b : bytes) b = static_cast<char>(generator() & 0xFF);
    return bytes;
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
