// fork_linger MS: starts a grandchild that keeps standard output open and
// sleeps MS milliseconds, prints "grandchild=<pid>" and exits 0 at once.
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    long ms = argc > 1 ? strtol(argv[1], nullptr, 10) : 10000;
    pid_t pid = fork();
    if (pid < 0)
        return 1;
    if (pid == 0) {
        timespec left{ms / 1000, (ms % 1000) * 1000000L};
        while (nanosleep(&left, &left) != 0) {
        }
        _exit(0);
    }
    printf("grandchild=%d\n", static_cast<int>(pid));
    return 0;
}
