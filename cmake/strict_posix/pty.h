#error "<pty.h> is glibc's alone: open a pseudo-terminal with posix_openpt, grantpt, unlockpt and ptsname"
