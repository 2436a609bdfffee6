#include "platform/clock.h"

#include <algorithm>
#include <cmath>

namespace vocara {

Clock::Clock(double scale)
    : m_scale(std::max(0.0, scale))
{}

void Clock::setScale(double scale)
{
    m_scale = std::isfinite(scale) ? std::max(0.0, scale) : 1.0;
}

double Clock::scale() const
{
    return m_scale;
}

std::chrono::milliseconds Clock::scaled(std::chrono::milliseconds duration) const
{
    const double factor = scale();
    const double ms = std::max(0.0, static_cast<double>(duration.count()) * factor);
    return std::chrono::milliseconds(static_cast<long long>(std::min(ms, 1e12)));
}

bool Clock::sleepFor(std::chrono::milliseconds duration)
{
    const std::chrono::milliseconds pause = scaled(duration);
    if (pause.count() == 0)
        return !m_interrupted;
    const auto deadline = std::chrono::steady_clock::now() + pause;
    std::unique_lock lock(m_mutex);
    return !m_wake.wait_until(lock, deadline, [this] { return m_interrupted.load(); });
}

void Clock::interrupt()
{
    {
        std::lock_guard lock(m_mutex);
        m_interrupted = true;
    }
    m_wake.notify_all();
}

bool Clock::interrupted() const
{
    return m_interrupted.load();
}

void Clock::resume()
{
    std::lock_guard lock(m_mutex);
    m_interrupted = false;
}

} // namespace vocara
