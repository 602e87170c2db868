// qivg_bench_driver: one file operation per run, for bench/run-bench to time against cat and
// openssl and to measure its peak memory.
//
//   qivg_bench_driver [--sync] encrypt SRC DST   the streaming codec, n = 30, InKey -10
//   qivg_bench_driver [--sync] decrypt SRC DST   the streaming codec, both steps
//   qivg_bench_driver hexroad SRC DST            the in-memory hex-text road, same settings
//   qivg_bench_driver encrypt-each FILE...       each FILE to FILE.qivg, in one process (what
//                                                `qivg encrypt FILE...` does, for the batch figure)
//
// The password comes from ANGOKA_BENCH_PASSWORD (default "bench-password"). Round keys are
// random. Without --sync the output is not flushed to disk before the rename, so that the
// figures compare with cat and openssl, which do not flush either.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "BinAngsDL.h"
#include "ConsoleRunTime.h"
#include "FormatRules.h"
#include "Paths.h"
#include "QivgCodec.h"
#include "Utf.h"

namespace {

using namespace angoka;

constexpr std::int32_t kRounds = 30;
constexpr std::int32_t kInKey = -10;

std::u16string Password() {
    const char* text = std::getenv("ANGOKA_BENCH_PASSWORD");
    return FromUtf8(text && *text ? text : "bench-password");
}

std::vector<RoundKey> RandomKeys() {
    ConsoleRunTime services;
    return DrawRoundKeys(services, kRounds);
}

int Report(const char* what, const Result& result) {
    if (result.ok()) return 0;
    std::fprintf(stderr, "%s failed: outcome %d %s %s\n", what, static_cast<int>(result.outcome),
                 result.path.string().c_str(), result.reason().c_str());
    return 1;
}

int Encrypt(const std::filesystem::path& source, const std::filesystem::path& destination, bool sync) {
    WriteOptions output;
    output.durable = sync;
    output.flushNew = sync;  // the output is always new: the bench removes it first
    const std::u16string name = FromUtf8(source.filename().string());
    return Report("encrypt",
                  EncryptFile({source, destination, Password(), name, kInKey, RandomKeys()}, {}, output));
}

int Decrypt(const std::filesystem::path& source, const std::filesystem::path& destination, bool sync) {
    const OpenedQivg opened = OpenQivg({source, Password(), kInKey, kRounds});
    if (!opened.result.ok()) return Report("open", opened.result);
    WriteOptions output;
    output.durable = sync;
    output.flushNew = sync;  // the output is always new: the bench removes it first
    return Report("decrypt", WriteQivg(opened, destination, {}, output));
}

// What the window's run did before the codec: the whole file as hex text, n + 3 rounds over it.
int HexRoad(const std::filesystem::path& source, const std::filesystem::path& destination) {
    ConsoleRunTime services;
    BinAngsDL cipher(services);
    cipher.InKey(kInKey);
    cipher.FileName(FromUtf8(source.filename().string()));
    std::u16string sourceText = TextFromPath(source);
    std::u16string work = cipher.OpenBin(sourceText);
    work = u"CFEC2EC5CF3FADE6" + work;
    cipher.Pass(Password());
    work = cipher.PassAngs(work);
    for (int i = 0; i < kRounds; ++i) work = cipher.Angs(work);
    std::u16string destinationText = TextFromPath(destination);
    cipher.SaveBin(destinationText, work);
    return 0;
}

int EncryptEach(const std::vector<std::string>& files) {
    int status = 0;
    for (const std::string& file : files) status |= Encrypt(file, file + ".qivg", false);
    return status;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: qivg_bench_driver [--sync] encrypt|decrypt|hexroad SRC DST\n"
                 "       qivg_bench_driver encrypt-each FILE...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    bool sync = false;
    if (!args.empty() && args.front() == "--sync") {
        sync = true;
        args.erase(args.begin());
    }
    if (!args.empty() && args.front() == "encrypt-each") return EncryptEach({args.begin() + 1, args.end()});
    if (args.size() != 3) return Usage();
    const std::filesystem::path source = args[1], destination = args[2];
    try {
        if (args[0] == "encrypt") return Encrypt(source, destination, sync);
        if (args[0] == "decrypt") return Decrypt(source, destination, sync);
        if (args[0] == "hexroad") return HexRoad(source, destination);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s failed: %s\n", args[0].c_str(), error.what());
        return 1;
    }
    return Usage();
}
