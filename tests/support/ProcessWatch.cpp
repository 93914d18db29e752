#include "support/ProcessWatch.h"

#include <signal.h>

#include <string>
#include <thread>

#include "support/TempDir.h"

namespace testsupport {

bool IsRunning(pid_t pid) {
    if (kill(pid, 0) != 0)
        return false;
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    const size_t paren = stat.rfind(')');
    return paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] != 'Z' &&
           stat[paren + 2] != 'X';
}

bool EndsSoon(pid_t pid, std::chrono::milliseconds guard) {
    const auto end = std::chrono::steady_clock::now() + guard;
    while (IsRunning(pid)) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace testsupport
