// Preloaded into the real program by the e2e tests, to see a failed
// assertion through a real terminal: once the game has read a key, rand()
// draws -1, and the computer's first shot falls off the board.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>

namespace {
bool keysRead = false;
}

extern "C" ssize_t read(int fd, void* buf, std::size_t n) {
    static auto real = reinterpret_cast<ssize_t (*)(int, void*, std::size_t)>(dlsym(RTLD_NEXT, "read"));
    keysRead = keysRead || fd == STDIN_FILENO;
    return real(fd, buf, n);
}

extern "C" int rand() noexcept {
    static auto real = reinterpret_cast<int (*)()>(dlsym(RTLD_NEXT, "rand"));
    return keysRead ? -1 : real();
}
