#pragma once

#include "simulator/keypad.h"

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>

namespace vocara {

class AudioDevice;
class CIVRHandlerThread;
class Clock;
class NodeActions;
class SimulatorHost;

// The simulator window without its widgets: Start, Stop, the keypad and the input timer as
// the window drives them. The designer's window and headless runs both sit on top of it.
class SimulatorSession
{
public:
    SimulatorSession(SimulatorHost &host, NodeActions &actions, Clock &clock, AudioDevice &audio,
                     const std::filesystem::path &installFolder);
    ~SimulatorSession();
    SimulatorSession(const SimulatorSession &) = delete;
    SimulatorSession &operator=(const SimulatorSession &) = delete;

    // `folder` is the flow's folder, ending in "/".
    void start(const std::string &flowPath, const std::string &folder);
    void stop();
    // A keypad key: its tone plays, then the key rules decide what reaches the interpreter.
    KeypadOutcome pressKey(const std::string &key);
    // The input timer ran out.
    void timerExpired();
    // Ends the worker threads; a run in progress is abandoned.
    void close();

    CIVRHandlerThread &worker() { return *m_worker; }
    bool runFlag() const { return m_run; }
    unsigned timerEvents() const { return m_timerEvents; }

private:
    SimulatorHost &m_host;
    std::atomic<bool> m_run{false};
    std::atomic<unsigned> m_timerEvents{0};
    std::unique_ptr<CIVRHandlerThread> m_worker;
};

} // namespace vocara
