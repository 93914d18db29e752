// Writes "abc", a zero byte and "def" in one write, then exits 0.
#include <unistd.h>

int main() {
    const char text[] = {'a', 'b', 'c', '\0', 'd', 'e', 'f'};
    return write(1, text, sizeof(text)) == sizeof(text) ? 0 : 1;
}
