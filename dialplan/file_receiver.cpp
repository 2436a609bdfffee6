#include "dialplan/file_receiver.h"

#include "dialplan/messages.h"
#include "dialplan/transfer_stream.h"
#include "platform/atomic_file.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace vocara {

namespace {

// How often a wait looks whether the receiver was stopped.
constexpr std::chrono::milliseconds StopCheck(200);

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
        if (::bind(fd, a->ai_addr, a->ai_addrlen) == 0 && ::listen(fd, SOMAXCONN) == 0) {
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

int FileReceiver::acceptPeer(std::string &peer)
{
    pollfd entry{m_listener, POLLIN, 0};
    const int ready = ::poll(&entry, 1, static_cast<int>(StopCheck.count()));
    if (ready < 0)
        return errno == EINTR ? -1 : -2;
    if (ready == 0)
        return -1;
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    const int fd =
        ::accept4(m_listener, reinterpret_cast<sockaddr *>(&address), &length, SOCK_CLOEXEC);
    if (fd < 0) {
        // Out of descriptors or memory: give the transfers under way time to end.
        if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
            ::poll(nullptr, 0, 100);
        return -1;
    }
    peer = peerName(address);
    return fd;
}

bool FileReceiver::serve(const Report &report)
{
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::pair<int, std::string>> waiting;
    int busy = 0; // accepted and not yet answered
    bool done = false;
    std::mutex reporting;
    const int slots = std::max(1, m_options.maxConnections);

    auto work = [&] {
        for (;;) {
            std::pair<int, std::string> next;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return done || !waiting.empty(); });
                if (waiting.empty())
                    return;
                next = std::move(waiting.front());
                waiting.pop_front();
            }
            const Transfer transfer = handle(next.first, std::move(next.second));
            if (report) {
                std::lock_guard lock(reporting);
                report(transfer);
            }
            {
                std::lock_guard lock(mutex);
                --busy;
            }
            changed.notify_all();
        }
    };
    std::vector<std::thread> workers;
    workers.reserve(static_cast<size_t>(slots));
    for (int i = 0; i < slots; ++i)
        workers.emplace_back(work);

    bool ok = true;
    while (!m_stopping) {
        {
            std::unique_lock lock(mutex);
            if (!changed.wait_for(lock, StopCheck, [&] { return busy < slots; }))
                continue;
        }
        std::string peer;
        const int fd = acceptPeer(peer);
        if (fd == -2) {
            ok = false;
            break;
        }
        if (fd < 0)
            continue;
        {
            std::lock_guard lock(mutex);
            waiting.emplace_back(fd, std::move(peer));
            ++busy;
        }
        changed.notify_all();
    }
    {
        std::lock_guard lock(mutex);
        done = true;
    }
    changed.notify_all();
    for (std::thread &worker : workers)
        worker.join();
    return ok;
}

bool FileReceiver::serveOne(Transfer &transfer)
{
    transfer = {};
    while (!m_stopping) {
        std::string peer;
        const int fd = acceptPeer(peer);
        if (fd == -2)
            return false;
        if (fd >= 0) {
            transfer = handle(fd, std::move(peer));
            return true;
        }
    }
    return false;
}

FileReceiver::Transfer FileReceiver::handle(int fd, std::string peer)
{
    Transfer transfer;
    try {
        transfer.peer = std::move(peer);
        transfer.stored = receive(fd, transfer);
    } catch (const std::exception &error) {
        transfer.stored = false;
        transfer.failure = error.what();
    } catch (...) {
        transfer.stored = false;
        transfer.failure = "unknown error";
    }
    const std::string_view answer =
        transfer.stored ? DialplanText::ReceiverSuccess : DialplanText::ReceiverFail;
    ::send(fd, answer.data(), answer.size(), MSG_NOSIGNAL);
    ::close(fd);
    return transfer;
}

int FileReceiver::waitReadable(int fd, Clock::time_point until) const
{
    for (;;) {
        if (m_stopping)
            return -1;
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0)
            return 0;
        pollfd entry{fd, POLLIN, 0};
        const int ready =
            ::poll(&entry, 1, static_cast<int>(std::min<long long>(left, StopCheck.count())));
        if (ready > 0)
            return 1;
        if (ready < 0 && errno != EINTR)
            return -1;
    }
}

bool FileReceiver::receive(int fd, Transfer &transfer)
{
    TransferStream stream(m_options.maxBytes);
    const Clock::time_point deadline = Clock::now() + m_options.transferTimeout;
    Clock::time_point quietUntil = deadline;
    Clock::time_point idleUntil = Clock::now() + m_options.idleTimeout;
    std::vector<char> buffer(16384);
    for (;;) {
        // Once the bytes form a whole transfer, a short silence (or the peer closing) ends it.
        const bool whole = stream.complete();
        const int ready = waitReadable(fd, std::min(deadline, whole ? quietUntil : idleUntil));
        if (ready < 0)
            return false;
        if (ready == 0) {
            if (whole)
                break;
            return false; // silent too long, or the whole transfer took too long
        }
        const ssize_t got = ::recv(fd, buffer.data(), buffer.size(), 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break; // the peer is done sending
        const bool taken = stream.append(std::string_view(buffer.data(), static_cast<size_t>(got)));
        if (transfer.path.empty() && stream.headerComplete())
            transfer.path = stream.path();
        if (!taken)
            return false;
        idleUntil = Clock::now() + m_options.idleTimeout;
        quietUntil = Clock::now() + m_options.finishQuiet;
    }
    if (!stream.complete())
        return false; // the connection dropped before the file was complete
    transfer.bytes = stream.content().size();
    return store(transfer.path, stream.content());
}

bool FileReceiver::store(std::string_view path, std::string_view content)
{
    const std::optional<std::filesystem::path> target = storagePath(path);
    if (!target)
        return false;
    std::error_code ec;
    std::filesystem::create_directories(target->parent_path(), ec);
    // Created folders are checked again: nothing may have turned into a link meanwhile.
    if (ec || !storagePath(path))
        return false;
    return writeFileAtomically(*target, content);
}

} // namespace vocara
