#pragma once
// Bringing a radio back after it dropped (a USB adapter unplugged, a hub
// reset, the radio switched off and on): the link's port is opened again on
// a growing pause (1 s, 2 s, 5 s, then every 10 s) and the radio initialised
// through its driver. Nothing here waits: the main loop calls Step once per
// pass and is free to serve the windows in between.
#include <cstdint>

#include "core/Host.h"
#include "link/Radio.h"
#include "link/SerialLink.h"

namespace rigvane {

class Reconnector {
  public:
    Reconnector(Radio& radio, Host& host) : radio_(radio), host_(host) {}

    // The pause before attempt n (0 = the first after the loss).
    static int DelayMs(int attempt);

    // A radio that answered is worth bringing back; one that never did is
    // not (the user retries it from the status label). Call when the radio
    // is known to answer.
    void Arm() { armed_ = true; }
    // The user reconnected or chose another radio: forget the last one.
    void Disarm() {
        armed_ = false;
        lost_ = false;
    }

    // The radio answered before and now does not: the device vanished or a
    // transaction went unanswered.
    bool Dropped() const;
    // A loss is being recovered from (Begin called, not yet recovered).
    bool Recovering() const { return lost_; }

    // Starts the recovery at the loss: the port is closed, the first attempt
    // is due after DelayMs(0).
    void Begin();
    enum class Result { Waiting, Failed, Recovered };
    // One attempt when it is due, else Waiting. Recovered: the port is open
    // and the radio answered its initialisation.
    Result Step();
    // When the next attempt is due (host milliseconds).
    int64_t NextAttemptMs() const { return nextMs_; }
    // When the loss began (host milliseconds).
    int64_t LostSinceMs() const { return lostMs_; }

  private:
    Radio& radio_;
    Host& host_;
    bool armed_ = false;
    bool lost_ = false;
    int attempts_ = 0;
    int64_t lostMs_ = 0;
    int64_t nextMs_ = 0;
};

} // namespace rigvane
