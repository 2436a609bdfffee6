#pragma once

#include <string_view>

// The simulator window's and its settings dialog's texts, shown exactly as written here.
namespace vocara::Ui {

inline constexpr std::string_view SimulatorTitle = "Simulator";
inline constexpr std::string_view StartSimulation = "Start Simulation";
inline constexpr std::string_view HangUp = "Hang Up";
inline constexpr std::string_view SimulatorSettingsTip = "Simulator Settings";
inline constexpr std::string_view CloseTip = "Close";
inline constexpr std::string_view HideTree = "<<";
inline constexpr std::string_view ShowTree = ">>";
inline constexpr std::string_view TreeToggleTip = "Show/Hide Tracing Tree";
inline constexpr std::string_view NotAValidFile = "This Is not a Vaild File";
inline constexpr std::string_view FileMustBeSaved = "The File Must be Saved";
inline constexpr std::string_view FileChangedSave = "The File had Changed (Do You Want Save It)";
// The status line under the tree: the running node, then the keys of this call.
inline constexpr std::string_view CallStatus = "%s    Keys: %s";

// The keypad as on a telephone: each key's caption and the letters under it.
struct PhoneKey
{
    std::string_view key;
    std::string_view letters;
};
inline constexpr PhoneKey PhoneKeys[] = {
    {"1", ""},     {"2", "ABC"}, {"3", "DEF"},  {"4", "GHI"}, {"5", "JKL"}, {"6", "MNO"},
    {"7", "PQRS"}, {"8", "TUV"}, {"9", "WXYZ"}, {"*", ""},    {"0", "+"},   {"#", ""},
};

// The settings dialog.
inline constexpr std::string_view SimulatorSettingsTitle = "Simulator Settings";
inline constexpr std::string_view TtsDsnConnection = "TTS DSN Connection:";
inline constexpr std::string_view SimulatorSpeed = "Simulator Speed:";
inline constexpr std::string_view MilliSeconds = "MilliSec.";
inline constexpr std::string_view MailServerNameLabel = "Mial Server Name *";
inline constexpr std::string_view MailUserNameLabel = "Mail UserName *";
inline constexpr std::string_view MailPasswordLabel = "Mail Password *";
inline constexpr std::string_view MailFromLabel = "Mail From Account Name";
inline constexpr std::string_view RequiredFields = "*  Required Fields";
inline constexpr std::string_view MailCaFileLabel = "Mail CA File";
inline constexpr std::string_view MailCaFileBrowse = "Bro&wse...";
inline constexpr std::string_view MailCaFileFilter =
    "Certificates (*.pem *.crt *.cer);;All Files (*)";
inline constexpr std::string_view MailServerHint =
    "host, host:port, smtps://host for TLS from the start, or smtp+starttls://host to require "
    "STARTTLS (port 465: TLS from the start; port 587: STARTTLS required)";
inline constexpr std::string_view MailCaFileHint =
    "Optional: a CA certificate file (PEM) for a private mail server. The system's trusted "
    "authorities are always used, and certificates are always checked.";
inline constexpr std::string_view MailCaFileUnreadable = "The mail CA file cannot be read: %s";
// Why the settings could not be kept (after the store's folder in the settings' message).
inline constexpr std::string_view SettingsStoreNotWritten =
    "the registry store could not be written";

} // namespace vocara::Ui
