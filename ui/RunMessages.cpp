#include "RunMessages.h"

#include "Messages.h"
#include "Paths.h"
#include "WindowMessages.h"

namespace angoka {

std::u16string EncryptedMessage(const std::u16string& destination) {
    return kEncryptDonePrefix + destination + kOutputDone;
}

std::u16string DecryptedMessage(const std::u16string& output) {
    return output + kDecryptDone;
}

std::u16string WrappedMessage(const std::u16string& output) {
    return output + kOutputDone;
}

std::vector<RunMessage> FailureMessages(const Result& result, const std::u16string& source,
                                        const std::u16string& path, const std::u16string& cipherTitle) {
    const std::u16string named = result.path.empty() ? path : TextFromPath(result.path);
    const std::u16string headline = OutcomeText(result.outcome);
    switch (result.outcome) {
        case Outcome::Ok:
            return {};
        case Outcome::SourceMissing:
            return {{NotFoundMessage(source), cipherTitle}};
        case Outcome::WrongPassword:
            return {{headline, {}}, {kDecryptFailed, {}}};
        case Outcome::OddLength:
            return {{headline, cipherTitle + kOddLengthTitleSuffix}};
        case Outcome::DestinationIsFolder:
        case Outcome::DestinationExists:
        case Outcome::DestinationNotFile:
            return {{headline + u"\r\n" + named, {}}};
        case Outcome::IoError:
            return {{headline + u"\r\n" + named + u"\r\n" + kReasonLabel + ReasonText(result.error), {}}};
        // The headline says it all. ErrorPayload among them: the password matched, so
        // "復号に失敗しました" alone.
        case Outcome::TooShort:
        case Outcome::ErrorPayload:
        case Outcome::NotQivg:
        case Outcome::Truncated:
        case Outcome::BadHex:
        case Outcome::BmpTooShort:
        case Outcome::NoStem:
        case Outcome::EmptyPassword:
        case Outcome::UnstorablePassword:
        case Outcome::PasswordTooLong:
        case Outcome::UnstorableName:
        case Outcome::TooFewRounds:
        case Outcome::CharsetUnavailable:
        case Outcome::Cancelled:
        case Outcome::InternalError:
            break;
    }
    return {{headline, {}}};
}

}  // namespace angoka
