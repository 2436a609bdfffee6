#pragma once

#include "tests/support/tcp_listener.h"

#include <chrono>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace vocara::test {

// A peer on 127.0.0.1 that answers each line it reads with the next canned reply, and hangs
// up when the replies run out.
class CannedPeer
{
public:
    explicit CannedPeer(std::vector<std::string> replies)
    {
        m_fd = test::listenOnLoopback(m_port);
        m_thread = std::thread([this, replies] {
            const int client = ::accept(m_fd, nullptr, nullptr);
            if (client < 0)
                return;
            size_t next = 0;
            if (next < replies.size())
                ::send(client, replies[next].data(), replies[next].size(), MSG_NOSIGNAL), ++next;
            std::string seen;
            char c;
            while (next < replies.size() && ::read(client, &c, 1) == 1) {
                seen += c;
                if (seen.ends_with("\r\n")) {
                    ::send(client, replies[next].data(), replies[next].size(), MSG_NOSIGNAL);
                    ++next;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            ::close(client);
        });
    }
    ~CannedPeer()
    {
        ::shutdown(m_fd, SHUT_RDWR);
        m_thread.join();
        ::close(m_fd);
    }
    int port() const { return m_port; }

private:
    int m_fd = -1;
    int m_port = 0;
    std::thread m_thread;
};

} // namespace vocara::test
