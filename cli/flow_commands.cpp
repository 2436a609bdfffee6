#include "cli/command.h"
#include "cli/stdio_files.h"
#include "cli/stream_dialogs.h"

#include "dialplan/dialplan_export.h"
#include "document/flow_format.h"
#include "document/flow_trailer.h"
#include "document/messages.h"
#include "document/vocara_doc.h"

#include <ostream>

namespace vocara::cli {

namespace {

// The output's scratch name when it goes to standard output: what a save would be called.
std::filesystem::path scratchName(const InputFile &input, std::string_view extension)
{
    return input.nameForOutput().filename().replace_extension(extension);
}

// Names the dialplan in its file information as the file it stands for, when it is written
// to a scratch file on its way to standard output.
class PresentedExporter : public AsteriskExporter
{
public:
    explicit PresentedExporter(std::filesystem::path presented)
        : m_presented(std::move(presented))
    {}
    bool buildContextFile(const CVocaraDoc &doc, const std::filesystem::path &file,
                          std::string_view flowText, std::string &fileText) override
    {
        return AsteriskExporter::buildContextFile(doc, m_presented.empty() ? file : m_presented,
                                                  flowText, fileText);
    }

private:
    std::filesystem::path m_presented;
};

} // namespace

int runValidate(const Arguments &args, std::ostream &out, std::ostream &err)
{
    InputFile input;
    if (!input.open(args, args[0], err))
        return ExitCannotRun;
    StreamDialogs dialogs(err, Answer::No);
    CVocaraDoc doc(dialogs);
    if (!doc.open(input.path()))
        return ExitCannotRun;
    doc.validateFlow(false);
    for (const std::string &line : doc.errorLines())
        out << line << '\n';
    if (doc.errorLines().empty())
        out << Msg::NoErrors << '\n';
    else
        out << Msg::fillIn(Msg::ErrorsFound, {std::to_string(doc.errorLines().size())}) << '\n';
    return doc.errorLines().empty() ? ExitOk : ExitFound;
}

int runSave(const Arguments &args, std::ostream &out, std::ostream &err)
{
    const std::optional<std::string> target = args.value("-o");
    if (!target)
        return args.usageError(err, "missing -o OUT");
    InputFile input;
    OutputFile output;
    if (!input.open(args, args[0], err) ||
        !output.open(*target, scratchName(input, FlowFiles::FlowExtension), err))
        return ExitCannotRun;
    StreamDialogs dialogs(err, Answer::No); // keep the stored names of an old file
    CVocaraDoc doc(dialogs);
    if (!doc.open(input.path()))
        return ExitCannotRun;
    doc.setMode(DocumentMode::Flow);
    doc.validateFlow(false);
    for (const std::string &line : doc.errorLines())
        err << line << '\n';
    dialogs.setAnswer(Answer::Yes); // force the save
    return doc.save(output.path()) && output.finish(out, err) ? ExitOk : ExitCannotRun;
}

int runExtract(const Arguments &args, std::ostream &out, std::ostream &err)
{
    const std::optional<std::string> target = args.value("-o");
    if (!target)
        return args.usageError(err, "missing -o OUT.qfl");
    InputFile input;
    OutputFile output;
    if (!input.open(args, args[0], err) ||
        !output.open(*target, scratchName(input, FlowFiles::FlowExtension), err))
        return ExitCannotRun;
    switch (extractFlowFile(input.path(), output.path(), ExtractForm::AsXml)) {
    case ExtractResult::Extracted:
        break;
    case ExtractResult::NoFlow:
        err << Msg::NoQflStructure << '\n';
        return ExitCannotRun;
    case ExtractResult::Unreadable:
        err << Msg::InvalidFlowFile << '\n';
        return ExitCannotRun;
    case ExtractResult::NotWritten:
        err << "vocara-cli extract: cannot write " << *target << '\n';
        return ExitCannotRun;
    }
    // A marker with nothing readable after it is refused as opening the file would refuse it.
    if (!isFlowFile(output.path())) {
        std::error_code ignored;
        std::filesystem::remove(output.path(), ignored);
        err << Msg::InvalidFlowFile << '\n';
        return ExitCannotRun;
    }
    return output.finish(out, err) ? ExitOk : ExitCannotRun;
}

int runExport(const Arguments &args, std::ostream &out, std::ostream &err)
{
    std::optional<DialplanDialect> dialect;
    if (const std::optional<std::string> name = args.value("--dialect")) {
        if (*name == "classic")
            dialect = DialplanDialect::Classic;
        else if (*name == "modern")
            dialect = DialplanDialect::Modern;
        else
            return args.usageError(err, "unknown dialect '" + *name + "'");
    }
    InputFile input;
    if (!input.open(args, args[0], err))
        return ExitCannotRun;
    // Without -o: next to the flow, or to standard output when the flow came from there.
    const std::string target =
        args.value("-o", input.isStandardInput() ? "-" : contextFilePath(input.path()));
    OutputFile output;
    if (!output.open(target, scratchName(input, FlowFiles::ContextExtension), err))
        return ExitCannotRun;
    StreamDialogs dialogs(err, Answer::No);
    CVocaraDoc doc(dialogs);
    // On its way to standard output the dialplan names the file a save would have written.
    PresentedExporter exporter(
        !output.isStandardOutput()
            ? std::filesystem::path()
            : std::filesystem::absolute(contextFilePath(input.nameForOutput().string())));
    doc.setExporter(&exporter);
    // Read with the dialplan's layout: every property the file holds reaches the export.
    if (!doc.open(input.path(), DocumentMode::Asterisk))
        return ExitCannotRun;
    if (dialect) {
        DialplanSettings settings = doc.dialplanSettings();
        settings.Dialect = *dialect;
        doc.setDialplanSettings(settings);
    }
    doc.validateFlow(false);
    for (const std::string &line : doc.errorLines())
        err << line << '\n';
    const bool valid = doc.errorLines().empty();
    if (args.has("--strict") && !valid)
        return ExitFound;
    dialogs.setAnswer(Answer::Yes); // force the save, as the designer's forced save does
    if (!doc.save(output.path()) || !output.finish(out, err))
        return ExitCannotRun;
    if (!args.value("-o") && !output.isStandardOutput())
        out << doc.path() << '\n';
    return valid ? ExitOk : ExitFound;
}

} // namespace vocara::cli
