#include "simulator/signal_sounds.h"

#include "platform/audio.h"

namespace vocara {

std::string SignalSounds::keyTone(std::string_view key)
{
    if (key == "#")
        return "DTMF/digit_hash.wav";
    if (key == "*")
        return "DTMF/digit_star.wav";
    return "DTMF/digit_" + std::string(key) + ".wav";
}

SignalSounds::SignalSounds(AudioDevice &device, std::filesystem::path installFolder)
    : m_device(device)
    , m_folder(std::move(installFolder))
{
    m_thread = std::thread([this] { run(); });
}

SignalSounds::~SignalSounds()
{
    {
        std::lock_guard lock(m_mutex);
        m_exit = true;
    }
    ++m_generation;
    m_wake.notify_one();
    m_thread.join();
}

void SignalSounds::play(std::string_view relative, bool synchronous)
{
    const std::filesystem::path file = m_folder / relative;
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        return;
    const unsigned generation = ++m_generation; // cuts whatever plays now
    if (synchronous) {
        {
            std::lock_guard lock(m_mutex);
            m_next.reset();
        }
        m_device.play(file, [this, generation] { return m_generation == generation; });
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_next = file;
    }
    m_wake.notify_one();
}

void SignalSounds::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_exit || m_next; });
        if (m_exit)
            return;
        const std::filesystem::path file = *m_next;
        m_next.reset();
        const unsigned generation = m_generation;
        lock.unlock();
        m_device.play(file, [this, generation] { return m_generation == generation; });
        lock.lock();
    }
}

} // namespace vocara
