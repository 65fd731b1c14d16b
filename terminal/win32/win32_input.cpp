#include "terminal/win32/win32_input.h"

namespace {

void make(std::deque<TerminalEvent>* events, EventKind kind, unsigned char ch = 0, Coord at = {0, 0}) {
    events->push_back({kind, ch, at});
}

// A character typed, as the UTF-8 bytes of the game's cells; half a
// surrogate pair stands for no character, as '?'.
void character(std::deque<TerminalEvent>* events, WCHAR c) {
    auto byte = [events](unsigned b) { make(events, EventKind::Char, static_cast<unsigned char>(b)); };
    if (c < 0x80) {
        byte(c);
    } else if (c < 0x800) {
        byte(0xc0 | (c >> 6));
        byte(0x80 | (c & 0x3f));
    } else if (c >= 0xd800 && c < 0xe000) {
        byte('?');
    } else {
        byte(0xe0 | (c >> 12));
        byte(0x80 | ((c >> 6) & 0x3f));
        byte(0x80 | (c & 0x3f));
    }
}

void key(std::deque<TerminalEvent>* events, const KEY_EVENT_RECORD& k) {
    bool ctrl = (k.dwControlKeyState & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED)) != 0;
    WCHAR c = k.uChar.UnicodeChar;
    EventKind kind = EventKind::None;
    switch (k.wVirtualKeyCode) {
        case VK_LEFT: kind = EventKind::Left; break;
        case VK_RIGHT: kind = EventKind::Right; break;
        case VK_UP: kind = EventKind::Up; break;
        case VK_DOWN: kind = EventKind::Down; break;
        case VK_RETURN: kind = EventKind::Enter; break;
        case VK_BACK: kind = ctrl ? EventKind::EraseWord : EventKind::Erase; break;
        case VK_ESCAPE: kind = EventKind::EraseLine; break;
        default:
            if (c == 0x15) kind = EventKind::EraseLine;  // Ctrl-U
            if (c == 0x17) kind = EventKind::EraseWord;  // Ctrl-W
            if (c == 0x1a) kind = EventKind::EndKey;     // Ctrl-Z
            break;
    }
    for (WORD n = 0; n < (k.wRepeatCount > 0 ? k.wRepeatCount : 1); n++) {
        if (kind != EventKind::None) {
            make(events, kind);
        } else if (c != 0) {
            character(events, c);
        }
    }
}

}  // namespace

WORD win32Attribute(std::uint16_t attr) {
    if (!(attr & ATTR_REVERSE)) return attr;
    unsigned colours = attr & 0xffu;
    return static_cast<WORD>((attr & ~(ATTR_REVERSE | 0xffu)) | ((colours & 0x0fu) << 4) | (colours >> 4));
}

void win32Translate(Win32Input& state, const INPUT_RECORD& record, std::deque<TerminalEvent>* events) {
    switch (record.EventType) {
        case KEY_EVENT:
            if (record.Event.KeyEvent.bKeyDown) key(events, record.Event.KeyEvent);
            break;
        case MOUSE_EVENT: {
            const MOUSE_EVENT_RECORD& m = record.Event.MouseEvent;
            // A press: the left button down now and not before, the mouse not
            // moving nor its wheel turning.
            bool pressed = (m.dwButtonState & FROM_LEFT_1ST_BUTTON_PRESSED) != 0 &&
                           (state.buttons & FROM_LEFT_1ST_BUTTON_PRESSED) == 0 &&
                           (m.dwEventFlags & (MOUSE_MOVED | MOUSE_WHEELED | MOUSE_HWHEELED)) == 0;
            if ((m.dwEventFlags & (MOUSE_WHEELED | MOUSE_HWHEELED)) == 0) state.buttons = m.dwButtonState;
            if (pressed) make(events, EventKind::Click, 0, {m.dwMousePosition.X, m.dwMousePosition.Y});
            break;
        }
        case WINDOW_BUFFER_SIZE_EVENT: {
            COORD size = record.Event.WindowBufferSizeEvent.dwSize;
            make(events, EventKind::Resize, 0, {size.X, size.Y});
            break;
        }
        default: break;
    }
}
