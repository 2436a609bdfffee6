#pragma once

#include "platform/client_socket.h"

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

namespace vocara {

// Waits until the socket is ready for `events` (poll's flags) or the deadline passes.
bool waitForSocket(int fd, short events, std::chrono::steady_clock::time_point deadline);

// TLS over a connected socket the channel does not own. The server's certificate is checked
// against the system's trust store (plus an optional extra CA file) and the host name, and
// there is no way to turn that off. Writes never raise SIGPIPE.
class TlsChannel
{
public:
    ~TlsChannel();
    TlsChannel(const TlsChannel &) = delete;
    TlsChannel &operator=(const TlsChannel &) = delete;

    // Makes the handshake; on failure `channel` stays empty and `detail` says why.
    static TlsOutcome start(int fd, const std::string &host, const std::string &caFile,
                            std::chrono::milliseconds timeout, std::unique_ptr<TlsChannel> &channel,
                            std::string &detail);

    bool sendAll(std::string_view bytes, std::chrono::steady_clock::time_point deadline);
    long receive(std::string &into, std::chrono::steady_clock::time_point deadline);
    // The protocol and cipher agreed, e.g. "TLSv1.3 TLS_AES_256_GCM_SHA384".
    std::string description() const;
    // Sends the closing alert, without waiting for the peer's.
    void shutdown();

private:
    struct Handles;
    explicit TlsChannel(std::unique_ptr<Handles> handles, int fd);
    std::unique_ptr<Handles> m_handles;
    int m_fd;
};

} // namespace vocara
