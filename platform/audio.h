#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace vocara {

class Clock;

// Where a play or record call failed: opening the device, moving sound, or writing the file.
enum class AudioStage { Open, Run, Save };

// What a play or a record call ended with: ok, or the reason it failed.
struct AudioResult
{
    bool ok = true;
    std::string error;
    AudioStage stage = AudioStage::Open;

    static AudioResult failed(std::string why, AudioStage stage = AudioStage::Open)
    {
        return {false, std::move(why), stage};
    }
};

// The sound card of the simulator. Calls block the calling thread; any thread may call, and
// several calls may run at once (a prompt and a key tone).
class AudioDevice
{
public:
    // Asked between short blocks of sound: false stops the call within about 50 ms.
    using KeepGoing = std::function<bool()>;

    virtual ~AudioDevice() = default;

    virtual std::string_view name() const = 0;
    // Plays a wave from its start until its end or until `keepGoing` says stop.
    virtual AudioResult play(const std::filesystem::path &file, const KeepGoing &keepGoing) = 0;
    // Records from the default source into a new 8 kHz 16-bit mono wave for at most `limit`
    // or until `keepGoing` says stop; the file appears complete or not at all.
    virtual AudioResult record(const std::filesystem::path &file, std::chrono::milliseconds limit,
                               const KeepGoing &keepGoing) = 0;
};

// The length of a wave as a player would play it, or the reason it cannot be played.
struct WaveLength
{
    std::chrono::milliseconds duration{0};
    std::string error;
};
WaveLength waveLength(const std::filesystem::path &file);

// Sound through the PulseAudio server of the session (PULSE_SERVER, PULSE_SINK and PULSE_SOURCE
// are honoured).
std::unique_ptr<AudioDevice> makePulseAudioDevice();
// No sound: playing takes the wave's real duration on `clock`, recording writes silence.
std::unique_ptr<AudioDevice> makeNullAudioDevice(Clock &clock);
// True when a PulseAudio server answers.
bool pulseAudioAnswers();

// The device for this run: VOCARA_AUDIO=pulse or null forces one; otherwise PulseAudio when a
// server answers, else the null device. `log` receives one line saying which.
std::unique_ptr<AudioDevice> openAudioDevice(Clock &clock,
                                             const std::function<void(std::string_view)> &log);

} // namespace vocara
