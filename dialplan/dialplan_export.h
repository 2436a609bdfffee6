#pragma once

#include "dialplan/client_socket.h"
#include "document/dialplan_exporter.h"

#include <ctime>
#include <functional>

namespace vocara {

// The Asterisk export behind an asterisk-mode save: the generated dialplan, the file
// information block and the flow trailer, as one text.
class AsteriskExporter : public DialplanExporter
{
public:
    AsteriskExporter();

    bool buildContextFile(const CVocaraDoc &doc, const std::filesystem::path &file,
                          std::string_view flowText, std::string &fileText) override;
    void writeFailed(const CVocaraDoc &doc, const std::filesystem::path &file,
                     const std::string &reason) override;
    void afterSave(const CVocaraDoc &doc, const std::filesystem::path &file,
                   bool isAutosave) override;

    // The clock of the creation and file information blocks; tests fix it.
    void setClock(std::function<std::time_t()> clock) { m_clock = std::move(clock); }
    // The pauses of the server transfer; tests shorten them.
    void setPause(Pause pause) { m_pause = std::move(pause); }

private:
    std::function<std::time_t()> m_clock;
    Pause m_pause;
};

// The context file text for a flow, as `file` will hold it.
std::string buildContextFileText(const CVocaraDoc &doc, const std::filesystem::path &file,
                                 std::string_view flowText, std::time_t now);

} // namespace vocara
