#include "Messages.h"

#include <cerrno>

#include "Errors.h"
#include "Utf.h"

namespace angoka {

std::u16string OutcomeText(Outcome outcome) {
    switch (outcome) {
        case Outcome::Ok:
            return {};
        case Outcome::SourceMissing:
            return kNotFoundMessage;
        case Outcome::TooShort:
            return kTooShort;
        case Outcome::WrongPassword:
            return kPasswordMismatchMessage;
        case Outcome::ErrorPayload:
            return kDecryptFailed;
        case Outcome::NotQivg:
            return kNotQivg;
        case Outcome::Truncated:
            return kTruncated;
        case Outcome::OddLength:
            return kOddLengthMessage;
        case Outcome::BadHex:
            return kBadHex;
        case Outcome::BmpTooShort:
            return kBmpTooShort;
        case Outcome::NoStem:
            return kNoDot;
        case Outcome::EmptyPassword:
            return kEnterPassword;
        case Outcome::UnstorablePassword:
            return kPasswordNotNarrow;
        case Outcome::PasswordTooLong:
            return kPasswordTooLong;
        case Outcome::UnstorableName:
            return kNameNotStorable;
        case Outcome::TooFewRounds:
            return kTooFewRounds;
        case Outcome::CharsetUnavailable:
            return kCharsetUnavailable;
        case Outcome::DestinationIsFolder:
            return kDestinationIsFolder;
        case Outcome::DestinationExists:
            return kDestinationExists;
        case Outcome::DestinationNotFile:
            return kDestinationNotFile;
        case Outcome::IoError:
            return kFileFailed;
        case Outcome::Cancelled:
            return kCancelled;
        case Outcome::InternalError:
            return kInternalError;
    }
    return kFileFailed;
}

std::u16string SettingsText(std::int32_t inKey, std::int32_t rounds) {
    return u"内部変化数 " + FromUtf8(std::to_string(inKey)) + u"、暗号化回数 " +
           FromUtf8(std::to_string(rounds));
}

std::u16string ReasonText(const std::error_code& error) {
    struct Known {
        std::error_code code;
        const char16_t* text;
    };
    static const Known known[] = {
        {SystemError(ENOSPC), u"ディスクの空き容量が足りません"},
        {SystemError(EDQUOT), u"ディスクの使用量の上限を超えました"},
        {SystemError(EACCES), u"アクセスが拒否されました"},
        {SystemError(EPERM), u"操作が許可されていません"},
        {SystemError(EROFS), u"読み取り専用の場所です"},
        {SystemError(ENOENT), u"ファイルまたはフォルダが見つかりません"},
        {SystemError(ENOTDIR), u"途中のフォルダがありません"},
        {SystemError(EISDIR), u"フォルダです"},
        {SystemError(ENAMETOOLONG), u"名前が長すぎます"},
        {SystemError(EBUSY), u"使用中です"},
        {SystemError(ETXTBSY), u"使用中です"},
        {SystemError(EIO), u"読み書き中に装置のエラーが起きました"},
        {SystemError(EFBIG), u"ファイルが大きすぎます"},
        {SystemError(EMFILE), u"開いているファイルが多すぎます"},
        {SystemError(EXDEV), u"別のドライブへは移動できません"},
        {SystemError(ENOMEM), u"メモリが足りません"},
        {make_error_code(Errc::SourceChanged), u"処理中に元ファイルが変更されました"},
        {make_error_code(Errc::NotRegularFile), u"通常のファイルではありません"},
    };
    const std::u16string original = FromUtf8(error.message());
    for (const Known& k : known) {
        if (k.code == error) return std::u16string(k.text) + u" (" + original + u")";
    }
    return original;
}

}  // namespace angoka
