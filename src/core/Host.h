#pragma once
// Everything the program needs from its surroundings for time, waiting and
// talking to the user. The program runs on one thread: work yields through
// Yield() and waits through WaitForEvents(), which sleeps until an event or
// the time limit, so no wait ever spins a core. QtHost implements it with the
// Qt event loop, SimHost with a virtual clock for tests.
#include <cstdint>
#include <functional>
#include <string>

#include "core/Text.h"

namespace rigvane {

enum class MsgIcon { None, Information, Exclamation, Critical, Question };
enum class Buttons { Ok, YesNo, YesNoCancel, OkCancel };
enum class Answer { Ok, Yes, No, Cancel };

// The button of set `buttons` that `wanted` names, or the set's first one
// when the set has no such button.
inline Answer EffectiveDefault(Buttons buttons, Answer wanted) {
    switch (buttons) {
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::YesNo:
        return wanted == Answer::No ? Answer::No : Answer::Yes;
    case Buttons::YesNoCancel:
        return wanted == Answer::No || wanted == Answer::Cancel ? wanted : Answer::Yes;
    case Buttons::OkCancel:
        return wanted == Answer::Cancel ? Answer::Cancel : Answer::Ok;
    }
    return Answer::Ok;
}

class Host {
  public:
    using TimerId = int;

    virtual ~Host() = default;

    // Runs the events that are pending now, once (timers that are due, port
    // input, user input), then returns.
    virtual void Yield() = 0;
    // Sleeps until an event arrives or `ms` milliseconds pass, running the
    // events that arrive; returns after at most about `ms`.
    virtual void WaitForEvents(int ms) = 0;
    // Monotonic milliseconds since an arbitrary start.
    virtual int64_t NowMs() const = 0;
    // The local wall clock (for time stamps and message lines).
    virtual LocalDateTime LocalNow() const = 0;

    // Repeating timers that fire from Yield/WaitForEvents on this thread.
    virtual TimerId CreateTimer(std::function<void()> onTick) = 0;
    // Interval 0 or enabled false stops the timer; a change restarts its period.
    virtual void SetTimer(TimerId id, int intervalMs, bool enabled) = 0;
    // Runs `fn` once, `ms` from now, from Yield/WaitForEvents.
    virtual void CallLater(int ms, std::function<void()> fn) = 0;

    // Work done on another thread (a library call that blocks for its own
    // time-outs): runs events until done() holds. The other thread makes
    // done() true, then calls Wake(). The default waits in short slices.
    virtual void WaitForWorker(const std::function<bool()>& done) {
        while (!done())
            WaitForEvents(WorkerSliceMs);
    }
    // Safe to call from any thread: a WaitForEvents in progress returns soon.
    virtual void Wake() {}
    static constexpr int WorkerSliceMs = 50;

    virtual void Beep() = 0;
    // `defaultButton` is the button that Enter presses. A button the set does
    // not have stands for the set's first one (Ok or Yes). A question whose
    // Yes destroys data passes Answer::No, so a stray Enter keeps the data.
    virtual Answer MessageBox(const std::string& title, const std::string& text,
                              MsgIcon icon = MsgIcon::None, Buttons buttons = Buttons::Ok,
                              Answer defaultButton = Answer::Ok) = 0;
};

} // namespace rigvane
