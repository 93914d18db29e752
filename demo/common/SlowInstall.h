#pragma once
// The slow mode of the demo installers: with TOVADOC_DEMO_INSTALL_MS=N in
// the environment they take N milliseconds before installing, spent in a
// child process of their own, as real setup programs spend it in helpers.
// Ending the installer's whole process tree ends that child too.
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>

inline void DemoSlowInstall() {
    const char* pszMs = std::getenv("TOVADOC_DEMO_INSTALL_MS");
    const long nMs = pszMs ? std::strtol(pszMs, nullptr, 10) : 0;
    if (nMs <= 0) {
        return;
    }
    pid_t pid = fork();
    if (pid == 0) {
        timespec left{nMs / 1000, (nMs % 1000) * 1000000L};
        while (nanosleep(&left, &left) != 0) {
        }
        _exit(0);
    }
    if (pid > 0) {
        while (waitpid(pid, nullptr, 0) < 0) {
        }
    }
}
