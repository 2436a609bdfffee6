#pragma once

#include "document/document_observer.h"

#include <optional>
#include <string>
#include <string_view>

namespace vocara {

// Element and attribute names of flow files.
namespace FlowXml {
inline constexpr const char *Root = "QenIvr";
inline constexpr const char *Start = "Start";
inline constexpr const char *Orphans = "Orphans";
inline constexpr const char *Variables = "Variables";
inline constexpr const char *Var = "Var";
inline constexpr const char *Settings = "Settings";
inline constexpr const char *Set = "Set";
// On the settings element, only when the dialplan is written for today's Asterisk.
inline constexpr const char *DialectAttribute = "dialect";
inline constexpr const char *ModernDialect = "modern";
inline constexpr const char *Files = "Files";
inline constexpr const char *File = "File";
inline constexpr const char *BranchTo = "BranchTo";
inline constexpr const char *Version = "3";
inline constexpr const char *CrossLinkName = "To";

// The text of a new flow.
inline constexpr std::string_view DefaultText =
    R"(<?xml standalone="no" ?><QenIvr><Start timeout="5" date="dd/mm/yyyy" version="3"/>)"
    R"(<Orphans/><Variables><Var name="lang" default="Arabic" desc=""/></Variables>)"
    R"(<Settings><Set name="lang" default="Arabic"/></Settings><Files/></QenIvr>)";
} // namespace FlowXml

// File names and dialog texts of the open and save commands.
namespace FlowFiles {
inline constexpr std::string_view FlowExtension = ".qfl";
inline constexpr std::string_view ScriptExtension = ".qsc";
inline constexpr std::string_view ContextExtension = ".conf";
inline constexpr std::string_view AsteriskFlowMarker = ".asterisk.qfl";
inline constexpr std::string_view FlowUntitled = "Untitled.qfl";
inline constexpr std::string_view ContextUntitled = "Untitled.conf";
inline constexpr std::string_view FlowFilter = "QEN Files (*.qfl)|*.qfl|";
inline constexpr std::string_view ContextFilter = "Asterisk Files (*.conf)|*.conf|";
inline constexpr std::string_view FlowAutosave = "autosave.qfl";
inline constexpr std::string_view ContextAutosave = "autosave.conf";
inline constexpr std::string_view ExtractedFlow = "temp.qfl";
inline constexpr std::string_view ScriptFolder = "Samples/Scripts";
} // namespace FlowFiles

// How a stored value is written into its attribute, and read back.
std::string encodeValue(std::string_view key, std::string_view stored);
std::string decodeValue(std::string_view label, std::string_view text);

// Turns a password into its stored form and back (the same operation both ways). Every key
// byte is below 8, so printable text stays printable and never turns into a NUL.
std::string scramblePassword(std::string_view text);

// The mode a file opens in: asterisk for ".conf", flow for ".qfl" and ".qsc", none otherwise
// (extensions compared without regard to case).
DocumentMode modeForPath(std::string_view path);
// The document title: the file name without its folders.
std::string titleForPath(std::string_view path);
// Where an asterisk-mode save writes: the path with a final ".qfl" replaced by ".conf".
std::string contextFilePath(std::string_view path);

struct SaveAsDefaults
{
    std::string_view fileName;
    std::string_view filter;
    std::string_view extension;
};
// What the Save As dialog offers; nothing in neither mode (such a document is not saved).
std::optional<SaveAsDefaults> saveAsDefaults(DocumentMode mode);
// The chosen name, with the mode's extension appended when it does not contain it.
std::string withSaveExtension(std::string_view name, DocumentMode mode);
// A script name completed to the samples folder unless it already names a script file.
std::string scriptFilePath(std::string_view name, std::string_view installFolder);

} // namespace vocara
