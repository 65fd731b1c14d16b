#include "terminal/posix/keys.h"

namespace {

void make(KeyDecoder& k, EventKind kind, unsigned char ch = 0, Coord at = {0, 0}) { k.events.push_back({kind, ch, at}); }

// A mouse report of button code b at column x, row y (from 1): the main
// button pressed, with or without Shift, Alt or Ctrl, is a click; a
// release, a move, the wheel and the other buttons are nothing.
void mouseReport(KeyDecoder& k, int b, int x, int y) {
    constexpr int MODIFIERS = 4 | 8 | 16;
    if ((b & ~MODIFIERS) == 0 && x >= 1 && y >= 1) make(k, EventKind::Click, 0, {x - 1, y - 1});
}

// Takes key into the escape sequence under way, if any: ESC [ with
// parameters and a final byte, ESC O and a byte, the Linux console's
// ESC [ [ and a byte for its function keys, and the mouse's reports, ESC [ <
// b ; x ; y and M or m (SGR), or ESC [ M and three bytes. Returns false when
// the key is not part of one and counts as typed.
bool escapeKey(KeyDecoder& k, unsigned char key) {
    using E = KeyDecoder::Escape;
    bool printable = key >= 0x20 && key < 0x7f;
    switch (k.escape) {
        case E::None:
            if (key != 0x1b) return false;
            k.escape = E::Begun;
            k.reportBytes = 0;
            return true;
        case E::Begun:
            k.escape = key == '[' ? E::Csi : key == 'O' ? E::Ss3 : key == 0x1b ? E::Begun : E::None;
            return k.escape != E::None;
        case E::Csi:
            if (key == '[') {  // the Linux console's function keys
                k.escape = E::LinuxFunction;
                return true;
            }
            // Right after ESC [, the mouse.
            if (k.reportBytes == 0 && key == '<') {
                k.escape = E::SgrMouse;
                k.report[0] = k.report[1] = k.report[2] = 0;
                return true;
            }
            if (k.reportBytes == 0 && key == 'M') {
                k.escape = E::X10Mouse;
                return true;
            }
            if (key >= 0x20 && key < 0x40) {  // parameters
                k.reportBytes++;
                return true;
            }
            break;
        case E::SgrMouse:
            if (key >= '0' && key <= '9' && k.reportBytes < 3) {
                int& n = k.report[k.reportBytes];
                if (n < 100000) n = n * 10 + (key - '0');
                return true;
            }
            if (key == ';' && k.reportBytes < 2) {
                k.reportBytes++;
                return true;
            }
            if ((key == 'M' || key == 'm') && k.reportBytes == 2) {
                if (key == 'M') mouseReport(k, k.report[0], k.report[1], k.report[2]);
                k.escape = E::None;
                return true;
            }
            break;
        case E::X10Mouse:
            k.report[k.reportBytes++] = key;
            if (k.reportBytes == 3) {
                mouseReport(k, k.report[0] - 32, k.report[1] - 32, k.report[2] - 32);
                k.escape = E::None;
            }
            return true;
        case E::LinuxFunction:
        case E::Ss3:
            break;
    }
    // The final byte; anything else breaks the sequence off and counts as typed.
    if (printable && (k.escape == E::Csi || k.escape == E::Ss3) && key >= 'A' && key <= 'D') {
        constexpr EventKind ARROWS[] = {EventKind::Up, EventKind::Down, EventKind::Right, EventKind::Left};
        make(k, ARROWS[key - 'A']);
    }
    k.escape = E::None;
    return printable;
}

// One key, as an event. The terminal's own keys come first; Backspace sends
// DEL on some terminals and BS on others, and both erase.
void key(KeyDecoder& k, unsigned char key) {
    if (escapeKey(k, key)) return;
    const EditingKeys& s = k.settings;
    auto is = [key](unsigned char setting) { return setting != 0 && key == setting; };
    if (key == '\n') {
        make(k, EventKind::Enter);
    } else if (is(s.endOfInput)) {
        make(k, EventKind::EndKey);
    } else if (is(s.kill)) {
        make(k, EventKind::EraseLine);
    } else if (is(s.wordErase)) {
        make(k, EventKind::EraseWord);
    } else if (is(s.erase) || key == 0x7f || key == '\b') {
        make(k, EventKind::Erase);
    } else {
        make(k, EventKind::Char, key);
    }
}

}  // namespace

void keysFeed(KeyDecoder& k, std::string_view bytes) {
    if (k.ended) return;
    for (char b : bytes) {
        auto byte = static_cast<unsigned char>(b);
        if (k.editing) {
            key(k, byte);
        } else {
            make(k, byte == '\n' ? EventKind::Enter : EventKind::Char, byte == '\n' ? 0 : byte);
        }
    }
}

void keysEnd(KeyDecoder& k) {
    if (k.ended) return;
    k.ended = true;
    make(k, EventKind::End);
}

void keysDrop(KeyDecoder& k) {
    k.events.clear();
    k.escape = KeyDecoder::Escape::None;
    if (k.ended) make(k, EventKind::End);
}
