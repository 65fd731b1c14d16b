#include "screen/line_editor.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "rules/text.h"

namespace {

// The square the line names, if the aimed board has it.
bool lineSquare(const LineEditor& e, Coord* square) {
    int x = 0;
    int y = 0;
    if (!squareOfText(e.line.c_str(), &x, &y)) return false;
    if (x < 0 || x >= e.board.columns || y < 0 || y >= e.board.rows) return false;
    *square = {x, y};
    return true;
}

std::string squareName(Coord square) { return static_cast<char>('a' + square.x) + std::to_string(square.y + 1); }

// An arrow key: one square on, stopping at the board's edges; the line
// names the square aimed at.
void arrow(LineEditor& e, EventKind which) {
    if (!e.aiming) return;
    Coord at = e.aimed.x >= 0 ? e.aimed : Coord{0, 0};
    lineSquare(e, &at);
    int x = at.x + (which == EventKind::Right) - (which == EventKind::Left);
    int y = at.y + (which == EventKind::Down) - (which == EventKind::Up);
    e.aimed = {std::clamp(x, 0, e.board.columns - 1), std::clamp(y, 0, e.board.rows - 1)};
    e.line = squareName(e.aimed);
    e.aimShown = true;
}

void enter(LineEditor& e) {
    if (e.aiming) lineSquare(e, &e.aimed);  // fired at: the next aim starts there
    e.lines += e.line;
    e.lines += '\n';
    e.line.clear();
}

// The number a menu's line offers, as " 2 - quit" shows it, or "" for
// another line.
std::string menuNumber(const Frame& screen, int y) {
    if (y < 0 || y >= SCREEN_HEIGHT) return "";
    std::string row;
    for (int x = 0; x < SCREEN_WIDTH; x++) row += static_cast<char>(screen[static_cast<std::size_t>(x + y * SCREEN_WIDTH)].ch);
    std::size_t from = row.find_first_not_of(std::string_view(" \0", 2));
    std::size_t to = from == std::string::npos ? from : row.find_first_not_of("0123456789", from);
    if (from == std::string::npos || to == from || row.compare(to, 3, " - ") != 0) return "";
    return row.substr(from, to - from);
}

void click(LineEditor& e, Coord cell, const Frame& screen) {
    switch (e.clicks) {
        case Clicks::Ignored: return;
        case Clicks::Squares: {
            Coord square{cell.x - e.board.a1.x, cell.y - e.board.a1.y};
            bool on = square.x >= 0 && square.x < e.board.columns && square.y >= 0 && square.y < e.board.rows;
            e.line = on ? squareName(square) : "";
            break;
        }
        case Clicks::MenuLines:
            e.line = menuNumber(screen, cell.y);
            if (e.line.empty()) return;
            break;
    }
    enter(e);
}

}  // namespace

void editorApply(LineEditor& e, const TerminalEvent& event, const Frame& screen, bool atTerminal) {
    if (e.ended) return;
    switch (event.kind) {
        case EventKind::None:
        case EventKind::Resize: return;
        case EventKind::Up:
        case EventKind::Down:
        case EventKind::Left:
        case EventKind::Right: arrow(e, event.kind); return;
        case EventKind::Char:
            if (e.hintKey && event.ch == '?' && e.line.empty()) {
                e.hintAsked = true;
            } else if (!atTerminal || e.line.size() < EDITOR_LINE_MAX) {
                e.line += static_cast<char>(event.ch);
            }
            break;
        case EventKind::Enter: enter(e); break;
        case EventKind::Erase:
            if (!e.line.empty()) e.line.pop_back();
            break;
        case EventKind::EraseLine: e.line.clear(); break;
        case EventKind::EraseWord: {
            auto blank = [&e] { return e.line.back() == ' ' || e.line.back() == '\t'; };
            while (!e.line.empty() && blank()) e.line.pop_back();
            while (!e.line.empty() && !blank()) e.line.pop_back();
            break;
        }
        case EventKind::Click: click(e, event.at, screen); break;
        case EventKind::EndKey:
            // On an empty line only: a terminal hands over what was typed, and
            // the game would wait for the rest of that line anyway.
            e.ended = e.line.empty();
            break;
        case EventKind::End:
            e.lines += e.line;
            e.line.clear();
            e.ended = true;
            break;
    }
    e.aimShown = false;
}

bool editorTake(LineEditor& e, char* buf, int size) {
    if (size < 2) return false;
    std::size_t room = static_cast<std::size_t>(size) - 1;
    std::size_t newline = e.lines.find('\n');
    std::size_t n = newline == std::string::npos ? e.lines.size() : newline + 1;
    if (n > room) {
        n = room;
    } else if (newline == std::string::npos && !e.ended) {
        return false;
    }
    if (n == 0) return false;
    std::memcpy(buf, e.lines.data(), n);
    buf[n] = '\0';
    e.lines.erase(0, n);
    return true;
}

void editorAim(LineEditor& e, const AimBoard* board) {
    e.aiming = board != nullptr;
    if (board) e.board = *board;
    e.clicks = board ? Clicks::Squares : Clicks::Ignored;
    e.aimed = {-1, -1};
    e.aimShown = false;
}

void editorAimTo(LineEditor& e, Coord square) {
    e.aimed = square;
    e.line = squareName(square);
    e.aimShown = true;
}

void editorDrop(LineEditor& e) {
    e.line.clear();
    e.lines.clear();
    e.aimShown = false;
}

void editorCompose(const LineEditor& e, Frame& cells, Coord& cursor, int rows) {
    int height = std::clamp(rows, 1, SCREEN_HEIGHT);
    int start = std::clamp(cursor.x, 0, SCREEN_WIDTH - 1) + std::clamp(cursor.y, 0, height - 1) * SCREEN_WIDTH;
    int room = height * SCREEN_WIDTH - start - 1;  // a cell stays free for the cursor
    if (room < 0) return;
    std::string_view typed = e.line;
    if (typed.size() > static_cast<std::size_t>(room)) typed.remove_prefix(typed.size() - static_cast<std::size_t>(room));
    for (std::size_t i = 0; i < typed.size(); i++) {
        cells[static_cast<std::size_t>(start) + i] = {static_cast<unsigned char>(typed[i]), ATTR_PLAIN};
    }
    int end = start + static_cast<int>(typed.size());
    cursor = {end % SCREEN_WIDTH, end / SCREEN_WIDTH};
    if (!e.aiming || !e.aimShown) return;
    int x = e.board.a1.x + e.aimed.x;
    int y = e.board.a1.y + e.aimed.y;
    auto highlight = [&cells](int cx, int cy) {
        if (cx >= 0 && cx < SCREEN_WIDTH && cy >= 0 && cy < SCREEN_HEIGHT) {
            cells[static_cast<std::size_t>(cx + cy * SCREEN_WIDTH)].attr |= ATTR_REVERSE;
        }
    };
    highlight(x, e.board.a1.y - 2);
    highlight(e.board.a1.x - 3, y);
    highlight(e.board.a1.x - 2, y);
    cursor = {x, y};
}
