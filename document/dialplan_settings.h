#pragma once

#include <string>

namespace vocara {

// Which Asterisk a dialplan is written for: "classic" is the syntax of Asterisk 1.4 that stored
// files and the server-side script were made for; "modern" is what Asterisk 18 and later load.
enum class DialplanDialect { Classic, Modern };

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
    DialplanDialect Dialect = DialplanDialect::Classic;

    bool operator==(const DialplanSettings &) const = default;
};

} // namespace vocara
