// Feeds arbitrary bytes to the save-to-server receiver through a socket pair, as a peer would
// send them, and checks that it answers and that nothing lands outside its root.
#include "dialplan/file_receiver.h"
#include "fuzz/fuzz_folder.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A socket pair holds this much without a reader.
    if (size > 64 * 1024)
        return 0;
    const std::filesystem::path root = fuzzFolder() / "root";
    std::filesystem::create_directories(root);
    vocara::FileReceiver::Options options;
    options.root = root;
    options.maxBytes = 16 * 1024;
    options.idleTimeout = std::chrono::milliseconds(10);
    options.transferTimeout = std::chrono::milliseconds(100);
    vocara::FileReceiver receiver(options);

    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0)
        std::abort();
    if (size > 0 && ::send(fds[1], data, size, MSG_NOSIGNAL) != static_cast<ssize_t>(size))
        std::abort();
    ::shutdown(fds[1], SHUT_WR);
    const vocara::FileReceiver::Transfer transfer = receiver.handle(fds[0], "fuzz");
    char answer[16];
    const ssize_t got = ::recv(fds[1], answer, sizeof answer, 0);
    ::close(fds[1]);
    const std::string_view said(answer, got > 0 ? static_cast<size_t>(got) : 0);
    if (said != (transfer.stored ? "success" : "fail") || !transfer.failure.empty())
        std::abort();
    // Only the root may have changed.
    for (const auto &entry : std::filesystem::directory_iterator(fuzzFolder()))
        if (entry.path() != root)
            std::abort();
    std::filesystem::remove_all(root);
    return 0;
}
