#include "terminal/posix/wait.h"

#include <poll.h>
#include <sys/select.h>
#include <unistd.h>

namespace {

// One read: what a burst of signals leaves beyond it only wakes the next
// wait at once, for a redraw that sends nothing.
void drain(int fd) {
    char bytes[256];
    (void)!read(fd, bytes, sizeof bytes);
}

}  // namespace

Woken waitFor(int input, int output, int wake, bool useSelect) {
    if (useSelect) {
        // A reader that went away before the wait is noticed all the same.
        pollfd out{output, 0, 0};
        if (output >= 0 && poll(&out, 1, 0) > 0 && (out.revents & (POLLERR | POLLHUP))) return Woken::Gone;
        fd_set in;
        FD_ZERO(&in);
        if (input >= 0) FD_SET(input, &in);
        FD_SET(wake, &in);
        if (select((input > wake ? input : wake) + 1, &in, nullptr, nullptr, nullptr) < 0) return Woken::Signal;
        if (FD_ISSET(wake, &in)) {
            drain(wake);
            return Woken::Signal;
        }
        return Woken::Keys;
    }
    pollfd fds[3] = {{input, POLLIN, 0}, {output, 0, 0}, {wake, POLLIN, 0}};
    if (poll(fds, 3, -1) < 0) return Woken::Signal;
    if ((fds[0].revents | fds[1].revents | fds[2].revents) & POLLNVAL) return Woken::NoPoll;
    if (fds[1].revents & (POLLERR | POLLHUP)) return Woken::Gone;
    if (fds[2].revents) {
        drain(wake);
        return Woken::Signal;
    }
    return Woken::Keys;
}
