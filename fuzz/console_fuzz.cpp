// Fuzz target for text on its way to the screen: arbitrary bytes as
// messages (consolePrint), positioned text (consolePrintAt) and typed lines
// (the echo of consoleReadLine) on the headless console, and after each one
// the cell buffer through the frame encoder and a model terminal; and keys
// as the terminal layer reads them at a target prompt, aiming with the arrow
// keys, shown through a model terminal of their own.
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

#include "console/consolewin.h"
#include "game/game.h"
#include "game/util.h"
#include "platform/headless/headless.h"
#include "platform/posix/ansi_frame.h"
#include "platform/posix/tty.h"
#include "vt/vt_model.h"

namespace {

constexpr int MAX_RECORDS = 16;
constexpr int FORMAT_LIMIT = 255;  // longest formatted text the console takes

Game game{};

bool sameBytes(const void* a, const void* b, std::size_t n) { return std::memcmp(a, b, n) == 0; }

// Everything in the Game but the cell image itself.
bool sameBesideCells(const Game& a, const Game& b) {
    const ConsoleWin& c = a.console;
    const ConsoleWin& d = b.console;
    return c.outputHandle == d.outputHandle && c.inputHandle == d.inputHandle &&
           sameBytes(&c.windowRect, &d.windowRect, sizeof c.windowRect) &&
           sameBytes(&c.bufferSize, &d.bufferSize, sizeof c.bufferSize) &&
           sameBytes(&c.charBufSize, &d.charBufSize, sizeof c.charBufSize) &&
           sameBytes(&c.characterPos, &d.characterPos, sizeof c.characterPos) &&
           sameBytes(&c.writeArea, &d.writeArea, sizeof c.writeArea) && c.updating == d.updating &&
           c.consoleStart == d.consoleStart && c.consoleEnd == d.consoleEnd && a.trackX == b.trackX &&
           a.trackY == b.trackY && a.tracking == b.tracking && a.luckyShots == b.luckyShots &&
           a.playerWon == b.playerWon && a.opponentWon == b.opponentWon;
}

bool sameCell(const CHAR_INFO& a, const CHAR_INFO& b) {
    return a.Char.UnicodeChar == b.Char.UnicodeChar && a.Attributes == b.Attributes;
}

// The message area keeps its place: position inside it, cursor at column 2
// of its current row, board rows untouched, the row below it as it was or
// blanked by a scroll.
void checkMessageArea(const Game& before) {
    const ConsoleWin& c = game.console;
    GAME_ASSERT(sameBesideCells(before, game));
    GAME_ASSERT(c.updating == 0);
    GAME_ASSERT(c.consoleLine >= c.consoleStart && c.consoleLine <= c.consoleEnd);
    GAME_ASSERT(c.consoleColumn >= 0 && c.consoleColumn < CONSOLE_WIDTH);
    GAME_ASSERT(c.cursorPos.X == 2 && c.cursorPos.Y == c.consoleLine);
    for (int i = 0; i < c.consoleStart * CONSOLE_WIDTH; i++) {
        GAME_ASSERT(sameCell(c.charBuf[static_cast<std::size_t>(i)], before.console.charBuf[static_cast<std::size_t>(i)]));
    }
    for (int x = 0; x < CONSOLE_WIDTH; x++) {
        std::size_t i = static_cast<std::size_t>(x + (c.consoleEnd + 1) * CONSOLE_WIDTH);
        const CHAR_INFO& cell = c.charBuf[i];
        GAME_ASSERT(sameCell(cell, before.console.charBuf[i]) || (cell.Char.UnicodeChar == 0 && cell.Attributes == ATTR_PLAIN));
    }
}

// Positioned text lands on its own path (x, y), (x + 1, y), ... wrapping at
// the right edge, on the cells of that path that are on the screen, and
// nowhere else.
void checkPositioned(const Game& before, int x, int y, int attr, std::string_view text) {
    GAME_ASSERT(sameBesideCells(before, game));
    GAME_ASSERT(sameBytes(&before.console.cursorPos, &game.console.cursorPos, sizeof(COORD)));
    GAME_ASSERT(before.console.consoleLine == game.console.consoleLine);
    GAME_ASSERT(before.console.consoleColumn == game.console.consoleColumn);
    auto expected = before.console.charBuf;
    WORD cellAttr = attr == -1 ? ATTR_PLAIN : static_cast<WORD>(attr);
    for (char ch : text) {
        if (x >= 0 && x < CONSOLE_WIDTH && y >= 0 && y < CONSOLE_HEIGHT) {
            CHAR_INFO& cell = expected[static_cast<std::size_t>(x + y * CONSOLE_WIDTH)];
            cell.Char.UnicodeChar = static_cast<WCHAR>(static_cast<unsigned char>(ch));
            cell.Attributes = cellAttr;
        }
        if (++x >= CONSOLE_WIDTH) {
            x = 0;
            y++;
        }
    }
    for (std::size_t i = 0; i < expected.size(); i++) GAME_ASSERT(sameCell(expected[i], game.console.charBuf[i]));
}

// The encoder's bytes, replayed through a terminal that knows only the
// common VT102 set, show the cell buffer and its cursor (clipped to the
// terminal), and the same frame again costs nothing.
void encodeFrame(AnsiScreen& screen, VtScreen& vt) {
    const ConsoleWin& c = game.console;
    vtFeed(vt, ansiFrame(screen, c.charBuf.data(), c.cursorPos));
    GAME_ASSERT(vtDiffers(vt, c.charBuf.data(), c.cursorPos, screen.colour).empty());
    GAME_ASSERT(ansiFrame(screen, c.charBuf.data(), c.cursorPos).empty());
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
    consoleReadLine(&game.console, buf, sizeof buf);
    headlessReset();  // a line longer than the buffer leaves its rest unread
    GAME_ASSERT(game.console.consoleColumn == 0);
    return true;
}

// Keys at a target prompt, over the game's last frame: the lines they make
// are taken, and what is left of the typing is shown within the set.
void typeKeys(Tty& tty, VtScreen& vt, std::string_view keys) {
    consoleAim(&game, 1);
    ttyAim(tty, headlessAim());
    ttyKeepFrame(tty, game.console.charBuf.data(), game.console.cursorPos);
    tty.input += keys;
    tty.reading = true;
    char buf[256];
    while (ttyRead(tty, buf, sizeof buf) == TtyRead::Line) GAME_ASSERT(std::strlen(buf) < sizeof buf);
    vtFeed(vt, ttyShow(tty));
    GAME_ASSERT(vt.error.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2 || size > 8192) return 0;
    AnsiScreen screen;
    screen.rows = 1 + data[0] % 40;
    screen.cols = 1 + data[1] % 120;
    screen.colour = (data[0] & 0x80) == 0;
    VtScreen vt = vtNew(screen.rows, screen.cols);
    Tty tty;
    tty.editing = true;
    tty.screen = screen;
    VtScreen typing = vtNew(screen.rows, screen.cols);
    std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);

    headlessReset();
    gameInit(&game);
    encodeFrame(screen, vt);
    for (int records = 0; !rest.empty() && records < MAX_RECORDS; records++) {
        std::size_t end = rest.find('\0');
        std::string_view record = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (record.empty()) continue;
        unsigned char kind = static_cast<unsigned char>(record[0]);
        record.remove_prefix(1);

        Game before;
        before.console = game.console;
        before.trackX = game.trackX;
        before.trackY = game.trackY;
        before.tracking = game.tracking;
        before.luckyShots = game.luckyShots;
        before.playerWon = game.playerWon;
        before.opponentWon = game.opponentWon;
        std::string text(record);  // NUL-terminated for %s

        switch (kind % 4) {
            case 0:
                consolePrint(&game.console, "%s", text.c_str());
                checkMessageArea(before);
                break;
            case 1: {
                if (record.size() < 3) break;
                int x = static_cast<signed char>(record[0]);
                int y = static_cast<signed char>(record[1]);
                int attr = static_cast<unsigned char>(record[2]) == 0xff ? -1 : static_cast<unsigned char>(record[2]);
                if (attr >= 0 && (kind & 8)) attr |= COMMON_LVB_REVERSE_VIDEO;
                std::string shown(record.substr(3));
                consolePrintAt(&game, x, y, attr, "%s", shown.c_str());
                checkPositioned(before, x, y, attr, cutToFormatLimit(shown));
                break;
            }
            case 2:
                if (echoLine(record, (kind & 4) != 0)) checkMessageArea(before);
                break;
            default:
                typeKeys(tty, typing, record);
                break;
        }
        encodeFrame(screen, vt);
    }
    gameDestroy(&game);
    return 0;
}
