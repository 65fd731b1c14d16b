// Read ahead of every source file in the posix preset's build, the stand-in
// on Linux for macOS and the BSDs. That build takes back the _GNU_SOURCE the
// compiler defines and asks glibc for POSIX.1-2008 alone, so that a call
// those systems lack (pipe2, accept4, ...) no longer compiles. Headers that
// only glibc or Linux have declare what they declare whatever is asked: the
// tempting ones (<pty.h> for forkpty, <sys/eventfd.h>, ...) are shadowed by
// the files beside this one, which stop the build with what to use instead.
//
// libstdc++ itself, though, is built for glibc with _GNU_SOURCE, and its
// headers call three of glibc's own functions (<memory> reaches two of them
// through the atomic waits of C++20). They are declared here, for the
// library's sake only, as glibc declares them.
#include <pthread.h>
#include <time.h>

extern "C" {
long syscall(long number, ...) noexcept;
int pthread_cond_clockwait(pthread_cond_t* cond, pthread_mutex_t* mutex, clockid_t clock, const timespec* until);
int pthread_mutex_clocklock(pthread_mutex_t* mutex, clockid_t clock, const timespec* until) noexcept;
}
