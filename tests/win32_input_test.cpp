// The Windows console's input records as the game's events: run under wine.
#include <gtest/gtest.h>

#include <vector>

#include "terminal/win32/win32_input.h"

namespace {

INPUT_RECORD keyDown(WORD key, WCHAR c, DWORD state = 0, WORD repeat = 1) {
    INPUT_RECORD r{};
    r.EventType = KEY_EVENT;
    r.Event.KeyEvent.bKeyDown = TRUE;
    r.Event.KeyEvent.wRepeatCount = repeat;
    r.Event.KeyEvent.wVirtualKeyCode = key;
    r.Event.KeyEvent.uChar.UnicodeChar = c;
    r.Event.KeyEvent.dwControlKeyState = state;
    return r;
}

INPUT_RECORD mouse(DWORD buttons, DWORD flags, SHORT x, SHORT y) {
    INPUT_RECORD r{};
    r.EventType = MOUSE_EVENT;
    r.Event.MouseEvent.dwButtonState = buttons;
    r.Event.MouseEvent.dwEventFlags = flags;
    r.Event.MouseEvent.dwMousePosition = {x, y};
    return r;
}

}  // namespace

// Each row a run of records from a fresh console, and the events they make.
TEST(Win32Input, RecordsBecomeTheGamesEvents) {
    using K = EventKind;
    INPUT_RECORD up = keyDown('B', L'b');
    up.Event.KeyEvent.bKeyDown = FALSE;
    INPUT_RECORD sized{};
    sized.EventType = WINDOW_BUFFER_SIZE_EVENT;
    sized.Event.WindowBufferSizeEvent.dwSize = {80, 25};
    INPUT_RECORD focus{};
    focus.EventType = FOCUS_EVENT;
    const struct { const char* name; std::vector<INPUT_RECORD> records; std::vector<TerminalEvent> events; } rows[] = {
        {"characters, a key let go is nothing", {keyDown('B', L'b'), up, keyDown('7', L'7')}, {{K::Char, 'b'}, {K::Char, '7'}}},
        {"a key held: as often as it repeats", {keyDown('X', L'x', 0, 3)}, {{K::Char, 'x'}, {K::Char, 'x'}, {K::Char, 'x'}}},
        {"beyond ASCII: its UTF-8", {keyDown(0, 0xe9), keyDown(0, 0x20ac)}, {{K::Char, 0xc3}, {K::Char, 0xa9}, {K::Char, 0xe2}, {K::Char, 0x82}, {K::Char, 0xac}}},
        {"Enter, Backspace, Ctrl-Backspace, Esc", {keyDown(VK_RETURN, L'\r'), keyDown(VK_BACK, 8), keyDown(VK_BACK, 0x7f, LEFT_CTRL_PRESSED), keyDown(VK_ESCAPE, 27)},
         {{K::Enter}, {K::Erase}, {K::EraseWord}, {K::EraseLine}}},
        {"Ctrl-U, Ctrl-W, Ctrl-Z", {keyDown('U', 0x15, LEFT_CTRL_PRESSED), keyDown('W', 0x17, RIGHT_CTRL_PRESSED), keyDown('Z', 0x1a, LEFT_CTRL_PRESSED)},
         {{K::EraseLine}, {K::EraseWord}, {K::EndKey}}},
        {"the arrows", {keyDown(VK_UP, 0), keyDown(VK_DOWN, 0), keyDown(VK_LEFT, 0), keyDown(VK_RIGHT, 0)}, {{K::Up}, {K::Down}, {K::Left}, {K::Right}}},
        {"other keys, focus: nothing", {keyDown(VK_F1, 0), keyDown(VK_SHIFT, 0), focus}, {}},
        {"the left button pressed, held (moved, the right one pressed too), let go, pressed again: two clicks",
         {mouse(FROM_LEFT_1ST_BUTTON_PRESSED, 0, 23, 4), mouse(FROM_LEFT_1ST_BUTTON_PRESSED, MOUSE_MOVED, 24, 4),
          mouse(FROM_LEFT_1ST_BUTTON_PRESSED | RIGHTMOST_BUTTON_PRESSED, 0, 24, 4), mouse(0, 0, 24, 4),
          mouse(FROM_LEFT_1ST_BUTTON_PRESSED, 0, 5, 21)},
         {{K::Click, 0, {23, 4}}, {K::Click, 0, {5, 21}}}},
        {"the right button, a move, the wheel: nothing",
         {mouse(RIGHTMOST_BUTTON_PRESSED, 0, 23, 4), mouse(0, MOUSE_MOVED, 23, 4), mouse(FROM_LEFT_1ST_BUTTON_PRESSED, MOUSE_WHEELED, 23, 4)}, {}},
        {"a new size", {sized}, {{K::Resize, 0, {80, 25}}}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        Win32Input state;
        std::deque<TerminalEvent> got;
        for (const INPUT_RECORD& record : r.records) win32Translate(state, record, &got);
        EXPECT_EQ(std::vector<TerminalEvent>(got.begin(), got.end()), r.events);
    }
}

// Reverse video, which the colourless looks and the aim use, as the colours
// swapped; colours and the underline of the latest shots as they are.
TEST(Win32Input, ReverseVideoIsTheColoursSwapped) {
    const std::pair<std::uint16_t, WORD> rows[] = {
        {ATTR_PLAIN, 0x07}, {199, 199}, {ATTR_PLAIN | ATTR_REVERSE, 0x70}, {103 | ATTR_REVERSE, 0x76},
        {ATTR_PLAIN | ATTR_REVERSE | ATTR_UNDERLINE, 0x70 | COMMON_LVB_UNDERSCORE}, {23 | ATTR_UNDERLINE, 23 | COMMON_LVB_UNDERSCORE},
    };
    for (auto [attr, shown] : rows) EXPECT_EQ(win32Attribute(attr), shown) << attr;
}
