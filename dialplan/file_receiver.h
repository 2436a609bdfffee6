#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vocara {

// The server side of save-to-server: takes "FILEWRITE:<path>;BEGIN", the file, and
// "FILEWRITE:<path>;FINISH" on one connection, stores the file under its root folder, and
// answers "success" or "fail". Paths never leave the root; files appear whole or not at all.
// Several transfers are served at once, each within a deadline and a size limit, so that a
// slow or silent peer holds only its own connection.
class FileReceiver
{
public:
    struct Options
    {
        std::filesystem::path root;
        std::uintmax_t maxBytes = 16u * 1024 * 1024;
        // The longest silence between two reads.
        std::chrono::milliseconds idleTimeout = std::chrono::seconds(30);
        // The longest a whole transfer may take, from the connection on.
        std::chrono::milliseconds transferTimeout = std::chrono::minutes(2);
        // Transfers served at once; further peers wait to be accepted.
        int maxConnections = 16;
        // After the finish line, how long more bytes may still follow: a finish line inside
        // the file is only one when the peer then stops sending (or closes).
        std::chrono::milliseconds finishQuiet = std::chrono::milliseconds(250);
    };

    struct Transfer
    {
        std::string peer;
        std::string path; // as announced
        std::uintmax_t bytes = 0;
        bool stored = false;
        std::string failure; // an unexpected error that ended the connection
    };
    using Report = std::function<void(const Transfer &)>;

    explicit FileReceiver(Options options);
    ~FileReceiver();
    FileReceiver(const FileReceiver &) = delete;
    FileReceiver &operator=(const FileReceiver &) = delete;

    // Listens on address:port (port 0 picks a free one); false with the reason.
    bool listen(const std::string &address, int port, std::string *error = nullptr);
    int port() const { return m_port; }

    // Serves connections until stop(), up to maxConnections at once, and reports each
    // transfer when it ends (one report at a time, from the thread that served it). Returns
    // when every transfer under way has ended; false when waiting for peers failed.
    bool serve(const Report &report);
    // Takes one connection and handles it whole; false when the wait was stopped or failed.
    bool serveOne(Transfer &transfer);
    // Ends serve or serveOne, from any thread; transfers under way are dropped.
    void stop() { m_stopping = true; }

    // Handles one connected stream socket whole: reads the transfer, stores the file, answers
    // and closes `fd`. Nothing it meets escapes as an exception.
    Transfer handle(int fd, std::string peer);

    // Where an announced path is stored, or nothing when it would leave the root.
    std::optional<std::filesystem::path> storagePath(std::string_view announced) const;

private:
    using Clock = std::chrono::steady_clock;

    // A connection's socket, or -1 when none came in time, -2 when waiting failed.
    int acceptPeer(std::string &peer);
    // 1 when fd has bytes (or its end), 0 at `until`, -1 when stopped or failed.
    int waitReadable(int fd, Clock::time_point until) const;
    bool receive(int fd, Transfer &transfer);
    bool store(std::string_view path, std::string_view content);

    Options m_options;
    std::filesystem::path m_root;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
};

} // namespace vocara
