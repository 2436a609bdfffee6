#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vocara {

class CVocaraDoc;

// Converts one wave into another file for the IVR server (8 kHz mono A-law); empty on success,
// else why it failed.
using WaveConverter =
    std::function<std::string(const std::filesystem::path &, const std::filesystem::path &)>;

// The prompts and programs a flow's nodes name, relative to its folder: PlayWave and Run,
// and in asterisk mode MultiDTMF and the UserInput prompt. "name$lang$.wav" gives both
// language variants, "name_A.wav" and "name_E.wav". Empty while the flow has no path.
std::vector<std::string> referencedFiles(const CVocaraDoc &doc);

// Exports the flow with every file it needs into one archive: the referenced and attached
// files, each wave converted, and the flow saved as autosave.qfl or autosave.conf. Tells the
// user why it did not ("Can't Export this File, Orphans exist", "Export Failed!"); silent
// when the user chose not to save a flow with errors.
// `why`, when given, receives the reason behind "Export Failed!".
bool exportArchive(CVocaraDoc &doc, std::string archive, const WaveConverter &convert,
                   std::string *why = nullptr);

// Unpacks an archive into `folder` and opens the flow it holds ("Can't Open this file :: %s").
// `why`, when given, receives the reason an archive was refused.
bool importArchive(CVocaraDoc &doc, const std::filesystem::path &archive,
                   const std::filesystem::path &folder, std::string *why = nullptr);

} // namespace vocara
