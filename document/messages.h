#pragma once

#include <string_view>

// The flow document's own texts, shown to the user exactly as written here.
namespace vocara::Msg {

inline constexpr std::string_view CloseSimulationWindow = "Please Close The Simulation Window";
inline constexpr std::string_view CantLinkToItself = "Can't Link this Node To ItSelf";
inline constexpr std::string_view CantLinkBuiltInChildren =
    "Can't Link this Node, It has its built in Children";
inline constexpr std::string_view NodeAlreadyHasChild = "Node already has a Child";

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
