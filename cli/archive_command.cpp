#include "cli/command.h"
#include "cli/stream_dialogs.h"

#include "dialplan/dialplan_export.h"
#include "document/archive_transfer.h"
#include "document/vocara_doc.h"
#include "platform/folders.h"
#include "simulator/wave_image.h"

#include <ostream>

namespace vocara::cli {

int runArchive(const Arguments &args, std::ostream &, std::ostream &err)
{
    const std::optional<std::string> zip = args.value("-o");
    const std::optional<std::string> folder = args.value("-d");
    const bool exporting = args[0] == "export" && zip && !folder;
    const bool importing = args[0] == "import" && folder && !zip;
    if (!exporting && !importing)
        return args.usageError(err, "expected export FLOW -o FILE.zip or import FILE.zip -d DIR");
    StreamDialogs dialogs(err, Answer::No); // keep the stored names of an old file
    CVocaraDoc doc(dialogs);
    AsteriskExporter exporter;
    doc.setExporter(&exporter);
    doc.setUserFolder(userFolder());
    doc.setDefaultSaveFolder(userFolder().string());
    if (importing) {
        std::string why;
        if (importArchive(doc, args[1], std::filesystem::absolute(*folder), &why))
            return ExitOk;
        if (!why.empty())
            err << why << '\n';
        return ExitFound;
    }
    if (!doc.open(std::filesystem::absolute(args[1]).string()))
        return ExitCannotRun;
    dialogs.setAnswer(Answer::Yes); // a flow with errors goes all the same, as when forced
    // Every wave goes as the IVR server plays it: 8 kHz mono A-law at twice the volume.
    const WaveConverter convert = [](const std::filesystem::path &in,
                                     const std::filesystem::path &out) {
        return ConvertWave(in, out, 8000, 2.0, 1);
    };
    std::string why;
    if (exportArchive(doc, std::filesystem::absolute(*zip).string(), convert, &why))
        return ExitOk;
    if (!why.empty())
        err << why << '\n';
    return ExitFound;
}

} // namespace vocara::cli
