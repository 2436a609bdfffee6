#pragma once

#include <filesystem>
#include <mutex>
#include <string_view>

namespace vocara {

// "logFile.txt": one line per simulator step, from any thread. Each line is appended and the
// file closed again, so a crash loses nothing written before it.
class SimulatorLog
{
public:
    static constexpr std::string_view FileName = "logFile.txt";

    explicit SimulatorLog(std::filesystem::path file);
    void write(std::string_view line);
    // Emptied when the simulator window opens.
    void clear();
    const std::filesystem::path &file() const { return m_file; }

private:
    std::mutex m_mutex;
    std::filesystem::path m_file;
};

} // namespace vocara
