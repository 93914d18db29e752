// Measures how long destroying the install manager takes while its worker is
// blocked: in a child installer's wait and in a transfer's wait. The
// baseline is destroying a manager whose worker has already ended, measured
// in the same process.
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "install/CInstallMgr.h"
#include "install/EventInstallCallBack.h"
#include "toolkit/core/SNotifyCenter.h"
#include "toolkit/core/SRunLoopUntil.h"

extern char** environ;

namespace {

enum class Block { None, ChildWait, TransferWait };

// Every step is replaced, so nothing touches the network or the machine's
// processes; the package step blocks the way the chosen wait would.
class BenchInstallMgr : public CInstallMgr {
public:
    explicit BenchInstallMgr(Block block) : m_block(block) {}
    ~BenchInstallMgr() override { EndInstallThread(); }

    std::atomic<bool> bBlocked{false};
    std::atomic<bool> bDone{false};

    void EndProductProcesses() override {}
    bool CheckNetFile() override { return true; }
    bool DownNetFile() override { return true; }
    bool InstallNetFile() override { return true; }
    bool DownInstallFile() override {
        FireInstallEvent(50, 0, L"正在下载安装包...");
        if (m_block == Block::ChildWait)
            return WaitForChild();
        if (m_block == Block::TransferWait) {
            bBlocked = true;
            // A transfer's progress callback looks at the token about this often.
            while (!m_cancel.IsCancelled())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return false;
        }
        return true;
    }
    bool InstallFile() override { return true; }
    bool AfterInstall() override {
        FireInstallEvent(100, 0, L"install_pack_succeed");
        bDone = true;
        return true;
    }

private:
    bool WaitForChild() {
        pid_t pid = -1;
        char arg0[] = "sleep";
        char arg1[] = "600";
        char* argv[] = {arg0, arg1, nullptr};
        if (posix_spawnp(&pid, "sleep", nullptr, nullptr, argv, environ) != 0)
            return false;
        int nPidFd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
        bBlocked = true;
        pollfd fds[2] = {{nPidFd, POLLIN, 0}, {m_cancel.GetFd(), POLLIN, 0}};
        while (poll(fds, 2, -1) < 0) {
        }
        if (fds[1].revents & POLLIN)
            kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        close(nPidFd);
        return false;
    }

    Block m_block;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Milliseconds spent in the destructor, one figure per repetition.
std::vector<double> Measure(Block block, int nReps) {
    std::vector<double> figures;
    for (int i = 0; i < nReps; ++i) {
        auto* pMgr = new BenchInstallMgr(block);
        pMgr->m_strExeDir = L"/nonexistent-tovadoc-bench";
        pMgr->BeginInstallThread();
        bool bReady = SOUI::RunLoopUntil(
            [&] { return block == Block::None ? pMgr->bDone.load() : pMgr->bBlocked.load(); },
            30000);
        if (!bReady) {
            std::fprintf(stderr, "worker did not get ready\n");
            std::exit(1);
        }
        if (block == Block::None)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        auto start = std::chrono::steady_clock::now();
        delete pMgr;
        auto end = std::chrono::steady_clock::now();
        figures.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        SOUI::RunLoopFor(1);
    }
    return figures;
}

void Print(const char* name, const std::vector<double>& figures) {
    auto [lo, hi] = std::minmax_element(figures.begin(), figures.end());
    std::printf("%-28s n=%zu  min %.3f ms  median %.3f ms  max %.3f ms\n", name, figures.size(),
                *lo, Median(figures), *hi);
}

}  // namespace

int main(int argc, char** argv) {
    int nReps = argc > 1 ? std::max(1, std::atoi(argv[1])) : 25;
    auto* pCenter = new SOUI::SNotifyCenter;
    pCenter->addEvent(EventInstallCallBack::EventID, EventInstallCallBack::EventName);

    auto baseline = Measure(Block::None, nReps);
    auto child = Measure(Block::ChildWait, nReps);
    auto transfer = Measure(Block::TransferWait, nReps);
    delete pCenter;

    Print("finished worker (baseline)", baseline);
    Print("blocked in child wait", child);
    Print("blocked in transfer wait", transfer);
    double base = std::max(Median(baseline), 1e-6);
    std::printf("ratio to baseline: child wait %.1fx, transfer wait %.1fx\n", Median(child) / base,
                Median(transfer) / base);
    std::printf(
        "median shutdown while blocked: child wait %.3f ms, transfer wait %.3f ms (goal < 1000 "
        "ms)\n",
        Median(child), Median(transfer));
    return 0;
}
