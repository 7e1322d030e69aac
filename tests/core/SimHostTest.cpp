#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/SimHost.h"

using namespace rigvane;

TEST(SimHost, TimersFireInVirtualTime) {
    SimHost host;
    std::vector<int64_t> ticks;
    const auto id = host.CreateTimer([&] { ticks.push_back(host.NowMs()); });
    host.Advance(5000);
    EXPECT_TRUE(ticks.empty()); // a new timer is stopped

    host.SetTimer(id, 1000, true);
    host.Advance(3500);
    EXPECT_EQ(ticks, (std::vector<int64_t>{6000, 7000, 8000}));
    EXPECT_EQ(host.NowMs(), 8500);

    host.SetTimer(id, 1000, true); // a change restarts the period
    host.Advance(999);
    EXPECT_EQ(ticks.size(), 3u);
    host.Advance(1);
    EXPECT_EQ(ticks.back(), 9500);

    host.SetTimer(id, 0, true); // interval 0 stops it
    host.Advance(10000);
    EXPECT_EQ(ticks.size(), 4u);
    host.SetTimer(id, 100, false);
    host.Advance(10000);
    EXPECT_EQ(ticks.size(), 4u);

    // A timer that stops itself from its own tick stays stopped.
    int selfStops = 0;
    Host::TimerId self = 0;
    self = host.CreateTimer([&] {
        ++selfStops;
        host.SetTimer(self, 0, false);
    });
    host.SetTimer(self, 10, true);
    host.Advance(1000);
    EXPECT_EQ(selfStops, 1);

    // The wall clock moves with virtual time.
    EXPECT_EQ(host.LocalNow(), DateTimeFromStamp(host.WallStart + host.NowMs() / 1000));
}

TEST(SimHost, WaitReturnsAtTheFirstDueEvent) {
    SimHost host;
    int fired = 0;
    const auto id = host.CreateTimer([&] { ++fired; });
    host.SetTimer(id, 300, true);
    host.WaitForEvents(1000);
    EXPECT_EQ(host.NowMs(), 300);
    EXPECT_EQ(fired, 1);

    host.CallLater(50, [&] { fired += 10; });
    host.WaitForEvents(1000);
    EXPECT_EQ(host.NowMs(), 350);
    EXPECT_EQ(fired, 11);

    host.SetTimer(id, 0, false);
    host.WaitForEvents(40); // nothing due: the whole time passes
    EXPECT_EQ(host.NowMs(), 390);
    host.WaitForEvents(0);
    host.WaitForEvents(-5); // never goes back in time
    EXPECT_EQ(host.NowMs(), 390);

    int yields = 0;
    host.OnYield = [&] { ++yields; };
    host.Yield();
    host.WaitForEvents(1);
    EXPECT_EQ(yields, 2); // injected events are seen by both
}

TEST(SimHost, CallLaterRunsInTimeThenPostingOrder) {
    SimHost host;
    std::string order;
    host.CallLater(20, [&] { order += "c"; });
    host.CallLater(10, [&] { order += "a"; });
    host.CallLater(10, [&] { order += "b"; });
    host.CallLater(0, [&] {
        order += "0";
        host.CallLater(5, [&] { order += "n"; }); // posted from a call
    });
    host.Yield();
    EXPECT_EQ(order, "0");
    host.Advance(100);
    EXPECT_EQ(order, "0nabc");

    host.Answers = {Answer::No};
    EXPECT_EQ(
        host.MessageBox("Exit", "Data has changed. Save it?", MsgIcon::Question, Buttons::YesNo),
        Answer::No);
    EXPECT_EQ(host.MessageBox("Exit", "again", MsgIcon::Question, Buttons::YesNo), Answer::Yes);
    EXPECT_EQ(host.MessageBox("Note", "ok", MsgIcon::None, Buttons::Ok), Answer::Ok);
    ASSERT_EQ(host.Boxes.size(), 3u);
    EXPECT_EQ(host.Boxes[0].Title, "Exit");
}
