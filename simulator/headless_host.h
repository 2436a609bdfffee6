#pragma once

#include "simulator/simulator_host.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vocara {

class Clock;
class SimulatorLog;

// The simulator window of headless runs: it keeps the trace labels, writes the log, and runs
// the input timer on a thread of its own.
class HeadlessHost : public SimulatorHost
{
public:
    HeadlessHost(Clock &clock, SimulatorLog *log = nullptr);
    ~HeadlessHost() override;

    // Called on the timer's thread when the input time runs out.
    void setTimerExpired(std::function<void()> expired) { m_expired = std::move(expired); }
    // Called for each trace label as its node runs (on the interpreter's thread).
    void setTraced(std::function<void(std::string_view)> traced) { m_traced = std::move(traced); }

    void nodeTraced(std::string_view label) override;
    void log(std::string_view line) override;
    void runEnded() override;
    void startInputTimer(int seconds) override;
    void stopInputTimer() override;

    bool runEndedOnce() const;
    // The input timer runs.
    bool timerArmed() const;

private:
    void stopTimerThread();

    Clock &m_clock;
    SimulatorLog *m_log;
    std::function<void()> m_expired;
    std::function<void(std::string_view)> m_traced;
    mutable std::mutex m_mutex;
    std::condition_variable m_timerWake;
    std::thread m_timer;
    unsigned m_timerGeneration = 0;
    bool m_ended = false;
    bool m_armed = false;
};

} // namespace vocara
