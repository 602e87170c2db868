#include "RunMessages.h"

#include "Messages.h"
#include "Paths.h"
#include "RunTime.h"
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

void ReportFailure(RunTime& services, const Result& result, const std::u16string& source,
                   const std::u16string& path, const std::u16string& cipherTitle) {
    const std::u16string named = result.path.empty() ? path : TextFromPath(result.path);
    const std::u16string headline = OutcomeText(result.outcome);
    switch (result.outcome) {
        case Outcome::Ok:
            return;
        case Outcome::SourceMissing:
            services.MsgBox(NotFoundMessage(source), Buttons::OK, cipherTitle);
            return;
        case Outcome::WrongPassword:
            services.MsgBox(headline);
            services.MsgBox(kDecryptFailed);
            return;
        case Outcome::OddLength:
            services.MsgBox(headline, Buttons::OK, cipherTitle + kOddLengthTitleSuffix);
            return;
        case Outcome::DestinationIsFolder:
        case Outcome::DestinationExists:
        case Outcome::DestinationNotFile:
            services.MsgBox(headline + u"\r\n" + named);
            return;
        case Outcome::IoError:
            services.MsgBox(headline + u"\r\n" + named + u"\r\n" + kReasonLabel + ReasonText(result.error));
            return;
        default:  // ErrorPayload among them: the password matched, so "復号に失敗しました" alone
            services.MsgBox(headline);
            return;
    }
}

}  // namespace angoka
