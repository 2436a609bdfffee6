#include "simulator/civr_handler_thread.h"

#include "platform/clock.h"
#include "simulator/civr_handler.h"
#include "simulator/simulator_host.h"

namespace vocara {

CIVRHandlerThread::CIVRHandlerThread(SimulatorHost &host, NodeActions &actions, Clock &clock,
                                     std::atomic<bool> &runActive, AudioDevice &audio,
                                     const std::filesystem::path &installFolder)
    : m_host(host)
    , m_clock(clock)
    , m_handler(std::make_unique<CIVRHandler>(host, actions, clock, runActive, m_channel, audio,
                                              installFolder))
{
    m_thread = std::thread([this] { run(); });
}

CIVRHandlerThread::~CIVRHandlerThread()
{
    close();
}

void CIVRHandlerThread::post(SimulatorEvent event)
{
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(event));
    }
    m_wake.notify_one();
}

void CIVRHandlerThread::close()
{
    {
        std::lock_guard lock(m_mutex);
        m_exit = true;
    }
    m_wake.notify_one();
    m_clock.interrupt();
    if (m_thread.joinable())
        m_thread.join();
}

void CIVRHandlerThread::waitUntilIdle()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_exit || (m_queue.empty() && !m_busy); });
}

bool CIVRHandlerThread::isIdle()
{
    std::lock_guard lock(m_mutex);
    return m_exit || (m_queue.empty() && !m_busy);
}

void CIVRHandlerThread::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_exit || !m_queue.empty(); });
        if (m_exit)
            break;
        SimulatorEvent event = std::move(m_queue.front());
        m_queue.pop_front();
        // A new run starts afresh: whatever was posted before it is stale.
        if (event.id == WM_START_IVR)
            m_queue.clear();
        m_busy = true;
        lock.unlock();
        handle(event);
        lock.lock();
        m_busy = false;
        if (event.id == WM_END_IVR && event.first != "0" && !event.first.empty())
            m_exit = true;
        m_idle.notify_all();
    }
    m_idle.notify_all();
}

void CIVRHandlerThread::handle(const SimulatorEvent &event)
{
    switch (event.id) {
    case WM_START_IVR:
        m_clock.resume();
        m_channel.active = true;
        m_handler->setCallerId(m_channel.callerId);
        if (!m_handler->StartIVR(event.first, event.second))
            m_host.log("CIVRHandlerThread>> the flow could not be loaded: " + event.first);
        break;
    case WM_END_IVR:
        m_channel.active = false;
        m_handler->EndIVR();
        break;
    case WM_IVR_DTMF_EVENT:
        m_handler->OnDTMFDetected(event.second);
        break;
    case WM_IVR_TIMER_EVENT:
        m_handler->OnDTMFTimerExpired();
        break;
    default:
        break; // other events mean nothing here
    }
}

} // namespace vocara
