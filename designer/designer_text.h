#pragma once

#include "document/node_kind.h"

#include <string_view>

// The designer's own texts: menus, prompts, titles, filters and messages, each once.
namespace vocara::Ui {

inline constexpr std::string_view AppName = "Vocara";
inline constexpr std::string_view AboutLine =
    "A designer for interactive voice response call flows: draw the flow, save it as a flow "
    "file or an Asterisk dialplan, and try it on the built-in simulator.";
inline constexpr std::string_view Untitled = "Untitled";

// The save question of the document framework, before a flow is replaced or closed.
inline constexpr std::string_view SaveChangesQuestion = "Save changes to %s?";

// Menus.
inline constexpr std::string_view FileMenu = "&File";
inline constexpr std::string_view EditMenu = "&Edit";
inline constexpr std::string_view ViewMenu = "&View";
inline constexpr std::string_view InsertMenu = "&Insert";
inline constexpr std::string_view NodesMenu = "&Nodes";
inline constexpr std::string_view SettingsMenu = "Settings";
inline constexpr std::string_view HelpMenu = "&Help";

inline constexpr std::string_view New = "&New";
inline constexpr std::string_view Open = "&Open...";
inline constexpr std::string_view Save = "&Save";
inline constexpr std::string_view SaveAs = "Save &As...";
inline constexpr std::string_view SimulatorStart = "Simulator Start";
inline constexpr std::string_view Export = "&Export";
inline constexpr std::string_view Import = "&Import";
inline constexpr std::string_view AttachFiles = "Attach Files";
inline constexpr std::string_view ExportImage = "Export Image...";
inline constexpr std::string_view Print = "&Print...";
inline constexpr std::string_view PrintPreview = "Print Pre&view";
inline constexpr std::string_view PrintSetup = "P&rint Setup...";
inline constexpr std::string_view Exit = "E&xit";

inline constexpr std::string_view Delete = "&Delete";
inline constexpr std::string_view UndoDelete = "&Undo Delete";
inline constexpr std::string_view Copy = "&Copy";
inline constexpr std::string_view Cut = "C&ut";
inline constexpr std::string_view Paste = "&Paste";

inline constexpr std::string_view Toolbar = "&Toolbar";
inline constexpr std::string_view StatusBar = "&Status Bar";
inline constexpr std::string_view Properties = "Properties";
inline constexpr std::string_view Variables = "Va&riables";
inline constexpr std::string_view Validation = "&Validation";

inline constexpr std::string_view SettingsSimulator = "Simulator";
inline constexpr std::string_view SettingsAsterisk = "Asterisk";
inline constexpr std::string_view SettingsCustomize = "Customize";

inline constexpr std::string_view HelpContains = "Contains";
inline constexpr std::string_view KeyboardShortcuts = "Keyboard Shortcuts";
inline constexpr std::string_view About = "&About Vocara...";

// The docking bars' titles.
inline constexpr std::string_view PropertiesBar = "Properties";
inline constexpr std::string_view VariableBar = "Variable";
inline constexpr std::string_view PropertiesPlaceholder = "Select a node to see its properties";
// When the property grid's plugin is missing or broken; the reason follows.
inline constexpr std::string_view PropertyGridMissing =
    "The property grid could not be loaded, so properties cannot be edited here: %s";
inline constexpr std::string_view PropertyGridClassId = "FIELDORA.FieldoraCtrl.1";
inline constexpr std::string_view PropertyGridFile = "libfieldora.so";

// The variables bar.
inline constexpr std::string_view VariableColumns[] = {"Variable", "Initialize To", "Description"};
inline constexpr int VariableColumnWidths[] = {130, 85, 85};
inline constexpr std::string_view VariableNameLabel = "Name";
inline constexpr std::string_view VariableValueLabel = "Value ";
inline constexpr std::string_view VariableDescriptionLabel = "Description ";
inline constexpr std::string_view VariableAdd = "Add";
inline constexpr std::string_view VariableModify = "Modify";
inline constexpr std::string_view VariableDelete = "Del";
inline constexpr std::string_view MainToolbarTitle = "Standard";
inline constexpr std::string_view NodeToolbarTitle = "Nodes";

// The canvas's right-click menu.
inline constexpr std::string_view CreateLinkToChild = "Create Link to Child";
inline constexpr std::string_view DeleteLinkToChild = "Delete Link to Child";
inline constexpr std::string_view SelectLinkToChild = "Select Link to Child";
inline constexpr std::string_view ContextCopy = "Copy";
inline constexpr std::string_view ContextCut = "Cut";
inline constexpr std::string_view ContextDelete = "Delete";
inline constexpr std::string_view ContextPaste = "Paste";
inline constexpr std::string_view Undo = "&Undo";
inline constexpr std::string_view Redo = "&Redo";

// Dialogs of the canvas.
inline constexpr std::string_view UserInputTitle = "User Input";
inline constexpr std::string_view UserInputDtmf = "DTMF";
inline constexpr std::string_view UserInputBranches = "Branchs";
inline constexpr std::string_view UserInputAsr = "ASR";
inline constexpr std::string_view SelectNodeNameTitle = "Select Node Name";
inline constexpr std::string_view LinkButton = "Link";
inline constexpr std::string_view CloseButton = "Close";

// Toolbar buttons of the main toolbar.
inline constexpr std::string_view ToolNew = "New";
inline constexpr std::string_view ToolOpen = "Open";
inline constexpr std::string_view ToolSave = "Save";
inline constexpr std::string_view ToolArrow = "Arrow";
inline constexpr std::string_view ToolDelete = "Delete";
inline constexpr std::string_view ToolStartSimulation = "Start Simulation";

// Insert > Nodes groups.
inline constexpr std::string_view SoundActions = "Sound Actions";
inline constexpr std::string_view ServerActions = "Server Actions";
inline constexpr std::string_view CallActions = "Call Actions";
inline constexpr std::string_view MathActions = "Math Actions";
inline constexpr std::string_view BroadcastActions = "BroadCast Actions";
inline constexpr std::string_view DataAccessActions = "Data Access Actions";
inline constexpr std::string_view GeneralActions = "Gernal Actions";
inline constexpr std::string_view ReadyMade = "ReadyMade";

// Status-bar prompts of the commands beside the node tools.
inline constexpr std::string_view NewPrompt = "Create a new flow";
inline constexpr std::string_view OpenPrompt = "Open an existing flow, script or dialplan";
inline constexpr std::string_view SavePrompt = "Save the active flow";
inline constexpr std::string_view SaveAsPrompt = "Save the active flow with a new name";
inline constexpr std::string_view ExportImagePrompt =
    "Save the canvas as a PNG, SVG or PDF picture";
inline constexpr std::string_view PrintPrompt = "Print the flow";
inline constexpr std::string_view PrintPreviewPrompt = "Display the flow's pages as printed";
inline constexpr std::string_view PrintSetupPrompt = "Change the printer and printing options";
inline constexpr std::string_view ExitPrompt = "Quit the application; prompts to save the flow";
inline constexpr std::string_view ToolbarPrompt = "Show or hide the toolbars";
inline constexpr std::string_view StatusBarPrompt = "Show or hide the status bar";
inline constexpr std::string_view PropertiesPrompt = "Show or hide the Properties bar";
inline constexpr std::string_view VariablesPrompt = "Show or hide the Variable bar";
inline constexpr std::string_view ValidationPrompt = "Check the flow for errors";
inline constexpr std::string_view ArrowPrompt = "Select nodes and links";
inline constexpr std::string_view AsteriskPrompt = "The flow's Asterisk settings";
inline constexpr std::string_view HelpPrompt = "Open the user guide";
inline constexpr std::string_view AboutPrompt = "Program information, version number and copyright";
inline constexpr std::string_view NextPanePrompt = "Switch to the next pane";
inline constexpr std::string_view PreviousPanePrompt = "Switch back to the previous pane";

// Messages of the frame.
inline constexpr std::string_view MustBeAsteriskMode = "Must be in asterisk mode";
inline constexpr std::string_view CantAddWhileSimulating =
    "Can not Add any node while simulator running";
inline constexpr std::string_view OutOfMemory = "The system is out of memory or resources.";
inline constexpr std::string_view InvalidExe = "The .exe file is invalid.";
inline constexpr std::string_view HelpFileNotFound = "The specified file was not found.";
inline constexpr std::string_view HelpPathNotFound = "The specified path was not found.";
inline constexpr std::string_view HelpAccessDenied =
    "The operating system denied access to the specified file";
inline constexpr std::string_view HelpFile = "IVR user guide_PDF_E.pdf";
inline constexpr std::string_view Ready = "Ready";

// File dialogs: a title and Qt's filter for each of the system's filters.
inline constexpr std::string_view OpenFilter =
    "QEN IVR Files (*.qfl);;QEN IVR Script Files (*.qsc);;Asterisk Files (*.conf)";
inline constexpr std::string_view FlowFilter = "QEN Files (*.qfl)";
inline constexpr std::string_view AsteriskFilter = "Asterisk Files (*.conf)";
inline constexpr std::string_view ScriptFilter = "QEN IVR Script Files (*.qsc)";
inline constexpr std::string_view ImageFilter =
    "PNG Image (*.png);;SVG Drawing (*.svg);;PDF Document (*.pdf)";

// Splash lines, one after the other.
inline constexpr std::string_view SplashLines[] = {
    "Loading Program Initializations ......", "Loading QEN Configuration ......",
    "Loading Asterisk Dailplan ......",       "Loading Simulator .....",
    "Loading Visual Settings ......",         "Loading Program Options ......",
    "Loading Graphical Interface .....",
};
inline constexpr std::string_view VersionPrefix = "V ";

// The per-user profile: recent files and bar sizes.
inline constexpr std::string_view ProfileKey =
    "Software\\Local AppWizard-Generated Applications\\Vocara";
inline constexpr std::string_view RecentFileList = "Recent File List";
inline constexpr std::string_view RecentFileValue = "File%d";
inline constexpr std::string_view BarSection = "%s-SCBar-%d";
inline constexpr std::string_view BarSizeValues[] = {"sizeHorzCX", "sizeHorzCY",  "sizeVertCX",
                                                     "sizeVertCY", "sizeFloatCX", "sizeFloatCY"};
inline constexpr int RecentFileCount = 4;

// One node command: its menu text, its toolbar tooltip and status-bar prompt.
struct NodeCommand
{
    NodeKind kind;
    std::string_view menuText;
    std::string_view prompt;
};

// In the node toolbar's order; the groups of Insert > Nodes follow the same order.
inline constexpr NodeCommand NodeCommands[] = {
    {Kind::PlayWave, "Play Wave", "Chooses a PlayWave Action that Plays Wave files to IVR users"},
    {Kind::PlayValue, "Play Value", "Chooses a PlayValue Action that speaks a value to IVR users"},
    {Kind::TTS, "TTS", "Chooses a TTS Action that reads a text aloud to IVR users"},
    {Kind::Run, "Run", "Chooses a Run Action that runs a program on the server"},
    {Kind::DbTransaction, "GetDBData", "Chooses a GetDBData Action that queries a database"},
    {Kind::Hang, "Hang up", "Chooses a Hang up Action that ends the call"},
    {Kind::UserInput, "GetDTMF", "Chooses a GetDTMF Action that reads the keys of IVR users"},
    {Kind::Transfer, "Transfer", "Chooses a Transfer Action that transfers the call"},
    {Kind::TransferPBX, "Transfer PBX",
     "Chooses a Transfer PBX Action that transfers the call "
     "through the PBX"},
    {Kind::Record, "Record", "Chooses a Record Action that records the voice of IVR users"},
    {Kind::SetVar, "SetVar", "Chooses a SetVar Action that sets a variable"},
    {Kind::Compare, "Compare", "Chooses a Compare Action that compares two values"},
    {Kind::Op, "Operation", "Chooses an Operation Action that computes a value"},
    {Kind::SendSMS, "Send SMS", "Chooses a Send SMS Action that sends a short message"},
    {Kind::SendFax, "Send Fax", "Chooses a Send Fax Action that sends a fax"},
    {Kind::SendMail, "Send Email", "Chooses a Send Email Action that sends an e-mail"},
    {Kind::CSConnection, "Client/Server",
     "Chooses a Client/Server Action that talks to a TCP "
     "server"},
    {Kind::REGEDIT, "Access Register",
     "Chooses an Access Register Action that reads or writes "
     "the registry"},
    {Kind::ACCESSFILES, "Access Files",
     "Chooses an Access Files Action that reads or writes "
     "files"},
    {Kind::MultiDTMF, "GetMultiDTMF", "Chooses a GetMultiDTMF Action that reads several keys"},
    {Kind::SendDTMF, "SendDTMF", "Chooses a SendDTMF Action that sends keys down the line"},
    {Kind::Wait, "Wait", "Chooses a Wait Action that pauses the call"},
};

// Where the node toolbar puts a separator: after these kinds.
inline constexpr NodeKind NodeGroupEnds[] = {Kind::TTS, Kind::Hang,     Kind::Record,
                                             Kind::Op,  Kind::SendMail, Kind::ACCESSFILES};

// ReadyMade samples: menu text and sample name.
struct SampleCommand
{
    std::string_view menuText;
    std::string_view sample;
};

inline constexpr SampleCommand ExtensionSamples[] = {{"In Qen Mode", "Extension(Qen)"},
                                                     {"In Asterisk Mode", "Extension(Asterisk)"}};
inline constexpr SampleCommand DatabaseSamples[] = {
    {"Select", "DBSelect"}, {"Insert", "DBInsert"}, {"Update", "DBUpdate"}, {"Delete", "DBDelete"}};
inline constexpr SampleCommand OtherSamples[] = {{"GetPassword", "GetPassword"},
                                                 {"GetPassword(Extened)", "GetPasswordExtened"},
                                                 {"Support", "Support"},
                                                 {"Bye", "Bye"}};
inline constexpr SampleCommand HelloWorldSample = {"Hello World", "Helloworld"};
inline constexpr SampleCommand RecordSample = {"Record", "Record"};
inline constexpr std::string_view ExtensionMenu = "Extension Menu";
inline constexpr std::string_view DatabaseMenu = "Database";
inline constexpr std::string_view BrowseSamples = "Browse..........";
inline constexpr std::string_view RecentFilesMenu = "Recent Files";

// Tool codes beside the node kinds.
inline constexpr int ToolSample = 48;
inline constexpr int ToolPointer = 50;

} // namespace vocara::Ui
