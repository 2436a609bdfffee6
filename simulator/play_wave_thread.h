#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace vocara {

class AudioDevice;
class SimulatorHost;

struct PlayRequest
{
    std::string path;
    int traceItem = -1; // shown bold while the wave plays; -1 for none
    bool synchronous = true;
};

// Plays queued prompts one after another on its own thread. When the last one ends the
// caller's input timer starts with the time-out the waiting input node handed over.
class CPlayWaveThread
{
public:
    CPlayWaveThread(AudioDevice &device, SimulatorHost &host);
    ~CPlayWaveThread();
    CPlayWaveThread(const CPlayWaveThread &) = delete;
    CPlayWaveThread &operator=(const CPlayWaveThread &) = delete;

    // Dropped while the worker does not accept requests.
    void Queue(PlayRequest request);
    // Drops the requests not yet started.
    void ClearQueue();
    // Off also stops the wave that plays now.
    void Accept(bool on);
    bool IsAccepting() const { return m_accepting; }
    // A wave plays now.
    bool IsPlaying() const { return m_playing; }
    // A wave plays now or waits in the queue.
    bool IsBusy() const;
    // A synchronous request plays now or waits in the queue: the next node must wait.
    bool SynchronousPending() const;
    bool LastRequestSynchronous() const { return m_lastSynchronous; }
    // The input time-out of the waiting node: the timer starts now when nothing is queued or
    // playing, else when the queue runs dry (unless a key cut the prompt short).
    void HandOverTimeout(int seconds);
    void DropPendingTimeout();
    // A key interrupted the prompt: the playing wave stops and no time-out is handed over.
    void StopCurrent() { m_playback = false; }
    // Blocks while `busy` holds, until `giveUp` says stop waiting.
    void WaitWhile(bool (CPlayWaveThread::*busy)() const, const std::function<bool()> &giveUp);
    // Ends the worker (the wave in hand stops) and joins it.
    void close();

private:
    void run();
    bool playing(const PlayRequest &request);

    AudioDevice &m_device;
    SimulatorHost &m_host;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<PlayRequest> m_queue;
    std::optional<int> m_pendingTimeout;
    bool m_currentSynchronous = false;
    bool m_exit = false;
    std::atomic<bool> m_accepting{true};
    std::atomic<bool> m_playing{false};
    std::atomic<bool> m_playback{false};
    std::atomic<bool> m_lastSynchronous{false};
    std::thread m_thread;
};

} // namespace vocara
