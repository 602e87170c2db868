// decode_loop_bench [MIB] [RUNS]: the decryption's chunk loop on its own (the codec's
// ContentDecoder), at every kernel level this processor has. A random file of MIB MiB
// (default 256) is encrypted (n = 30, InKey -10) into a scratch folder and opened; then the
// loop reads the content in the codec's chunks with pread and writes what it decodes to a
// file, median of RUNS (default 5). "memory" runs the same loop over a copy of the file held
// in memory and writes nothing, so only the decoding is left.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "ConsoleRunTime.h"
#include "ContentDecoder.h"
#include "FormatRules.h"
#include "Kernels.h"
#include "QivgCodec.h"

namespace {

using namespace angoka;
namespace fs = std::filesystem;
using Byte = std::uint8_t;

struct Timing {
    double wall = 0, cpu = 0;
};

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

Timing Run(const OpenedQivg& opened, const std::vector<Byte>* image, const fs::path& output,
           std::uint64_t size) {
    const int in = ::open(opened.request.source.c_str(), O_RDONLY);
    const int out = image ? -1 : ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::sync();  // the last run's output is on disk, not written back while this one runs
    // The codec's buffer sizes.
    std::vector<Byte> chunk(ChunkFor(size - opened.payloadOffset));
    ContentDecoder decoder(
        opened.envelopeShift,
        [out](const Byte* data, std::size_t n) {
            if (out >= 0 && ::write(out, data, n) != static_cast<ssize_t>(n))
                throw std::runtime_error("write failed");
        },
        ChunkFor((size - opened.payloadOffset) / 2));
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = CpuSeconds();
    for (std::uint64_t offset = opened.payloadOffset; offset < size;) {
        const std::size_t want = std::min<std::uint64_t>(chunk.size(), size - offset);
        if (image) {
            std::memcpy(chunk.data(), image->data() + offset, want);
        } else if (::pread(in, chunk.data(), want, static_cast<off_t>(offset)) !=
                   static_cast<ssize_t>(want)) {
            throw std::runtime_error("read failed");
        }
        decoder.Feed(chunk.data(), want);
        offset += want;
    }
    const bool ok = decoder.Verdict() == Outcome::Ok;
    if (ok) decoder.Flush();
    Timing timing{std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
                  CpuSeconds() - cpuStart};
    ::close(in);
    if (out >= 0) ::close(out);
    if (!ok) throw std::runtime_error("the content did not decode");
    return timing;
}

std::vector<Byte> ReadAll(const fs::path& path) {
    std::vector<Byte> bytes(fs::file_size(path));
    std::ifstream(path, std::ios::binary)
        .read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const std::uint64_t mib = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 256;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    std::string pattern = (fs::temp_directory_path() / "angoka-decode-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return 2;
    const fs::path folder = pattern, source = folder / "src.bin", encrypted = folder / "src.qivg";
    {
        std::mt19937_64 random(7);
        std::vector<std::uint64_t> block((1 << 20) / 8);
        std::ofstream file(source, std::ios::binary);
        for (std::uint64_t i = 0; i < mib; ++i) {
            for (auto& word : block) word = random();
            file.write(reinterpret_cast<const char*>(block.data()),
                       static_cast<std::streamsize>(block.size() * 8));
        }
    }
    ConsoleRunTime services;
    const std::vector<RoundKey> keys = DrawRoundKeys(services, kMaxRounds);
    if (!EncryptFile({source, encrypted, u"bench", u"src.bin", -10, keys}, {}, {.durable = false}).ok())
        return 2;
    const OpenedQivg opened = OpenQivg({encrypted, u"bench", -10, kMaxRounds});
    if (!opened.result.ok()) return 2;
    const std::vector<Byte> image = ReadAll(encrypted), plain = ReadAll(source);
    const std::uint64_t size = image.size();

    std::printf("decode loop, %llu MiB of content (%llu MiB .qivg), %d cores, median of %d\n",
                static_cast<unsigned long long>(mib), static_cast<unsigned long long>(size >> 20),
                static_cast<int>(sysconf(_SC_NPROCESSORS_ONLN)), runs);
    std::printf("%-8s %-7s %9s %9s %10s\n", "level", "input", "wall s", "cpu s", "MiB/s in");
    int status = 0;
    for (const KernelLevel level : SupportedKernelLevels()) {
        UseKernelLevel(level);
        for (const bool inMemory : {true, false}) {
            std::vector<double> wall, cpu;
            for (int run = 0; run < runs; ++run) {
                const Timing t = Run(opened, inMemory ? &image : nullptr, folder / "decoded.out", size);
                wall.push_back(t.wall);
                cpu.push_back(t.cpu);
                if (!inMemory && run == 0 && ReadAll(folder / "decoded.out") != plain) {
                    std::printf("the %s loop wrote the wrong bytes\n", KernelLevelName(level));
                    status = 1;
                }
            }
            std::printf("%-8s %-7s %9.3f %9.3f %10.0f\n", KernelLevelName(level),
                        inMemory ? "memory" : "file", Median(wall), Median(cpu),
                        static_cast<double>(size >> 20) / Median(wall));
        }
    }
    fs::remove_all(folder);
    return status;
}
