// Opening, saving and inserting flow files: the file side of CVocaraDoc.
#include "document/dialplan_exporter.h"
#include "document/flow_file_reader.h"
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
#include <cstdio>
#include <memory>

namespace vocara {

namespace {

int floorDiv(int value, int divisor)
{
    return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
}

} // namespace

std::string CVocaraDoc::flowText() const
{
    return FlowWriter(*this).text(*m_image);
}

bool CVocaraDoc::flowSource(const std::string &path, std::filesystem::path &source)
{
    if (modeForPath(path) != DocumentMode::Asterisk) {
        source = path;
        return true;
    }
    source = m_userFolder / FlowFiles::ExtractedFlow;
    if (!ExtractFlow(path, source)) {
        m_dialogs.error(Msg::NoQflStructure);
        return false;
    }
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
    // Everything that can fail comes before the current flow is touched: the file is read
    // once to check it, and once more into the document.
    std::filesystem::path source;
    if (!flowSource(path, source))
        return false;
    struct Extracted
    {
        std::filesystem::path file;
        ~Extracted()
        {
            std::error_code ignored;
            if (!file.empty())
                std::filesystem::remove(file, ignored);
        }
    } extracted{source == std::filesystem::path(path) ? std::filesystem::path() : source};
    // Both readings go through one open file: a save that replaces it meanwhile does not
    // change what they read.
    std::unique_ptr<std::FILE, int (*)(std::FILE *)> file(std::fopen(source.c_str(), "rb"),
                                                          &std::fclose);
    FlowFileCheck check;
    if (!file || !parseXmlFile(file.get(), check) || !check.isFlow() ||
        std::fseek(file.get(), 0, SEEK_SET) != 0) {
        m_dialogs.error(Msg::InvalidFlowFile);
        return false;
    }
    bool converting = false;
    if (!check.hasVersion() || check.version() != FlowXml::Version) {
        if (m_dialogs.ask(Msg::OldVersionQuestion, Question::YesNo) == Answer::Yes)
            converting = true;
    }

    setMode(layout);
    resetContent();
    XmlImage skeleton = newXmlImage();
    FlowReader reader(*this);
    reader.setKeepNames(!converting);
    ensureGridColumns(InitialGridColumns);
    FlowFileLoad load(reader, *skeleton, m_startNode);
    const bool loaded = parseXmlFile(file.get(), load);
    const tinyxml2::XMLElement *loadedRoot = skeleton->RootElement();
    if (!loaded || !loadedRoot || std::string_view(loadedRoot->Name()) != FlowXml::Root ||
        !loadedRoot->FirstChildElement(FlowXml::Start)) {
        // Rewritten in place since it was checked: what was read is not kept.
        resetContent();
        m_dialogs.error(Msg::InvalidFlowFile);
        return false;
    }
    m_image = std::move(skeleton);
    m_path = path;
    m_title = titleForPath(path);
    tinyxml2::XMLElement *root = m_image->RootElement();
    if (converting)
        root->FirstChildElement(FlowXml::Start)->SetAttribute("version", FlowXml::Version);
    reader.readVariables(root->FirstChildElement(FlowXml::Variables));
    reader.readSettings(root->FirstChildElement(FlowXml::Settings));
    reader.readFiles(root->FirstChildElement(FlowXml::Files));
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

bool CVocaraDoc::restore(const std::string &snapshot, DocumentMode mode,
                         const std::string &originalPath)
{
    if (!open(snapshot, mode))
        return false;
    m_path = originalPath;
    m_title = originalPath.empty() ? std::string() : titleForPath(originalPath);
    setModified(true);
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
    std::unique_ptr<std::FILE, int (*)(std::FILE *)> file(std::fopen(path.c_str(), "rb"),
                                                          &std::fclose);
    FlowFileCheck check;
    if (!file || !parseXmlFile(file.get(), check) || !check.hasRoot() ||
        std::fseek(file.get(), 0, SEEK_SET) != 0) {
        m_dialogs.error(Msg::InvalidFlowFile);
        return false;
    }
    if (!check.hasStart())
        return true;
    const XmlImage skeleton = newXmlImage();
    FlowReader reader(*this);
    reader.setKeepNames(false);
    reader.setOffset({floorDiv(y - CellSize, CellSize), floorDiv(x - CellSize, CellSize)});
    FlowFileLoad load(reader, *skeleton, NoNode);
    load.setReadOrphans(false);
    parseXmlFile(file.get(), load);
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
    const std::string text = preparedFlowText();

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

std::string CVocaraDoc::preparedFlowText()
{
    FlowWriter::settlePrimaryParents(*this);
    const FlowWriter writer(*this);
    writer.prepare(*m_image, m_errorLines.empty());
    return writer.text(*m_image);
}

bool CVocaraDoc::saveExitCopy()
{
    if (m_mode == DocumentMode::None)
        return false;
    validateFlow(false);
    const std::string text = preparedFlowText();
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
