// Opening, saving and inserting flow files: the file side of CVocaraDoc.
#include "document/dialplan_exporter.h"
#include "document/flow_format.h"
#include "document/flow_reader.h"
#include "document/flow_trailer.h"
#include "document/flow_writer.h"
#include "document/messages.h"
#include "document/user_dialogs.h"
#include "document/vocara_doc.h"
#include "document/xml_reader.h"
#include "platform/atomic_file.h"

#include <tinyxml2.h>

#include <algorithm>

namespace vocara {

namespace {

// Indents like the library's printer, but no deeper than a screen is wide: a long flow nests
// thousands of levels, and full indentation would grow the file with the square of its depth.
class FlowPrinter : public tinyxml2::XMLPrinter
{
public:
    static constexpr int MaxIndent = 32;

protected:
    void PrintSpace(int depth) override { XMLPrinter::PrintSpace(std::min(depth, MaxIndent)); }
};

std::string printed(const tinyxml2::XMLDocument &image)
{
    FlowPrinter printer;
    printXml(image, printer);
    return std::string(printer.CStr(), static_cast<size_t>(printer.CStrSize() - 1));
}

int floorDiv(int value, int divisor)
{
    return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
}

} // namespace

std::string CVocaraDoc::flowText() const
{
    return printed(*m_image);
}

bool CVocaraDoc::readFlowText(const std::string &path, std::string &text)
{
    if (modeForPath(path) != DocumentMode::Asterisk) {
        // A file that cannot be read has no root element either.
        text = readWholeFile(path).value_or(std::string());
        return true;
    }
    const std::filesystem::path extracted = m_userFolder / FlowFiles::ExtractedFlow;
    if (!ExtractFlow(path, extracted)) {
        m_dialogs.error(Msg::NoQflStructure);
        return false;
    }
    text = readWholeFile(extracted).value_or(std::string());
    std::error_code ignored;
    std::filesystem::remove(extracted, ignored);
    return true;
}

bool CVocaraDoc::open(const std::string &path)
{
    return open(path, modeForPath(path));
}

bool CVocaraDoc::open(const std::string &path, DocumentMode layout)
{
    if (refuseWhileSimulating())
        return false;
    // Everything that can fail comes before the current flow is touched.
    std::string text;
    if (!readFlowText(path, text))
        return false;
    XmlImage image = newXmlImage();
    const bool parsed = parseXml(text, *image);
    tinyxml2::XMLElement *root = parsed ? image->RootElement() : nullptr;
    tinyxml2::XMLElement *start = root ? root->FirstChildElement(FlowXml::Start) : nullptr;
    if (!root || std::string_view(root->Name()) != FlowXml::Root || !start ||
        !FlowReader::coordinatesInGrid(root)) {
        m_dialogs.error(Msg::InvalidFlowFile);
        return false;
    }
    bool converting = false;
    const char *version = start->Attribute("version");
    if (!version || std::string_view(version) != FlowXml::Version) {
        if (m_dialogs.ask(Msg::OldVersionQuestion, Question::YesNo) == Answer::Yes) {
            start->SetAttribute("version", FlowXml::Version);
            converting = true;
        }
    }

    setMode(layout);
    resetContent();
    m_image = std::move(image);
    m_path = path;
    m_title = titleForPath(path);

    FlowReader reader(*this);
    reader.setKeepNames(!converting);
    reader.readVariables(root->FirstChildElement(FlowXml::Variables));
    reader.readSettings(root->FirstChildElement(FlowXml::Settings));
    reader.readFiles(root->FirstChildElement(FlowXml::Files));
    ensureGridColumns(InitialGridColumns);
    reader.readTree(start->FirstChildElement(), m_startNode);
    if (const tinyxml2::XMLElement *orphans = root->FirstChildElement(FlowXml::Orphans)) {
        for (const tinyxml2::XMLElement *orphan = orphans->FirstChildElement(); orphan;
             orphan = orphan->NextSiblingElement())
            reader.readTree(orphan, NoNode);
    }
    // One message for however many links are broken.
    if (!reader.resolveCrossLinks())
        m_dialogs.warn(Msg::InvalidCrossLink);
    setModified(false);
    notify([](DocumentObserver &o) { o.documentReset(); });

    if (lowerCase(path).find(FlowFiles::AsteriskFlowMarker) != std::string::npos) {
        m_dialogs.inform(Msg::AsteriskByOtherExtension);
        setMode(DocumentMode::Asterisk);
    }
    return true;
}

bool CVocaraDoc::insertScript(std::string_view name, int x, int y)
{
    const std::string path = scriptFilePath(name, m_installFolder);
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        m_dialogs.error(Msg::fillIn(Msg::FileNotFound, {path}));
        return false;
    }
    const XmlImage image = newXmlImage();
    tinyxml2::XMLDocument &script = *image;
    const std::string text = readWholeFile(path).value_or(std::string());
    if (!parseXml(text, script) || !script.RootElement()) {
        m_dialogs.error(Msg::InvalidFlowFile);
        return false;
    }
    const tinyxml2::XMLElement *start = script.RootElement()->FirstChildElement(FlowXml::Start);
    if (!start)
        return true;
    FlowReader reader(*this);
    reader.setKeepNames(false);
    reader.setOffset({floorDiv(y - CellSize, CellSize), floorDiv(x - CellSize, CellSize)});
    reader.readTree(start->FirstChildElement(), NoNode);
    if (!reader.resolveCrossLinks())
        m_dialogs.warn(Msg::InvalidCrossLink);
    return true;
}

void CVocaraDoc::removeAutosave(std::string_view name) const
{
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::path(m_defaultSaveFolder) / name, ignored);
}

bool CVocaraDoc::writeFlow(const std::string &target, std::string_view text)
{
    std::string error;
    if (writeFileAtomically(target, text, &error))
        return true;
    m_dialogs.error(Msg::fillIn(Msg::CantSaveFile, {target, error}));
    return false;
}

bool CVocaraDoc::save(const std::string &path, bool isAutosave)
{
    if (m_mode == DocumentMode::None)
        return false;
    if (!validateFlow(true))
        return false;
    FlowWriter(*this).write(*m_image, m_errorLines.empty());
    const std::string text = flowText();

    std::string target = path;
    if (m_mode == DocumentMode::Flow) {
        if (!writeFlow(target, text))
            return false;
    } else {
        target = contextFilePath(path);
        if (!m_exporter) {
            m_dialogs.error(Msg::fillIn(Msg::NoDialplanExporter, {target}));
            return false;
        }
        std::string fileText;
        if (!m_exporter->buildContextFile(*this, target, text, fileText))
            return false;
        std::string error;
        if (!writeFileAtomically(target, fileText, &error)) {
            m_exporter->writeFailed(*this, target, error);
            return false;
        }
    }
    // Only now is the old file replaced: the document takes its new name and the recovery
    // copy can go.
    if (!isAutosave) {
        m_path = target;
        m_title = titleForPath(target);
        removeAutosave(m_mode == DocumentMode::Flow ? FlowFiles::FlowAutosave
                                                    : FlowFiles::ContextAutosave);
        setModified(false);
    }
    if (m_mode == DocumentMode::Asterisk)
        m_exporter->afterSave(*this, target, isAutosave);
    return true;
}

bool CVocaraDoc::saveExitCopy()
{
    if (m_mode == DocumentMode::None)
        return false;
    validateFlow(false);
    FlowWriter(*this).write(*m_image, m_errorLines.empty());
    const std::string text = flowText();
    const std::filesystem::path target =
        std::filesystem::path(m_defaultSaveFolder) / std::string(m_mode == DocumentMode::Flow
                                                                     ? FlowFiles::FlowAutosave
                                                                     : FlowFiles::ContextAutosave);
    if (m_mode == DocumentMode::Flow)
        return writeFileAtomically(target, text);
    std::string fileText;
    return m_exporter && m_exporter->buildContextFile(*this, target.string(), text, fileText) &&
           writeFileAtomically(target, fileText);
}

} // namespace vocara
