#pragma once

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace vocara {

class AudioDevice;

// The short sounds of the simulator itself (start and end of a run, key tones, sent tones),
// from the install folder. One plays at a time: a new sound cuts the one before. A file that
// is not there is silent.
class SignalSounds
{
public:
    static constexpr std::string_view Start = "DTMF/start.wav";
    static constexpr std::string_view Stop = "DTMF/Stop.wav";
    static constexpr std::string_view SentTone = "DTMF/digit_0.wav";
    static constexpr std::string_view Flash = "DTMF/digit_star.wav";
    // The tone of a keypad key: "0".."9", "*" or "#".
    static std::string keyTone(std::string_view key);

    SignalSounds(AudioDevice &device, std::filesystem::path installFolder);
    ~SignalSounds();
    SignalSounds(const SignalSounds &) = delete;
    SignalSounds &operator=(const SignalSounds &) = delete;

    // `relative` is below the install folder; synchronous play returns when the sound ends.
    void play(std::string_view relative, bool synchronous);

private:
    void run();

    AudioDevice &m_device;
    std::filesystem::path m_folder;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<std::filesystem::path> m_next;
    std::atomic<unsigned> m_generation{0};
    bool m_exit = false;
    std::thread m_thread;
};

} // namespace vocara
