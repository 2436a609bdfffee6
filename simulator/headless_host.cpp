#include "simulator/headless_host.h"

#include "platform/clock.h"
#include "simulator/simulator_log.h"

namespace vocara {

HeadlessHost::HeadlessHost(Clock &clock, SimulatorLog *log)
    : m_clock(clock)
    , m_log(log)
{
    m_timer = std::thread([this] { runTimer(); });
}

HeadlessHost::~HeadlessHost()
{
    {
        std::lock_guard lock(m_mutex);
        m_exit = true;
    }
    m_timerWake.notify_all();
    m_timer.join();
}

void HeadlessHost::setTimerExpired(std::function<void()> expired)
{
    std::lock_guard calling(m_callMutex);
    m_expired = std::move(expired);
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

void HeadlessHost::startInputTimer(int seconds)
{
    {
        std::lock_guard lock(m_mutex);
        m_deadline =
            std::chrono::steady_clock::now() + m_clock.scaled(std::chrono::seconds(seconds));
        m_armed = true;
    }
    m_timerWake.notify_all();
}

void HeadlessHost::runTimer()
{
    std::unique_lock lock(m_mutex);
    while (!m_exit) {
        if (!m_armed) {
            m_timerWake.wait(lock);
            continue;
        }
        if (std::chrono::steady_clock::now() < m_deadline) {
            m_timerWake.wait_until(lock, m_deadline);
            continue; // stopped, moved or due: look again
        }
        m_armed = false;
        lock.unlock();
        {
            std::lock_guard calling(m_callMutex);
            if (m_expired)
                m_expired();
        }
        lock.lock();
    }
}

bool HeadlessHost::timerArmed() const
{
    std::lock_guard lock(m_mutex);
    return m_armed;
}

void HeadlessHost::stopInputTimer()
{
    {
        std::lock_guard lock(m_mutex);
        m_armed = false;
    }
    m_timerWake.notify_all();
}

} // namespace vocara
