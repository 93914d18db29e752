// bench_startup: what a desktop sees of a program starting and idling.
//   bench_startup start <runs> <program> [args...] -- <baseline> [args...]
//     Starts the two alternately, <runs> times each, on $DISPLAY; for each
//     run the time from exec until its first top-level window is mapped and
//     drawn into (the X DAMAGE extension reports the first drawing), and the
//     peak resident size (VmHWM) at that moment. Prints every run, then the
//     medians and "ratio_start=<x> ratio_rss=<y>" (program / baseline).
//   bench_startup wakeups <pid> <seconds>
//     Prints the process's wake-ups per second over that time, and after it
//     its context switches per second. A wake-up is a stretch of activity
//     (context switches of any of its threads, sampled every 2 ms) after at
//     least one quiet sample: a timer tick that paints and waits a moment
//     for the X server counts once, as the processor leaves idle once for it.
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// A field of /proc/<pid>/status in kB, or -1.
long StatusKb(pid_t pid, const char* pszField) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(pszField, 0) == 0)
            return std::atol(line.c_str() + std::strlen(pszField));
    return -1;
}

// Windows come and go under the watcher's feet (input-only windows cannot
// be watched, short-lived ones vanish): such errors are expected.
int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

struct Sample {
    double dMs = -1;
    long nPeakKb = -1;
};

// Starts argv in a process group of its own and waits for its first window
// to be mapped and drawn; the group is ended afterwards.
Sample MeasureStart(Display* pDisplay, int nDamageEvent, const std::vector<char*>& argv) {
    Window root = DefaultRootWindow(pDisplay);
    XSelectInput(pDisplay, root, SubstructureNotifyMask);
    XSync(pDisplay, True);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const Clock::time_point start = Clock::now();
    Sample sample;
    if (posix_spawn(&pid, argv[0], &actions, &attr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "bench_startup: cannot start %s\n", argv[0]);
        return sample;
    }
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);

    // Damage is watched from each top-level's creation, so no drawing
    // between its mapping and the watch is missed.
    std::set<Window> mapped;
    std::vector<Damage> damages;
    while (std::chrono::duration<double>(Clock::now() - start).count() < 60) {
        while (XPending(pDisplay)) {
            XEvent ev;
            XNextEvent(pDisplay, &ev);
            if (ev.type == CreateNotify && ev.xcreatewindow.parent == root &&
                !ev.xcreatewindow.override_redirect) {
                damages.push_back(
                    XDamageCreate(pDisplay, ev.xcreatewindow.window, XDamageReportNonEmpty));
            } else if (ev.type == MapNotify && ev.xmap.event == root) {
                mapped.insert(ev.xmap.window);
            } else if (ev.type == nDamageEvent + XDamageNotify) {
                auto* pDamage = reinterpret_cast<XDamageNotifyEvent*>(&ev);
                if (mapped.count(pDamage->drawable) && sample.dMs < 0) {
                    sample.dMs =
                        std::chrono::duration<double, std::milli>(Clock::now() - start).count();
                    sample.nPeakKb = StatusKb(pid, "VmHWM:");
                }
            }
        }
        if (sample.dMs >= 0 || waitpid(pid, nullptr, WNOHANG) == pid)
            break;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    kill(-pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    for (Damage d : damages)
        XDamageDestroy(pDisplay, d);
    XSelectInput(pDisplay, root, NoEventMask);
    XSync(pDisplay, True);
    return sample;
}

int Start(int nRuns, std::vector<char*> ours, std::vector<char*> base) {
    Display* pDisplay = XOpenDisplay(nullptr);
    XSetErrorHandler(IgnoreXError);
    int nDamageEvent = 0, nDamageError = 0;
    if (!pDisplay || !XDamageQueryExtension(pDisplay, &nDamageEvent, &nDamageError)) {
        std::fprintf(stderr, "bench_startup: no X display with the DAMAGE extension\n");
        return 1;
    }
    ours.push_back(nullptr);
    base.push_back(nullptr);
    std::vector<double> oursMs, baseMs, oursKb, baseKb;
    for (int i = 0; i < nRuns; ++i) {
        // Alternating, so drifts of the machine hit both alike.
        for (bool bOurs : {true, false}) {
            Sample s = MeasureStart(pDisplay, nDamageEvent, bOurs ? ours : base);
            if (s.dMs < 0) {
                std::fprintf(stderr, "bench_startup: %s showed no window\n",
                             bOurs ? ours[0] : base[0]);
                return 1;
            }
            std::printf("run %2d %-8s %7.1f ms  peak %6.1f MiB\n", i + 1,
                        bOurs ? "program" : "baseline", s.dMs, s.nPeakKb / 1024.0);
            (bOurs ? oursMs : baseMs).push_back(s.dMs);
            (bOurs ? oursKb : baseKb).push_back(double(s.nPeakKb));
        }
    }
    XCloseDisplay(pDisplay);
    std::printf("median program %.1f ms %.1f MiB, baseline %.1f ms %.1f MiB\n", Median(oursMs),
                Median(oursKb) / 1024, Median(baseMs), Median(baseKb) / 1024);
    std::printf("ratio_start=%.2f ratio_rss=%.2f\n", Median(oursMs) / Median(baseMs),
                Median(oursKb) / Median(baseKb));
    return 0;
}

// Context switches of every thread of the process so far.
long long Switches(pid_t pid) {
    long long nTotal = 0;
    std::string strTasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* pDir = opendir(strTasks.c_str());
    if (!pDir)
        return -1;
    while (dirent* pEntry = readdir(pDir)) {
        if (pEntry->d_name[0] == '.')
            continue;
        std::ifstream in(strTasks + "/" + pEntry->d_name + "/status");
        std::string line;
        while (std::getline(in, line))
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0 ||
                line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
                nTotal += std::atoll(line.c_str() + line.find(':') + 1);
    }
    closedir(pDir);
    return nTotal;
}

int Wakeups(pid_t pid, double dSeconds) {
    const auto period = std::chrono::milliseconds(2);
    const long long nFirst = Switches(pid);
    long long nLast = nFirst;
    long nWakeups = 0;
    bool bActive = false;
    const Clock::time_point start = Clock::now();
    for (Clock::time_point next = start + period;
         std::chrono::duration<double>(next - start).count() <= dSeconds; next += period) {
        std::this_thread::sleep_until(next);
        long long nNow = Switches(pid);
        if (nNow < 0) {
            std::fprintf(stderr, "bench_startup: process %d is gone\n", int(pid));
            return 1;
        }
        bool bNowActive = nNow != nLast;
        if (bNowActive && !bActive)
            ++nWakeups;
        bActive = bNowActive;
        nLast = nNow;
    }
    std::printf("%.1f %.1f\n", double(nWakeups) / dSeconds, double(nLast - nFirst) / dSeconds);
    return 0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: bench_startup start <runs> <program> [args...] -- <baseline> [args...]\n"
                 "       bench_startup wakeups <pid> <seconds>\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 5 && !std::strcmp(argv[1], "start")) {
        std::vector<char*> ours, base;
        bool bBase = false;
        for (int i = 3; i < argc; ++i) {
            if (!std::strcmp(argv[i], "--") && !bBase)
                bBase = true;
            else
                (bBase ? base : ours).push_back(argv[i]);
        }
        int nRuns = std::atoi(argv[2]);
        if (nRuns < 1 || ours.empty() || base.empty())
            return Usage();
        return Start(nRuns, ours, base);
    }
    if (argc == 4 && !std::strcmp(argv[1], "wakeups"))
        return Wakeups(std::atoi(argv[2]), std::atof(argv[3]));
    return Usage();
}
