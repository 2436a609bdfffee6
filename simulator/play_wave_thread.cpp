#include "simulator/play_wave_thread.h"

#include "platform/audio.h"
#include "simulator/simulator_host.h"

namespace vocara {

CPlayWaveThread::CPlayWaveThread(AudioDevice &device, SimulatorHost &host)
    : m_device(device)
    , m_host(host)
{
    m_thread = std::thread([this] { run(); });
}

CPlayWaveThread::~CPlayWaveThread()
{
    close();
}

void CPlayWaveThread::Queue(PlayRequest request)
{
    if (!m_accepting)
        return;
    {
        std::lock_guard lock(m_mutex);
        m_lastSynchronous = request.synchronous;
        m_queue.push_back(std::move(request));
    }
    m_wake.notify_one();
}

void CPlayWaveThread::ClearQueue()
{
    std::lock_guard lock(m_mutex);
    m_queue.clear();
    m_idle.notify_all();
}

void CPlayWaveThread::Accept(bool on)
{
    m_accepting = on;
    if (!on)
        m_idle.notify_all();
}

bool CPlayWaveThread::IsBusy() const
{
    std::lock_guard lock(m_mutex);
    return m_playing || !m_queue.empty();
}

bool CPlayWaveThread::SynchronousPending() const
{
    std::lock_guard lock(m_mutex);
    if (m_playing && m_currentSynchronous)
        return true;
    for (const PlayRequest &request : m_queue)
        if (request.synchronous)
            return true;
    return false;
}

void CPlayWaveThread::HandOverTimeout(int seconds)
{
    std::lock_guard lock(m_mutex);
    if (m_playing || !m_queue.empty()) {
        m_pendingTimeout = seconds;
        return;
    }
    m_pendingTimeout.reset();
    m_host.startInputTimer(seconds);
}

void CPlayWaveThread::DropPendingTimeout()
{
    std::lock_guard lock(m_mutex);
    m_pendingTimeout.reset();
}

void CPlayWaveThread::WaitWhile(bool (CPlayWaveThread::*busy)() const,
                                const std::function<bool()> &giveUp)
{
    while ((this->*busy)() && !(giveUp && giveUp())) {
        std::unique_lock lock(m_mutex);
        m_idle.wait_for(lock, std::chrono::milliseconds(10));
    }
}

void CPlayWaveThread::close()
{
    {
        std::lock_guard lock(m_mutex);
        m_exit = true;
        m_queue.clear();
    }
    m_accepting = false;
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

bool CPlayWaveThread::playing(const PlayRequest &request)
{
    const AudioResult result =
        m_device.play(request.path, [this] { return m_playback && m_accepting; });
    if (!result.ok)
        m_host.log("CPlayWaveThread>> Can not play " + request.path + ": " + result.error);
    return result.ok;
}

void CPlayWaveThread::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_exit || !m_queue.empty(); });
        if (m_exit)
            break;
        PlayRequest request = std::move(m_queue.front());
        m_queue.pop_front();
        m_playing = true;
        m_currentSynchronous = request.synchronous;
        m_playback = true;
        lock.unlock();

        m_host.promptShown(request.traceItem, true);
        m_host.stopInputTimer();
        // A wave that cannot be played is logged and skipped; the queue goes on, and the
        // time-out is still handed over when it runs dry.
        playing(request);
        m_host.promptShown(request.traceItem, false);

        lock.lock();
        m_playing = false;
        m_currentSynchronous = false;
        if (m_queue.empty() && m_accepting && m_playback && m_pendingTimeout) {
            const int seconds = *m_pendingTimeout;
            m_pendingTimeout.reset();
            m_host.startInputTimer(seconds);
        }
        m_idle.notify_all();
    }
}

} // namespace vocara
