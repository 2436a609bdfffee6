#include "dialplan/dialplan_export.h"

#include "dialplan/asterisk_config.h"
#include "dialplan/context_file.h"
#include "dialplan/messages.h"
#include "dialplan/modern_dialplan.h"
#include "document/flow_trailer.h"
#include "document/user_dialogs.h"
#include "document/vocara_doc.h"

namespace vocara {

namespace {

// Line ends as on the Linux machines that run today's Asterisk, and no blank at a line's end
// (a linter warns of both).
std::string linuxLines(std::string_view text, bool trimBlanks = true)
{
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        if (text[i] == '\n' && trimBlanks) {
            while (!result.empty() && result.back() == ' ')
                result.pop_back();
        }
        result += text[i];
    }
    return result;
}

// Today's Asterisk: the flow's lines each start with ";", so that none of them is read as
// configuration; opening the file takes the marks off again.
std::string modernFileText(const CVocaraDoc &doc, const std::filesystem::path &file,
                           std::string_view flowText, std::time_t now)
{
    std::string text = linuxLines(fileHeaderBlock(std::filesystem::absolute(file), now));
    text.pop_back(); // one blank line fewer before the first context
    text += linuxLines(ModernDialplan(doc).text());
    text += linuxLines(fileInformationBlock(text.size(), now));
    text += "\n";
    text += linuxLines(std::string(DialplanText::TrailerNote) + "\n");
    text += ";";
    text += TrailerMarker;
    text += "\n;";
    // The flow keeps its blanks: they may be part of a value.
    for (char c : linuxLines(flowText, false)) {
        text += c;
        if (c == '\n')
            text += ';';
    }
    text += "\n";
    return text;
}

} // namespace

std::string buildContextFileText(const CVocaraDoc &doc, const std::filesystem::path &file,
                                 std::string_view flowText, std::time_t now)
{
    if (doc.dialplanSettings().Dialect == DialplanDialect::Modern)
        return modernFileText(doc, file, flowText, now);
    ContextFileWriter writer(doc, file, now);
    AsteriskConfig(doc, writer).Export();
    writer.writeLine(nullptr, " ", false, true, true);

    const std::string dialplan = writer.text();
    std::string text;
    text.reserve(dialplan.size() + flowText.size() + 256);
    text += dialplan;
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
