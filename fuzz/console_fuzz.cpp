// Fuzz target for text on its way to the screen: arbitrary bytes as
// messages (consolePrint), positioned text (consolePrintAt) and typed lines
// (the echo of consoleReadLine) on the headless terminal, and after each one
// the cell buffer through the frame encoder and a model terminal; and keys
// as the posix backend decodes them, typed at a target prompt, aiming with
// the arrow keys and clicking, shown as the game draws them through a model
// terminal of their own.
//
// Input: a first byte and a second byte for the terminal's rows and
// columns (the first byte's top bit: without colour), then records
// separated by NUL bytes: one byte for the kind (its bit 3: reverse video
// for positioned text), for positioned text three more for x, y and the
// attribute, and the text.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "screen/board_view.h"
#include "screen/console.h"
#include "terminal/game_assert.h"
#include "terminal/headless/headless.h"
#include "terminal/posix/display.h"
#include "terminal/posix/keys.h"
#include "vt/vt_model.h"

namespace {

constexpr int MAX_RECORDS = 16;
constexpr int FORMAT_LIMIT = 255;  // longest formatted text the console takes

ConsoleWin console{};

// Everything in the console window but the cell image and the message position.
bool sameBesideCells(const ConsoleWin& c, const ConsoleWin& d) {
    return c.updating == d.updating && c.consoleStart == d.consoleStart && c.consoleEnd == d.consoleEnd;
}

// The message area keeps its place: position inside it, cursor where the
// text stopped, board rows untouched, the row below it as it was or blanked
// by a scroll.
void checkMessageArea(const ConsoleWin& before) {
    const ConsoleWin& c = console;
    GAME_ASSERT(sameBesideCells(before, c));
    GAME_ASSERT(c.updating == 0);
    GAME_ASSERT(c.consoleLine >= c.consoleStart && c.consoleLine <= c.consoleEnd);
    GAME_ASSERT(c.consoleColumn >= 0 && c.consoleColumn < SCREEN_WIDTH);
    GAME_ASSERT(c.cursorSynced == 1 && c.cursorPos.x == c.consoleColumn && c.cursorPos.y == c.consoleLine);
    for (int i = 0; i < c.consoleStart * SCREEN_WIDTH; i++) {
        GAME_ASSERT(c.charBuf[static_cast<std::size_t>(i)] == before.charBuf[static_cast<std::size_t>(i)]);
    }
    for (int x = 0; x < SCREEN_WIDTH; x++) {
        std::size_t i = static_cast<std::size_t>(x + (c.consoleEnd + 1) * SCREEN_WIDTH);
        GAME_ASSERT(c.charBuf[i] == before.charBuf[i] || c.charBuf[i] == Cell({0, ATTR_PLAIN}));
    }
}

// Positioned text lands on its own path (x, y), (x + 1, y), ... wrapping at
// the right edge, on the cells of that path that are on the screen, and
// nowhere else.
void checkPositioned(const ConsoleWin& before, int x, int y, int attr, std::string_view text) {
    GAME_ASSERT(sameBesideCells(before, console));
    GAME_ASSERT(before.cursorPos == console.cursorPos && before.cursorSynced == console.cursorSynced);
    GAME_ASSERT(before.consoleLine == console.consoleLine);
    GAME_ASSERT(before.consoleColumn == console.consoleColumn);
    Frame expected = before.charBuf;
    auto cellAttr = attr == -1 ? ATTR_PLAIN : static_cast<std::uint16_t>(attr);
    for (char ch : text) {
        if (x >= 0 && x < SCREEN_WIDTH && y >= 0 && y < SCREEN_HEIGHT) {
            expected[static_cast<std::size_t>(x + y * SCREEN_WIDTH)] = {static_cast<unsigned char>(ch), cellAttr};
        }
        if (++x >= SCREEN_WIDTH) {
            x = 0;
            y++;
        }
    }
    GAME_ASSERT(expected == console.charBuf);
}

// The differ's bytes, replayed through a terminal that knows only the
// common VT102 set, show the cell buffer and its cursor (clipped to the
// terminal), and the same frame again costs nothing.
void encodeFrame(AnsiScreen& screen, VtScreen& vt) {
    const ConsoleWin& c = console;
    vtFeed(vt, frameDiff(screen, c.charBuf, c.cursorPos));
    GAME_ASSERT(vtDiffers(vt, c.charBuf, c.cursorPos, screen.colour).empty());
    GAME_ASSERT(frameDiff(screen, c.charBuf, c.cursorPos).empty());
}

std::string_view cutToFormatLimit(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    return text.substr(0, FORMAT_LIMIT);
}

// One typed line, never one that ends the program (a leading "-", or no
// line at all): read, echoed as "> " and the line. Returns false when there
// was nothing to type.
bool echoLine(std::string_view text, bool withNewline) {
    std::string line(text);
    if (withNewline) line += '\n';
    if (line.empty()) return false;
    if (line[0] == '-') line[0] = '+';
    headlessReset();
    headlessQueueInput(line);
    char buf[256];
    GAME_ASSERT(consoleReadLine(&console, buf, sizeof buf));
    headlessReset();
    console.input = {};  // a line longer than the buffer leaves its rest unread
    GAME_ASSERT(console.consoleColumn == 0);
    return true;
}

// Keys at a target prompt, over the game's last frame: the lines they make
// are read, and the typing left over is drawn, within the set, until the
// keys run out.
void typeKeys(Display& display, KeyDecoder& keys, VtScreen& vt, std::string_view typed) {
    headlessReset();
    headlessEcho(true);
    headlessOnFrame([&](const Frame& f, Coord c) {
        displayKeepFrame(display, f, &c);
        vtFeed(vt, displayShow(display));
    });
    headlessOnNeed([] {});  // the typing is drawn once the keys are all taken
    consoleAim(&console, 1);
    keysFeed(keys, typed);
    headlessQueueEvents({keys.events.begin(), keys.events.end()});
    keys.events.clear();
    char buf[256];
    while (consoleReadLine(&console, buf, sizeof buf) || !console.input.editor.ended) GAME_ASSERT(std::strlen(buf) < sizeof buf);
    GAME_ASSERT(vt.error.empty());
    headlessReset();
    console.input = {};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2 || size > 8192) return 0;
    AnsiScreen screen;
    screen.rows = 1 + data[0] % 40;
    screen.cols = 1 + data[1] % 120;
    screen.colour = (data[0] & 0x80) == 0;
    VtScreen vt = vtNew(screen.rows, screen.cols);
    Display display;
    display.screen = screen;
    KeyDecoder keys;
    keys.editing = true;
    VtScreen typing = vtNew(screen.rows, screen.cols);
    std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);

    terminalUse(headlessTerminal());
    headlessReset();
    console.input = {};
    consoleInit(&console);
    encodeFrame(screen, vt);
    for (int records = 0; !rest.empty() && records < MAX_RECORDS; records++) {
        std::size_t end = rest.find('\0');
        std::string_view record = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (record.empty()) continue;
        unsigned char kind = static_cast<unsigned char>(record[0]);
        record.remove_prefix(1);

        ConsoleWin before = console;
        std::string text(record);  // NUL-terminated for %s

        switch (kind % 4) {
            case 0:
                consolePrint(&console, "%s", text.c_str());
                checkMessageArea(before);
                break;
            case 1: {
                if (record.size() < 3) break;
                int x = static_cast<signed char>(record[0]);
                int y = static_cast<signed char>(record[1]);
                int attr = static_cast<unsigned char>(record[2]) == 0xff ? -1 : static_cast<unsigned char>(record[2]);
                if (attr >= 0 && (kind & 8)) attr |= ATTR_REVERSE;
                std::string shown(record.substr(3));
                consolePrintAt(&console, x, y, attr, "%s", shown.c_str());
                checkPositioned(before, x, y, attr, cutToFormatLimit(shown));
                break;
            }
            case 2:
                if (echoLine(record, (kind & 4) != 0)) checkMessageArea(before);
                break;
            default:
                typeKeys(display, keys, typing, record);
                break;
        }
        encodeFrame(screen, vt);
    }
    return 0;
}
