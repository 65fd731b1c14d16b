// Apart from the rest of the layer: <term.h> defines a macro for every
// capability's name, lines and columns among them.
#include "terminal/posix/terminfo.h"

#include <string_view>

// After the standard headers: its macros would spoil them.
#include <term.h>
#include <unistd.h>

TerminfoMouse terminfoMouse(const char* term) {
    if (!term || !*term) return TerminfoMouse::None;
    int status = 0;
    if (setupterm(term, STDOUT_FILENO, &status) != 0) return TerminfoMouse::None;
    char name[] = "kmous";
    const char* kmous = tigetstr(name);
    TerminfoMouse mouse = TerminfoMouse::None;
    if (kmous && kmous != reinterpret_cast<char*>(-1)) {
        std::string_view key(kmous);
        mouse = key == "\x1b[<" ? TerminfoMouse::Sgr : key == "\x1b[M" ? TerminfoMouse::X10 : TerminfoMouse::None;
    }
    del_curterm(cur_term);
    return mouse;
}

int terminfoColours(const char* term) {
    if (!term || !*term) return TERMINFO_UNKNOWN;
    int status = 0;
    if (setupterm(term, STDOUT_FILENO, &status) != 0) return TERMINFO_UNKNOWN;
    char colours[] = "colors";  // older headers take a char*
    int n = tigetnum(colours);
    del_curterm(cur_term);
    return n < 0 ? -1 : n;
}
