#include "dialplan/dialplan_export.h"

#include "dialplan/asterisk_config.h"
#include "dialplan/context_file.h"
#include "dialplan/messages.h"
#include "document/user_dialogs.h"
#include "document/vocara_doc.h"

namespace vocara {

std::string buildContextFileText(const CVocaraDoc &doc, const std::filesystem::path &file,
                                 std::string_view flowText, std::time_t now)
{
    ContextFileWriter writer(doc, file, now);
    AsteriskConfig(doc, writer).Export();
    writer.writeLine(nullptr, " ", false, true, true);

    std::string text = writer.text();
    text += "\r\n\r\n";
    text += DialplanText::TrailerNote;
    text += "\r\n\r\n\r\n";
    text += DialplanText::TrailerHeader;
    text += "\r\n\r\n";
    text += flowText;
    text += "\r\n";
    return text;
}

AsteriskExporter::AsteriskExporter()
    : m_clock([] { return std::time(nullptr); })
{}

bool AsteriskExporter::buildContextFile(const CVocaraDoc &doc, const std::filesystem::path &file,
                                        std::string_view flowText, std::string &fileText)
{
    fileText = buildContextFileText(doc, file, flowText, m_clock());
    return true;
}

void AsteriskExporter::writeFailed(const CVocaraDoc &doc, const std::filesystem::path &,
                                   const std::string &)
{
    doc.dialogs().error(DialplanText::CantCreateFile);
}

void AsteriskExporter::afterSave(const CVocaraDoc &doc, const std::filesystem::path &file,
                                 bool isAutosave)
{
    const DialplanSettings &settings = doc.dialplanSettings();
    // An autosave is a recovery copy, not something to deploy.
    if (!settings.CheckServerSave || isAutosave)
        return;
    if (SaveToServer(settings.ServerIP, settings.ServerPort, settings.ServerPath, file.string(),
                     doc.dialogs(), m_pause))
        doc.dialogs().inform(DialplanText::ServerSaveSucceeded);
    else
        doc.dialogs().error(DialplanText::ServerSaveFailed);
}

} // namespace vocara
