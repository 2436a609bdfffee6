#pragma once

#include "simulator/abstract_channel.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace vocara {

class AudioDevice;
class CIVRHandler;
class Clock;
class NodeActions;
class SimulatorHost;

// The events the simulator window posts to the interpreter.
enum SimulatorEventId {
    WM_START_IVR = 2025,
    WM_END_IVR = 2026,
    WM_IVR_DTMF_EVENT = 2027,
    WM_IVR_TIMER_EVENT = 2028,
};

struct SimulatorEvent
{
    int id = 0;
    std::string first;  // the flow path of a start; "1" on an end that also ends the worker
    std::string second; // the folder of a start, the key of a DTMF event
};

// The interpreter's own thread: it takes the window's events in order and runs them. Closing
// stops it between two events (a pause in progress is cut short) and joins it.
class CIVRHandlerThread
{
public:
    CIVRHandlerThread(SimulatorHost &host, NodeActions &actions, Clock &clock,
                      std::atomic<bool> &runActive, AudioDevice &audio,
                      const std::filesystem::path &installFolder);
    ~CIVRHandlerThread();
    CIVRHandlerThread(const CIVRHandlerThread &) = delete;
    CIVRHandlerThread &operator=(const CIVRHandlerThread &) = delete;

    void post(SimulatorEvent event);
    // Ends the worker after the event in hand; a run in progress is abandoned.
    void close();
    // Blocks until every posted event has been handled (tests and the command line).
    void waitUntilIdle();
    // Nothing posted is left to handle (the interpreter waits for the caller, or no run is on).
    bool isIdle();

    CIVRHandler &handler() { return *m_handler; }
    AbstractChannel &channel() { return m_channel; }

private:
    void run();
    void handle(const SimulatorEvent &event);

    SimulatorHost &m_host;
    Clock &m_clock;
    AbstractChannel m_channel;
    std::unique_ptr<CIVRHandler> m_handler;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<SimulatorEvent> m_queue;
    bool m_busy = false;
    bool m_exit = false;
    std::thread m_thread;
};

} // namespace vocara
