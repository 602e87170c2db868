// encrypt: FILE -> FILE.qivg, the file's name (or --name) stored inside.
#include "Commands.h"
#include "Envelope.h"
#include "Nibbles.h"
#include "OutputNames.h"
#include "Paths.h"
#include "QivgCodec.h"
#include "Utf.h"

namespace angoka::cli {

void EncryptOne(Context& context, const FileJob& job) {
    const Options& options = context.options;
    const Output output{options.output ? std::filesystem::path(*options.output)
                                       : job.outputFolder / (job.input.filename().native() + kQivgSuffix)};

    EncryptRequest request;
    request.source = job.input;
    request.destination = output.path;
    request.password = context.password;
    request.storedName =
        options.name ? FromUtf8(*options.name) : StorableName(TextFromPath(job.input.filename()));
    request.inKey = options.inKey;
    // The envelope's three rounds, then the extra ones, drawn here on the calling thread.
    for (std::int32_t i = 0; i < options.rounds + 3; ++i)
        request.rounds.push_back(DrawRoundKey(context.random));

    if (const Outcome check = CheckEncryptRequest(request); check != Outcome::Ok) {
        return context.Finish(job, {check, job.input, {}});
    }
    if (!context.PrepareOutput(job, output)) return;
    context.FinishWrite(job, output, EncryptFile(request, context.ProgressFor(job), context.Writing(output)));
}

}  // namespace angoka::cli
