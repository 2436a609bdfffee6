#include "simulator/wave_image.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace vocara;

namespace {

WaveImage pcm(size_t bytes, std::uint32_t rate = 8000)
{
    WaveImage wave;
    wave.sampleRate = rate;
    wave.byteRate = rate * 2;
    wave.data = std::string(bytes, '\x11');
    return wave;
}

std::uint32_t riffSize(const std::string &file)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(file[4])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(file[5])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(file[6])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(file[7])) << 24;
}

std::string chunk(std::string_view id, std::string body, std::uint32_t declared = UINT32_MAX)
{
    std::string out(id);
    const std::uint32_t size =
        declared == UINT32_MAX ? static_cast<std::uint32_t>(body.size()) : declared;
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((size >> (8 * i)) & 0xFF);
    out += body;
    if (body.size() % 2)
        out += '\0';
    return out;
}

std::string riff(const std::string &chunks)
{
    std::string file = "RIFF";
    const auto size = static_cast<std::uint32_t>(chunks.size() + 4);
    for (int i = 0; i < 4; ++i)
        file += static_cast<char>((size >> (8 * i)) & 0xFF);
    return file + "WAVE" + chunks;
}

const std::string PcmFormat = serializeWave(pcm(0)).substr(20, 16);

} // namespace

TEST(WaveImage, SavedWavesReadBackAndJoin)
{
    test::TempFolder temp;
    WaveImage first = pcm(1000);
    first.path = temp / "Number-20.wav";
    WaveImage second = pcm(333);
    second.path = temp / "Number-5.wav";
    const std::optional<WaveImage> joined = JoinWaves(first, second);
    ASSERT_TRUE(joined.has_value());
    EXPECT_EQ(joined->data.size(), 1333u);
    EXPECT_EQ(joined->path, temp / "Number-20Number-5.wav");
    ASSERT_TRUE(SaveWave(*joined, temp / "joined.wav"));
    const std::string file = test::readText(temp / "joined.wav");
    EXPECT_EQ(riffSize(file), file.size() - 8);
    EXPECT_EQ(file.size() % 2, 0u); // the odd data is padded
    const std::optional<WaveImage> back = LoadWave(temp / "joined.wav");
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->data, joined->data);
    EXPECT_EQ(back->sampleRate, 8000u);
    EXPECT_EQ(back->factSize, -1);
}

TEST(WaveImage, OnlyWavesOfOneFormatJoin)
{
    WaveImage alaw = pcm(10);
    alaw.formatTag = 6;
    alaw.bitsPerSample = 8;
    alaw.blockAlign = 1;
    std::string error;
    EXPECT_FALSE(JoinWaves(pcm(10), alaw, &error).has_value());
    EXPECT_EQ(error, "Can't concatenate waves with different format tags");
    EXPECT_FALSE(JoinWaves(pcm(10, 8000), pcm(10, 11025), &error).has_value());
}

TEST(WaveImage, ChunksAreWalkedAndNothingIsTrusted)
{
    const std::string data(100, '\x22');
    struct Case
    {
        const char *what;
        std::string file;
        bool ok;
        size_t dataSize;
    };
    const std::vector<Case> cases = {
        {"plain", riff(chunk("fmt ", PcmFormat) + chunk("data", data)), true, 100},
        {"a LIST chunk first",
         riff(chunk("fmt ", PcmFormat) + chunk("LIST", "abc") + chunk("data", data)), true, 100},
        {"a data size beyond the file",
         riff(chunk("fmt ", PcmFormat) + chunk("data", data, 4000000000u)), true, 100},
        {"no data chunk", riff(chunk("fmt ", PcmFormat)), false, 0},
        {"data before the format", riff(chunk("data", data) + chunk("fmt ", PcmFormat)), false, 0},
        {"a format chunk too short",
         riff(chunk("fmt ", PcmFormat.substr(0, 10)) + chunk("data", data)), false, 0},
        {"a chunk that claims the rest", riff(chunk("fmt ", PcmFormat) + chunk("junk", "x", 99999)),
         false, 0},
        {"not RIFF", "RIFX" + riff("").substr(4), false, 0},
        {"empty", "", false, 0},
    };
    for (const Case &c : cases) {
        std::string error;
        const std::optional<WaveImage> wave = parseWave(c.file, &error);
        EXPECT_EQ(wave.has_value(), c.ok) << c.what << ": " << error;
        if (wave)
            EXPECT_EQ(wave->data.size(), c.dataSize) << c.what;
        else
            EXPECT_FALSE(error.empty()) << c.what;
    }
    std::string error;
    EXPECT_FALSE(LoadWave("/nonexistent/x.wav", &error).has_value());
    EXPECT_NE(error.find("No such file"), std::string::npos);
}

TEST(WaveImage, ReadsWhatSoxWrites)
{
    test::TempFolder temp;
    ASSERT_TRUE(SaveWave(pcm(1600), temp / "in.wav"));
    const std::string command = "sox -v 2.000000 '" + (temp / "in.wav").string() +
                                "' -r 8000 -e a-law -b 8 -c 1 '" + (temp / "out.wav").string() +
                                "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << "sox must be installed (scripts/setup)";
    const std::optional<WaveImage> alaw = LoadWave(temp / "out.wav");
    ASSERT_TRUE(alaw.has_value());
    EXPECT_EQ(alaw->formatTag, 6);
    EXPECT_EQ(alaw->bitsPerSample, 8);
    EXPECT_EQ(alaw->data.size(), 800u);
    EXPECT_GE(alaw->factSize, 4);
    // Saved again, the format chunk's size matches what is written.
    const std::string file = serializeWave(*alaw);
    EXPECT_EQ(riffSize(file), file.size() - 8);
    EXPECT_EQ(parseWave(file)->data, alaw->data);
}
