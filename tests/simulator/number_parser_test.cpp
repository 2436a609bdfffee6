#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/folders.h"
#include "simulator/abstract_channel.h"
#include "simulator/civr_handler.h"
#include "simulator/node_actions.h"
#include "simulator/number_parser.h"
#include "simulator/play_wave_thread.h"
#include "simulator/simulator_host.h"
#include "simulator/wave_image.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <sstream>

using namespace vocara;

namespace {

// "45" in English -> "Number-40 Number-5".
std::string spoken(std::string_view value, std::string_view language, bool whole = false)
{
    NumberParser parser(language, whole);
    parser.Parse(value);
    std::string words;
    for (std::string prompt : parser.prompts()) {
        prompt.resize(prompt.size() - 4); // ".wav"
        words += (words.empty() ? "" : " ") + prompt;
    }
    return words;
}

std::filesystem::path shareFolder()
{
    return VOCARA_TEST_SHARE_DIR;
}

} // namespace

TEST(NumberParserTest, ReadsNumbersInEachLanguagesOrder)
{
    struct Case
    {
        const char *value;
        const char *english;
        const char *arabic; // also Farsi
    };
    const std::vector<Case> cases = {
        {"45", "Number-40 Number-5", "Number-5 Number-wa Number-40"},
        {"2005", "Number-2000 Number-5", "Number-2000 Number-wa Number-5"},
        {"25000", "Number-20 Number-5 Number-1000", "Number-5 Number-wa Number-20 Number-1000"},
        {"11000", "Number-11 Number-1000", "Number-11 Number-1000"},
        {"345678", "Number-300 Number-40 Number-5 Number-1000 Number-600 Number-70 Number-8",
         "Number-300 Number-wa Number-5 Number-wa Number-40 Number-1000 Number-600 Number-wa "
         "Number-8 Number-wa Number-70"},
        {"-7", "Number-Negative Number-7", "Number-Negative Number-7"},
        {"0", "Number-0", "Number-0"},
        {"1000000", "", ""},
        {"-9223372036854775808", "Number-Negative", "Number-Negative"}, // too large to speak
        {"19", "Number-19", "Number-19"},
        {"20", "Number-20", "Number-20"},
        {"21", "Number-20 Number-1", "Number-1 Number-wa Number-20"},
        {"99", "Number-90 Number-9", "Number-9 Number-wa Number-90"},
        {"100", "Number-100", "Number-100"},
        {"101", "Number-100 Number-1", "Number-100 Number-wa Number-1"},
        {"999", "Number-900 Number-90 Number-9",
         "Number-900 Number-wa Number-9 Number-wa Number-90"},
        {"1000", "Number-1000", "Number-1000"},
        {"9999", "Number-9000 Number-900 Number-90 Number-9",
         "Number-9000 Number-wa Number-900 Number-wa Number-9 Number-wa Number-90"},
        {"10000", "Number-10 Number-1000", "Number-10 Number-1000"},
        {"99999", "Number-90 Number-9 Number-1000 Number-900 Number-90 Number-9",
         "Number-9 Number-wa Number-90 Number-1000 Number-wa Number-900 Number-wa Number-9 "
         "Number-wa Number-90"},
        {"100000", "Number-100 Number-1000", "Number-100 Number-1000"},
        {"999999", "Number-900 Number-90 Number-9 Number-1000 Number-900 Number-90 Number-9",
         "Number-900 Number-wa Number-9 Number-wa Number-90 Number-1000 Number-900 Number-wa "
         "Number-9 Number-wa Number-90"},
        {"12.50", "Number-12 Number-point Number-5",
         "Number-12 Number-point Number-5 Number-men Number-10"},
        {"3.05", "Number-3 Number-point Number-5",
         "Number-3 Number-point Number-5 Number-men Number-100"},
        {"0.123", "Number-0 Number-point Number-100 Number-20 Number-3",
         "Number-0 Number-point Number-100 Number-wa Number-3 Number-wa Number-20 Number-men "
         "Number-1000"},
        {"1.0001", "Number-1 Number-point Number-1",
         "Number-1 Number-point Number-1 Number-men Number-10000"},
        {"1.12345", "Number-1 Number-point Number-12 Number-1000 Number-300 Number-40 Number-5",
         "Number-1 Number-point Number-12 Number-1000 Number-wa Number-300 Number-wa Number-5 "
         "Number-wa Number-40"},
        {"1.123456", "Number-1 Number-point", "Number-1 Number-point"},
        {"05/11/2024", "Date-5 Number-men November Number-2000 Number-20 Number-4",
         "Date-5 Number-men November Number-2000 Number-wa Number-4 Number-wa Number-20"},
        {"31/1/", "Date-31 Number-men January", "Date-31 Number-men January"},
        {"1/13/2000", "Date-1 Number-men Number-2000", "Date-1 Number-men Number-2000"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(spoken(c.value, "English"), c.english);
        EXPECT_EQ(spoken(c.value, "Arabic"), c.arabic);
        EXPECT_EQ(spoken(c.value, "Farsi"), c.arabic);
        EXPECT_EQ(spoken(c.value, "Klingon"), c.english); // other languages read as English
    }
    EXPECT_EQ(spoken("12.5", "English", true), "Number-12");
    EXPECT_EQ(spoken("1/2/3", "English", true), "Number-1");
}

TEST(NumberParserTest, MalformedDatesKeepWhatWasRead)
{
    NumberParser noYear("English", false);
    EXPECT_FALSE(noYear.Parse("5/2024"));
    EXPECT_TRUE(noYear.prompts().empty());
    NumberParser noMonth("English", false);
    EXPECT_FALSE(noMonth.Parse("5//2024"));
    EXPECT_EQ(noMonth.prompts(), (std::vector<std::string>{"Date-5.wav", "Number-men.wav"}));
}

TEST(NumberParserTest, EveryPromptItNamesShipsInEachLanguage)
{
    const std::filesystem::path share = shareFolder();
    ASSERT_FALSE(share.empty());
    for (const char *language : {"English", "Arabic", "Farsi"}) {
        SCOPED_TRACE(language);
        std::set<std::string> named;
        for (int n = -1; n <= 999'999; n += (n < 2000 ? 1 : 7)) {
            NumberParser parser(language, false);
            parser.Parse(std::to_string(n));
            named.insert(parser.prompts().begin(), parser.prompts().end());
        }
        for (const char *value : {"999999", "1.5", "1.25", "1.125", "1.0625", "31/12/2024"}) {
            NumberParser parser(language, false);
            parser.Parse(value);
            named.insert(parser.prompts().begin(), parser.prompts().end());
        }
        for (int day = 1; day <= 31; ++day)
            for (int month = 1; month <= 12; ++month) {
                NumberParser parser(language, false);
                parser.Parse(std::to_string(day) + "/" + std::to_string(month) + "/");
                named.insert(parser.prompts().begin(), parser.prompts().end());
            }
        // Every prompt of the folder is used; English order never says "wa" nor "men 10000".
        EXPECT_EQ(named.size(), std::string_view(language) == "English" ? 92u : 94u);
        const std::filesystem::path folder = share / "Languages" / language;
        std::optional<WaveImage> first;
        for (const std::string &prompt : named) {
            std::string error;
            const std::optional<WaveImage> wave = LoadWave(folder / prompt, &error);
            ASSERT_TRUE(wave) << prompt << ": " << error;
            EXPECT_GT(wave->data.size(), 1000u) << prompt;
            if (!first)
                first = wave;
            // One format, so that any two join.
            EXPECT_EQ(wave->sampleRate, first->sampleRate);
            EXPECT_EQ(wave->bitsPerSample, 16);
            EXPECT_EQ(wave->channels, 1);
        }
    }
}

namespace {

struct SpeakerHost : SimulatorHost
{
    std::vector<std::string> messages;
    std::vector<std::string> logLines;
    void message(std::string_view text) override { messages.emplace_back(text); }
    void log(std::string_view line) override { logLines.emplace_back(line); }
};

} // namespace

TEST(PlayValue, JoinsThePromptsIntoOneQueuedWave)
{
    const std::filesystem::path share = shareFolder();
    test::TempFolder temp;
    SpeakerHost host;
    UnavailableActions actions;
    Clock clock(0);
    auto audio = makeNullAudioDevice(clock);
    std::atomic<bool> active{true};
    AbstractChannel channel;
    channel.active = true;
    std::filesystem::path joined;
    {
        CIVRHandler handler(host, actions, clock, active, channel, *audio, share);
        test::writeText(
            temp / "flow.qfl",
            R"(<QenIvr><Start version="3"><UserInput timeOut="60" X="1" Y="0"/></Start>)"
            R"(<Variables><Var name="lang" default="Arabic"/></Variables></QenIvr>)");
        ASSERT_TRUE(handler.StartIVR((temp / "flow.qfl").string(), temp.path().string() + "/"));
        handler.DoPlayValue("45", true, false);
        handler.DoPlayValue("5/2024", true, false);
        ASSERT_EQ(host.messages, std::vector<std::string>{"Invalid Date Format use: dd/mm/yyyy"});
        EXPECT_NE(std::find(host.logLines.begin(), host.logLines.end(),
                            "CIVRHandler::DoPlayValue>> DoPlayValue\tValue=45"),
                  host.logLines.end());

        // The joined wave holds the three prompts' samples, one after another.
        const std::filesystem::path folder = share / "Languages/Arabic";
        size_t expected = 0;
        for (const char *prompt : {"Number-5.wav", "Number-wa.wav", "Number-40.wav"})
            expected += LoadWave(folder / prompt)->data.size();
        std::string error;
        const std::filesystem::path spool = privateTempFolder("TTSFiles", &error);
        ASSERT_FALSE(spool.empty()) << error;
        for (const auto &entry : std::filesystem::directory_iterator(spool))
            if (entry.path().filename().string().starts_with("ZOZIV_") &&
                entry.path().filename().string().ends_with("_2.wav"))
                joined = entry.path();
        ASSERT_FALSE(joined.empty());
        const std::optional<WaveImage> wave = LoadWave(joined);
        ASSERT_TRUE(wave);
        EXPECT_EQ(wave->data.size(), expected);
        EXPECT_EQ(std::filesystem::file_size(joined), 44 + expected);
        handler.EndIVR();
    }
    EXPECT_FALSE(std::filesystem::exists(joined)); // the simulator removes what it made
}
