// The demo product: shows that it runs by appending a line to Tovadoc.log
// beside itself. "--wait N" keeps it running up to N seconds, as a real
// product would stay open (the process-ending tests rely on it).
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

int main(int argc, char** argv) {
    int nWaitSeconds = 0;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--wait" && i + 1 < argc)
            nWaitSeconds = std::atoi(argv[++i]);
    }
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        std::fprintf(stderr, "Tovadoc: cannot find my own folder\n");
        return 1;
    }
    std::filesystem::path log = self.parent_path() / "Tovadoc.log";
    std::ofstream out(log, std::ios::app);
    out << "Tovadoc started pid=" << getpid() << " time=" << std::time(nullptr) << "\n";
    out.close();
    std::printf("Tovadoc is running from %s\n", self.parent_path().c_str());
    std::fflush(stdout);
    // Bounded: the longest a test or the demo ever needs it alive.
    for (int i = 0; i < nWaitSeconds * 10 && i < 6000; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return out ? 0 : 1;
}
