#include "simulator/headless_host.h"

#include "platform/clock.h"
#include "simulator/simulator_log.h"

namespace vocara {

HeadlessHost::HeadlessHost(Clock &clock, SimulatorLog *log)
    : m_clock(clock)
    , m_log(log)
{}

HeadlessHost::~HeadlessHost()
{
    stopTimerThread();
}

void HeadlessHost::nodeTraced(std::string_view label)
{
    if (m_traced)
        m_traced(label);
}

void HeadlessHost::log(std::string_view line)
{
    if (m_log)
        m_log->write(line);
}

void HeadlessHost::runEnded()
{
    std::lock_guard lock(m_mutex);
    m_ended = true;
}

bool HeadlessHost::runEndedOnce() const
{
    std::lock_guard lock(m_mutex);
    return m_ended;
}

void HeadlessHost::stopTimerThread()
{
    {
        std::lock_guard lock(m_mutex);
        ++m_timerGeneration;
        m_armed = false;
    }
    m_timerWake.notify_all();
    if (m_timer.joinable() && m_timer.get_id() != std::this_thread::get_id())
        m_timer.join();
}

void HeadlessHost::startInputTimer(int seconds)
{
    stopTimerThread();
    std::unique_lock lock(m_mutex);
    const unsigned generation = ++m_timerGeneration;
    m_armed = true;
    const auto deadline =
        std::chrono::steady_clock::now() + m_clock.scaled(std::chrono::seconds(seconds));
    m_timer = std::thread([this, generation, deadline] {
        std::unique_lock timerLock(m_mutex);
        const bool cancelled = m_timerWake.wait_until(
            timerLock, deadline, [&] { return m_timerGeneration != generation; });
        if (!cancelled)
            m_armed = false;
        timerLock.unlock();
        if (!cancelled && m_expired)
            m_expired();
    });
}

bool HeadlessHost::timerArmed() const
{
    std::lock_guard lock(m_mutex);
    return m_armed;
}

void HeadlessHost::stopInputTimer()
{
    stopTimerThread();
}

} // namespace vocara
