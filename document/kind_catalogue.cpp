#include "document/kind_catalogue.h"

#include <initializer_list>

namespace vocara {

namespace {

// One row of a kind's property table, covering both variants: `asteriskOnly` rows exist only
// in asterisk mode; the two flags say whether the row can be edited in each mode.
struct Row
{
    std::string_view label;
    int editor;
    std::string_view description;
    std::string_view key;
    int check;
    bool editableAsterisk = true;
    bool editableFlow = true;
    bool asteriskOnly = false;
};

constexpr bool Locked = false; // shown greyed in asterisk mode
constexpr bool Editable = true;

Row lockedInAsterisk(Row row)
{
    row.editableAsterisk = Locked;
    return row;
}

Row asteriskOnly(Row row)
{
    row.asteriskOnly = true;
    return row;
}

constexpr std::string_view TooltipLabel = GridText::TooltipLabel;
constexpr std::string_view TooltipDescription = "Node Description Appear as TooTip";
constexpr std::string_view WaveFileDescription = "Browse for Wave File or Write down its name";
constexpr std::string_view ReturnVarDescription = "Choose a Variable Name for return result";
constexpr std::string_view DtmfTimeOutDescription =
    "Determine No Of Seconds DTMF wait before Timeout";
constexpr std::string_view TransferNumberDescription = "Determine No. to Transfer Call to";
constexpr std::string_view OperationDescription = "Determine Which Operation to be Executed";
constexpr std::string_view PhoneDescription = "Determine Variable name contains Phone No";

struct Builder
{
    CatalogueMode mode;
    std::array<std::optional<KindDescriptor>, Kind::Count> &kinds;

    void add(NodeKind kind, std::string_view display, std::string_view description,
             std::string_view group, std::initializer_list<Row> rows)
    {
        const bool asterisk = mode == CatalogueMode::Asterisk;
        KindDescriptor descriptor{display, description, 0, group, {}};
        for (const Row &row : rows) {
            if (row.asteriskOnly && !asterisk)
                continue;
            descriptor.properties.push_back({row.label, row.editor, row.description, row.key,
                                             row.check,
                                             asterisk ? row.editableAsterisk : row.editableFlow});
        }
        descriptor.properties.push_back(
            {TooltipLabel, Editor::Text, TooltipDescription, TooltipKey, 0, true});
        descriptor.propertyCount = static_cast<int>(descriptor.properties.size());
        kinds[static_cast<size_t>(kind)] = std::move(descriptor);
    }
};

void fillActions(Builder &b)
{
    using namespace Editor;
    b.add(Kind::PlayWave, "Play Wave", "Play a Wave File", GroupKeyword::PlayWave,
          {{"File Path", FileChooser, WaveFileDescription, "file", 13},
           lockedInAsterisk({"Sync", CheckBox,
                             "Determine How To Play File Synchrounous or ASynchrounous", "type",
                             0})});
    b.add(
        Kind::PlayValue, "Play Value", "Play a Value", {},
        {{"Var Name", VariableList, "Detemine Var contain value to be Played", "var", 3},
         lockedInAsterisk({"Sync", CheckBox,
                           "Determine How To Play Value Synchrounous or ASynchrounous", "type", 0}),
         lockedInAsterisk({"Digits", CheckBox,
                           "Determine Whether to Play each digit itself or the total number",
                           "digits", 0})});
    b.add(
        Kind::TTS, "TTS", "Change Text to Speech", {},
        {{"Var Name", VariableList, "Detemine Variable Name contains value to be Played", "var", 3},
         lockedInAsterisk({"Sync", CheckBox,
                           "Determine How To Play Generated Text Synchrounous or ASynchrounous",
                           "type", 0}),
         {"Engine", TtsEngine, "Determine Which TTS Engine to use", "engine", 1}});
    b.add(Kind::Run, "Run Exe", "Run Exe Files", {},
          {{"Var Name", VariableList,
            "Detemine Variable Name contains File Name (*.exe) to be Executed", "cmd", 3},
           {"Parameters", VariableList, "Detemine command Line Parameters passed to exe File",
            "params", 0}});
    b.add(Kind::DbTransaction, "Database Transaction", "Execute Sql Statement", {},
          {{"Connection Str", LongText, "Determine Data Source Name for ODBC", "db", 3},
           asteriskOnly({"User Name", VariableList, "Datebase user name", "username", 3}),
           asteriskOnly({"User Password", Text, "Datebase user Password", "password", 0}),
           {"SQL", LongText, "Write down SQL Statement", "query", 2},
           {"Return Var", VariableList, ReturnVarDescription, "retVar", 4},
           asteriskOnly({"Return Type", ReturnType, "Choose a return Type", "rettype", 0}),
           asteriskOnly({"Return Language", Language, "Choose a return Language", "retlang", 0})});
    b.add(Kind::Hang, "Hang", "Stop Call Flow", {}, {});
    b.add(Kind::UserInput, "User Input", "Get Input from User Whether By DTMF or ASR",
          GroupKeyword::Dtmf,
          {{"DTMF Time Out", Text, DtmfTimeOutDescription, "timeOut", 5},
           lockedInAsterisk({"Return Var", VariableList, ReturnVarDescription, "retVar", 4}),
           {"DTMF Enabled", CheckBox, "Enable DTMF Input", "dtmf", 0},
           lockedInAsterisk(
               {"No Of Keys", VariableList, "Determine No. Of keys to be Entered", "numKeys", 5}),
           {"Allowed Keys", Text, "Determine Keys Allowed to be Entered", "allowed", 7},
           lockedInAsterisk({"Delimitter", Text, "Determine Key to Stop", "delimitter", 0}),
           lockedInAsterisk({"ASR Enabled", CheckBox, "Enable ASR Input", "asr", 0}),
           lockedInAsterisk({"File Name", VariableList, "Determine Context File Name", "file", 3}),
           lockedInAsterisk({"Confidence", Text, "Determine Confidence Level", "confidence", 6}),
           asteriskOnly({"Wave File Path", FileChooser, WaveFileDescription, "wavefile", 13})});
    b.add(Kind::Transfer, "Transfer", "Transfer Call to Specified No.", {},
          {asteriskOnly(
               {"Context Name", Text, "Determine Context Name to Transfer to ", "context", 3}),
           {"Ext. No", VariableList, TransferNumberDescription, "num", 3}});
    b.add(Kind::TransferPBX, "TransferPBX",
          "Transfer Call to PBX with Specified Line and Specified No.", {},
          {{"Line No", VariableList, "Determine Line number to Transfer Call to", "line", 3},
           {"Ext. No", VariableList, TransferNumberDescription, "num", 3}});
    b.add(Kind::Record, "Record", "Record Call to File", {},
          {{"File Name", VariableList, "Determine Variable name contains File to Record Call",
            "var", 3},
           {"File Path", VariableList,
            "The recording file path (the path must be exist and ending by /)", "RecordPath", 3},
           {"Key", Text, "Determine Delimitter to finish Recording", "key", 8},
           {"Time", Text, "Determine Time Allowed to Record Call", "timeOut", 6}});
    b.add(Kind::SetVar, "Set Var", "Set Variable with value", {},
          {{"Var Name", VariableList, "Determine Variable name", "var", 3},
           {"Value", VariableList, "Determine Value to be Set", "value", 0}});
    b.add(Kind::Compare, "Compare", "Compare Two Variables", {},
          {{"1st Var Name", VariableList, "Determine 1st Variable name", "var1", 3},
           {"Operation", Comparison, OperationDescription, "op", 1},
           {"2ndValue", VariableList, "Determine 2nd Variable name", "var2", 3}});
    b.add(Kind::Op, "Operation", "Do Operation On Var", {},
          {{"Var1 Name", VariableList, "Determine Variable name", "var", 3},
           {"Operation", Operation, OperationDescription, "op", 1},
           {"Var2 Name", VariableList, "Determine 2nd Variable name", "value", 3}});
}

void fillMessaging(Builder &b)
{
    using namespace Editor;
    b.add(Kind::SendSMS, "SMS", "Send SMS", {},
          {{"Phone No", VariableList, PhoneDescription, "phone", 5},
           {"SMS", LongText, "Write down SMS Body", "body", 3}});
    b.add(Kind::SendFax, "FAX", "Send FAX", {},
          {{"Phone No", VariableList, PhoneDescription, "Phone", 5},
           {"Fax File", FileChooser, "Browse on Fax File like *.tif or *.txt", "FaxFile", 3},
           {"Cover File", FileChooser, "Browse on Fax Cover", "CoverFile", 3},
           {"Fax Body", LongText, "Write down FAX Body", "Body", 3},
           {"Fax Subject", LongText, "Write down FAX Subject", "Subject", 3},
           {"Data Type", FaxDataType, "Choose Body Data Type", "DateType", 1},
           {"Delete File", CheckBox, "Choose Body Data Type", "DeleteFile", 0}});
    b.add(Kind::SendMail, "Email", "Send Email", {},
          {{"To", VariableList, "Determine Variable name contains To", "mailto", 9},
           {"Subject", VariableList, "Write down Subject", "subject", 0},
           {"Body", LongText, "Write down Body", "body", 3},
           {"Attach", VariableList, "Choose variable contains file Name", "attach", 0}});
    b.add(Kind::CSConnection, "CSConnect", "Client Server Connection", GroupKeyword::CsConnect,
          {{"Port", VariableList, "Enter Port Number", "Port", 5},
           {"IPAddress", VariableList, "Enter IP Address", "IPAddress", 10},
           {"File Enabled", CheckBox, "Enable File Input", "File", 0},
           {"Open File", FileChooser, "Browse File To Transfer", "OpenFile", 11},
           {"Message Enabled", CheckBox, "Enable Message Input", "Message", 0},
           {"Body", LongText, "Write down Body", "MessageBody", 11}});
    b.add(Kind::REGEDIT, "REGEDIT", "Edit Register", GroupKeyword::Regedit,
          {{"Hendle Key", RegistryHive, "Choice Hendle Key", "HendleKey", 1},
           {"KeyPath", VariableList, "Enter The Key Path", "KeyPath", 3},
           {"Operation", RegistryOperation, "Data Type", "DataType", 1},
           {"Value Name", VariableList, "Enter Value Name or key name", "ValueName", 3},
           {"Value Data", VariableList, " Variable stored data", "ValueData", 3}});
    b.add(Kind::ACCESSFILES, "ACCESSFILES", "Access External Files", {},
          {{"File Path", FileChooser, "Enter The Path", "FilePath", 3},
           {"Operation", FileOperation, "Choice The type of Access", "OperationType", 1},
           {"Access Type", AccessType, "Enter The type of The Operations", "AccessType", 1},
           {"Text Var", VariableList, "Text Var", "TextVar", 3}});
    b.add(Kind::MultiDTMF, "MultiDTMF", "MultiDTMF", {},
          {{"File Path", FileChooser, WaveFileDescription, "file", 13},
           {"DTMF Time Out", Text, DtmfTimeOutDescription, "timeOut", 5},
           {"Return Var", VariableList, ReturnVarDescription, "retVar", 3}});
    b.add(
        Kind::SendDTMF, "SendDTMF", "SendDTMF", {},
        {{"DTMF Send", VariableList, "Write the Sending DTMFs", "dtmfsend", 3},
         {"Time Between Each DTMF", Text, "Write the Time Between each DTMF By Second ", "time", 5},
         {"Flash", CheckBox, "Check if you used Flash Key ", "flash", 0}});
    b.add(Kind::Wait, "Wait", "Wait", {},
          {{"# Second", Text, "Number Of Second To Wait ", "second", 5}});
}

} // namespace

KindCatalogue::KindCatalogue(CatalogueMode mode)
    : m_mode(mode)
{
    Builder builder{mode, m_kinds};
    fillActions(builder);
    fillMessaging(builder);
    // Branches, the start node and cross links are named after themselves.
    for (NodeKind kind = Kind::BranchIf0; kind <= Kind::BranchTo; ++kind)
        builder.add(kind, elementName(kind), elementName(kind), {}, {});
}

const KindCatalogue &KindCatalogue::forMode(CatalogueMode mode)
{
    static const KindCatalogue flow(CatalogueMode::Flow);
    static const KindCatalogue asterisk(CatalogueMode::Asterisk);
    return mode == CatalogueMode::Asterisk ? asterisk : flow;
}

const KindDescriptor *KindCatalogue::descriptor(NodeKind kind) const
{
    if (!isValidKind(kind))
        return nullptr;
    const auto &entry = m_kinds[static_cast<size_t>(kind)];
    return entry ? &*entry : nullptr;
}

const PropertyDescriptor *KindCatalogue::property(NodeKind kind, int index) const
{
    const KindDescriptor *kindDescriptor = descriptor(kind);
    if (!kindDescriptor || index < 0 || index >= kindDescriptor->propertyCount)
        return nullptr;
    return &kindDescriptor->properties[static_cast<size_t>(index)];
}

int KindCatalogue::propertyIndex(NodeKind kind, std::string_view key) const
{
    const KindDescriptor *kindDescriptor = descriptor(kind);
    if (!kindDescriptor)
        return -1;
    for (int i = 0; i < kindDescriptor->propertyCount; ++i) {
        if (kindDescriptor->properties[static_cast<size_t>(i)].key == key)
            return i;
    }
    return -1;
}

int KindCatalogue::propertyCount(NodeKind kind) const
{
    const KindDescriptor *kindDescriptor = descriptor(kind);
    return kindDescriptor ? kindDescriptor->propertyCount : 0;
}

std::span<const std::string_view> dropDownItems(int editorType)
{
    static constexpr std::string_view comparisons[] = {">", ">=", "<", "<=", "=", "<>"};
    static constexpr std::string_view languages[] = {"Arabic", "English"};
    static constexpr std::string_view returnTypes[] = {"Digits", "Words"};
    static constexpr std::string_view operations[] = {"Increment", "Decrement", "Random",
                                                      "Multiply",  "Divide",    "Mod"};
    static constexpr std::string_view faxDataTypes[] = {"File", "Data"};
    static constexpr std::string_view ttsEngines[] = {"Microsoft Speech Engine", "Sakhr", "RDI"};
    static constexpr std::string_view hives[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_CONFIG",
                                                 "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                                 "HKEY_USERS"};
    static constexpr std::string_view registryOperations[] = {
        "Create Key", "Get Value", "Set Value", "Delete Key", "Delete Value"};
    static constexpr std::string_view fileOperations[] = {"Create File", "Open File",
                                                          "Delete File"};
    static constexpr std::string_view accessTypes[] = {"Read", "Write"};

    switch (editorType) {
    case Editor::Comparison:
        return comparisons;
    case Editor::Language:
        return languages;
    case Editor::ReturnType:
        return returnTypes;
    case Editor::Operation:
        return operations;
    case Editor::FaxDataType:
        return faxDataTypes;
    case Editor::TtsEngine:
        return ttsEngines;
    case Editor::RegistryHive:
        return hives;
    case Editor::RegistryOperation:
        return registryOperations;
    case Editor::FileOperation:
        return fileOperations;
    case Editor::AccessType:
        return accessTypes;
    default:
        return {};
    }
}

std::string_view propertyCategory(std::string_view groupKeyword, int index, std::string_view key)
{
    if (groupKeyword == GroupKeyword::Dtmf) {
        if (index <= 1)
            return GridText::NodePropertiesCategory;
        if (index <= 5)
            return GridText::DtmfCategory;
        if (index <= 8)
            return GridText::AsrCategory;
        return GridText::GeneralPropertiesCategory;
    }
    if (key == TooltipKey)
        return GridText::GeneralPropertiesCategory;
    if (groupKeyword == GroupKeyword::CsConnect) {
        if (index <= 1)
            return GridText::NodePropertiesCategory;
        if (index <= 3)
            return GridText::SendFileCategory;
        return GridText::SendMessageCategory;
    }
    if (groupKeyword == GroupKeyword::Regedit && index >= 3)
        return GridText::SetParametersCategory;
    return GridText::NodePropertiesCategory;
}

} // namespace vocara
