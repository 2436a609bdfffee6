#pragma once

#include "document/node_kind.h"

#include <array>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace vocara {

// Two kinds carry extra properties, and some rows are read-only, when a flow is edited for
// Asterisk; flow mode is the catalogue of plain flow files.
enum class CatalogueMode { Flow, Asterisk };

// Row editor codes, passed unchanged to the property grid as row types.
namespace Editor {
inline constexpr int Text = 0;
inline constexpr int FileChooser = 3;
inline constexpr int ReadOnly = 10;
inline constexpr int LongText = 12;
inline constexpr int CheckBox = 13;
inline constexpr int VariableList = 26;
inline constexpr int Comparison = 39;
inline constexpr int Language = 40;
inline constexpr int ReturnType = 41;
inline constexpr int Operation = 52;
inline constexpr int FaxDataType = 65;
inline constexpr int TtsEngine = 78;
inline constexpr int RegistryHive = 79;
inline constexpr int RegistryOperation = 80;
inline constexpr int FileOperation = 81;
inline constexpr int AccessType = 82;
} // namespace Editor

struct PropertyDescriptor
{
    std::string_view label;
    int editorType = Editor::Text;
    std::string_view description;
    std::string_view key;
    int checkRule = 0;
    bool editable = true;
};

struct KindDescriptor
{
    std::string_view displayName;
    std::string_view description;
    int propertyCount = 0;
    std::string_view groupKeyword;
    std::vector<PropertyDescriptor> properties;
};

class KindCatalogue
{
public:
    explicit KindCatalogue(CatalogueMode mode);

    // The catalogues never change once built, so each mode's is built once and shared.
    static const KindCatalogue &forMode(CatalogueMode mode);

    CatalogueMode mode() const { return m_mode; }

    // Null for kinds without a descriptor (45..49) and for numbers outside 0..49.
    const KindDescriptor *descriptor(NodeKind kind) const;
    const PropertyDescriptor *property(NodeKind kind, int index) const;
    // Index of the first property of the kind with exactly this key, or -1.
    int propertyIndex(NodeKind kind, std::string_view key) const;
    // 0 for kinds without a descriptor.
    int propertyCount(NodeKind kind) const;

private:
    CatalogueMode m_mode;
    std::array<std::optional<KindDescriptor>, Kind::Count> m_kinds;
};

// The choices of a drop-down editor, in display order; empty for editors without a list.
std::span<const std::string_view> dropDownItems(int editorType);

// Texts of the property grid's fixed rows and categories.
namespace GridText {
inline constexpr std::string_view FunctionalityLabel = "Functionality";
inline constexpr std::string_view FunctionalityHelp = "Show Node Functionality";
inline constexpr std::string_view NodeNameLabel = "Node Name";
inline constexpr std::string_view NodeNameHelp = "Here you would put Node Name";
inline constexpr std::string_view NodeDescriptionCategory = "Node Description";
inline constexpr std::string_view NodePropertiesCategory = "Node Properties";
inline constexpr std::string_view GeneralPropertiesCategory = "General Properties";
inline constexpr std::string_view DtmfCategory = "DTMF Node";
inline constexpr std::string_view AsrCategory = "ASR Node";
inline constexpr std::string_view SendFileCategory = "Send File ";
inline constexpr std::string_view SendMessageCategory = "Send Message ";
inline constexpr std::string_view SetParametersCategory = "Set Parameters";
inline constexpr std::string_view EmptyFileChooser = "Click to Open";
inline constexpr std::string_view TooltipLabel = "Write ToolTip";
} // namespace GridText

// Group keywords that rearrange a kind's rows into categories.
namespace GroupKeyword {
inline constexpr std::string_view PlayWave = "PLAYWAVE";
inline constexpr std::string_view Dtmf = "DTMF";
inline constexpr std::string_view CsConnect = "CSCONNECT";
inline constexpr std::string_view Regedit = "REGEDIT";
} // namespace GroupKeyword

// The key of the tooltip property that ends every action kind.
inline constexpr std::string_view TooltipKey = "Tooltip";

// The property grid category of a kind's property row at `index` with `key`.
std::string_view propertyCategory(std::string_view groupKeyword, int index, std::string_view key);

} // namespace vocara
