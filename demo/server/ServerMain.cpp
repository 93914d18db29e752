// tovadoc-demo-server: the download and statistics servers of the demo.
// Prints "listening on http://127.0.0.1:<port>" first, then one line per
// request and one "record <json>" line per decoded statistics record.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "demo/server/CDemoServer.h"

namespace {

void Usage() {
    std::fprintf(stderr,
                 "usage: tovadoc-demo-server [--port N] [--files DIR] [--stats FILE]\n"
                 "         [--net ok|fail|missing] [--pack ok|fail|hang|missing|busy|cut-once]\n"
                 "         [--slow-ms N]\n");
}

}  // namespace

int main(int argc, char** argv) {
    DemoServerOptions options;
    std::error_code ec;
    options.strFilesDir =
        std::filesystem::read_symlink("/proc/self/exe", ec).parent_path().string();
    int nPort = 0;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (i + 1 >= argc) {
            Usage();
            return 2;
        }
        std::string value = argv[++i];
        if (arg == "--port")
            nPort = std::atoi(value.c_str());
        else if (arg == "--files")
            options.strFilesDir = value;
        else if (arg == "--stats")
            options.strStatsFile = value;
        else if (arg == "--net")
            options.strNetMode = value;
        else if (arg == "--pack")
            options.strPackMode = value;
        else if (arg == "--slow-ms")
            options.nSlowMs = std::atoi(value.c_str());
        else {
            Usage();
            return 2;
        }
    }
    if (options.strNetMode != "ok" && options.strNetMode != "fail" &&
        options.strNetMode != "missing") {
        Usage();
        return 2;
    }
    if (options.strPackMode != "ok" && options.strPackMode != "fail" &&
        options.strPackMode != "hang" && options.strPackMode != "missing" &&
        options.strPackMode != "busy" && options.strPackMode != "cut-once") {
        Usage();
        return 2;
    }

    // Stop on SIGTERM/SIGINT from a thread of our own: stopping the server
    // is not safe inside a signal handler.
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);

    CDemoServer server(options);
    int nBound = server.Bind(nPort);
    if (nBound < 0) {
        std::fprintf(stderr, "tovadoc-demo-server: cannot listen on 127.0.0.1:%d\n", nPort);
        return 1;
    }
    std::printf("listening on http://127.0.0.1:%d\n", nBound);
    std::fflush(stdout);

    std::thread waiter([&server, set] {
        int sig = 0;
        sigwait(&set, &sig);
        server.Stop();
    });
    bool bOk = server.Run();
    // Wake the waiter when the server ended by itself.
    if (!bOk)
        kill(getpid(), SIGTERM);
    waiter.join();
    return bOk ? 0 : 1;
}
