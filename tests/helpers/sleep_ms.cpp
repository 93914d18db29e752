// sleep_ms MS [text]: writes text (if given) and a line feed, then sleeps MS
// milliseconds and exits 0.
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    long ms = argc > 1 ? strtol(argv[1], nullptr, 10) : 1000;
    if (argc > 2) {
        ssize_t ignored = write(1, argv[2], strlen(argv[2]));
        ignored = write(1, "\n", 1);
        (void)ignored;
    }
    timespec left{ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0) {
    }
    return 0;
}
