#include "dialplan/file_receiver.h"

#include "dialplan/messages.h"
#include "platform/atomic_file.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vocara {

namespace {

constexpr std::string_view Prefix = "FILEWRITE:";
constexpr std::string_view Begin = ";BEGIN";
constexpr std::string_view Finish = ";FINISH";
constexpr size_t MaxAnnouncedPath = 4096;

std::string peerName(const sockaddr_storage &address)
{
    char host[NI_MAXHOST] = "";
    char service[NI_MAXSERV] = "";
    ::getnameinfo(reinterpret_cast<const sockaddr *>(&address), sizeof address, host, sizeof host,
                  service, sizeof service, NI_NUMERICHOST | NI_NUMERICSERV);
    return std::string(host) + ":" + service;
}

bool isInside(const std::filesystem::path &path, const std::filesystem::path &root)
{
    auto p = path.begin();
    for (auto r = root.begin(); r != root.end(); ++r, ++p) {
        if (p == path.end() || *p != *r)
            return false;
    }
    return true;
}

} // namespace

FileReceiver::FileReceiver(Options options)
    : m_options(std::move(options))
{
    std::error_code ec;
    m_root = std::filesystem::weakly_canonical(std::filesystem::absolute(m_options.root, ec), ec);
}

FileReceiver::~FileReceiver()
{
    if (m_listener >= 0)
        ::close(m_listener);
}

bool FileReceiver::listen(const std::string &address, int port, std::string *error)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo *found = nullptr;
    const int status = ::getaddrinfo(address.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (status != 0) {
        if (error)
            *error = ::gai_strerror(status);
        return false;
    }
    int code = 0;
    for (addrinfo *a = found; a && m_listener < 0; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0)
            continue;
        const int yes = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        if (::bind(fd, a->ai_addr, a->ai_addrlen) == 0 && ::listen(fd, 8) == 0) {
            m_listener = fd;
        } else {
            code = errno;
            ::close(fd);
        }
    }
    ::freeaddrinfo(found);
    if (m_listener < 0) {
        if (error)
            *error = std::strerror(code);
        return false;
    }
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&bound), &length);
    m_port = bound.ss_family == AF_INET6
                 ? ntohs(reinterpret_cast<sockaddr_in6 *>(&bound)->sin6_port)
                 : ntohs(reinterpret_cast<sockaddr_in *>(&bound)->sin_port);
    return true;
}

std::optional<std::filesystem::path> FileReceiver::storagePath(std::string_view announced) const
{
    std::filesystem::path relative = std::filesystem::path(announced).relative_path();
    if (relative.empty() || !relative.has_filename())
        return std::nullopt;
    for (const auto &part : relative) {
        if (part == "..")
            return std::nullopt;
    }
    const std::filesystem::path target = m_root / relative;
    std::error_code ec;
    // Links on the way could point anywhere: what the folders really are must stay inside.
    const std::filesystem::path folder =
        std::filesystem::weakly_canonical(target.parent_path(), ec);
    if (ec || !isInside(folder, m_root))
        return std::nullopt;
    if (std::filesystem::is_symlink(target, ec))
        return std::nullopt;
    return folder / target.filename();
}

bool FileReceiver::serveOne(Transfer &transfer)
{
    transfer = {};
    while (!m_stopping) {
        pollfd entry{m_listener, POLLIN, 0};
        const int ready = ::poll(&entry, 1, 200);
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready <= 0)
            continue;
        sockaddr_storage peer{};
        socklen_t length = sizeof peer;
        const int fd =
            ::accept4(m_listener, reinterpret_cast<sockaddr *>(&peer), &length, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        transfer.peer = peerName(peer);
        transfer.stored = receive(fd, transfer);
        const std::string_view answer =
            transfer.stored ? DialplanText::ReceiverSuccess : DialplanText::ReceiverFail;
        ::send(fd, answer.data(), answer.size(), MSG_NOSIGNAL);
        ::close(fd);
        return true;
    }
    return false;
}

bool FileReceiver::receive(int fd, Transfer &transfer)
{
    std::string data;
    std::string finish;
    const size_t limit = static_cast<size_t>(m_options.maxBytes) + 2 * (MaxAnnouncedPath + 32);
    char buffer[4096];
    for (;;) {
        pollfd entry{fd, POLLIN, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(m_options.idleTimeout.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false; // idle too long
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        data.append(buffer, static_cast<size_t>(got));
        if (data.size() > limit)
            return false;
        if (finish.empty()) {
            if (data.size() >= Prefix.size() && !data.starts_with(Prefix))
                return false;
            const size_t begin = data.find(Begin);
            if (begin == std::string::npos) {
                if (data.size() > Prefix.size() + MaxAnnouncedPath)
                    return false;
                continue;
            }
            transfer.path = data.substr(Prefix.size(), begin - Prefix.size());
            finish = std::string(Prefix) + transfer.path + std::string(Finish);
        }
        if (data.size() >= Prefix.size() + transfer.path.size() + Begin.size() + finish.size() &&
            data.ends_with(finish))
            break;
    }
    if (finish.empty() || !data.ends_with(finish))
        return false; // the connection dropped before the file was complete
    const size_t start = Prefix.size() + transfer.path.size() + Begin.size();
    if (data.size() < start + finish.size())
        return false;
    const std::string_view content =
        std::string_view(data).substr(start, data.size() - start - finish.size());
    transfer.bytes = content.size();
    if (content.size() > m_options.maxBytes)
        return false;
    const std::optional<std::filesystem::path> target = storagePath(transfer.path);
    if (!target)
        return false;
    std::error_code ec;
    std::filesystem::create_directories(target->parent_path(), ec);
    // Created folders are checked again: nothing may have turned into a link meanwhile.
    if (ec || !storagePath(transfer.path))
        return false;
    return writeFileAtomically(*target, content);
}

} // namespace vocara
