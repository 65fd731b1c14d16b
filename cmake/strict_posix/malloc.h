#error "<malloc.h> is glibc's alone: malloc and free are in <cstdlib>"
