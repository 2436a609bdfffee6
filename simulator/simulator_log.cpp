#include "simulator/simulator_log.h"

#include <fstream>

namespace vocara {

SimulatorLog::SimulatorLog(std::filesystem::path file)
    : m_file(std::move(file))
{}

void SimulatorLog::write(std::string_view line)
{
    std::lock_guard lock(m_mutex);
    std::ofstream out(m_file, std::ios::app | std::ios::binary);
    out << line << '\n';
}

void SimulatorLog::clear()
{
    std::lock_guard lock(m_mutex);
    std::ofstream out(m_file, std::ios::trunc | std::ios::binary);
}

} // namespace vocara
