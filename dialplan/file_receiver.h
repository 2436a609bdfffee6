#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vocara {

// The server side of save-to-server: takes "FILEWRITE:<path>;BEGIN", the file, and
// "FILEWRITE:<path>;FINISH" on one connection, stores the file under its root folder, and
// answers "success" or "fail". Paths never leave the root; files appear whole or not at all.
class FileReceiver
{
public:
    struct Options
    {
        std::filesystem::path root;
        std::uintmax_t maxBytes = 16u * 1024 * 1024;
        std::chrono::milliseconds idleTimeout = std::chrono::seconds(30);
    };

    struct Transfer
    {
        std::string peer;
        std::string path; // as announced
        std::uintmax_t bytes = 0;
        bool stored = false;
    };

    explicit FileReceiver(Options options);
    ~FileReceiver();
    FileReceiver(const FileReceiver &) = delete;
    FileReceiver &operator=(const FileReceiver &) = delete;

    // Listens on address:port (port 0 picks a free one); false with the reason.
    bool listen(const std::string &address, int port, std::string *error = nullptr);
    int port() const { return m_port; }

    // Takes one connection and handles it whole; false when the wait was stopped or failed.
    bool serveOne(Transfer &transfer);
    // Ends a serveOne that waits for a connection, from another thread.
    void stop() { m_stopping = true; }

    // Where an announced path is stored, or nothing when it would leave the root.
    std::optional<std::filesystem::path> storagePath(std::string_view announced) const;

private:
    bool receive(int fd, Transfer &transfer);

    Options m_options;
    std::filesystem::path m_root;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
};

} // namespace vocara
