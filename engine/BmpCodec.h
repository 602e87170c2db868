#pragma once
// The BMP disguise: a fixed 118-byte bitmap header in front of a file's bytes, and the bytes
// taken out again, streamed in chunks with progress, cancel and atomic output.
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "CodecTypes.h"

namespace angoka {

inline constexpr std::size_t kBmpHeaderSize = 118;
// The header as hex text (236 digits): a 640 x 480, 4-bit bitmap header with its colour table.
extern const char16_t kBmpHeaderHex[];
const std::array<std::uint8_t, kBmpHeaderSize>& BmpHeader();

// Header + every byte of `source`. Outcomes: Ok, SourceMissing, DestinationIsFolder, IoError, Cancelled.
Result WrapBmp(const std::filesystem::path& source, const std::filesystem::path& destination,
               const Progress& progress = {}, const WriteOptions& output = {});
// Every byte after the first 118. Outcomes: Ok, SourceMissing, BmpTooShort, DestinationIsFolder,
// IoError, Cancelled.
Result ExtractBmp(const std::filesystem::path& source, const std::filesystem::path& destination,
                  const Progress& progress = {}, const WriteOptions& output = {});
// Whether the file begins with the 118 bytes that WrapBmp puts in front (false when it cannot
// be read): a wrapped file, whose content `ExtractBmp` takes out.
bool BeginsWithBmpHeader(const std::filesystem::path& source);
// What ExtractBmp refuses about its source before anything is written: Ok, SourceMissing,
// BmpTooShort or IoError. The window asks for the extension only when this is Ok.
Result CheckBmpToExtract(const std::filesystem::path& source);

}  // namespace angoka
