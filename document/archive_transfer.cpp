#include "document/archive_transfer.h"

#include "document/flow_format.h"
#include "document/messages.h"
#include "document/text_util.h"
#include "document/user_dialogs.h"
#include "document/vocara_doc.h"
#include "platform/folders.h"
#include "platform/zip_archive.h"

#include <cstdlib>
#include <set>

namespace vocara {

namespace {

bool hasParentlessNodes(const CVocaraDoc &doc)
{
    for (NodeId id : doc.nodesInGridOrder())
        if (id != doc.startNode() && doc.node(id)->parents.empty())
            return true;
    return false;
}

} // namespace

std::vector<std::string> referencedFiles(const CVocaraDoc &doc)
{
    std::vector<std::string> files;
    if (doc.path().empty())
        return files;
    const std::filesystem::path folder = std::filesystem::path(doc.path()).parent_path();
    auto add = [&](const std::string &file) {
        if (std::find(files.begin(), files.end(), file) == files.end())
            files.push_back(file);
    };
    for (NodeId id : doc.nodesInGridOrder()) {
        const NodeData &node = *doc.node(id);
        int slot = -1;
        if (node.kind == Kind::PlayWave || node.kind == Kind::Run)
            slot = 0;
        else if (doc.isAsteriskMode() && node.kind == Kind::MultiDTMF)
            slot = 0;
        else if (doc.isAsteriskMode() && node.kind == Kind::UserInput)
            slot = 9;
        if (slot < 0 || static_cast<size_t>(slot) >= node.values.size() ||
            node.values[static_cast<size_t>(slot)].empty())
            continue;
        std::string name = replaceAll(node.values[static_cast<size_t>(slot)], "\\", "/");
        const size_t dollar = name.find('$');
        if (dollar != std::string::npos && dollar > 0) {
            // The two language variants; a name without "." has no extension.
            const size_t dot = name.rfind('.');
            const std::string extension = dot == std::string::npos ? "" : name.substr(dot);
            for (const char *variant : {"_A", "_E"})
                add((folder / (name.substr(0, dollar) + variant + extension)).string());
        } else if (std::filesystem::path(name).is_absolute()) {
            add(name);
        } else {
            add((folder / name).string());
        }
    }
    return files;
}

bool exportArchive(CVocaraDoc &doc, std::string archive, const WaveConverter &convert,
                   std::string *why)
{
    UserDialogs &dialogs = doc.dialogs();
    if (hasParentlessNodes(doc)) {
        dialogs.error(Msg::OrphansRefuseExport);
        return false;
    }
    if (archive.empty()) {
        dialogs.error(Msg::ExportFailed);
        return false;
    }
    if (!endsWithIgnoringCase(archive, ".zip"))
        archive += ".zip";
    std::vector<std::string> list = referencedFiles(doc);
    for (const std::string &file : doc.attachedFiles())
        if (!file.empty() && std::find(list.begin(), list.end(), file) == list.end())
            list.push_back(file);

    const std::filesystem::path autosave =
        std::filesystem::path(doc.defaultSaveFolderPath()) /
        std::string(doc.isFlowMode() ? FlowFiles::FlowAutosave : FlowFiles::ContextAutosave);
    if (!doc.save(autosave.string(), true)) {
        // Not written: the user kept a flow with errors, or the save said why it failed.
        if (doc.errorLines().empty())
            dialogs.error(Msg::ExportFailed);
        return false;
    }
    TemporaryFolder converted(std::filesystem::temp_directory_path(), "vocara-export-");
    std::vector<std::filesystem::path> files;
    std::string error;
    bool ok = !converted.path().empty();
    for (const std::string &file : list) {
        if (!ok)
            break;
        if (endsWithIgnoringCase(file, "wav")) {
            const std::filesystem::path copy =
                converted.path() / std::filesystem::path(file).filename();
            // Two waves of one name cannot both sit at the archive's top level.
            error = std::filesystem::exists(copy)
                        ? "Two files are named " + copy.filename().string()
                    : convert ? convert(file, copy)
                              : "No wave converter";
            ok = error.empty();
            files.push_back(copy);
        } else {
            files.push_back(file);
        }
    }
    files.push_back(autosave);
    ok = ok && writeZip(archive, files, error);
    std::error_code ignored;
    std::filesystem::remove(autosave, ignored);
    if (!ok) {
        dialogs.error(Msg::ExportFailed);
        if (why)
            *why = error;
        return false;
    }
    return true;
}

bool importArchive(CVocaraDoc &doc, const std::filesystem::path &archive,
                   const std::filesystem::path &folder, std::string *why)
{
    std::vector<std::filesystem::path> placed;
    std::string error;
    const std::filesystem::path flow = folder / std::string(FlowFiles::FlowAutosave);
    const std::filesystem::path context = folder / std::string(FlowFiles::ContextAutosave);
    if (!extractZip(archive, folder, placed, error)) {
        doc.dialogs().error(Msg::fillIn(Msg::CantOpenImported, {context.string()}));
        if (why)
            *why = error;
        return false;
    }
    // The flow this archive brought, not one an earlier import left there.
    auto brought = [&](std::string_view name) {
        return std::find(placed.begin(), placed.end(), std::filesystem::path(name)) != placed.end();
    };
    if (brought(FlowFiles::FlowAutosave) && doc.open(flow.string()))
        return true;
    if (brought(FlowFiles::ContextAutosave) && doc.open(context.string()))
        return true;
    doc.dialogs().error(Msg::fillIn(Msg::CantOpenImported, {context.string()}));
    return false;
}

} // namespace vocara
