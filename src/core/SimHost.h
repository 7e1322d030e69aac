#pragma once
// A Host with a virtual clock, for tests: waiting advances virtual time and
// fires the timers and deferred calls that fall due, so a five-second timer
// runs in microseconds and every run gives the same result. Message boxes are
// recorded and answered from a queue.
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <vector>

#include "core/Host.h"

namespace rigvane {

class SimHost : public Host {
  public:
    struct Box {
        std::string Title, Text;
        MsgIcon Icon;
        Buttons Set = Buttons::Ok;
        Answer Default = Answer::Ok; // the button Enter would press
    };

    void Yield() override;
    void WaitForEvents(int ms) override;
    int64_t NowMs() const override { return now_; }
    LocalDateTime LocalNow() const override;

    TimerId CreateTimer(std::function<void()> onTick) override;
    void SetTimer(TimerId id, int intervalMs, bool enabled) override;
    void CallLater(int ms, std::function<void()> fn) override;
    // A worker's job takes no virtual time: the clock stands still while the
    // test thread blocks until the worker wakes it.
    void WaitForWorker(const std::function<bool()>& done) override;
    void Wake() override;

    void Beep() override { ++Beeps; }
    Answer MessageBox(const std::string& title, const std::string& text,
                      MsgIcon icon = MsgIcon::None, Buttons buttons = Buttons::Ok,
                      Answer defaultButton = Answer::Ok) override;

    // Moves virtual time forward by `ms`, firing everything due on the way.
    void Advance(int64_t ms);

    // Wall clock at virtual time 0.
    Stamp WallStart = StampFromDateTime({2026, 3, 2, 16, 5, 9});
    std::vector<Box> Boxes;
    std::deque<Answer> Answers; // answers for YesNo boxes; Yes when empty
    int Beeps = 0;
    int Yields = 0;
    // Called on every Yield, for tests that inject events (clicks, bytes).
    std::function<void()> OnYield;

  private:
    struct Timer {
        std::function<void()> onTick;
        int interval = 0;
        bool enabled = false;
        int64_t due = 0;
    };
    // Fires the earliest due item at or before `until`; false when none is due.
    bool FireNext(int64_t until);

    int64_t now_ = 0;
    std::map<TimerId, Timer> timers_;
    std::multimap<int64_t, std::function<void()>> later_;
    TimerId nextId_ = 1;
    std::mutex wakeMutex_;
    std::condition_variable wakeCv_;
};

} // namespace rigvane
