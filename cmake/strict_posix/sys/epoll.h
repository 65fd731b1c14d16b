#error "<sys/epoll.h> is Linux's alone: wait with poll or select, wake the wait with a pipe"
