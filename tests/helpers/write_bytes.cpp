// write_bytes N [err]: writes N bytes ('a'..'z' repeating) to standard output,
// or to standard error with "err", then exits 0.
#include <unistd.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    unsigned long long left = strtoull(argv[1], nullptr, 10);
    int fd = (argc > 2 && strcmp(argv[2], "err") == 0) ? 2 : 1;
    static char block[65536];
    for (size_t i = 0; i < sizeof(block); ++i)
        block[i] = static_cast<char>('a' + i % 26);
    while (left > 0) {
        size_t n = left < sizeof(block) ? static_cast<size_t>(left) : sizeof(block);
        ssize_t written = write(fd, block, n);
        if (written <= 0)
            return 1;
        left -= static_cast<size_t>(written);
    }
    return 0;
}
