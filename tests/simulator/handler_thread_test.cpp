#include "platform/audio.h"
#include "platform/clock.h"
#include "simulator/civr_handler.h"
#include "simulator/civr_handler_thread.h"
#include "simulator/headless_host.h"
#include "simulator/node_actions.h"
#include "simulator/simulator_log.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using namespace vocara;
using namespace std::chrono_literals;

namespace {

class HandlerThread : public ::testing::Test
{
protected:
    HandlerThread()
    {
        host.setTraced([this](std::string_view label) {
            std::lock_guard lock(mutex);
            labels.emplace_back(label);
        });
        log.clear();
    }

    std::string flow(const std::string &name, const std::string &tree)
    {
        const auto path = temp / name;
        test::writeText(
            path, R"(<QenIvr><Start version="3">)" + tree +
                      R"(</Start><Variables><Var name="x" default=""/></Variables></QenIvr>)");
        return path.string();
    }
    void start(const std::string &path)
    {
        active = true;
        worker.post({WM_START_IVR, path, temp.path().string() + "/"});
    }
    std::vector<std::string> traced()
    {
        std::lock_guard lock(mutex);
        return labels;
    }
    std::string logText() { return test::readText(log.file()); }

    test::TempFolder temp;
    SimulatorLog log{temp / "logFile.txt"};
    Clock clock{0.0};
    HeadlessHost host{clock, &log};
    UnavailableActions actions{[this](std::string_view line) {
        log.write(line);
    }};
    std::unique_ptr<AudioDevice> audio = makeNullAudioDevice(clock);
    std::atomic<bool> active{false};
    CIVRHandlerThread worker{host, actions, clock, active, *audio, temp.path()};
    std::mutex mutex;
    std::vector<std::string> labels;
};

} // namespace

TEST_F(HandlerThread, KeysBeforeStartAreDroppedAndRunsGoToTheEnd)
{
    worker.post({WM_IVR_DTMF_EVENT, "", "5"});
    worker.post({WM_IVR_TIMER_EVENT, "", ""});
    worker.post({4242, "", ""}); // unknown events mean nothing
    worker.waitUntilIdle();
    EXPECT_NE(logText().find("CIVRHandler::OnDTMFDetected>> key 5 dropped: no node waits"),
              std::string::npos);
    start(flow("a.qfl", R"(<SetVar var="x" value="7" X="1" Y="0"><Hang X="2" Y="0"/></SetVar>)"));
    worker.waitUntilIdle();
    EXPECT_EQ(traced(), (std::vector<std::string>{"Start", "SetVar x 7", "Hang"}));
    EXPECT_EQ(*worker.handler().finalVariables().find("x"), "7");
    EXPECT_TRUE(host.runEndedOnce());
    EXPECT_NE(logText().find("CIVRHandler::EndIVR>> ___EndIVR()"), std::string::npos);
}

TEST_F(HandlerThread, ASecondStartDiscardsWhatWasQueuedAfterIt)
{
    clock.setScale(1.0);
    // The first run sleeps in a long pause while the window posts more.
    start(flow("slow.qfl", R"(<Wait second="3600" X="1" Y="0"/>)"));
    while (traced().size() < 2)
        std::this_thread::sleep_for(1ms);
    worker.post({WM_IVR_DTMF_EVENT, "", "1"});
    worker.post({WM_START_IVR, flow("b.qfl", R"(<SetVar var="x" value="b" X="1" Y="0"/>)"),
                 temp.path().string() + "/"});
    worker.post({WM_IVR_DTMF_EVENT, "", "2"});
    // Stop: the window clears the run flag and cuts the pause short.
    active = false;
    clock.interrupt();
    worker.waitUntilIdle();
    const std::string text = logText();
    EXPECT_NE(text.find("key 1 dropped"), std::string::npos); // handled before the new start
    EXPECT_EQ(text.find("key 2"), std::string::npos);         // discarded by it
}

TEST_F(HandlerThread, StopDuringAWaitEndsTheRun)
{
    clock.setScale(1.0);
    start(flow(
        "wait.qfl",
        R"(<Wait second="3600" X="1" Y="0"><SetVar var="x" value="late" X="2" Y="0"/></Wait>)"));
    while (traced().size() < 2)
        std::this_thread::sleep_for(1ms);
    active = false;
    clock.interrupt();
    worker.post({WM_END_IVR, "0", ""});
    worker.waitUntilIdle();
    EXPECT_FALSE(worker.handler().isRunning());
    EXPECT_NE(*worker.handler().finalVariables().find("x"), "late");
}

TEST_F(HandlerThread, ClosingMidRunJoinsTheWorker)
{
    clock.setScale(1.0);
    start(flow("long.qfl", R"(<Wait second="3600" X="1" Y="0"/>)"));
    while (traced().size() < 2)
        std::this_thread::sleep_for(1ms);
    worker.close(); // returns: the pause is cut short and the thread joined
    SUCCEED();
}

TEST_F(HandlerThread, TheInputTimerFiresOnceAndCanBeStopped)
{
    std::atomic<int> fired{0};
    host.setTimerExpired([&] { ++fired; });
    clock.setScale(0.001);
    host.startInputTimer(5); // five milliseconds at this scale
    while (fired == 0)
        std::this_thread::sleep_for(1ms);
    clock.setScale(1.0);
    host.startInputTimer(5);
    host.stopInputTimer();
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(fired, 1);
}
