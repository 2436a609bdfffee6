#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/spawn.h"
#include "simulator/civr_handler.h"
#include "simulator/civr_handler_thread.h"
#include "simulator/headless_host.h"
#include "simulator/keypad.h"
#include "simulator/node_actions.h"
#include "simulator/play_wave_thread.h"
#include "simulator/simulator_log.h"
#include "simulator/simulator_session.h"
#include "simulator/wave_image.h"
#include "tests/support/pulse_daemon.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <thread>

using namespace vocara;
using namespace std::chrono_literals;

namespace {

std::filesystem::path tone(const std::filesystem::path &path, double seconds, int rate = 8000)
{
    std::filesystem::create_directories(path.parent_path());
    EXPECT_TRUE(runAndWait({"sox", "-n", "-r", std::to_string(rate), "-b", "16", "-c", "1",
                            path.string(), "synth", std::to_string(seconds), "sine", "440"})
                    .succeeded());
    return path;
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The window's side of a call, with its message boxes and trace labels kept for the test.
class CallHost : public HeadlessHost
{
public:
    using HeadlessHost::HeadlessHost;
    void message(std::string_view text) override
    {
        std::lock_guard lock(m_mutex);
        m_messages.emplace_back(text);
    }
    std::vector<std::string> messages() const
    {
        std::lock_guard lock(m_mutex);
        return m_messages;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_messages;
};

class Call : public ::testing::Test
{
protected:
    Call()
    {
        host.setTraced([this](std::string_view label) {
            std::lock_guard lock(mutex);
            labels.emplace_back(label, std::chrono::steady_clock::now());
        });
        host.setTimerExpired([this] { session->timerExpired(); });
    }
    ~Call() override
    {
        host.setTimerExpired({});
        if (session)
            session->close();
    }

    void open(AudioDevice &device)
    {
        session =
            std::make_unique<SimulatorSession>(host, actions, clock, device, temp / "install");
    }
    void start(const std::string &tree)
    {
        if (!session)
            open(*nullAudio);
        test::writeText(
            temp / "flow.qfl",
            R"(<QenIvr><Start version="3">)" + tree +
                R"(</Start><Variables><Var name="took" default=""/></Variables></QenIvr>)");
        session->start((temp / "flow.qfl").string(), temp.path().string() + "/");
    }
    // Until the interpreter has nothing left to do.
    void settle()
    {
        while (!session->worker().isIdle())
            std::this_thread::sleep_for(1ms);
    }
    void waitFor(const std::function<bool()> &condition)
    {
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (!condition() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(1ms);
        ASSERT_TRUE(condition());
    }
    std::string took()
    {
        settle();
        const std::string *value = session->worker().handler().finalVariables().find("took");
        return value ? *value : "(none)";
    }
    bool running()
    {
        settle();
        return session->worker().handler().isRunning();
    }
    std::string logText() { return test::readText(log.file()); }
    CPlayWaveThread &waves() { return session->worker().handler().waves(); }
    std::chrono::steady_clock::time_point tracedAt(const std::string &prefix)
    {
        std::lock_guard lock(mutex);
        for (const auto &[label, at] : labels)
            if (label.starts_with(prefix))
                return at;
        ADD_FAILURE() << "no trace label " << prefix;
        return {};
    }

    test::TempFolder temp;
    SimulatorLog log{temp / "logFile.txt"};
    Clock clock{0.0};
    CallHost host{clock, &log};
    std::unique_ptr<AudioDevice> nullAudio = makeNullAudioDevice(clock);
    UnavailableActions actions;
    std::unique_ptr<SimulatorSession> session;
    std::mutex mutex;
    std::vector<std::pair<std::string, std::chrono::steady_clock::time_point>> labels;
};

const std::string TookTimeOut =
    R"(<BranchIf value="TimeOut" X="3" Y="0"><SetVar var="took" value="TimeOut" X="4" Y="0"/></BranchIf>)";

std::string tookBranch(const std::string &value)
{
    return R"(<BranchIf value=")" + value + R"(" X="3" Y="1"><SetVar var="took" value=")" + value +
           R"(" X="4" Y="1"/></BranchIf>)";
}

} // namespace

TEST(Keypad, TheWindowDecidesWhichKeysReachTheInterpreter)
{
    struct Case
    {
        KeypadState state;
        const char *key;
        KeypadOutcome outcome;
    };
    const std::vector<Case> cases = {
        {{false, "12", false, false}, "9", KeypadOutcome::Post}, // the interpreter judges it
        {{false, "12", true, true}, "1", KeypadOutcome::Ignore}, // synchronous prompt plays
        {{false, "12", false, true}, "1", KeypadOutcome::CutAndPost},
        {{false, "12", false, true}, "9", KeypadOutcome::Ignore},
        {{true, "#", false, false}, "#", KeypadOutcome::StopRecording},
        {{true, "#", false, true}, "5", KeypadOutcome::Ignore},
        {{false, "", false, true}, "1", KeypadOutcome::Ignore},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(keypadOutcome(c.state, c.key), c.outcome);
    }
}

TEST_F(Call, AWaveThatCannotPlayIsSkippedAndTheTimeOutStillComes)
{
    test::writeText(temp / "broken.wav", "RIFF....WAVEnothing");
    tone(temp / "good.wav", 0.2);
    // A time-out of 0 runs out as soon as the prompts are done.
    start(
        R"(<PlayWave file="broken.wav" type="sync" X="1" Y="0"><PlayWave file="good.wav" type="async" X="2" Y="0">)"
        R"(<UserInput timeOut="0" dtmf="1" numKeys="1" allowed="1" X="3" Y="0">)" +
        TookTimeOut + "</UserInput></PlayWave></PlayWave>");
    waitFor([&] { return host.runEndedOnce(); });
    EXPECT_EQ(took(), "TimeOut");
    const std::string text = logText();
    EXPECT_NE(text.find("CPlayWaveThread>> Can not play " + (temp / "broken.wav").string()),
              std::string::npos);
    EXPECT_NE(text.find("CIVRHandler::DoPlayWave>> Added to PlayList Wav good.wav"),
              std::string::npos);
}

TEST_F(Call, PromptPathsResolveAgainstTheirFolders)
{
    tone(temp / "install/prompts/samples/waves/hello.wav", 0.1);
    const auto absolute = tone(temp / "elsewhere/abs.wav", 0.1);
    start(R"(<PlayWave file="prompts\samples\waves\hello.wav" X="1" Y="0">)"
          R"(<PlayWave file=")" +
          absolute.string() +
          R"(" X="2" Y="0"><PlayWave file="missing.wav" X="3" Y="0">)"
          R"(<SetVar var="took" value="end" X="4" Y="0"/></PlayWave></PlayWave></PlayWave>)");
    EXPECT_EQ(took(), "end"); // a missing prompt does not stop the flow
    EXPECT_EQ(host.messages(),
              std::vector<std::string>{"The File \"" + (temp / "missing.wav").string() +
                                       "\" could not be found"});
    const std::string text = logText();
    EXPECT_NE(text.find("Added to PlayList Wav prompts\\samples\\waves\\hello.wav"),
              std::string::npos);
    EXPECT_NE(text.find("Added to PlayList Wav " + absolute.string()), std::string::npos);
}

TEST_F(Call, KeysDuringPromptsFollowTheWindowRules)
{
    clock.setScale(1.0);
    tone(temp / "menu.wav", 3.0);
    start(
        R"(<UserInput wavefile="menu.wav" timeOut="5" dtmf="1" numKeys="1" allowed="12" X="1" Y="0">)" +
        tookBranch("1") + "</UserInput>");
    waitFor([&] { return waves().IsPlaying(); });
    EXPECT_EQ(session->pressKey("9"), KeypadOutcome::Ignore); // dropped by the window
    const auto pressed = std::chrono::steady_clock::now();
    EXPECT_EQ(session->pressKey("1"), KeypadOutcome::CutAndPost);
    waitFor([&] { return !waves().IsPlaying(); });
    EXPECT_LT(secondsSince(pressed), 0.5);
    EXPECT_EQ(took(), "1");
    EXPECT_EQ(logText().find("chDTMFBuffer = 9"), std::string::npos);

    // A synchronous prompt (MultiDTMF's) cannot be cut short.
    start(R"(<MultiDTMF file="menu.wav" timeOut="5" X="1" Y="0">)" + tookBranch("Success") +
          "</MultiDTMF>");
    waitFor([&] { return waves().IsPlaying(); });
    EXPECT_EQ(session->pressKey("#"), KeypadOutcome::Ignore);
    session->stop();
    EXPECT_FALSE(running());
}

TEST_F(Call, RecordingsStopAtTheirLimitOrAtAKey)
{
    start(R"(<Record var="msg.wav" RecordPath="\rec\" timeOut="2" key="#" X="1" Y="0">)"
          R"(<SetVar var="took" value="after" X="2" Y="0"/></Record>)");
    EXPECT_EQ(took(), "after");
    std::optional<WaveImage> recorded = LoadWave(temp / "rec/msg.wav");
    ASSERT_TRUE(recorded);
    EXPECT_EQ(recorded->data.size(), 2u * 8000 * 2); // two seconds of 16-bit samples

    // A terminate key ends it early; the run goes on with the node's child.
    clock.setScale(1.0);
    start(R"(<Record var="early.wav" RecordPath="rec" timeOut="5" key="#" X="1" Y="0">)"
          R"(<SetVar var="took" value="after" X="2" Y="0"/></Record>)");
    waitFor([&] { return session->worker().channel().recording.load(); });
    const auto pressed = std::chrono::steady_clock::now();
    EXPECT_EQ(session->pressKey("5"), KeypadOutcome::Ignore);
    EXPECT_EQ(session->pressKey("#"), KeypadOutcome::StopRecording);
    EXPECT_EQ(took(), "after");
    EXPECT_LT(secondsSince(pressed), 1.0);
    recorded = LoadWave(temp / "rec/early.wav");
    ASSERT_TRUE(recorded);
    EXPECT_LT(recorded->data.size(), 5u * 8000 * 2);
    EXPECT_TRUE(session->runFlag()); // the key stopped the recording, not the run

    // Stop (hang up) during a recording stops the run too.
    start(R"(<Record var="cut.wav" RecordPath="rec" timeOut="30" key="#" X="1" Y="0">)"
          R"(<SetVar var="took" value="after" X="2" Y="0"/></Record>)");
    waitFor([&] { return session->worker().channel().recording.load(); });
    session->stop();
    EXPECT_FALSE(running());
    EXPECT_FALSE(session->runFlag());
    EXPECT_NE(took(), "after");

    // A name from the flow may not leave the folder.
    clock.setScale(0.0);
    start(R"(<Record var="../escaped.wav" RecordPath="rec" timeOut="1" key="#" X="1" Y="0"/>)");
    settle();
    EXPECT_FALSE(std::filesystem::exists(temp / "escaped.wav"));
    EXPECT_EQ(host.messages().back(),
              "Error Recording to " + (temp / "rec/../escaped.wav").string());
}

TEST_F(Call, HangingUpWaitsForASynchronousPrompt)
{
    clock.setScale(1.0);
    tone(temp / "bye.wav", 0.5);
    start(R"(<PlayWave file="bye.wav" type="sync" X="1" Y="0"><Hang X="2" Y="0"/></PlayWave>)");
    waitFor([&] { return host.runEndedOnce(); });
    EXPECT_GE(std::chrono::duration<double>(tracedAt("Hang") - tracedAt("PlayWave")).count(), 0.45);
    EXPECT_FALSE(session->runFlag());
    EXPECT_FALSE(waves().IsAccepting()); // until the next Start
}

TEST_F(Call, ThroughPulseAudioPromptsHoldTheFlowAndKeysCutThemShort)
{
    test::PulseDaemon daemon;
    ASSERT_TRUE(daemon.ready()) << daemon.error();
    clock.setScale(1.0);
    std::unique_ptr<AudioDevice> pulse = makePulseAudioDevice();
    open(*pulse);
    tone(temp / "hello.wav", 1.0);
    tone(temp / "menu.wav", 4.0);
    start(
        R"(<PlayWave file="hello.wav" type="sync" X="1" Y="0">)"
        R"(<UserInput wavefile="menu.wav" timeOut="5" dtmf="1" numKeys="1" allowed="12" X="2" Y="0">)" +
        tookBranch("2") + "</UserInput></PlayWave>");
    waitFor([&] {
        std::lock_guard lock(mutex);
        return labels.size() >= 3;
    });
    const double held =
        std::chrono::duration<double>(tracedAt("UserInput") - tracedAt("PlayWave")).count();
    EXPECT_GE(held, 0.95);
    EXPECT_LT(held, 2.0);
    waitFor([&] { return waves().IsPlaying(); });
    std::this_thread::sleep_for(300ms);
    const auto pressed = std::chrono::steady_clock::now();
    EXPECT_EQ(session->pressKey("2"), KeypadOutcome::CutAndPost);
    waitFor([&] { return !waves().IsPlaying(); });
    EXPECT_LT(secondsSince(pressed), 0.5);
    EXPECT_EQ(took(), "2");
    session->close();
}

TEST(WaveConversion, SoxMakesALawAtTheAskedRate)
{
    test::TempFolder temp;
    const auto source = tone(temp / "in.wav", 0.5, 16000);
    EXPECT_EQ(ConvertWave(source, temp / "out.wav", 8000, 2.0, 1), "");
    const std::optional<WaveImage> converted = LoadWave(temp / "out.wav");
    ASSERT_TRUE(converted);
    EXPECT_EQ(converted->formatTag, 6); // A-law
    EXPECT_EQ(converted->sampleRate, 8000u);
    EXPECT_EQ(converted->channels, 1);
    EXPECT_EQ(converted->bitsPerSample, 8);
    EXPECT_EQ(converted->data.size(), 4000u);
    EXPECT_NE(ConvertWave(temp / "missing.wav", temp / "x.wav", 8000, 2.0, 1), "");
    EXPECT_FALSE(std::filesystem::exists(temp / "x.wav"));
}
