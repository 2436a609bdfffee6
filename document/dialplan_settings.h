#pragma once

#include <string>

namespace vocara {

// How a flow becomes a dialplan on the Asterisk server, edited in the Asterisk settings dialog
// and stored in the flow file.
struct DialplanSettings
{
    std::string SoundFilePath;
    std::string RecordedPath;
    std::string TTSFilesPath;
    std::string ContextDest;
    bool AllowIVRMonitor = false;
    bool AllowIVRCallTracking = false;
    bool CheckServerSave = false;
    std::string ServerIP;
    std::string ServerPort;
    std::string ServerPath;

    bool operator==(const DialplanSettings &) const = default;
};

} // namespace vocara
