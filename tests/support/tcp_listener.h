#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace vocara::test {

// A listening socket on 127.0.0.1 at a port the system picks.
inline int listenOnLoopback(int &port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    port = ntohs(address.sin_port);
    ::listen(fd, 1);
    return fd;
}

// A listener on 127.0.0.1 that takes one connection and keeps every byte until it closes.
class Listener
{
public:
    Listener()
    {
        m_fd = listenOnLoopback(m_port);
        m_thread = std::thread([this] {
            const int client = ::accept(m_fd, nullptr, nullptr);
            char buffer[65536];
            for (ssize_t got; client >= 0 && (got = ::read(client, buffer, sizeof buffer)) > 0;)
                m_received.append(buffer, static_cast<size_t>(got));
            if (client >= 0)
                ::close(client);
        });
    }
    ~Listener()
    {
        ::shutdown(m_fd, SHUT_RDWR);
        if (m_thread.joinable())
            m_thread.join();
        ::close(m_fd);
    }
    std::string port() const { return std::to_string(m_port); }
    std::string received()
    {
        m_thread.join();
        return m_received;
    }

private:
    int m_fd = -1;
    int m_port = 0;
    std::thread m_thread;
    std::string m_received;
};

} // namespace vocara::test
