// RunAndCapture against plain posix_spawn on the same child:
// (1) time from spawn to return for a child that exits at once (the extra
//     over spawn + waitpid is the cost of noticing the child's end);
// (2) throughput capturing a large output against reading the pipe directly.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/ProcessControl.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int ChildWrite(unsigned long long bytes) {
    static char block[1 << 16];
    memset(block, 'x', sizeof(block));
    while (bytes > 0) {
        size_t n = bytes < sizeof(block) ? static_cast<size_t>(bytes) : sizeof(block);
        ssize_t written = write(1, block, n);
        if (written <= 0) return 1;
        bytes -= static_cast<unsigned long long>(written);
    }
    return 0;
}

// Baseline: spawn with stdout+stderr in a pipe, read it to the end into a
// scratch buffer (or keep it in pKeep), wait. Returns the bytes read.
size_t SpawnReadWait(const std::vector<std::string>& args, bool bPipe, std::string* pKeep = nullptr) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int fds[2] = {-1, -1};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (bPipe) {
        if (pipe2(fds, O_CLOEXEC) != 0) return 0;
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    }
    pid_t pid = 0;
    int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    size_t total = 0;
    if (bPipe) {
        close(fds[1]);
        static char buffer[1 << 16];
        for (;;) {
            ssize_t n = read(fds[0], buffer, sizeof(buffer));
            if (n <= 0) break;
            total += static_cast<size_t>(n);
            if (pKeep) pKeep->append(buffer, static_cast<size_t>(n));
        }
        close(fds[0]);
    }
    if (rc == 0) waitpid(pid, nullptr, 0);
    return total;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && strcmp(argv[1], "--child-exit") == 0) return 0;
    if (argc > 2 && strcmp(argv[1], "--child-write") == 0) return ChildWrite(strtoull(argv[2], nullptr, 10));

    const std::string self = argv[0];
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 101;
    const unsigned long long captureBytes = 256ull << 20;

    // Pairs run back to back, so the median of their differences is little
    // moved by other load on the machine.
    std::vector<double> ours, baseline, extra;
    std::string output;
    for (int i = 0; i < rounds; ++i) {
        auto start = Clock::now();
        RunAndCapture(self + " --child-exit", output, 60000);
        ours.push_back(MsSince(start));
        start = Clock::now();
        SpawnReadWait({self, "--child-exit"}, false);
        baseline.push_back(MsSince(start));
        extra.push_back(ours.back() - baseline.back());
    }
    printf("exit_latency_ours_median_ms=%.3f\n", Median(ours));
    printf("exit_latency_baseline_median_ms=%.3f\n", Median(baseline));
    const double extraMs = Median(extra);

    std::vector<double> oursRate, baseRate, keepRate;
    const double mib = static_cast<double>(captureBytes) / (1 << 20);
    for (int i = 0; i < 3; ++i) {
        auto start = Clock::now();
        RunAndCapture(self + " --child-write " + std::to_string(captureBytes), output, 600000);
        oursRate.push_back(mib / (MsSince(start) / 1000));
        if (output.size() != captureBytes) {
            fprintf(stderr, "captured %zu bytes, expected %llu\n", output.size(), captureBytes);
            return 1;
        }
        output = std::string();
        start = Clock::now();
        size_t got = SpawnReadWait({self, "--child-write", std::to_string(captureBytes)}, true);
        baseRate.push_back(mib / (MsSince(start) / 1000));
        if (got != captureBytes) return 1;
        // Not part of the ratio: what keeping the bytes in memory costs by itself.
        std::string kept;
        start = Clock::now();
        SpawnReadWait({self, "--child-write", std::to_string(captureBytes)}, true, &kept);
        keepRate.push_back(mib / (MsSince(start) / 1000));
    }
    const double oursMibs = Median(oursRate), baseMibs = Median(baseRate);
    printf("capture_ours_mib_per_s=%.1f\n", oursMibs);
    printf("capture_baseline_mib_per_s=%.1f\n", baseMibs);
    printf("capture_baseline_kept_in_string_mib_per_s=%.1f\n", Median(keepRate));
    printf("exit_latency_extra_ms=%.3f ratio_capture_throughput=%.3f\n", extraMs,
           oursMibs / baseMibs);
    return 0;
}
