#include "platform/clock.h"

#include <gtest/gtest.h>

#include <thread>

using namespace vocara;
using namespace std::chrono_literals;

TEST(Clock, ScalesPausesAndStopsThemEarly)
{
    Clock clock(0.01);
    EXPECT_EQ(clock.scaled(1000ms), 10ms);
    clock.setScale(-3);
    EXPECT_EQ(clock.scaled(1000ms), 0ms);
    clock.setScale(1.0);
    EXPECT_EQ(clock.scaled(250ms), 250ms);

    // An interrupted sleep ends at once and says so; so does every sleep until resume().
    std::thread stopper([&] { clock.interrupt(); });
    EXPECT_FALSE(clock.sleepFor(std::chrono::hours(1)));
    stopper.join();
    EXPECT_FALSE(clock.sleepFor(std::chrono::hours(1)));
    clock.resume();
    clock.setScale(0.001);
    EXPECT_TRUE(clock.sleepFor(1000ms)); // one real millisecond
}

TEST(Clock, APauseOfNothingStillSaysWhetherTheCallWasStopped)
{
    // At scale 0 nothing waits, however long the pause; a stop is still reported.
    Clock clock(0);
    EXPECT_TRUE(clock.sleepFor(std::chrono::hours(1)));
    clock.interrupt();
    EXPECT_FALSE(clock.sleepFor(std::chrono::hours(1)));
    EXPECT_TRUE(clock.interrupted());
    clock.resume();
    EXPECT_TRUE(clock.sleepFor(0ms));
}
