// Prints each argument (not the program) on a line of its own as <arg>, so
// the caller sees exactly how a command line was split.
#include <cstdio>

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        printf("<%s>\n", argv[i]);
    return 0;
}
