// Apart from the rest of the layer: <term.h> defines a macro for every
// capability's name, lines and columns among them.
#include "terminal/posix/terminfo.h"

#include <term.h>
#include <unistd.h>

int terminfoColours(const char* term) {
    if (!term || !*term) return TERMINFO_UNKNOWN;
    int status = 0;
    if (setupterm(term, STDOUT_FILENO, &status) != 0) return TERMINFO_UNKNOWN;
    char colours[] = "colors";  // older headers take a char*
    int n = tigetnum(colours);
    del_curterm(cur_term);
    return n < 0 ? -1 : n;
}
