#pragma once
// The cipher object: the settings that its operations read, an error code, whole files to and
// from hex text, the nibble-shift rounds and the password envelope.
//
// Text is std::u16string (UTF-16 code units); a let is the setter overload of the same name.
// Errors the user can cause show a message through the run-time services; a file that cannot
// be read or written throws FileError, a non-hex pair given to SaveBin throws BadHexError.
#include <cstdint>
#include <memory>
#include <string>

#include "Errors.h"
#include "RunTime.h"

namespace angoka {

class BinAngsDL {
public:
    BinAngsDL();                            // default run-time services (no window)
    explicit BinAngsDL(RunTime& services);  // injected services: tests, the window
    ~BinAngsDL();

    std::u16string TitleName() const;
    void TitleName(const std::u16string& StrTemp);
    std::u16string GetErr() const;
    std::int32_t InKey() const;
    void InKey(std::int32_t StrTemp);
    std::u16string FileName() const;
    void FileName(const std::u16string& StrTemp);
    std::u16string TempFilePath() const;
    void TempFilePath(const std::u16string& StrTemp);
    std::u16string Pass() const;
    void Pass(const std::u16string& StrTemp);

    std::u16string OpenBin(std::u16string& BFileName);
    std::u16string BinToHex2(std::uint8_t& BinData);
    void SaveBin(std::u16string& Bflename, std::u16string& Texts);
    std::u16string Angs(std::u16string& Texts);
    std::u16string PassAngs(std::u16string& Texts);
    std::u16string PassHukgs(std::u16string& Texts);
    std::u16string Hukgs(std::u16string& Texts);

private:
    std::unique_ptr<RunTime> ownServices_;
    RunTime& services_;
    std::int32_t error_ = 0;
    std::u16string title_;
    std::u16string tempFolder_;
    std::u16string password_;
    std::u16string fileName_;
    std::int32_t inKey_ = 0;
};

}  // namespace angoka
