#error "<sys/timerfd.h> is Linux's alone: wait with poll or select, wake the wait with a pipe"
