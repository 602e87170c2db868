#include "BinAngsDL.h"

#include <filesystem>
#include <string>

#include "AtomicFile.h"
#include "ConsoleRunTime.h"
#include "Envelope.h"
#include "HexText.h"
#include "Messages.h"
#include "NarrowCharset.h"
#include "Paths.h"
#include "Rounds.h"

namespace angoka {
namespace {

constexpr std::int32_t kTempFolderMissing = 1;
constexpr std::int32_t kEmptyPassword = 2;

}  // namespace

BinAngsDL::BinAngsDL() : ownServices_(std::make_unique<ConsoleRunTime>()), services_(*ownServices_) {}
BinAngsDL::BinAngsDL(RunTime& services) : services_(services) {}
BinAngsDL::~BinAngsDL() = default;

std::u16string BinAngsDL::TitleName() const {
    return title_;
}
void BinAngsDL::TitleName(const std::u16string& StrTemp) {
    title_ = StrTemp;
}
std::u16string BinAngsDL::GetErr() const {
    const std::string digits = std::to_string(error_);
    return std::u16string(digits.begin(), digits.end());
}
std::int32_t BinAngsDL::InKey() const {
    return inKey_;
}
void BinAngsDL::InKey(std::int32_t StrTemp) {
    inKey_ = StrTemp;
}
std::u16string BinAngsDL::FileName() const {
    return fileName_;
}
void BinAngsDL::FileName(const std::u16string& StrTemp) {
    fileName_ = StrTemp;
}
std::u16string BinAngsDL::TempFilePath() const {
    return tempFolder_;
}
std::u16string BinAngsDL::Pass() const {
    return password_;
}
void BinAngsDL::Pass(const std::u16string& StrTemp) {
    password_ = StrTemp;
}

// Kept for its let/get and error code; the envelope itself never touches the disk.
void BinAngsDL::TempFilePath(const std::u16string& StrTemp) {
    // A folder or a file counts as found, with or without trailing separators (which the
    // system would take to demand a folder).
    std::u16string found = StrTemp;
    while (found.size() > 1 && IsPathSeparator(found.back())) found.pop_back();
    std::error_code ec;
    if (found.empty() || !std::filesystem::exists(PathFromText(found), ec)) error_ = kTempFolderMissing;
    tempFolder_ = StrTemp;
    if (tempFolder_.empty() || tempFolder_.back() != kPathSeparator) tempFolder_ += kPathSeparator;
}

std::u16string BinAngsDL::OpenBin(std::u16string& BFileName) {
    const auto path = PathFromText(BFileName);
    std::error_code ec;
    if (BFileName.empty() || !std::filesystem::is_regular_file(path, ec)) {
        services_.MsgBox(NotFoundMessage(BFileName), Buttons::OK, title_);
        return {};
    }
    services_.DoEvents();
    return BytesToHex(ReadWholeFile(path));
}

std::u16string BinAngsDL::BinToHex2(std::uint8_t& BinData) {
    return BytesToHex(std::string_view(reinterpret_cast<const char*>(&BinData), 1));
}

void BinAngsDL::SaveBin(std::u16string& Bflename, std::u16string& Texts) {
    std::string bytes;
    const auto decoded = HexToBytes(Texts, bytes);
    if (decoded.status == HexDecodeResult::Status::OddLength) {
        services_.MsgBox(kOddLengthMessage, Buttons::OK, title_ + kOddLengthTitleSuffix);
        return;
    }
    if (decoded.status == HexDecodeResult::Status::BadPair) throw BadHexError(decoded.badPairIndex);
    WriteWholeFile(PathFromText(Bflename), bytes);
}

std::u16string BinAngsDL::Angs(std::u16string& Texts) {
    const RoundKey key = DrawRoundKey(services_);
    services_.DoEvents();
    return ApplyRound(Texts, key, inKey_);
}

std::u16string BinAngsDL::Hukgs(std::u16string& Texts) {
    if (Texts.size() < 3) return {};
    std::u16string result = UndoRound(Texts, inKey_);
    Texts.erase(0, 2);
    return result;
}

std::u16string BinAngsDL::PassAngs(std::u16string& Texts) {
    if (password_.empty()) {
        error_ = kEmptyPassword;
        return {};
    }
    std::string envelope;
    try {
        envelope = BuildEnvelope(ToNarrow(password_), ToNarrow(fileName_), ToNarrow(Texts));
    } catch (const CharsetError&) {
        services_.MsgBox(kCharsetUnavailable);
        return {};
    }
    services_.DoEvents();
    Texts = BytesToHex(envelope);
    Texts = Angs(Texts);
    Texts = Angs(Texts);
    return Angs(Texts);
}

std::u16string BinAngsDL::PassHukgs(std::u16string& Texts) {
    std::u16string opened = Hukgs(Texts);
    opened = Hukgs(opened);
    opened = Hukgs(opened);

    std::string envelope;
    EnvelopeReader reader;
    std::string payload;
    if (HexToBytes(opened, envelope).status == HexDecodeResult::Status::Ok) {
        reader.Feed(envelope, [&payload](std::string_view piece) { payload.append(piece); });
    }
    try {
        // Fewer than two line ends: no envelope at all, which reads like a wrong password.
        fileName_ = reader.HeaderLines() == 2 ? FromNarrow(reader.Name()) : std::u16string();
        if (reader.HeaderLines() < 2 || FromNarrow(reader.Password()) != password_) {
            services_.MsgBox(kPasswordMismatchMessage);
            return kDecryptionFailedResult;
        }
        return FromNarrow(payload);
    } catch (const CharsetError&) {
        services_.MsgBox(kCharsetUnavailable);
        return kDecryptionFailedResult;
    }
}

}  // namespace angoka
