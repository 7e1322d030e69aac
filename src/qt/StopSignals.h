#pragma once
// SIGTERM and SIGINT as an event of the Qt loop, for the window and the
// headless program alike. A signal handler may do almost nothing safely, so
// it only writes a byte to a socket pair; the loop reads it and calls onStop,
// which ends the program the clean way (settings and files written). A second
// signal ends the process at once, for a clean end that hangs.
#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace rigvane {

class StopSignals {
  public:
    // Needs a QCoreApplication; install it early, so that a signal during
    // start-up is kept until the loop runs. Ok() is false (errno set) when
    // the handlers could not be installed. One per process.
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    bool Ok() const { return notifier_ != nullptr; }

    // Called from the event loop for the first signal.
    std::function<void()> OnStop;

  private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace rigvane
