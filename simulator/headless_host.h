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

    // Called on the timer's thread when the input time runs out. Replacing it waits for a
    // call in progress to end.
    void setTimerExpired(std::function<void()> expired);
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
    void runTimer();

    Clock &m_clock;
    SimulatorLog *m_log;
    std::function<void(std::string_view)> m_traced;
    mutable std::mutex m_mutex;
    std::condition_variable m_timerWake;
    std::chrono::steady_clock::time_point m_deadline;
    bool m_armed = false;
    bool m_exit = false;
    bool m_ended = false;
    std::mutex m_callMutex; // held while the expiry callback runs
    std::function<void()> m_expired;
    std::thread m_timer; // one thread for the host's life; start and stop only move the deadline
};

} // namespace vocara
