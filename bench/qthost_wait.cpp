// How QtHost waits: CPU time spent while waiting (it must block, not spin)
// and how far a bounded wait overshoots its bound. Prints figures; not a test.
#include <QCoreApplication>
#include <cstdio>
#include <ctime>

#include "qt/QtHost.h"

namespace {
double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    rigvane::QtHost host;
    for (int bound : {1, 5, 20, 100}) {
        const int calls = 2000 / bound + 5;
        const double cpu0 = CpuSeconds();
        const int64_t t0 = host.NowMs();
        int64_t worst = 0;
        for (int i = 0; i < calls; ++i) {
            const int64_t before = host.NowMs();
            host.WaitForEvents(bound);
            worst = std::max(worst, host.NowMs() - before);
        }
        const double wall = static_cast<double>(host.NowMs() - t0) / 1000.0;
        const double cpu = CpuSeconds() - cpu0;
        std::printf("WaitForEvents(%3d ms) x %4d: wall %.2f s, cpu %.3f s (%.1f%% of wall), "
                    "longest wait %lld ms\n",
                    bound, calls, wall, cpu, wall > 0 ? 100.0 * cpu / wall : 0.0,
                    static_cast<long long>(worst));
    }
    return 0;
}
