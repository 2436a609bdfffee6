#include "cli/command.h"
#include "cli/stream_dialogs.h"

#include "dialplan/dialplan_export.h"
#include "document/flow_format.h"
#include "document/flow_trailer.h"
#include "document/messages.h"
#include "document/vocara_doc.h"
#include "platform/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <vector>

namespace vocara::cli {

namespace {

// FILE, or FILE -o OUT; anything else is a usage error.
bool parseInputOutput(std::span<const std::string> args, bool needsOutput, std::string &input,
                      std::string &output)
{
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size())
            output = args[++i];
        else if (input.empty() && !args[i].starts_with("-"))
            input = args[i];
        else
            return false;
    }
    return !input.empty() && (!needsOutput || !output.empty());
}

// Says why an input file cannot be read, before the program's own message about it.
void sayIfUnreadable(const std::string &path, std::ostream &err)
{
    if (std::FILE *file = std::fopen(path.c_str(), "rb")) {
        std::fclose(file);
        return;
    }
    err << "cannot open " << path << ": " << std::strerror(errno) << '\n';
}

int usage(std::ostream &err, std::string_view text)
{
    err << "usage: vocara-cli " << text << '\n';
    return ExitCannotRun;
}

} // namespace

int runValidate(std::span<const std::string> args, std::ostream &out, std::ostream &err)
{
    std::string input;
    std::string unused;
    if (!parseInputOutput(args, false, input, unused) || !unused.empty())
        return usage(err, "validate FILE");
    sayIfUnreadable(input, err);
    StreamDialogs dialogs(err, Answer::No);
    CVocaraDoc doc(dialogs);
    if (!doc.open(input))
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

int runSave(std::span<const std::string> args, std::ostream &, std::ostream &err)
{
    std::string input;
    std::string output;
    if (!parseInputOutput(args, true, input, output))
        return usage(err, "save FILE -o OUT");
    sayIfUnreadable(input, err);
    StreamDialogs dialogs(err, Answer::No); // keep the stored names of an old file
    CVocaraDoc doc(dialogs);
    if (!doc.open(input))
        return ExitCannotRun;
    doc.setMode(DocumentMode::Flow);
    doc.validateFlow(false);
    for (const std::string &line : doc.errorLines())
        err << line << '\n';
    dialogs.setAnswer(Answer::Yes); // force the save
    return doc.save(output) ? ExitOk : ExitCannotRun;
}

int runExtract(std::span<const std::string> args, std::ostream &, std::ostream &err)
{
    std::string input;
    std::string output;
    if (!parseInputOutput(args, true, input, output))
        return usage(err, "extract FILE.conf -o OUT.qfl");
    std::string why;
    const std::optional<std::string> text = readWholeFile(input, &why);
    if (!text) {
        err << "vocara-cli extract: " << input << ": " << why << '\n';
        return ExitCannotRun;
    }
    const std::optional<std::string> flow = extractFlowText(*text);
    if (!flow) {
        err << Msg::NoQflStructure << '\n';
        return ExitCannotRun;
    }
    // A marker with nothing readable after it is refused as opening the file would refuse it.
    if (!isFlowText(*flow)) {
        err << Msg::InvalidFlowFile << '\n';
        return ExitCannotRun;
    }
    if (!writeFileAtomically(output, *flow, &why)) {
        err << "vocara-cli extract: " << why << '\n';
        return ExitCannotRun;
    }
    return ExitOk;
}

} // namespace vocara::cli

namespace vocara::cli {

int runExport(std::span<const std::string> args, std::ostream &, std::ostream &err)
{
    constexpr std::string_view Usage =
        "export FILE [-o OUT.conf] [--strict] [--dialect classic|modern]";
    bool strict = false;
    std::optional<DialplanDialect> dialect;
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--strict") {
            strict = true;
        } else if (args[i] == "--dialect") {
            const std::string name = i + 1 < args.size() ? args[++i] : std::string();
            if (name == "classic")
                dialect = DialplanDialect::Classic;
            else if (name == "modern")
                dialect = DialplanDialect::Modern;
            else
                return usage(err, Usage);
        } else {
            rest.push_back(args[i]);
        }
    }
    std::string input;
    std::string output;
    if (!parseInputOutput(rest, false, input, output))
        return usage(err, Usage);
    if (output.empty())
        output = contextFilePath(input);
    sayIfUnreadable(input, err);
    StreamDialogs dialogs(err, Answer::No);
    CVocaraDoc doc(dialogs);
    AsteriskExporter exporter;
    doc.setExporter(&exporter);
    // Read with the dialplan's layout: every property the file holds reaches the export.
    if (!doc.open(input, DocumentMode::Asterisk))
        return ExitCannotRun;
    if (dialect) {
        DialplanSettings settings = doc.dialplanSettings();
        settings.Dialect = *dialect;
        doc.setDialplanSettings(settings);
    }
    doc.validateFlow(false);
    for (const std::string &line : doc.errorLines())
        err << line << '\n';
    if (strict && !doc.errorLines().empty())
        return ExitFound;
    dialogs.setAnswer(Answer::Yes); // force the save
    return doc.save(output) ? ExitOk : ExitCannotRun;
}

} // namespace vocara::cli
