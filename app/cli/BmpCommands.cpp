// wrap and extract: the BMP disguise put on and taken off, named from the file's dotted stem.
#include "BmpCodec.h"
#include "Commands.h"
#include "FormatRules.h"
#include "Utf.h"

namespace angoka::cli {
namespace {

Output OutputOf(const Context& context, const FileJob& job, const std::string& extension) {
    if (context.options.output) return {*context.options.output};
    return {job.outputFolder / (DottedStemOf(job.input.filename().native()) + extension)};
}

}  // namespace

void WrapOne(Context& context, const FileJob& job) {
    const Output output = OutputOf(context, job, ToUtf8(kBmpExtension));
    if (!context.PrepareOutput(job, output)) return;
    context.FinishWrite(job, output,
                        WrapBmp(job.input, output.path, context.ProgressFor(job), context.Writing(output)));
}

void ExtractOne(Context& context, const FileJob& job) {
    const Output output = OutputOf(context, job, context.options.extension);
    if (!context.PrepareOutput(job, output)) return;
    context.FinishWrite(
        job, output, ExtractBmp(job.input, output.path, context.ProgressFor(job), context.Writing(output)));
}

}  // namespace angoka::cli
