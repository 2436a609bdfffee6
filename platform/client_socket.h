#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

namespace vocara {

class TlsChannel;

// How a TLS handshake ended.
enum class TlsOutcome {
    Started,
    CaFileUnreadable, // the extra CA file could not be read
    NotVerified,      // the server's certificate or its name was not accepted
    Failed,           // the handshake broke off, timed out, or the peer is no TLS server
};

// A blocking TCP client with time-outs: a dead address or a stalled server costs seconds, not
// minutes, and a peer that hangs up never kills the program.
class ClientSocket
{
public:
    ClientSocket();
    ~ClientSocket();
    ClientSocket(const ClientSocket &) = delete;
    ClientSocket &operator=(const ClientSocket &) = delete;

    bool connect(const std::string &host, int port,
                 std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Sends every byte, however the kernel splits it; false on an error or a stall.
    bool sendAll(std::string_view bytes,
                 std::chrono::milliseconds timeout = std::chrono::seconds(30));
    // Waits up to `timeout` for bytes and appends what arrived: the count, 0 when the peer
    // closed, -1 on an error or when nothing came in time.
    long receive(std::string &into, std::chrono::milliseconds timeout);
    // Tells the peer nothing more will be sent; answers can still be received.
    void shutdownSending();
    void close();
    bool isConnected() const { return m_fd >= 0; }

    // Makes a TLS handshake on the connection, checking the server's certificate for `host`;
    // from then on sendAll and receive speak through it. `detail` says why when it fails, and
    // the connection is then closed.
    TlsOutcome startTls(const std::string &host, const std::string &caFile,
                        std::chrono::milliseconds timeout, std::string &detail);
    bool isEncrypted() const { return m_tls != nullptr; }
    // The protocol and cipher agreed ("TLSv1.3 TLS_AES_256_GCM_SHA384"), empty in clear.
    std::string tlsDescription() const;

private:
    int m_fd = -1;
    std::unique_ptr<TlsChannel> m_tls;
};

// The port of a setting: its leading digits, 0 when there are none, -1 beyond 65535.
int portFromText(std::string_view text);

} // namespace vocara
