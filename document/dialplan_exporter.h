#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vocara {

class CVocaraDoc;

// What an asterisk-mode save needs from the dialplan export, which lives in a library above
// the document. The application plugs one in.
class DialplanExporter
{
public:
    virtual ~DialplanExporter() = default;

    // The whole context file that will be written to `file`, ending with the trailer that
    // carries `flowText`. False when it cannot be built; the exporter has told the user why.
    virtual bool buildContextFile(const CVocaraDoc &doc, const std::filesystem::path &file,
                                  std::string_view flowText, std::string &fileText) = 0;
    // The file could not be written; tell the user.
    virtual void writeFailed(const CVocaraDoc &doc, const std::filesystem::path &file,
                             const std::string &reason) = 0;
    // After the file is safely on disk: whatever else a save does with it (the server copy).
    virtual void afterSave(const CVocaraDoc &doc, const std::filesystem::path &file,
                           bool isAutosave) = 0;
};

} // namespace vocara
