#pragma once

#include <string_view>

// The texts of the designer's dialogs, shown exactly as written here.
namespace vocara::Ui {

// The options sheet.
inline constexpr std::string_view OptionsTitle = "QEN IVR Designer Options";
inline constexpr std::string_view GeneralPage = "General";
inline constexpr std::string_view ColorsPage = "Colors";
inline constexpr std::string_view AutoSaveGroup = "AutoSave";
inline constexpr std::string_view AutoSaveEnabled = "Enabled";
inline constexpr std::string_view AutoSaveEvery = "Auto Save every";
inline constexpr std::string_view AutoSaveMinutes = "(minutes)";
inline constexpr std::string_view AutoSaveToDocument = "To Actual Document";
inline constexpr std::string_view DefaultSaveTo = "Default Save to";
inline constexpr std::string_view DefaultSaveBrowse = "...";
inline constexpr std::string_view DefaultTreePath = "Default Tree Path";
inline constexpr std::string_view DefaultTreeBrowse = "....";
inline constexpr std::string_view ChooseSaveFolder =
    "Choose the folder to save QEN IVR Operation file and additional files in";
inline constexpr std::string_view DefaultTreeFilter =
    "QEN IVR Files (*.qfl);;Asterisk Files (*.conf)";
inline constexpr std::string_view NodeColors = "Node Colors";
inline constexpr std::string_view LineColors = "Line Colors";
inline constexpr std::string_view SimulatorColors = "Simulator Colors";
inline constexpr std::string_view ToolTipColors = "ToolTip Colors";
inline constexpr std::string_view SelectedColor = "Selected";
inline constexpr std::string_view UnSelectedColor = "UnSelected";
inline constexpr std::string_view SimulatorNodeColor = "Node";
inline constexpr std::string_view SimulatorPathColor = "Path";
inline constexpr std::string_view ToolTipColor = "ToolTip";

// The validation window.
inline constexpr std::string_view ValidationTitle = "Validation Errors";
inline constexpr std::string_view ValidationNote =
    "NOTE:\nIf you force a save, IVR Server will not accept this Operation";

// The keyboard help: each key, then its description on a line of its own after a tab.
inline constexpr std::string_view HotKeysTitle = "Keyboard Shortcuts";
struct HotKey
{
    std::string_view key;
    std::string_view description;
};
inline constexpr HotKey HotKeys[] = {
    {"CTRL+C", "Copy the Selected Nodes if exist"},
    {"CTRL+X", "Cut the Selected Nodes if exist"},
    {"CTRL+V", "Paste the nodes in clipboard if exist"},
    {"CTRL+Z", "Undo Delete the nodes if exist"},
    {"LEFT", "Moves the Call Flow view left"},
    {"UP", "Moves the Call Flow view up"},
    {"RIGHT", "Moves the Call Flow view right"},
    {"DOWN", "Moves the Call Flow view down"},
    {"CTRL+LEFT", "Moves the Selected Action left"},
    {"CTRL+UP", "Moves the Selected Action up"},
    {"CTRL+RIGHT", "Moves the Selected Action right"},
    {"CTRL+DOWN", "Moves the Selected Action down"},
    {"DEL", "Deletes the current selected Action or Link"},
    {"ESC", "Clears the current Link selection if any"},
    {"RightClick", "Show the right click menu"},
    {"MouseScroll UP/DOWN", "Moves the Call Flow view Up and Down"},
    {"MouseScroll UP/DOWN +RightDown", "Moves the Call Flow view Left and Right"},
};
inline constexpr std::string_view Ok = "OK";

// The attached files.
inline constexpr std::string_view AttachTitle = "Attach Files";
inline constexpr std::string_view AttachedHeader = "Files currently attached";
inline constexpr std::string_view AttachBrowse = "&Browse";
inline constexpr std::string_view AttachRemove = "Remove";
inline constexpr std::string_view AttachSave = "Save Changes";
// Any file, extension or not.
inline constexpr std::string_view AllFilesFilter = "All Files (*)";

// The dialplan settings.
inline constexpr std::string_view AsteriskTitle = "Asterisk's Setting";
inline constexpr std::string_view SoundFilePath = "Sound File Path";
inline constexpr std::string_view TtsFilesPath = "TTSFiles Path";
inline constexpr std::string_view RecordFilePath = "Record File Path";
inline constexpr std::string_view ContextDestination = "Context Destination";
inline constexpr std::string_view ContextHint = "Must included in [ ]";
inline constexpr std::string_view AllowMonitor = "Allow IVR Monitor";
inline constexpr std::string_view AllowCallTracking = "Allow IVR Call Tracking";
inline constexpr std::string_view DialectLabel = "Dialplan for";
inline constexpr std::string_view ClassicDialect = "Asterisk 1.4 (classic)";
inline constexpr std::string_view ModernDialect = "Asterisk 18 and later";
inline constexpr std::string_view SavingSetting = "Saving Setting";
inline constexpr std::string_view SaveInServer = "Save in Asterisk Server";
inline constexpr std::string_view ServerIp = "ServerIP";
inline constexpr std::string_view ServerPort = "Server Port";
inline constexpr std::string_view ServerPath = "Path";

// The About box's line to the user guide.
inline constexpr std::string_view AboutGuide = "Read the user guide";

// Recovery of unsaved work after a run that did not end cleanly.
inline constexpr std::string_view RecoveryTitle = "Recover Unsaved Work";
inline constexpr std::string_view RecoveryIntro =
    "Vocara did not close normally. These flows had changes that were not saved:";
inline constexpr std::string_view RecoveryFileColumn = "File";
inline constexpr std::string_view RecoveryTimeColumn = "Last change";
inline constexpr std::string_view RecoveryNodesColumn = "Nodes";
inline constexpr std::string_view RecoveryRestore = "&Restore";
inline constexpr std::string_view RecoveryDiscard = "&Discard";
inline constexpr std::string_view RecoveryLater = "&Later";
inline constexpr std::string_view RecoveryHint =
    "Restore opens the chosen flow as unsaved work; Later keeps them for the next start.";
inline constexpr std::string_view RecoveryNothing = "No unsaved work is waiting to be recovered.";
inline constexpr std::string_view RecoveryUnavailable =
    "vocara: unsaved work cannot be kept for recovery: %s";

} // namespace vocara::Ui
