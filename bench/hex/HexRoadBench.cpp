// The hex-text road on a 64 MiB file. Every benchmark counts the file's bytes, so the
// MB/s figures compare directly: reading it as hex text, writing hex text back as bytes,
// one encrypting round and one decrypting round over its 128 Mi digits.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>

#include "BinAngsDL.h"
#include "HexText.h"
#include "Paths.h"

namespace {

constexpr std::size_t kFileBytes = std::size_t{64} << 20;

// A scratch folder holding the 64 MiB source, shared by every benchmark of the run.
class Scratch {
public:
    Scratch() {
        std::string pattern = (std::filesystem::temp_directory_path() / "angoka-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        folder_ = pattern;
        std::mt19937_64 generator(42);
        content_.resize(kFileBytes);
        for (std::size_t i = 0; i < content_.size(); i += 8) {
            const auto word = generator();
            for (std::size_t k = 0; k < 8; ++k) content_[i + k] = static_cast<char>(word >> (8 * k));
        }
        std::ofstream(folder_ / "source.bin", std::ios::binary).write(content_.data(), content_.size());
    }
    ~Scratch() {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    std::u16string Path(const char* name) const { return angoka::TextFromPath(folder_ / name); }
    const std::string& content() const { return content_; }

private:
    std::filesystem::path folder_;
    std::string content_;
};

Scratch& TheScratch() {
    static Scratch scratch;
    return scratch;
}

void Count(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(kFileBytes));
}

void OpenBin(benchmark::State& state) {
    angoka::BinAngsDL cipher;
    std::u16string path = TheScratch().Path("source.bin");
    for (auto _ : state) {
        std::u16string hex = cipher.OpenBin(path);
        benchmark::DoNotOptimize(hex.data());
    }
    Count(state);
}

void SaveBin(benchmark::State& state) {
    angoka::BinAngsDL cipher;
    std::u16string hex = angoka::BytesToHex(TheScratch().content());
    std::u16string path = TheScratch().Path("copy.bin");
    for (auto _ : state) cipher.SaveBin(path, hex);  // includes flushing the file to disk
    Count(state);
}

void AngsRound(benchmark::State& state) {
    angoka::BinAngsDL cipher;
    cipher.InKey(-7);
    std::u16string hex = angoka::BytesToHex(TheScratch().content());
    for (auto _ : state) {
        std::u16string out = cipher.Angs(hex);
        benchmark::DoNotOptimize(out.data());
    }
    Count(state);
}

void HukgsRound(benchmark::State& state) {
    angoka::BinAngsDL cipher;
    cipher.InKey(-7);
    std::u16string hex = angoka::BytesToHex(TheScratch().content());
    for (auto _ : state) {
        // Hukgs drops the first two digits of its argument; a few dozen iterations leave
        // the text practically as long as it was.
        std::u16string out = cipher.Hukgs(hex);
        benchmark::DoNotOptimize(out.data());
    }
    Count(state);
}

BENCHMARK(OpenBin)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SaveBin)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(AngsRound)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(HukgsRound)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
