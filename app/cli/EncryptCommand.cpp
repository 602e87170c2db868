// encrypt: FILE -> FILE.qivg, the file's name (or --name) stored inside.
#include <optional>

#include "CliMessages.h"
#include "Commands.h"
#include "Envelope.h"
#include "FormatRules.h"
#include "NarrowCharset.h"
#include "Paths.h"
#include "QivgCodec.h"
#include "Utf.h"

namespace angoka::cli {
namespace {

// The stored name as a decryption will read it back, when that differs from the name: the
// narrow character set has no form for some of its characters, which it stores as "?".
std::optional<std::u16string> AsReadBack(const std::u16string& name) {
    try {
        if (FitsNarrow(name)) return std::nullopt;
        return FromNarrow(ToNarrow(name));
    } catch (const CharsetError&) {
        return std::nullopt;  // the encryption itself says so
    }
}

}  // namespace

void EncryptOne(Context& context, const FileJob& job) {
    const Options& options = context.options;
    const Output output{options.output ? std::filesystem::path(*options.output)
                                       : job.outputFolder / EncryptedNameOf(job.input.filename().native())};

    EncryptRequest request;
    request.source = job.input;
    request.destination = output.path;
    request.password = context.password;
    request.storedName =
        options.name ? FromUtf8(*options.name) : StorableName(TextFromPath(job.input.filename()));
    request.inKey = options.inKey;
    request.rounds = DrawRoundKeys(context.random, options.rounds);

    if (const Outcome check = CheckEncryptRequest(request); check != Outcome::Ok) {
        return context.Finish(job, {check, job.input, {}});
    }
    if (!context.PrepareOutput(job, output)) return;
    const Result result = EncryptFile(request, context.ProgressFor(job), context.Writing(output));
    context.FinishWrite(job, output, result);
    if (const auto readBack = AsReadBack(request.storedName); readBack && result.ok())
        context.reporter.Note(job.input, StoredAsText(Printable(ToUtf8(*readBack))));
}

}  // namespace angoka::cli
