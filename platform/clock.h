#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace vocara {

// Every pause of a simulated call goes through one clock, so that a time scale below 1 runs
// the same algorithm faster (tests, --time-scale) and a stop request cuts a pause short.
class Clock
{
public:
    explicit Clock(double scale = 1.0);

    void setScale(double scale);
    double scale() const;
    // A real-time duration as this clock runs it.
    std::chrono::milliseconds scaled(std::chrono::milliseconds duration) const;

    // Waits for the scaled duration; false when interrupt() cut it short. A pause that scales
    // to nothing takes no lock and does not wait.
    bool sleepFor(std::chrono::milliseconds duration);
    // Wakes every sleeper now, and every later one until resume().
    void interrupt();
    void resume();
    // True between interrupt() and resume().
    bool interrupted() const;

private:
    std::mutex m_mutex; // taken to wait and to interrupt, so that no wake-up is lost
    std::condition_variable m_wake;
    std::atomic<double> m_scale;
    std::atomic<bool> m_interrupted = false;
};

} // namespace vocara
