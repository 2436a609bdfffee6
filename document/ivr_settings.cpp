#include "document/ivr_settings.h"

#include "document/messages.h"
#include "document/user_dialogs.h"
#include "platform/atomic_file.h"
#include "platform/folders.h"

#include <tinyxml2.h>

#include <array>
#include <charconv>
#include <climits>
#include <fstream>
#include <sstream>

namespace vocara {

namespace {

constexpr std::string_view RootName = "IvrSet";
constexpr std::string_view SettingsName = "Settings";
constexpr std::string_view ValueAttribute = "value";

struct Default
{
    int id;
    std::string_view value; // empty for DefaultSaveFolder: the program folder goes there
};

// The elements of a new file, in the order they are written.
constexpr std::array<Default, 19> Defaults = {{
    {Setting::LineColorNotSel, "0"},
    {Setting::LineColorSel, "255"},
    {Setting::NodeColorNotSel, "16777215"},
    {Setting::NodeColorSel, "23290"},
    {Setting::LineColorXPath, "12632256"},
    {Setting::LineSelectionTolerance, "3"},
    {Setting::AutoSave, "1"},
    {Setting::AutoSaveToDoc, "0"},
    {Setting::AutoSaveInterval, "10"},
    {Setting::LineTypeRightAngle, "0"},
    {Setting::ToolbarMainPosition, "8192"},
    {Setting::ToolbarTruePosition, "4096"},
    {Setting::ViewLeftSize, "200"},
    {Setting::ViewRightSize, "200"},
    {Setting::ToolTipColor, "176236249"},
    {Setting::SimulatorNodeColorSel, "16711680"},
    {Setting::SimulatorPathColorSel, "65280"},
    {Setting::DefaultTreePath, ""},
    {Setting::DefaultSaveFolder, ""},
}};

bool readFile(const std::filesystem::path &path, std::string &text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad())
        return false;
    text = content.str();
    return true;
}

} // namespace

std::string_view settingKey(int id)
{
    switch (id) {
    case Setting::NodeColorSel:
        return "NodeColorSel";
    case Setting::NodeColorNotSel:
        return "NodeColorNotSel";
    case Setting::LineColorSel:
        return "LineColorSel";
    case Setting::LineColorNotSel:
        return "LineColorNotSel";
    case Setting::LineColorXPath:
        return "LineColorXPath";
    case Setting::DefaultSaveFolder:
        return "DefaultSaveFolder";
    case Setting::LineSelectionTolerance:
        return "LineSelectionTolerance";
    case Setting::AutoSave:
        return "AutoSave";
    case Setting::AutoSaveInterval:
        return "AutoSaveInterval";
    case Setting::AutoSaveToDoc:
        return "AutoSaveToDoc";
    case Setting::LineTypeRightAngle:
        return "LineTypeRightAngle";
    case Setting::ToolbarMainPosition:
        return "ToolbarMainPosition";
    case Setting::ToolbarTruePosition:
        return "ToolbarTruePosition";
    case Setting::ToolTipColor:
        return "ToolTipColor";
    case Setting::ViewLeftSize:
        return "ViewLeftSize";
    case Setting::ViewRightSize:
        return "ViewRightSize";
    case Setting::SimulatorNodeColorSel:
        return "SimulatorNodeColorSel";
    case Setting::SimulatorPathColorSel:
        return "SimulatorPathColorSel";
    case Setting::DefaultTreePath:
        return "DefaultTreePath";
    default:
        return {};
    }
}

IvrSettings::IvrSettings(std::filesystem::path file, std::string programFolder)
    : m_file(std::move(file))
    , m_programFolder(std::move(programFolder))
    , m_doc(newXmlImage())
{
    parse(defaultText(m_programFolder));
}

IvrSettings::~IvrSettings() = default;

std::unique_ptr<IvrSettings> IvrSettings::forUserFolder()
{
    const std::filesystem::path folder = userFolder();
    return std::make_unique<IvrSettings>(folder / FileName, folder.string());
}

std::string IvrSettings::defaultText(std::string_view programFolder)
{
    // Built through the XML writer so that any folder name comes out well-formed.
    tinyxml2::XMLDocument doc;
    doc.InsertEndChild(doc.NewDeclaration(R"(xml version="1.0" standalone="no" )"));
    tinyxml2::XMLElement *root = doc.NewElement(RootName.data());
    root->SetAttribute("version", "3001");
    doc.InsertEndChild(root);
    tinyxml2::XMLElement *settings = root->InsertNewChildElement(SettingsName.data());
    for (const Default &entry : Defaults) {
        tinyxml2::XMLElement *element =
            settings->InsertNewChildElement(std::string(settingKey(entry.id)).c_str());
        const std::string value = entry.id == Setting::DefaultSaveFolder
                                      ? std::string(programFolder)
                                      : std::string(entry.value);
        element->SetAttribute(ValueAttribute.data(), value.c_str());
    }
    tinyxml2::XMLPrinter printer(nullptr, true);
    printXml(doc, printer);
    return printer.CStr();
}

namespace {

// A settings file is one IvrSet element; before it only the declaration, comments and a
// document type, after it only comments. The XML reader takes more (text, further
// elements), but what it takes there would not survive a save and a reload.
XmlImage parsedSettings(const std::string &text)
{
    XmlImage doc = newXmlImage();
    if (doc->Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS)
        return nullptr;
    const tinyxml2::XMLElement *root = doc->RootElement();
    if (!root || RootName != root->Name() || !root->FirstChildElement(SettingsName.data()))
        return nullptr;
    bool afterRoot = false;
    for (const tinyxml2::XMLNode *node = doc->FirstChild(); node; node = node->NextSibling()) {
        if (node == root)
            afterRoot = true;
        else if (node->ToComment())
            continue;
        else if (afterRoot || !(node->ToDeclaration() || node->ToUnknown()))
            return nullptr;
    }
    return doc;
}

// What the reader makes of an attribute value: line ends become "\n".
std::string asRead(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\0')
            break;
        if (text[i] == '\r') {
            result += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

tinyxml2::XMLElement *settingElement(tinyxml2::XMLDocument &doc, int id)
{
    const std::string_view key = settingKey(id);
    if (key.empty())
        return nullptr;
    tinyxml2::XMLElement *root = doc.RootElement();
    tinyxml2::XMLElement *settings = root ? root->FirstChildElement(SettingsName.data()) : nullptr;
    return settings ? settings->FirstChildElement(std::string(key).c_str()) : nullptr;
}

std::optional<std::string> valueOf(tinyxml2::XMLDocument &doc, int id)
{
    const tinyxml2::XMLElement *e = settingElement(doc, id);
    const char *value = e ? e->Attribute(ValueAttribute.data()) : nullptr;
    if (!value)
        return std::nullopt;
    return std::string(value);
}

std::string printed(const tinyxml2::XMLDocument &doc)
{
    tinyxml2::XMLPrinter printer;
    printXml(doc, printer);
    return std::string(printer.CStr(), static_cast<size_t>(printer.CStrSize() - 1));
}

} // namespace

bool IvrSettings::parse(const std::string &text)
{
    XmlImage doc = parsedSettings(text);
    if (!doc)
        return false;
    m_doc = std::move(doc);
    return true;
}

bool IvrSettings::load(UserDialogs &dialogs)
{
    std::error_code ec;
    const bool exists = std::filesystem::exists(m_file, ec);
    std::string text;
    if (exists && readFile(m_file, text) && parse(text))
        return true;

    parse(defaultText(m_programFolder));
    if (exists) {
        // Never write over a file we could not make sense of: the user may want it back.
        std::filesystem::path kept = m_file;
        kept += ".bad";
        std::filesystem::rename(m_file, kept, ec);
        if (ec) {
            dialogs.warn(Msg::fillIn(Msg::SettingsUnreadable, {m_file.string(), m_file.string()}));
            return false;
        }
        dialogs.warn(Msg::fillIn(Msg::SettingsUnreadable, {m_file.string(), kept.string()}));
    }
    std::string error;
    if (!save(&error))
        dialogs.warn(Msg::fillIn(Msg::SettingsNotSaved, {m_file.string(), error}));
    return false;
}

tinyxml2::XMLElement *IvrSettings::element(int id) const
{
    return settingElement(*m_doc, id);
}

std::optional<std::string> IvrSettings::get(int id) const
{
    return valueOf(*m_doc, id);
}

long long IvrSettings::number(int id) const
{
    const std::string value = text(id);
    long long result = 0;
    const char *begin = value.data();
    while (begin < value.data() + value.size() && (*begin == ' ' || *begin == '+'))
        ++begin;
    std::from_chars(begin, value.data() + value.size(), result);
    return result;
}

void IvrSettings::setText(int id, std::string_view text)
{
    if (tinyxml2::XMLElement *e = element(id))
        e->SetAttribute(ValueAttribute.data(), asRead(text).c_str());
}

void IvrSettings::setNumber(int id, long long value)
{
    setText(id, std::to_string(value));
}

bool IvrSettings::save(std::string *error) const
{
    const std::string text = printed(*m_doc);
    // Never write what the next start would refuse or read differently.
    const XmlImage check = parsedSettings(text);
    bool same = check != nullptr;
    for (int id = 1; same && id <= Setting::DefaultTreePath; ++id)
        same = valueOf(*check, id) == valueOf(*m_doc, id);
    if (!same) {
        if (error)
            *error = "the settings would not read back as they are";
        return false;
    }
    return writeFileAtomically(m_file, text, error);
}

std::string IvrSettings::defaultSaveFolder() const
{
    const std::string folder = text(Setting::DefaultSaveFolder);
    return folder.empty() ? m_programFolder : folder;
}

int IvrSettings::autoSaveIntervalMs() const
{
    const long long minutes = number(Setting::AutoSaveInterval);
    if (minutes <= 0)
        return 0;
    if (minutes > INT_MAX / 60000)
        return INT_MAX;
    return static_cast<int>(minutes * 60000);
}

} // namespace vocara
