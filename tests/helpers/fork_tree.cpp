// fork_tree MS [FILE]: starts two children, the second in a session of its
// own, each with a grandchild; every one of them sleeps MS milliseconds.
// Once all four exist it writes "pid=<pid>" for each and "ready" to FILE (or
// standard output), then sleeps MS milliseconds itself and exits 0.
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void SleepMs(long ms) {
    timespec left{ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0) {
    }
}

// The child: an optional new session, a grandchild, then its pid and the
// grandchild's through the pipe.
void RunChild(bool bNewSession, int nWriteFd, long ms) {
    if (bNewSession)
        setsid();
    pid_t grandchild = fork();
    if (grandchild == 0) {
        SleepMs(ms);
        _exit(0);
    }
    pid_t both[2] = {getpid(), grandchild};
    ssize_t ignored = write(nWriteFd, both, sizeof(both));
    (void)ignored;
    SleepMs(ms);
    _exit(0);
}

}  // namespace

int main(int argc, char** argv) {
    long ms = argc > 1 ? strtol(argv[1], nullptr, 10) : 10000;
    int fds[2];
    if (pipe(fds) != 0)
        return 1;
    for (bool bNewSession : {false, true}) {
        pid_t child = fork();
        if (child < 0)
            return 1;
        if (child == 0)
            RunChild(bNewSession, fds[1], ms);
    }
    close(fds[1]);
    std::string text;
    pid_t both[2];
    for (int i = 0; i < 2; ++i) {
        if (read(fds[0], both, sizeof(both)) != sizeof(both))
            return 1;
        text += "pid=" + std::to_string(both[0]) + "\npid=" + std::to_string(both[1]) + "\n";
    }
    text += "ready\n";
    int out = argc > 2 ? open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0644) : STDOUT_FILENO;
    if (out < 0 || write(out, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        return 1;
    SleepMs(ms);
    return 0;
}
