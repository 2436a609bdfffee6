#pragma once

#include "document/xml_reader.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tinyxml2 {
class XMLDocument;
class XMLElement;
} // namespace tinyxml2

namespace vocara {

class UserDialogs;

// Ids of the designer's preferences. Id 6 has no key: reading it gives nothing, writing it
// does nothing.
namespace Setting {
inline constexpr int NodeColorSel = 1;
inline constexpr int NodeColorNotSel = 2;
inline constexpr int LineColorSel = 3;
inline constexpr int LineColorNotSel = 4;
inline constexpr int LineColorXPath = 5;
inline constexpr int DefaultSaveFolder = 7;
inline constexpr int LineSelectionTolerance = 8;
inline constexpr int AutoSave = 9;
inline constexpr int AutoSaveInterval = 10;
inline constexpr int AutoSaveToDoc = 11;
inline constexpr int LineTypeRightAngle = 12;
inline constexpr int ToolbarMainPosition = 13;
inline constexpr int ToolbarTruePosition = 14;
inline constexpr int ToolTipColor = 15;
inline constexpr int ViewLeftSize = 16;
inline constexpr int ViewRightSize = 17;
inline constexpr int SimulatorNodeColorSel = 18;
inline constexpr int SimulatorPathColorSel = 19;
inline constexpr int DefaultTreePath = 20;
} // namespace Setting

// The element name of a setting id; empty for ids without one.
std::string_view settingKey(int id);

// The designer's preferences file, IvrSet.xml: one element per setting under
// IvrSet/Settings, its value in the attribute `value`.
class IvrSettings
{
public:
    static constexpr std::string_view FileName = "IvrSet.xml";

    // `programFolder` is the default of DefaultSaveFolder.
    IvrSettings(std::filesystem::path file, std::string programFolder);
    ~IvrSettings();
    IvrSettings(const IvrSettings &) = delete;
    IvrSettings &operator=(const IvrSettings &) = delete;

    // IvrSet.xml in the user folder, the user folder being the program folder.
    static std::unique_ptr<IvrSettings> forUserFolder();

    // Reads the file. A missing file is created with the defaults at once. A file that cannot
    // be read or parsed is moved aside to IvrSet.xml.bad and replaced by the defaults, and the
    // user is told. False when the defaults had to be used.
    bool load(UserDialogs &dialogs);

    // The stored text; nothing for an id without key or an absent element or attribute.
    std::optional<std::string> get(int id) const;
    std::string text(int id) const { return get(id).value_or(std::string()); }
    // The stored text as a number; 0 when absent or not a number.
    long long number(int id) const;
    // Nothing happens for an id without key or an absent element.
    void setText(int id, std::string_view text);
    void setNumber(int id, long long value);

    // Writes the whole file anew, through a temporary file.
    bool save(std::string *error = nullptr) const;

    // DefaultSaveFolder, or the program folder when that is empty.
    std::string defaultSaveFolder() const;
    // The autosave period in milliseconds, 0 for a period that is not positive, at most the
    // largest period a timer takes.
    int autoSaveIntervalMs() const;

    const std::filesystem::path &file() const { return m_file; }
    const std::string &programFolder() const { return m_programFolder; }

    // The text of a new settings file.
    static std::string defaultText(std::string_view programFolder);

private:
    tinyxml2::XMLElement *element(int id) const;
    bool parse(const std::string &text);

    std::filesystem::path m_file;
    std::string m_programFolder;
    XmlImage m_doc;
};

} // namespace vocara
