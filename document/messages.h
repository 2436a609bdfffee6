#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// The flow document's own texts, shown to the user exactly as written here.
namespace vocara::Msg {

inline constexpr std::string_view CloseSimulationWindow = "Please Close The Simulation Window";
inline constexpr std::string_view CantLinkToItself = "Can't Link this Node To ItSelf";
inline constexpr std::string_view CantLinkBuiltInChildren =
    "Can't Link this Node, It has its built in Children";
inline constexpr std::string_view NodeAlreadyHasChild = "Node already has a Child";
inline constexpr std::string_view CantDeleteWhileSimulating =
    "Can not Delete any node while simulator running";
inline constexpr std::string_view CantMoveWhileSimulating =
    "Can not move any node while simulator running";
inline constexpr std::string_view NoLinksExist = "No Links Exist";
inline constexpr std::string_view NotCorrectFormat = "Not Correct Format";
inline constexpr std::string_view ChildrenNotFound = "It's Chlidrens Can't Found Or May be Moved ";
inline constexpr std::string_view ParentsNotFound = "It's Parents Can't Found Or May be Moved ";

// The variables bar.
inline constexpr std::string_view ReservedVariableName = "Reserved Variable Name";
inline constexpr std::string_view OverwriteVariable =
    "This variable already exist (Do you want overwrite its value)";
inline constexpr std::string_view VariableStartsWithNumber =
    "Variable names can't start with number";
inline constexpr std::string_view VariableBadCharacter =
    "Variable names can only contain characters from A-Z, a-z, 0-9, and UNDERSCORE";
inline constexpr std::string_view AddMissingVariable =
    "This variable Not exist (Do you want Add it)";
inline constexpr std::string_view ReservedValueNotChange = "Reserved Value Not Change";
inline constexpr std::string_view CantDeleteBuiltInVariable = "Can't delete built-in variable";

// The settings file: its path, then where the unreadable one was kept.
inline constexpr std::string_view SettingsUnreadable =
    "The settings file \"%s\" could not be read. It was kept as \"%s\" and the default "
    "settings are used.";
// The settings file: its path, then the reason.
inline constexpr std::string_view SettingsNotSaved =
    "The settings file \"%s\" could not be saved: %s";

inline constexpr std::string_view NoQflStructure = "This File not include QFL structure";
inline constexpr std::string_view InvalidFlowFile = "Invalid QEN IVR File";
inline constexpr std::string_view OldVersionQuestion =
    "The File Created by old version (Do you convert it to current version)";
inline constexpr std::string_view InvalidCrossLink = "Invalid Node <BranchTo> Command Parameter";
inline constexpr std::string_view FileNotFound = "The File \"%s\" could not be found";
inline constexpr std::string_view AsteriskByOtherExtension =
    "The File in asterisk mode but by different extension \r\n So You must save the file and "
    "reload the .conf file ";
// A save that could not be written: the path, then the reason.
inline constexpr std::string_view CantSaveFile = "Can not save the file %s\n%s";
inline constexpr std::string_view NoDialplanExporter =
    "Can not save the file %s\nThis program was built without the Asterisk dialplan export.";

// The validation list.
inline constexpr std::string_view NoErrors = "No Errors!";
inline constexpr std::string_view ErrorsFound = "%d Error(s) have been found";

inline constexpr std::string_view ForceSaveQuestion =
    "This Operation contains errors, would you like to force the save ?\n\nNote: if you force "
    "the save, the IVR server will not use this operation file.";

// Validation: the parts of an error line "%s @%s:%s".
inline constexpr std::string_view EmptyNameLabel = " Node Name";
inline constexpr std::string_view EmptyName = "The Node Must be have a unique name";
inline constexpr std::string_view DuplicateName = "The Node Name Exist many time Must be unique ";
inline constexpr std::string_view MustHaveNoChildren = "This Node must be have not any children ";
inline constexpr std::string_view OrphanLabel = "Link";

inline constexpr std::string_view InvalidKeys =
    "Invalid Value (Value must be 0-9 ,# ,*,A,B,C,D,E or F)";
inline constexpr std::string_view NotNumeric = "Invalid Value (Value must be numeric)";
inline constexpr std::string_view MailWithoutAt =
    "Invalid Mail Address Value (Value must contains @)";
inline constexpr std::string_view MailWithoutServer =
    "Invalid Mail Address Value (incorrect mail Server)";
inline constexpr std::string_view SqlWithoutKeyword =
    "InvalidSql Statement Value (No keyword \"Select,Update,Insert or Delete\")";
inline constexpr std::string_view SqlMoreThanOneColumn =
    "InvalidSql Statement Value (Select Statement must has only one column)";
inline constexpr std::string_view SqlWithoutFrom =
    "InvalidSql Statement Value (Select Statement must has From clause)";
inline constexpr std::string_view SqlWithoutTable =
    "InvalidSql Statement Value (Select Statement must has Table name or Query)";
inline constexpr std::string_view NotOneKey = "Invalid Value (Value must be Only one key)";
inline constexpr std::string_view NothingSelected = "Invalid Value (Entry must be selected)";
inline constexpr std::string_view EmptyValue = "Invalid Value (Empty Value)";
inline constexpr std::string_view NoDtmfNorAsr =
    "Invalid Value (\"DTMF or ASR\" one of them at least must be Selected)";
inline constexpr std::string_view Orphan = "Node is Orphan, has no Parents";
inline constexpr std::string_view InvalidServerIp =
    "Invalid Sever IP Address\n (Value Must Like 111.111.111.111)";
inline constexpr std::string_view NoFileNorMessage = "You Must Open File And/Or Write Message";
inline constexpr std::string_view NeitherFileNorMessageSelected =
    "Invalid Value (\"File And/or Message\" one of them at least must be Selected)";
inline constexpr std::string_view NotAWave = "Invalid Value (The File must be Wave)";
inline constexpr std::string_view SqlWithoutField =
    "InvalidSql Statement Value (Select Statement must has Field to select it)";
inline constexpr std::string_view NoReturnVariable =
    "Invalid Parameter(This Field Must contain variable to return in it)";
inline constexpr std::string_view MustCheckFile = "Must Be Check File";
inline constexpr std::string_view MustCheckMessage = "Must Be Check Message";
// A dialplan line cannot carry a value whose brackets do not pair up.
inline constexpr std::string_view UnbalancedBrackets =
    "Invalid Value (Brackets must be closed in a dialplan)";
// A field that names a variable becomes a variable name on a dialplan line.
inline constexpr std::string_view NotAVariableName =
    "Invalid Value (A variable name has only letters, digits and _)";

// Archives.
inline constexpr std::string_view OrphansRefuseExport = "Can't Export this File, Orphans exist";
inline constexpr std::string_view ExportFailed = "Export Failed!";
inline constexpr std::string_view CantOpenImported = "Can't Open this file :: %s";

// The simulator's caller side.
inline constexpr std::string_view RecordFolderFailed =
    "Error Creating Dir. %s , please manually create it";
inline constexpr std::string_view RecordFailed = "Error Recording to ";
inline constexpr std::string_view NotImplementedYet = "Not Implemented Yet !!";
inline constexpr std::string_view SettingsNotLoaded = "Error Loading The Application Settings";
inline constexpr std::string_view InvalidDateFormat = "Invalid Date Format use: dd/mm/yyyy";

// A message pattern with each "%s" or "%d", in order, replaced by the next value.
inline std::string fillIn(std::string_view pattern, std::initializer_list<std::string_view> values)
{
    std::string text;
    auto value = values.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() &&
            (pattern[i + 1] == 's' || pattern[i + 1] == 'd') && value != values.end()) {
            text += *value++;
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

} // namespace vocara::Msg

// Names, defaults and descriptions of the variables every new flow starts with.
namespace vocara::BuiltInVariable {

struct Entry
{
    std::string_view name;
    std::string_view defaultValue;
    std::string_view description;
    bool asteriskOnly;
};

inline constexpr Entry All[] = {
    {"lang", "Arabic", "Include the lang", false},
    {"strDate", "", "Include The Date will be Generated in the IVR Player System", false},
    {"strTime", "", "Include the time will be Generate in the IVR Player System", false},
    {"nCallerId", "", "Include the Caller Id", false},
    {"RecordPath", "/home/RecordedFiles/", "The path of the record Files", true},
    {"TTSPath", "/home/TTSFiles/", "the path of the TTS Files", true},
};

} // namespace vocara::BuiltInVariable
