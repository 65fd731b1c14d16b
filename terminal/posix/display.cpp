#include "terminal/posix/display.h"

#include <algorithm>
#include <string_view>

#include "terminal/posix/terminfo.h"

namespace {

bool tooSmall(const Display& d) { return d.screen.rows < DISPLAY_MIN_ROWS || d.screen.cols < DISPLAY_MIN_COLS; }

// The notice shown in place of the game on a terminal too small for it, cut
// into rows at the terminal's edge. Drawn once for each size.
std::string notice(Display& d) {
    int rows = d.screen.rows;
    int cols = std::max(d.screen.cols, 1);
    if (d.notice.x == cols && d.notice.y == rows) return "";
    d.notice = {cols, rows};
    std::string text = "salvo needs a terminal of " + std::to_string(DISPLAY_MIN_COLS) + " x " +
                       std::to_string(DISPLAY_MIN_ROWS) + " (this one is " + std::to_string(d.screen.cols) + " x " +
                       std::to_string(rows) + ")";
    std::string out = "\x1b[r\x1b[m\x1b[H\x1b[2J";
    // Words wrapped at the edge; a word longer than a row is cut.
    auto width = static_cast<std::size_t>(cols);
    std::size_t from = 0;
    for (int row = 0; row < rows && from < text.size(); row++) {
        std::size_t end = std::min(from + width, text.size());
        std::size_t space = text.rfind(' ', end);
        if (end < text.size() && space != std::string::npos && space > from) end = space;
        if (row > 0) out += ansiSequence({row + 1}, 'H');
        out += text.substr(from, end - from);
        from = text.find_first_not_of(' ', end);
    }
    // The game comes back from a clear screen.
    d.screen.known = false;
    return out;
}

}  // namespace

bool displayFits(const Display& d) { return !tooSmall(d); }

std::string displayShow(Display& d) {
    if (tooSmall(d)) return notice(d);
    d.notice = {0, 0};
    return frameDiff(d.screen, d.frame, d.cursor);
}

void displayKeepFrame(Display& d, const Frame& frame, const Coord* cursor) {
    d.frame = frame;
    if (cursor) d.cursor = *cursor;
}

bool displayColour(ColourChoice choice, const char* noColor, int colours) {
    return terminalColourWanted(choice, noColor, colours == TERMINFO_UNKNOWN || colours >= 8);
}

void displayRepaint(Display& d, int rows, int cols) {
    d.screen.rows = rows;
    d.screen.cols = cols;
    d.screen.known = false;
    d.notice = {0, 0};
}
