#error "<error.h> is glibc's alone: print the message and exit"
