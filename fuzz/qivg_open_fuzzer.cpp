// Feeds arbitrary bytes as a .qivg file through both decryption roads: the streaming codec
// (open, then write into a scratch folder) and the hex-text road of the cipher object. Neither
// may crash, and the codec may only ever write the one file it was given.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "BinAngsDL.h"
#include "FakeRunTime.h"
#include "QivgCodec.h"

namespace fs = std::filesystem;
using namespace angoka;

namespace {

const fs::path& Scratch() {
    static const fs::path folder = [] {
        auto path = fs::temp_directory_path() / ("qivg-fuzz-" + std::to_string(::getpid()));
        fs::create_directories(path);
        return path;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    // The first two bytes choose the settings, the rest is the file.
    const std::int32_t inKey = static_cast<std::int32_t>(data[0] % 21) - 10;
    const std::int32_t rounds = data[1] % 30 + 1;
    const std::string file(reinterpret_cast<const char*>(data + 2), size - 2);
    const fs::path source = Scratch() / "in.qivg";
    const fs::path output = Scratch() / "out.bin";
    std::ofstream(source, std::ios::binary | std::ios::trunc) << file;

    const OpenedQivg opened = OpenQivg({source, u"pw", inKey, rounds});
    if (opened.result.ok()) WriteQivg(opened, output, {}, {.replace = true, .durable = false});

    FakeRunTime services;
    BinAngsDL cipher(services);
    cipher.InKey(inKey);
    std::u16string path = source.u16string();
    std::u16string work = cipher.OpenBin(path);
    if (work.size() >= 2 * (static_cast<std::size_t>(rounds) + 4)) {
        for (int i = 0; i < rounds; ++i) work = cipher.Hukgs(work);
        cipher.Pass(u"pw");
        work = cipher.PassHukgs(work);
    }

    for (const auto& entry : fs::directory_iterator(Scratch())) {
        const auto name = entry.path().filename();
        if (name != "in.qivg" && name != "out.bin") __builtin_trap();
    }
    return 0;
}
