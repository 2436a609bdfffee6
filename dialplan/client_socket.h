#pragma once

#include "platform/client_socket.h"

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace vocara {

class UserDialogs;

using Pause = std::function<void(std::chrono::milliseconds)>;

// Sends the local file to the server program: "FILEWRITE:<path>;BEGIN", a second, the bytes in
// chunks of 1,024, a second, "FILEWRITE:<path>;FINISH". False when the file cannot be read,
// the server cannot be reached ("Can Not Connect to The Server") or a send fails.
bool SaveToServer(const std::string &ip, const std::string &port, const std::string &remotePath,
                  const std::string &localPath, UserDialogs &dialogs, const Pause &pause = {});

} // namespace vocara
