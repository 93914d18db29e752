#pragma once
#include <sys/types.h>

#include <chrono>

namespace testsupport {

// Running: present and not a zombie. A killed process takes a moment to go,
// so EndsSoon waits for it up to the hang guard (not a timing check).
bool IsRunning(pid_t pid);
bool EndsSoon(pid_t pid, std::chrono::milliseconds guard = std::chrono::seconds(10));

}  // namespace testsupport
