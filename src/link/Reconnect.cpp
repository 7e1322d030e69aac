#include "link/Reconnect.h"

namespace rigvane {

int Reconnector::DelayMs(int attempt) {
    static const int schedule[] = {1000, 2000, 5000};
    return attempt >= 0 && attempt < 3 ? schedule[attempt] : 10000;
}

bool Reconnector::Dropped() const {
    const SerialLink& link = radio_.Link();
    if (!armed_ || link.Stopping) return false;
    return lost_ || link.DeviceLost() || link.RadioNotResponding;
}

void Reconnector::Begin() {
    lost_ = true;
    attempts_ = 0;
    lostMs_ = host_.NowMs();
    nextMs_ = lostMs_ + DelayMs(0);
    SerialLink& link = radio_.Link();
    link.ClosePort();
    link.RadioNotResponding = true;
    link.SetStatus("Reconnecting..", Rgb(255, 0, 0));
}

Reconnector::Result Reconnector::Step() {
    if (!lost_) return Result::Recovered;
    const int64_t start = host_.NowMs();
    if (start < nextMs_) return Result::Waiting;
    SerialLink& link = radio_.Link();
    // The attempt is quiet: no box when the device is still missing, no
    // "Not Attached" line per try. The loss and the recovery get one line each.
    const bool locating = link.LocatingRadio;
    link.LocatingRadio = true;
    const uint8_t result = radio_.OpenRadio();
    link.LocatingRadio = locating;
    if (result == OpenConnected && link.Connected() && !link.RadioNotResponding) {
        lost_ = false;
        link.SetStatus("Connected", Rgb(0, 64, 0));
        return Result::Recovered;
    }
    link.ClosePort();
    link.RadioNotResponding = true;
    // Attempts keep to the schedule from when each began, so a slow attempt
    // does not stretch the pauses.
    nextMs_ = start + DelayMs(++attempts_);
    if (nextMs_ <= host_.NowMs()) nextMs_ = host_.NowMs() + 1;
    return Result::Failed;
}

} // namespace rigvane
