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

// The aimed square on its board: the cursor on it, its column letter and its
// row number in reverse video.
void showAim(const Keys& k, Frame& cells, Coord& cursor) {
    int x = k.aim.a1.x + k.aimed.x;
    int y = k.aim.a1.y + k.aimed.y;
    auto highlight = [&cells](int cx, int cy) {
        if (cx >= 0 && cx < SCREEN_WIDTH && cy >= 0 && cy < SCREEN_HEIGHT) cells[ansiAt(cx, cy)].attr |= ATTR_REVERSE;
    };
    highlight(x, k.aim.a1.y - 2);
    highlight(k.aim.a1.x - 3, y);
    highlight(k.aim.a1.x - 2, y);
    cursor = {x, y};
}

// The game's frame with the line typed so far after its cursor (the end of
// the prompt), running on over the rows below it, which are blank; the
// cursor follows the typing. A line too long for that room shows its end.
void withTyping(const Display& d, const Keys& k, Frame& cells, Coord& cursor) {
    cells = d.frame;
    cursor = d.cursor;
    if (!k.editing || !k.reading) return;
    int height = std::min(d.screen.rows, SCREEN_HEIGHT);
    int start = std::clamp(cursor.x, 0, SCREEN_WIDTH - 1) + std::clamp(cursor.y, 0, height - 1) * SCREEN_WIDTH;
    int room = height * SCREEN_WIDTH - start - 1;  // a cell stays free for the cursor
    std::string_view typed = k.line;
    if (room < 0) return;
    if (typed.size() > static_cast<std::size_t>(room)) typed.remove_prefix(typed.size() - static_cast<std::size_t>(room));
    for (std::size_t i = 0; i < typed.size(); i++) {
        cells[static_cast<std::size_t>(start) + i] = {static_cast<unsigned char>(typed[i]), ATTR_PLAIN};
    }
    int end = start + static_cast<int>(typed.size());
    cursor = {end % SCREEN_WIDTH, end / SCREEN_WIDTH};
    if (k.aiming && k.aimShown) showAim(k, cells, cursor);
}

}  // namespace

bool displayFits(const Display& d) { return !tooSmall(d); }

std::string displayShow(Display& d, const Keys& keys) {
    if (tooSmall(d)) return notice(d);
    d.notice = {0, 0};
    Frame cells;
    Coord cursor;
    withTyping(d, keys, cells, cursor);
    return frameDiff(d.screen, cells, cursor);
}

void displayKeepFrame(Display& d, const Frame& frame, const Coord* cursor) {
    d.frame = frame;
    if (cursor) d.cursor = *cursor;
}

bool displayColour(ColourChoice choice, const char* noColor, int colours) {
    switch (choice) {
        case ColourChoice::Always: return true;
        case ColourChoice::Never: return false;
        case ColourChoice::Auto: break;
    }
    if (noColor && *noColor) return false;
    return colours == TERMINFO_UNKNOWN || colours >= 8;
}

void displayRepaint(Display& d, int rows, int cols) {
    d.screen.rows = rows;
    d.screen.cols = cols;
    d.screen.known = false;
    d.notice = {0, 0};
}
