#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/spawn.h"
#include "tests/support/pulse_daemon.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cstdlib>
#include <future>

using namespace vocara;
using namespace std::chrono_literals;

namespace {

// A sine tone made by sox: `seconds` long, 8 kHz 16-bit mono.
std::filesystem::path tone(const test::TempFolder &folder, const std::string &name, double seconds,
                           int frequency = 440)
{
    const auto path = folder / name;
    EXPECT_TRUE(runAndWait({"sox", "-n", "-r", "8000", "-b", "16", "-c", "1", path.string(),
                            "synth", std::to_string(seconds), "sine", std::to_string(frequency)})
                    .succeeded());
    return path;
}

struct Samples
{
    long long frames = 0;
    int peak = 0;
};

Samples readSamples(const std::filesystem::path &path)
{
    SF_INFO info{};
    SNDFILE *file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        return {};
    Samples samples{info.frames, 0};
    std::vector<short> block(4096);
    for (sf_count_t got; (got = sf_read_short(file, block.data(), 4096)) > 0;)
        for (sf_count_t i = 0; i < got; ++i)
            samples.peak = std::max(samples.peak, std::abs(static_cast<int>(block[i])));
    sf_close(file);
    return samples;
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

TEST(NullAudio, KeepsRealDurationsAndRecordsSilence)
{
    test::TempFolder temp;
    Clock clock;
    auto device = makeNullAudioDevice(clock);
    const auto wave = tone(temp, "tone.wav", 0.4);
    EXPECT_EQ(waveLength(wave).duration, 400ms);

    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(device->play(wave, {}).ok);
    EXPECT_GE(secondsSince(start), 0.38);

    // A stop request ends it early.
    start = std::chrono::steady_clock::now();
    EXPECT_TRUE(device->play(wave, [&] { return secondsSince(start) < 0.1; }).ok);
    EXPECT_LT(secondsSince(start), 0.3);

    clock.setScale(0);
    ASSERT_TRUE(device->record(temp / "silence.wav", 1500ms, {}).ok);
    const Samples silence = readSamples(temp / "silence.wav");
    EXPECT_EQ(silence.frames, 12000);
    EXPECT_EQ(silence.peak, 0);
}

TEST(NullAudio, BadFilesFailWithAReasonAndLeaveNothing)
{
    test::TempFolder temp;
    Clock clock(0);
    auto device = makeNullAudioDevice(clock);
    test::writeText(temp / "junk.wav", "RIFF\x10\0\0\0WAVEjunk");
    for (const auto &path : {temp / "junk.wav", temp / "missing.wav"}) {
        const AudioResult result = device->play(path, {});
        EXPECT_FALSE(result.ok);
        EXPECT_FALSE(result.error.empty());
    }
    const AudioResult nowhere = device->record(temp / "no/such/folder/rec.wav", 100ms, {});
    EXPECT_FALSE(nowhere.ok);
    EXPECT_EQ(nowhere.stage, AudioStage::Save);
    EXPECT_EQ(temp.entryCount(), 1u);
}

TEST(PulseAudio, PlaysInRealTimeStopsOnRequestAndRecordsWhatPlays)
{
    test::PulseDaemon daemon;
    ASSERT_TRUE(daemon.ready()) << daemon.error();
    test::TempFolder temp;
    auto device = makePulseAudioDevice();
    const auto wave = tone(temp, "tone.wav", 1.5, 1000);

    auto start = std::chrono::steady_clock::now();
    const AudioResult played = device->play(wave, {});
    ASSERT_TRUE(played.ok) << played.error;
    EXPECT_GE(secondsSince(start), 1.4);
    EXPECT_LT(secondsSince(start), 2.5);

    start = std::chrono::steady_clock::now();
    EXPECT_TRUE(device->play(wave, [&] { return secondsSince(start) < 0.2; }).ok);
    EXPECT_LT(secondsSince(start), 0.45);

    // Record the sink's monitor while the tone plays: the recording hears it.
    ::setenv("PULSE_SOURCE", test::PulseDaemon::Monitor, 1);
    auto playing = std::async(std::launch::async, [&] { return device->play(wave, {}); });
    const AudioResult recorded = device->record(temp / "heard.wav", 1s, {});
    ::unsetenv("PULSE_SOURCE");
    ASSERT_TRUE(recorded.ok) << recorded.error;
    EXPECT_TRUE(playing.get().ok);
    const Samples heard = readSamples(temp / "heard.wav");
    EXPECT_EQ(heard.frames, 8000);
    EXPECT_GT(heard.peak, 1000);

    Clock clock;
    ::unsetenv("VOCARA_AUDIO");
    std::string line;
    EXPECT_EQ(openAudioDevice(clock, [&](std::string_view l) { line = l; })->name(), "PulseAudio");
    EXPECT_NE(line.find("a PulseAudio server answered"), std::string::npos);
}

TEST(PulseAudio, WithoutAServerTheNullDeviceIsChosen)
{
    test::TempFolder temp;
    ::setenv("PULSE_SERVER", ("unix:" + (temp / "none").string()).c_str(), 1);
    Clock clock;
    ::unsetenv("VOCARA_AUDIO");
    EXPECT_EQ(openAudioDevice(clock, {})->name(), "null");
    ::setenv("VOCARA_AUDIO", "pulse", 1);
    auto forced = openAudioDevice(clock, {});
    EXPECT_EQ(forced->name(), "PulseAudio");
    EXPECT_FALSE(forced->play(tone(temp, "t.wav", 0.1), {}).ok); // no server: a clear error
    ::setenv("VOCARA_AUDIO", "null", 1);
    EXPECT_EQ(openAudioDevice(clock, {})->name(), "null");
    ::unsetenv("VOCARA_AUDIO");
    ::unsetenv("PULSE_SERVER");
}
