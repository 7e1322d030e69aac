#include "core/SimHost.h"

namespace rigvane {

void SimHost::Yield() {
    ++Yields;
    if (OnYield) OnYield();
    while (FireNext(now_)) {
    }
}

void SimHost::WaitForEvents(int ms) {
    if (OnYield) OnYield();
    // Sleep until the first event, or the whole time when nothing is due.
    const int64_t until = now_ + (ms > 0 ? ms : 0);
    int64_t next = until;
    for (const auto& [id, t] : timers_)
        if (t.enabled && t.due < next) next = t.due;
    if (!later_.empty() && later_.begin()->first < next) next = later_.begin()->first;
    if (next > now_) now_ = next;
    while (FireNext(now_)) {
    }
}

void SimHost::Advance(int64_t ms) {
    const int64_t until = now_ + ms;
    while (FireNext(until)) {
    }
    now_ = until;
}

bool SimHost::FireNext(int64_t until) {
    int64_t best = until + 1;
    TimerId bestTimer = 0;
    for (const auto& [id, t] : timers_) {
        if (t.enabled && t.due < best) {
            best = t.due;
            bestTimer = id;
        }
    }
    if (!later_.empty() && later_.begin()->first < best) {
        auto it = later_.begin();
        if (it->first > now_) now_ = it->first;
        auto fn = std::move(it->second);
        later_.erase(it);
        fn();
        return true;
    }
    if (bestTimer == 0) return false;
    Timer& t = timers_[bestTimer];
    if (best > now_) now_ = best;
    t.due = now_ + t.interval;
    auto tick = t.onTick; // the callback may change the timer
    tick();
    return true;
}

void SimHost::WaitForWorker(const std::function<bool()>& done) {
    Yield();
    std::unique_lock<std::mutex> lock(wakeMutex_);
    // done() is checked under the lock and Wake() takes it: no wake is lost.
    wakeCv_.wait(lock, done);
}

void SimHost::Wake() {
    std::lock_guard<std::mutex> lock(wakeMutex_);
    wakeCv_.notify_all();
}

LocalDateTime SimHost::LocalNow() const {
    return DateTimeFromStamp(WallStart + now_ / 1000);
}

Host::TimerId SimHost::CreateTimer(std::function<void()> onTick) {
    const TimerId id = nextId_++;
    timers_[id].onTick = std::move(onTick);
    return id;
}

void SimHost::SetTimer(TimerId id, int intervalMs, bool enabled) {
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    it->second.interval = intervalMs;
    it->second.enabled = enabled && intervalMs > 0;
    it->second.due = now_ + intervalMs;
}

void SimHost::CallLater(int ms, std::function<void()> fn) {
    later_.emplace(now_ + (ms > 0 ? ms : 0), std::move(fn));
}

Answer SimHost::MessageBox(const std::string& title, const std::string& text, MsgIcon icon,
                           Buttons buttons, Answer defaultButton) {
    Boxes.push_back({title, text, icon, buttons, EffectiveDefault(buttons, defaultButton)});
    if (buttons == Buttons::Ok) return Answer::Ok;
    if (Answers.empty()) return buttons == Buttons::OkCancel ? Answer::Ok : Answer::Yes;
    const Answer a = Answers.front();
    Answers.pop_front();
    return a;
}

} // namespace rigvane
