// decode_loop_bench [MIB] [RUNS]: the decryption's chunk loop on its own, as the codec runs
// it today and as it runs with the fused kernels, at every kernel level this processor has.
// A random file of MIB MiB (default 256) is encrypted (n = 30, InKey -10) into a scratch
// folder and opened; then each loop reads the content in the codec's chunks with pread and
// writes what it decodes to a file of its own, median of RUNS (default 5), alternating.
// "memory" runs the same loops over a copy of the file held in memory and writes nothing,
// so only the decoding is left. First both loops are checked against a reader of the whole
// payload on random damaged payloads.
//
//   today:  ShiftAll the chunk, split it at line ends (memchr), DecodeHexPairs each piece
//   fused:  DecodeShiftedDigits on the raw chunk; a stop at a raw CR is a line end
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
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "ConsoleRunTime.h"
#include "Envelope.h"
#include "HexText.h"
#include "Kernels.h"
#include "NarrowCharset.h"
#include "QivgCodec.h"

namespace {

using namespace angoka;
namespace fs = std::filesystem;
using Byte = std::uint8_t;
using Sink = std::function<void(const Byte*, std::size_t)>;
enum class Ending { Ok, OddLength, BadHex };

// A piece of the payload after damage, nibble-shifted back: only its number of characters
// matters, counted as the codec counts them (bytes while they are ASCII; from the first
// other byte on, the narrow character set's converter).
class DamageCount {
public:
    void Add(std::string_view piece) {
        if (wide_) {
            wide_->Feed(piece);
            return;
        }
        const auto other = std::find_if(piece.begin(), piece.end(), [](char c) { return (c & 0x80) != 0; });
        count_ += static_cast<std::size_t>(other - piece.begin());
        if (other == piece.end()) return;
        wide_ = std::make_unique<NarrowUnitCounter>();
        wide_->Feed(piece.substr(static_cast<std::size_t>(other - piece.begin())));
    }
    std::uint64_t Total() { return count_ + (wide_ ? wide_->Finish() : 0); }

private:
    std::uint64_t count_ = 0;
    std::unique_ptr<NarrowUnitCounter> wide_;
};

// The payload's content as the codec decodes it today: each chunk shifted in place, the
// payload lines joined (a line ends at CR; an LF right after it belongs to the line end),
// the format marker skipped, pairs decoded; a bad pair stops the output but not the count,
// since an odd number of characters outranks it.
class TodayDecoder {
public:
    TodayDecoder(int shift, Sink out, std::size_t bufferSize)
        : shift_(shift), out_(std::move(out)), buffer_(bufferSize) {}

    void Feed(Byte* chunk, std::size_t size) {
        ShiftAll(chunk, size, shift_);
        std::size_t i = 0;
        while (i < size) {
            if (afterCR_) {
                afterCR_ = false;
                if (chunk[i] == '\n') {
                    ++i;
                    continue;
                }
            }
            const void* cr = std::memchr(chunk + i, '\r', size - i);
            const std::size_t end =
                cr ? static_cast<std::size_t>(static_cast<const Byte*>(cr) - chunk) : size;
            Take(std::string_view(reinterpret_cast<const char*>(chunk) + i, end - i));
            if (!cr) break;
            afterCR_ = true;
            i = end + 1;
        }
    }
    Ending Finish() {
        if ((count_ + damage_.Total()) % 2 != 0) return Ending::OddLength;
        if (bad_) return Ending::BadHex;
        Flush();
        return Ending::Ok;
    }

private:
    void Take(std::string_view digits) {
        const std::size_t skip = std::min(skip_, digits.size());
        skip_ -= skip;
        digits.remove_prefix(skip);
        if (digits.empty()) return;
        if (bad_) {
            damage_.Add(digits);
            return;
        }
        const int carried = half_;  // counted with the last piece, as a byte
        const auto* in = reinterpret_cast<const Byte*>(digits.data());
        std::size_t n = digits.size();
        if (half_ >= 0) {
            const Byte pair[2] = {static_cast<Byte>(half_), in[0]};
            DecodePairs(pair, 1);
            half_ = -1;
            ++in;
            --n;
        }
        DecodePairs(in, n / 2);
        if (n % 2 != 0) half_ = in[n - 1];
        if (!bad_) {
            count_ += digits.size();
        } else if (carried >= 0x80) {  // a lead byte: counted again, with the rest of its character
            --count_;
            damage_.Add(std::string(1, static_cast<char>(carried)) + std::string(digits));
        } else {
            damage_.Add(digits);
        }
    }
    void DecodePairs(const Byte* in, std::size_t pairs) {
        while (pairs > 0 && !bad_) {
            if (used_ == buffer_.size()) Flush();
            const std::size_t now = std::min(pairs, buffer_.size() - used_);
            bad_ = !DecodeHexPairs(in, now, buffer_.data() + used_);
            used_ += now;
            in += 2 * now;
            pairs -= now;
        }
    }
    void Flush() {
        if (!bad_ && used_ > 0) out_(buffer_.data(), used_);
        used_ = 0;
    }

    int shift_;
    Sink out_;
    std::vector<Byte> buffer_;
    std::size_t used_ = 0, skip_ = kFormatMarker.size();
    std::uint64_t count_ = 0;
    DamageCount damage_;
    int half_ = -1;
    bool afterCR_ = true, bad_ = false;
};

// The same outcome from the raw bytes in one pass per chunk: decoding stops only at a byte
// that is no digit once shifted, which is a line end (go on after it) or damage.
class FusedDecoder {
public:
    FusedDecoder(int shift, Sink out, std::size_t bufferSize)
        : shift_(shift),
          rawCR_(RawOf('\r')),
          rawLF_(RawOf('\n')),
          out_(std::move(out)),
          buffer_(bufferSize) {}

    void Feed(const Byte* in, std::size_t size) {
        const Byte* const end = in + size;
        while (in < end) {
            if (afterCR_) {
                afterCR_ = false;
                if (*in == rawLF_ && ++in == end) break;
            }
            if (skip_ > 0) {
                in += Skip(in, end - in);
            } else if (bad_) {
                in += CountDamaged(in, end - in);
            } else {
                in += Decode(in, end - in);
                if (in < end && *in != rawCR_) {  // damage: from here on only count
                    bad_ = true;
                    continue;
                }
            }
            if (in < end && *in == rawCR_) {
                afterCR_ = true;
                ++in;
            }
        }
    }
    Ending Finish() {
        if ((count_ + damage_.Total()) % 2 != 0) return Ending::OddLength;
        if (bad_) return Ending::BadHex;
        Flush();
        return Ending::Ok;
    }

private:
    Byte RawOf(char c) const { return ShiftNibbles(static_cast<Byte>(c), Mod16(-shift_)); }

    // The format marker's characters, up to a line end.
    std::size_t Skip(const Byte* in, std::size_t size) {
        const std::size_t n = FindShifted(in, std::min(size, skip_), '\r', shift_);
        skip_ -= n;
        return n;
    }
    // Characters up to a line end, after damage: shifted back (damage is rare) and counted.
    std::size_t CountDamaged(const Byte* in, std::size_t size) {
        const std::size_t n = FindShifted(in, size, '\r', shift_);
        scratch_.assign(in, in + n);
        ShiftAll(scratch_.data(), n, shift_);
        damage_.Add(std::string_view(reinterpret_cast<const char*>(scratch_.data()), n));
        return n;
    }
    // Digits up to the first byte that is none, a pair left open by the last call first;
    // returns how many bytes were digits. A full buffer is flushed, as the codec does.
    std::size_t Decode(const Byte* in, std::size_t size) {
        std::size_t taken = 0;
        if (half_ >= 0) {
            if (used_ == buffer_.size()) Flush();
            const Byte pair[2] = {static_cast<Byte>(half_), in[0]};
            if (DecodeShiftedDigits(pair, 2, buffer_.data() + used_, shift_) < 2) return 0;
            ++used_;
            ++count_;
            half_ = -1;
            taken = 1;
        }
        while (taken < size) {
            if (used_ == buffer_.size()) Flush();
            const std::size_t want = std::min(size - taken, 2 * (buffer_.size() - used_));
            const std::size_t digits = DecodeShiftedDigits(in + taken, want, buffer_.data() + used_, shift_);
            used_ += digits / 2;
            count_ += digits;
            taken += digits;
            if (digits % 2 != 0) half_ = in[taken - 1];  // waits for its partner
            if (digits < want || half_ >= 0) break;
        }
        return taken;
    }
    void Flush() {
        if (!bad_ && used_ > 0) out_(buffer_.data(), used_);
        used_ = 0;
    }

    int shift_;
    Byte rawCR_, rawLF_;
    Sink out_;
    std::vector<Byte> buffer_, scratch_;
    std::size_t used_ = 0, skip_ = kFormatMarker.size();
    std::uint64_t count_ = 0;
    DamageCount damage_;
    int half_ = -1;
    bool afterCR_ = true, bad_ = false;
};

struct Timing {
    double wall = 0, cpu = 0;
};

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

template <class Decoder>
Timing Run(const OpenedQivg& opened, const std::vector<Byte>* image, const fs::path& output,
           std::uint64_t size) {
    const int in = ::open(opened.request.source.c_str(), O_RDONLY);
    const int out = image ? -1 : ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::sync();  // the last run's output is on disk, not written back while this one runs
    // The codec's buffer sizes.
    std::vector<Byte> chunk(ChunkFor(size - opened.payloadOffset));
    Decoder decoder(
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
    const bool ok = decoder.Finish() == Ending::Ok;
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

// What a reader of the whole payload finds: its lines joined, the marker dropped, the
// characters counted, the pairs decoded (to `bytes`, up to the first bad one). The reference
// for both loops.
Ending ReadWhole(const std::vector<Byte>& raw, int shift, std::vector<Byte>& bytes) {
    std::string text;
    bool afterCR = true;  // the payload starts right after the name line's CR
    for (const Byte b : raw) {
        const char c = static_cast<char>(ShiftNibbles(b, shift));
        if (!(afterCR && c == '\n') && c != '\r') text += c;
        afterCR = c == '\r';
    }
    const std::string content = text.substr(std::min(text.size(), kFormatMarker.size()));
    bool bad = false;
    for (std::size_t i = 0; i + 1 < content.size() && !bad; i += 2) {
        const int high = HexValue(content[i]), low = HexValue(content[i + 1]);
        bad = high < 0 || low < 0;
        if (!bad) bytes.push_back(static_cast<Byte>(high << 4 | low));
    }
    NarrowUnitCounter characters;
    characters.Feed(content);
    if (characters.Finish() % 2 != 0) return Ending::OddLength;
    return bad ? Ending::BadHex : Ending::Ok;
}

// Both loops on random payloads of digits, line ends, stray LFs and damage, fed in random
// pieces through a small buffer: the same ending as a reader of the whole payload, the same
// bytes when it is Ok, and only good bytes before damage. False at the first difference.
template <class Decoder>
bool ReadsAsTheWhole(const char* name) {
    std::mt19937 random(11);
    // Digits of both cases, line ends; then damage: stray LFs, non-digits, and CP932 bytes
    // (lead and trail bytes, a half-width katakana), which are counted as characters.
    const std::string alphabet = "0123456789ABCDEF0123456789ABCDEFabcdef\r\r\nG \x82\xA0\x81\xB1";
    for (int round = 0; round < 20000; ++round) {
        const int shift = static_cast<int>(random() % 16);
        const std::size_t length = random() % 300;
        const bool clean = random() % 2 == 0;  // half the payloads have no damage nor stray LF
        std::vector<Byte> raw;
        for (std::size_t i = 0; i < length; ++i) {
            const char c = alphabet[random() % (clean ? alphabet.size() - 8 : alphabet.size())];
            raw.push_back(ShiftNibbles(static_cast<Byte>(c), Mod16(-shift)));
        }
        std::vector<Byte> expected, written;
        const Ending ending = ReadWhole(raw, shift, expected);
        Decoder decoder(
            shift,
            [&written](const Byte* data, std::size_t n) { written.insert(written.end(), data, data + n); },
            1 + random() % 64);  // small, so that flushes happen part-way
        std::vector<std::size_t> cuts{0, length};
        for (int k = static_cast<int>(random() % 4); k > 0; --k)
            cuts.push_back(length ? random() % length : 0);
        std::sort(cuts.begin(), cuts.end());
        for (std::size_t c = 0; c + 1 < cuts.size(); ++c)
            decoder.Feed(raw.data() + cuts[c], cuts[c + 1] - cuts[c]);
        const Ending got = decoder.Finish();
        const bool goodBytes = ending == Ending::Ok
                                   ? written == expected
                                   : std::equal(written.begin(), written.end(), expected.begin(),
                                                expected.begin() + std::min(written.size(), expected.size()));
        if (got != ending || !goodBytes) {
            std::printf("the %s loop misreads round %d (shift %d, length %zu)\n", name, round, shift, length);
            return false;
        }
    }
    return true;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (!ReadsAsTheWhole<TodayDecoder>("today") || !ReadsAsTheWhole<FusedDecoder>("fused")) return 1;
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
    std::vector<RoundKey> keys;
    for (int i = 0; i < 33; ++i) keys.push_back(DrawRoundKey(services));
    if (!EncryptFile({source, encrypted, u"bench", u"src.bin", -10, keys}, {}, {.durable = false}).ok())
        return 2;
    const OpenedQivg opened = OpenQivg({encrypted, u"bench", -10, 30});
    if (!opened.result.ok()) return 2;
    const std::vector<Byte> image = ReadAll(encrypted), plain = ReadAll(source);
    const std::uint64_t size = image.size();

    std::printf("decode loop, %llu MiB of content (%llu MiB .qivg), %d cores, median of %d\n",
                static_cast<unsigned long long>(mib), static_cast<unsigned long long>(size >> 20),
                static_cast<int>(sysconf(_SC_NPROCESSORS_ONLN)), runs);
    std::printf("%-8s %-8s %-7s %9s %9s %10s\n", "level", "loop", "input", "wall s", "cpu s", "MiB/s in");
    int status = 0;
    for (const KernelLevel level : SupportedKernelLevels()) {
        UseKernelLevel(level);
        for (const bool inMemory : {true, false}) {
            std::vector<double> wall[2], cpu[2];
            for (int run = 0; run < runs; ++run) {
                const std::vector<Byte>* from = inMemory ? &image : nullptr;
                for (int k = 0; k < 2; ++k) {  // which loop goes first alternates too
                    const int loop = (run + k) % 2;
                    const fs::path out = folder / (loop == 0 ? "today.out" : "fused.out");
                    const Timing t = loop == 0 ? Run<TodayDecoder>(opened, from, out, size)
                                               : Run<FusedDecoder>(opened, from, out, size);
                    wall[loop].push_back(t.wall);
                    cpu[loop].push_back(t.cpu);
                    if (!inMemory && run == 0 && ReadAll(out) != plain) {
                        std::printf("%s loop wrote the wrong bytes\n", loop == 0 ? "today" : "fused");
                        status = 1;
                    }
                }
            }
            for (int loop = 0; loop < 2; ++loop) {
                std::printf("%-8s %-8s %-7s %9.3f %9.3f %10.0f\n", KernelLevelName(level),
                            loop == 0 ? "today" : "fused", inMemory ? "memory" : "file", Median(wall[loop]),
                            Median(cpu[loop]), static_cast<double>(size >> 20) / Median(wall[loop]));
            }
        }
    }
    fs::remove_all(folder);
    return status;
}
