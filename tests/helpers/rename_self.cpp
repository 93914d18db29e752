// rename_self NAME MS: gives itself the process name NAME (what the kernel
// keeps, at most 15 bytes), prints "renamed" and sleeps MS milliseconds.
#include <sys/prctl.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    prctl(PR_SET_NAME, argv[1], 0, 0, 0);
    std::printf("renamed\n");
    std::fflush(stdout);
    long ms = std::strtol(argv[2], nullptr, 10);
    timespec left{ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0) {
    }
    return 0;
}
