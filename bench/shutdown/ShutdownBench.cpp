// Measures how long destroying the install manager takes while its worker is
// blocked: in stand-in waits (a child process, a polling loop) and in the
// real package steps (a download from a loopback server that trickles or
// stalls, a package installer that never ends). The baseline is destroying
// a manager whose worker has already ended, measured in the same process.
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "install/CInstallMgr.h"
#include "install/EventInstallCallBack.h"
#include "toolkit/core/SNotifyCenter.h"
#include "toolkit/core/SRunLoopUntil.h"

extern char** environ;

namespace {

enum class Block { None, ChildWait, TransferWait, RealTrickle, RealStall, RealInstaller };

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

// Only the package steps are real; nothing else touches the machine.
class RealStepsInstallMgr : public CInstallMgr {
public:
    ~RealStepsInstallMgr() override { EndInstallThread(); }
    void EndProductProcesses() override {}
    bool CheckNetFile() override { return true; }
    bool AfterInstall() override { return true; }
};

// Serves /trickle (a byte every 20 ms) and /stall (one byte, then silence).
class SlowServer {
public:
    SlowServer() {
        m_server.Get("/trickle", [this](const httplib::Request&, httplib::Response& res) {
            Serve(res, 20, true);
        });
        m_server.Get("/stall", [this](const httplib::Request&, httplib::Response& res) {
            Serve(res, 10, false);
        });
        m_nPort = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        for (int i = 0; i < 3000 && !m_server.is_running(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~SlowServer() {
        m_bStopping = true;
        m_server.stop();
        m_thread.join();
    }
    int Port() const { return m_nPort; }
    std::atomic<int> nRequests{0};

private:
    void Serve(httplib::Response& res, int nPauseMs, bool bKeepSending) {
        ++nRequests;
        res.set_chunked_content_provider(
            "application/octet-stream",
            [this, nPauseMs, bKeepSending, bFirst = true](size_t, httplib::DataSink& sink) mutable {
                if (bFirst || bKeepSending)
                    sink.write("x", 1);
                bFirst = false;
                std::this_thread::sleep_for(std::chrono::milliseconds(nPauseMs));
                return !m_bStopping.load() && sink.is_writable();
            });
    }

    httplib::Server m_server;
    std::thread m_thread;
    std::atomic<bool> m_bStopping{false};
    int m_nPort = 0;
};

// The installer's folder for the real steps: Install.ini pointing at the
// server, and for the installer case a package that never ends.
std::filesystem::path MakeInstallerDir(Block block, int nPort) {
    char tmpl[] = "/tmp/tovadoc-shutdown-XXXXXX";
    std::filesystem::path dir = mkdtemp(tmpl);
    std::ofstream(dir / "Install.ini")
        << "[Config]\ninstall_pack_url=http://127.0.0.1:" << nPort
        << (block == Block::RealStall ? "/stall" : "/trickle") << "\n";
    if (block == Block::RealInstaller) {
        std::ofstream(dir / "TovadocSetup.exe")
            << "#!/bin/sh\n: > \"$0.started\"\nexec sleep 600\n";
    }
    return dir;
}

// Milliseconds spent destroying a manager whose real package step is under way.
std::vector<double> MeasureReal(Block block, int nReps, SlowServer& server) {
    std::vector<double> figures;
    for (int i = 0; i < nReps; ++i) {
        std::filesystem::path dir = MakeInstallerDir(block, server.Port());
        auto* pMgr = new RealStepsInstallMgr;
        pMgr->m_strExeDir = dir.wstring();
        pMgr->m_strInstallDir = (dir / "Tovadoc").wstring();
        int nRequestsBefore = server.nRequests.load();
        pMgr->BeginInstallThread();
        bool bReady = SOUI::RunLoopUntil(
            [&] {
                return block == Block::RealInstaller
                           ? std::filesystem::exists(dir / "TovadocSetup.exe.started")
                           : server.nRequests.load() > nRequestsBefore;
            },
            30000);
        if (!bReady) {
            std::fprintf(stderr, "real step did not get under way\n");
            std::exit(1);
        }
        // Let the transfer or the wait settle into its steady state.
        SOUI::RunLoopFor(100);
        auto start = std::chrono::steady_clock::now();
        delete pMgr;
        auto end = std::chrono::steady_clock::now();
        figures.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        SOUI::RunLoopFor(1);
        std::filesystem::remove_all(dir);
    }
    return figures;
}

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
    std::vector<double> trickle, stall, installer;
    {
        SlowServer server;
        trickle = MeasureReal(Block::RealTrickle, nReps, server);
        stall = MeasureReal(Block::RealStall, nReps, server);
        installer = MeasureReal(Block::RealInstaller, nReps, server);
    }
    delete pCenter;

    Print("finished worker (baseline)", baseline);
    Print("blocked in child wait", child);
    Print("blocked in transfer wait", transfer);
    Print("real download, trickling", trickle);
    Print("real download, stalled", stall);
    Print("real package installer", installer);
    double base = std::max(Median(baseline), 1e-6);
    std::printf(
        "ratio to baseline: child wait %.0fx, transfer wait %.0fx, trickling %.0fx, "
        "stalled %.0fx, installer %.0fx\n",
        Median(child) / base, Median(transfer) / base, Median(trickle) / base, Median(stall) / base,
        Median(installer) / base);
    double worst = std::max(
        {Median(child), Median(transfer), Median(trickle), Median(stall), Median(installer)});
    std::printf("median shutdown while blocked: worst case %.3f ms (goal < 1000 ms)\n", worst);
    return 0;
}
