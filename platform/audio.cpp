#include "platform/audio.h"

#include "platform/clock.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/mainloop.h>
#include <pulse/simple.h>
#include <sndfile.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace vocara {

namespace {

using namespace std::chrono_literals;

// Sound moves in blocks of 20 ms: a stop request is seen within one block.
constexpr int BlocksPerSecond = 50;
constexpr int RecordingRate = 8000;
constexpr pa_usec_t PlaybackLatency = 40'000;

struct SoundFileCloser
{
    void operator()(SNDFILE *file) const { sf_close(file); }
};
using SoundFile = std::unique_ptr<SNDFILE, SoundFileCloser>;

struct PulseCloser
{
    void operator()(pa_simple *stream) const { pa_simple_free(stream); }
};
using PulseStream = std::unique_ptr<pa_simple, PulseCloser>;

SoundFile openForReading(const std::filesystem::path &file, SF_INFO &info, std::string &error)
{
    info = {};
    SoundFile sound(sf_open(file.c_str(), SFM_READ, &info));
    if (!sound)
        error = sf_strerror(nullptr);
    else if (info.samplerate <= 0 || info.channels <= 0 ||
             info.channels > static_cast<int>(PA_CHANNELS_MAX))
        error = "Unsupported sample rate or channel count";
    if (!error.empty())
        sound.reset();
    return sound;
}

// A recording written under a temporary name beside its target and renamed into place when
// it is complete, so a failed or cut recording never leaves half a wave under the real name.
class RecordingFile
{
public:
    explicit RecordingFile(std::filesystem::path target)
        : m_target(std::move(target))
    {
        std::string pattern =
            (m_target.parent_path() / ("." + m_target.filename().string() + ".XXXXXX")).string();
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0) {
            m_error = std::strerror(errno);
            return;
        }
        m_temporary = pattern;
        SF_INFO info{};
        info.samplerate = RecordingRate;
        info.channels = 1;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        m_sound.reset(sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE));
        if (!m_sound)
            m_error = sf_strerror(nullptr);
    }
    ~RecordingFile()
    {
        m_sound.reset();
        if (!m_temporary.empty()) {
            std::error_code ignored;
            std::filesystem::remove(m_temporary, ignored);
        }
    }
    RecordingFile(const RecordingFile &) = delete;
    RecordingFile &operator=(const RecordingFile &) = delete;

    bool ok() const { return m_error.empty(); }
    const std::string &error() const { return m_error; }

    bool write(const std::vector<short> &frames)
    {
        const auto count = static_cast<sf_count_t>(frames.size());
        if (ok() && sf_writef_short(m_sound.get(), frames.data(), count) != count)
            m_error = sf_strerror(m_sound.get());
        return ok();
    }

    AudioResult commit()
    {
        if (ok() && sf_close(m_sound.release()) != 0)
            m_error = "The recording could not be written";
        if (!ok())
            return AudioResult::failed(m_error, AudioStage::Save);
        std::error_code error;
        std::filesystem::rename(m_temporary, m_target, error);
        if (error)
            return AudioResult::failed(error.message(), AudioStage::Save);
        m_temporary.clear();
        return {};
    }

private:
    std::filesystem::path m_target;
    std::filesystem::path m_temporary;
    SoundFile m_sound;
    std::string m_error;
};

class PulseAudioDevice : public AudioDevice
{
public:
    std::string_view name() const override { return "PulseAudio"; }

    AudioResult play(const std::filesystem::path &file, const KeepGoing &keepGoing) override
    {
        SF_INFO info;
        std::string error;
        SoundFile sound = openForReading(file, info, error);
        if (!sound)
            return AudioResult::failed(error);
        pa_sample_spec format{PA_SAMPLE_S16LE, static_cast<uint32_t>(info.samplerate),
                              static_cast<uint8_t>(info.channels)};
        // A short target buffer: the server never holds more than a few blocks, so a cut prompt
        // falls silent at once and an idle sink does not make the first write wait.
        pa_buffer_attr attributes{};
        attributes.maxlength = static_cast<uint32_t>(-1);
        attributes.tlength = static_cast<uint32_t>(pa_usec_to_bytes(PlaybackLatency, &format));
        attributes.prebuf = static_cast<uint32_t>(-1);
        attributes.minreq = static_cast<uint32_t>(-1);
        attributes.fragsize = static_cast<uint32_t>(-1);
        int code = 0;
        PulseStream stream(pa_simple_new(nullptr, "Vocara", PA_STREAM_PLAYBACK, nullptr, "prompt",
                                         &format, nullptr, &attributes, &code));
        if (!stream)
            return AudioResult::failed(pa_strerror(code));
        const sf_count_t blockFrames = std::max(1, info.samplerate / BlocksPerSecond);
        std::vector<short> block(static_cast<size_t>(blockFrames * info.channels));
        for (;;) {
            if (keepGoing && !keepGoing()) {
                pa_simple_flush(stream.get(), &code);
                return {};
            }
            const sf_count_t frames = sf_readf_short(sound.get(), block.data(), blockFrames);
            if (frames <= 0)
                break;
            const size_t bytes = static_cast<size_t>(frames * info.channels) * sizeof(short);
            if (pa_simple_write(stream.get(), block.data(), bytes, &code) < 0)
                return AudioResult::failed(pa_strerror(code), AudioStage::Run);
        }
        if (pa_simple_drain(stream.get(), &code) < 0)
            return AudioResult::failed(pa_strerror(code), AudioStage::Run);
        return {};
    }

    AudioResult record(const std::filesystem::path &file, std::chrono::milliseconds limit,
                       const KeepGoing &keepGoing) override
    {
        const pa_sample_spec format{PA_SAMPLE_S16LE, RecordingRate, 1};
        pa_buffer_attr attributes{};
        attributes.maxlength = static_cast<uint32_t>(-1);
        attributes.fragsize = static_cast<uint32_t>(RecordingRate / BlocksPerSecond * 2);
        int code = 0;
        PulseStream stream(pa_simple_new(nullptr, "Vocara", PA_STREAM_RECORD, nullptr, "recording",
                                         &format, nullptr, &attributes, &code));
        if (!stream)
            return AudioResult::failed(pa_strerror(code));
        RecordingFile output(file);
        if (!output.ok())
            return AudioResult::failed(output.error(), AudioStage::Save);
        const long long total = limit.count() * RecordingRate / 1000;
        std::vector<short> block(RecordingRate / BlocksPerSecond);
        for (long long done = 0; done < total;) {
            if (keepGoing && !keepGoing())
                break;
            block.resize(static_cast<size_t>(
                std::min<long long>(RecordingRate / BlocksPerSecond, total - done)));
            if (pa_simple_read(stream.get(), block.data(), block.size() * sizeof(short), &code) < 0)
                return AudioResult::failed(pa_strerror(code), AudioStage::Run);
            if (!output.write(block))
                return AudioResult::failed(output.error(), AudioStage::Save);
            done += static_cast<long long>(block.size());
        }
        return output.commit();
    }
};

class NullAudioDevice : public AudioDevice
{
public:
    explicit NullAudioDevice(Clock &clock)
        : m_clock(clock)
    {}

    std::string_view name() const override { return "null"; }

    AudioResult play(const std::filesystem::path &file, const KeepGoing &keepGoing) override
    {
        const WaveLength length = waveLength(file);
        if (!length.error.empty())
            return AudioResult::failed(length.error);
        for (auto left = length.duration; left > 0ms; left -= block()) {
            if (keepGoing && !keepGoing())
                break;
            if (!m_clock.sleepFor(std::min(left, block())))
                break;
        }
        return {};
    }

    AudioResult record(const std::filesystem::path &file, std::chrono::milliseconds limit,
                       const KeepGoing &keepGoing) override
    {
        RecordingFile output(file);
        if (!output.ok())
            return AudioResult::failed(output.error(), AudioStage::Save);
        const std::vector<short> silence(RecordingRate / BlocksPerSecond, 0);
        for (auto left = limit; left > 0ms; left -= block()) {
            if (keepGoing && !keepGoing())
                break;
            if (!output.write(silence))
                return AudioResult::failed(output.error(), AudioStage::Save);
            if (!m_clock.sleepFor(block()))
                break;
        }
        return output.commit();
    }

private:
    static constexpr std::chrono::milliseconds block() { return 1000ms / BlocksPerSecond; }
    Clock &m_clock;
};

} // namespace

WaveLength waveLength(const std::filesystem::path &file)
{
    SF_INFO info;
    WaveLength length;
    if (openForReading(file, info, length.error))
        length.duration = std::chrono::milliseconds(info.frames * 1000 / info.samplerate);
    return length;
}

std::unique_ptr<AudioDevice> makePulseAudioDevice()
{
    return std::make_unique<PulseAudioDevice>();
}

std::unique_ptr<AudioDevice> makeNullAudioDevice(Clock &clock)
{
    return std::make_unique<NullAudioDevice>(clock);
}

bool pulseAudioAnswers()
{
    // A context of our own rather than a stream, so that asking never spawns a server.
    pa_mainloop *loop = pa_mainloop_new();
    if (!loop)
        return false;
    pa_context *context = pa_context_new(pa_mainloop_get_api(loop), "Vocara");
    bool ready = false;
    if (context && pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
        const auto deadline = std::chrono::steady_clock::now() + 2s;
        for (;;) {
            const pa_context_state_t state = pa_context_get_state(context);
            if (state == PA_CONTEXT_READY) {
                ready = true;
                break;
            }
            if (!PA_CONTEXT_IS_GOOD(state) || std::chrono::steady_clock::now() > deadline)
                break;
            pa_mainloop_iterate(loop, 0, nullptr);
            ::usleep(1000);
        }
        pa_context_disconnect(context);
    }
    if (context)
        pa_context_unref(context);
    pa_mainloop_free(loop);
    return ready;
}

std::unique_ptr<AudioDevice> openAudioDevice(Clock &clock,
                                             const std::function<void(std::string_view)> &log)
{
    const char *forced = std::getenv("VOCARA_AUDIO");
    const std::string choice = forced ? forced : "";
    std::unique_ptr<AudioDevice> device;
    std::string why;
    if (choice == "pulse") {
        device = makePulseAudioDevice();
        why = "VOCARA_AUDIO=pulse";
    } else if (choice == "null") {
        device = makeNullAudioDevice(clock);
        why = "VOCARA_AUDIO=null";
    } else if (pulseAudioAnswers()) {
        device = makePulseAudioDevice();
        why = "a PulseAudio server answered";
    } else {
        device = makeNullAudioDevice(clock);
        why = "no PulseAudio server answered";
    }
    if (log)
        log("Audio>> sound through the " + std::string(device->name()) + " device (" + why + ")");
    return device;
}

} // namespace vocara
