#include "dialplan/client_socket.h"

#include "dialplan/messages.h"
#include "document/user_dialogs.h"
#include "platform/atomic_file.h"

#include <thread>

namespace vocara {

namespace {

constexpr size_t ChunkSize = 1024;

} // namespace

bool SaveToServer(const std::string &ip, const std::string &port, const std::string &remotePath,
                  const std::string &localPath, UserDialogs &dialogs, const Pause &pause)
{
    const Pause wait = pause ? pause : [](std::chrono::milliseconds ms) {
        std::this_thread::sleep_for(ms);
    };
    // An unreadable file is not sent: an empty upload would replace the dialplan on the server.
    const std::optional<std::string> file =
        localPath.size() > 1 ? readWholeFile(localPath) : std::nullopt;
    if (!file)
        return false;
    const std::string text = file->substr(0, file->find('\0'));

    ClientSocket socket;
    if (!socket.connect(ip, portFromText(port))) {
        dialogs.error(DialplanText::CantConnect);
        return false;
    }
    if (!socket.sendAll("FILEWRITE:" + remotePath + ";BEGIN"))
        return false;
    wait(std::chrono::milliseconds(1000));
    for (size_t at = 0; at < text.size(); at += ChunkSize) {
        if (!socket.sendAll(std::string_view(text).substr(at, ChunkSize)))
            return false;
    }
    wait(std::chrono::milliseconds(1000));
    return socket.sendAll("FILEWRITE:" + remotePath + ";FINISH");
}

} // namespace vocara
