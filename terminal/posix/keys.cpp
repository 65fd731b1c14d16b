#include "terminal/posix/keys.h"

#include <algorithm>
#include <cstring>

namespace {

// The square the line names, if the aim's board has it.
bool lineSquare(const Keys& t, Coord* square) {
    int x = 0;
    int y = 0;
    if (!t.aim.squareOf || !t.aim.squareOf(t.line.c_str(), &x, &y)) return false;
    if (x < 0 || x >= t.aim.columns || y < 0 || y >= t.aim.rows) return false;
    *square = {x, y};
    return true;
}

// An arrow key (A up, B down, C right, D left): one square on, stopping at
// the board's edges; the line names the square aimed at.
void arrow(Keys& t, char which) {
    if (!t.aiming) return;
    Coord at = t.aimed.x >= 0 ? t.aimed : Coord{0, 0};
    lineSquare(t, &at);
    int x = at.x + (which == 'C') - (which == 'D');
    int y = at.y + (which == 'B') - (which == 'A');
    t.aimed = {std::clamp(x, 0, t.aim.columns - 1), std::clamp(y, 0, t.aim.rows - 1)};
    t.line = static_cast<char>('a' + t.aimed.x) + std::to_string(t.aimed.y + 1);
    t.aimShown = true;
}

// Takes key into the escape sequence under way, if any: ESC [ with
// parameters and a final byte, ESC O and a byte, and the Linux console's
// ESC [ [ and a byte for its function keys. Returns false when the key is
// not part of one and counts as typed.
bool escapeKey(Keys& t, unsigned char key) {
    using E = Keys::Escape;
    bool printable = key >= 0x20 && key < 0x7f;
    switch (t.escape) {
        case E::None:
            if (key != 0x1b) return false;
            t.escape = E::Begun;
            return true;
        case E::Begun:
            t.escape = key == '[' ? E::Csi : key == 'O' ? E::Ss3 : key == 0x1b ? E::Begun : E::None;
            return t.escape != E::None;
        case E::Csi:
            if (key == '[') {
                t.escape = E::LinuxFunction;
                return true;
            }
            if (key >= 0x20 && key < 0x40) return true;  // parameters
            break;
        case E::LinuxFunction:
        case E::Ss3:
            break;
    }
    // The final byte; anything else breaks the sequence off and counts as typed.
    if (printable && t.escape != E::LinuxFunction && key >= 'A' && key <= 'D') arrow(t, static_cast<char>(key));
    t.escape = E::None;
    return printable;
}

// Applies one key to the line being typed. The terminal's own keys come
// first; Backspace sends DEL on some terminals and BS on others, and both
// erase. Returns true when the key ended the line, or the input.
bool edit(Keys& t, unsigned char key) {
    if (escapeKey(t, key)) return false;
    t.aimShown = false;
    const EditingKeys& k = t.settings;
    auto is = [key](unsigned char setting) { return setting != 0 && key == setting; };
    if (key == '\n') {
        if (t.aiming) lineSquare(t, &t.aimed);  // fired at: the next aim starts there
        t.lines += t.line;
        t.lines += '\n';
        t.line.clear();
        return true;
    }
    if (is(k.endOfInput)) {
        // On an empty line only: a terminal hands over what was typed, and
        // the game would wait for the rest of that line anyway.
        t.ended = t.line.empty();
        return t.ended;
    }
    if (is(k.kill)) {
        t.line.clear();
    } else if (is(k.wordErase)) {
        auto blank = [&t] { return t.line.back() == ' ' || t.line.back() == '\t'; };
        while (!t.line.empty() && blank()) t.line.pop_back();
        while (!t.line.empty() && !blank()) t.line.pop_back();
    } else if (is(k.erase) || key == 0x7f || key == '\b') {
        if (!t.line.empty()) t.line.pop_back();
    } else if (t.line.size() < KEYS_LINE_MAX) {
        t.line += static_cast<char>(key);
    }
    return false;
}

// fgets on text: through the first newline, or size - 1 bytes; short of
// both, only when whole says that no more will come.
bool takePiece(std::string& text, bool whole, char* buf, int size) {
    std::size_t room = static_cast<std::size_t>(size) - 1;
    std::size_t newline = text.find('\n');
    std::size_t n = newline == std::string::npos ? text.size() : newline + 1;
    if (n > room) {
        n = room;
    } else if (newline == std::string::npos && !whole) {
        return false;
    }
    if (n == 0) return false;
    std::memcpy(buf, text.data(), n);
    buf[n] = '\0';
    text.erase(0, n);
    return true;
}

}  // namespace

KeysRead keysReadLine(Keys& t, char* buf, int size) {
    if (size < 2) {
        if (size == 1) buf[0] = '\0';
        return KeysRead::End;
    }
    if (t.editing) {
        std::size_t used = 0;
        while (t.lines.empty() && !t.ended && used < t.input.size()) edit(t, static_cast<unsigned char>(t.input[used++]));
        t.input.erase(0, used);
        if (takePiece(t.lines, t.ended, buf, size)) return KeysRead::Line;
    } else if (takePiece(t.input, t.ended, buf, size)) {
        return KeysRead::Line;
    }
    if (!t.ended) return KeysRead::More;
    buf[0] = '\0';
    return KeysRead::End;
}

void keysEndOfInput(Keys& t) {
    // Keys read before the end still count, and a line cut off by it comes
    // as a last line without its newline.
    if (t.editing) {
        for (std::size_t i = 0; i < t.input.size() && !t.ended; i++) edit(t, static_cast<unsigned char>(t.input[i]));
        t.input.clear();
        t.lines += t.line;
        t.line.clear();
    }
    t.ended = true;
}

void keysAim(Keys& t, const TerminalAim* aim) {
    t.aiming = aim != nullptr;
    if (aim) t.aim = *aim;
    t.aimed = {-1, -1};
    t.aimShown = false;
}
