#include "platform/client_socket.h"

#include "platform/tls_channel.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vocara {

namespace {

int remaining(std::chrono::steady_clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

} // namespace

bool waitForSocket(int fd, short events, std::chrono::steady_clock::time_point deadline)
{
    pollfd entry{fd, events, 0};
    for (;;) {
        const int ready = ::poll(&entry, 1, remaining(deadline));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

ClientSocket::ClientSocket() = default;

ClientSocket::~ClientSocket()
{
    close();
}

void ClientSocket::shutdownSending()
{
    if (m_tls)
        m_tls->shutdown();
    if (m_fd >= 0)
        ::shutdown(m_fd, SHUT_WR);
}

void ClientSocket::close()
{
    if (m_tls)
        m_tls->shutdown();
    m_tls.reset();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool ClientSocket::connect(const std::string &host, int port, std::chrono::milliseconds timeout)
{
    close();
    if (port <= 0 || port > 65535)
        return false;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (addrinfo *address = found; address && m_fd < 0; address = address->ai_next) {
        const int fd =
            ::socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                     address->ai_protocol);
        if (fd < 0)
            continue;
        bool connected = ::connect(fd, address->ai_addr, address->ai_addrlen) == 0;
        if (!connected && errno == EINPROGRESS && waitForSocket(fd, POLLOUT, deadline)) {
            int error = 0;
            socklen_t length = sizeof error;
            connected = ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
        }
        if (connected)
            m_fd = fd;
        else
            ::close(fd);
    }
    ::freeaddrinfo(found);
    return m_fd >= 0;
}

bool ClientSocket::sendAll(std::string_view bytes, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    if (m_tls)
        return m_tls->sendAll(bytes, deadline);
    while (!bytes.empty()) {
        if (m_fd < 0)
            return false;
        const ssize_t sent = ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            bytes.remove_prefix(static_cast<size_t>(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) &&
            waitForSocket(m_fd, POLLOUT, deadline))
            continue;
        return false;
    }
    return true;
}

long ClientSocket::receive(std::string &into, std::chrono::milliseconds timeout)
{
    if (m_tls)
        return m_tls->receive(into, std::chrono::steady_clock::now() + timeout);
    if (m_fd < 0 || !waitForSocket(m_fd, POLLIN, std::chrono::steady_clock::now() + timeout))
        return -1;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (got >= 0) {
            into.append(buffer, static_cast<size_t>(got));
            return got;
        }
        if (errno != EINTR)
            return -1;
    }
}

TlsOutcome ClientSocket::startTls(const std::string &host, const std::string &caFile,
                                  std::chrono::milliseconds timeout, std::string &detail)
{
    if (m_fd < 0) {
        detail = std::strerror(ENOTCONN);
        return TlsOutcome::Failed;
    }
    const TlsOutcome outcome = TlsChannel::start(m_fd, host, caFile, timeout, m_tls, detail);
    if (outcome != TlsOutcome::Started)
        close();
    return outcome;
}

std::string ClientSocket::tlsDescription() const
{
    return m_tls ? m_tls->description() : std::string();
}

int portFromText(std::string_view text)
{
    long port = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        port = port * 10 + (c - '0');
        if (port > 65535)
            return -1;
    }
    return static_cast<int>(port);
}

} // namespace vocara
