#include "qt/StopSignals.h"

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace rigvane {
namespace {

int fds[2] = {-1, -1};

extern "C" void OnStopSignal(int signo) {
    static volatile sig_atomic_t received = 0;
    if (++received > 1) ::_exit(128 + signo);
    const char byte = 1;
    const ssize_t ignored = ::write(fds[1], &byte, 1);
    (void)ignored;
}

} // namespace

StopSignals::StopSignals() {
    if (fds[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (sigaction(SIGTERM, &action, nullptr) != 0 || sigaction(SIGINT, &action, nullptr) != 0)
        return;
    notifier_ = std::make_unique<QSocketNotifier>(fds[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
        char byte;
        const ssize_t ignored = ::read(fds[0], &byte, 1);
        (void)ignored;
        if (OnStop) OnStop();
    });
}

StopSignals::~StopSignals() = default;

} // namespace rigvane
