// Fuzz target for everything that reads typed text: strToLower, parseNumber
// and parseSquare on arbitrary bytes, then the same bytes as a run of
// placement commands on a fresh game. A finding is a crash, a sanitizer
// report or a broken GAME_ASSERT below (the property is in its text).
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "rules/board.h"
#include "rules/fleet.h"
#include "rules/text.h"
#include "terminal/game_assert.h"

namespace {

// Everything the game reads comes through a 256-byte buffer.
constexpr std::size_t LINE_BUFFER = 256;
// Enough commands to fill a board many times over; more only slows a run.
constexpr int MAX_COMMANDS = 64;

bool isDigit(char ch) { return ch >= '0' && ch <= '9'; }
bool isLower(char ch) { return ch >= 'a' && ch <= 'z'; }

// A copy of text with no NUL after it, on the heap, so that a parser
// reading past its count is caught by the address sanitizer.
std::unique_ptr<char[]> exactCopy(std::string_view text) {
    auto copy = std::make_unique<char[]>(text.size());
    std::memcpy(copy.get(), text.data(), text.size());
    return copy;
}

// strToLower changes A-Z and nothing else, and only up to its bound or the
// first NUL.
void fuzzLower(std::string_view text) {
    int len = static_cast<int>(text.size());
    auto buf = exactCopy(text);
    GAME_ASSERT(strToLower(buf.get(), len) == buf.get());
    bool ended = false;
    for (std::size_t i = 0; i < text.size(); i++) {
        char before = text[i];
        char expected = !ended && before >= 'A' && before <= 'Z' ? static_cast<char>(before + 32) : before;
        GAME_ASSERT(buf[i] == expected);
        if (before == '\0') ended = true;
    }
}

// parseNumber takes every digit up to its bound or the first NUL, and a
// number too large for an int saturates instead of wrapping.
void fuzzNumber(std::string_view text) {
    int len = static_cast<int>(text.size());
    auto buf = exactCopy(text);
    long long exact = 0;
    int digits = 0;
    for (int i = 0; i < len && text[static_cast<std::size_t>(i)] != '\0'; i++) {
        char ch = text[static_cast<std::size_t>(i)];
        if (!isDigit(ch)) continue;
        digits++;
        exact = exact * 10 + (ch - '0');
        if (exact > INT_MAX) exact = static_cast<long long>(INT_MAX) + 1;
    }
    int res = -1;
    int count = parseNumber(buf.get(), len, &res);
    GAME_ASSERT(count == digits);
    GAME_ASSERT(res == (exact > INT_MAX ? INT_MAX : exact));
}

// parseSquare accepts only squares on the board, and only when a letter
// stands before a digit within its count.
void fuzzSquare(std::string_view text, int count) {
    std::string buf(text);  // NUL-terminated: parseSquare measures the text
    int x = -1;
    int y = -1;
    int ok = parseSquare(buf.c_str(), count, &x, &y);
    if (std::strlen(buf.c_str()) < 2) {
        GAME_ASSERT(ok == 0 && x == 0 && y == 0);
        return;
    }
    if (!ok) return;
    GAME_ASSERT(XYVALID(x, y));
    bool letter = false;
    bool letterThenDigit = false;
    for (int i = 0; i < count && buf[static_cast<std::size_t>(i)] != '\0'; i++) {
        char ch = buf[static_cast<std::size_t>(i)];
        if (isLower(ch)) letter = true;
        if (isDigit(ch) && letter) letterThenDigit = true;
    }
    GAME_ASSERT(letterThenDigit);
}

int shipSquares(const std::uint8_t* map) {
    int n = 0;
    for (int i = 0; i < MAP_WIDTH * MAP_HEIGHT; i++) n += (map[i] & CELL_SHIP) ? 1 : 0;
    return n;
}

bool shipAt(const std::uint8_t* map, int x, int y) { return XYVALID(x, y) && (mapGet(map, x, y) & CELL_SHIP); }

// Ships never touch, not even at a corner: no ship square has another
// diagonally beside it, and none has neighbours both across and along.
bool shipsApart(const std::uint8_t* map) {
    for (int y = 0; y < MAP_HEIGHT; y++) {
        for (int x = 0; x < MAP_WIDTH; x++) {
            if (!shipAt(map, x, y)) continue;
            if (shipAt(map, x - 1, y - 1) || shipAt(map, x + 1, y - 1) || shipAt(map, x - 1, y + 1) ||
                shipAt(map, x + 1, y + 1)) {
                return false;
            }
            bool across = shipAt(map, x - 1, y) || shipAt(map, x + 1, y);
            bool along = shipAt(map, x, y - 1) || shipAt(map, x, y + 1);
            if (across && along) return false;
        }
    }
    return true;
}

// The text as lines, each cut as the line reader cuts it (at most 255
// bytes, the newline kept), fed to placeShipCommand one by one. A refused
// command changes nothing; a placed one takes one ship from the roster and
// adds its squares to the board.
void fuzzPlacement(std::string_view text) {
    std::uint8_t map[MAP_WIDTH * MAP_HEIGHT] = {};
    std::unique_ptr<ShipClass> roster = fleetCreate();
    int commands = 0;
    while (!text.empty() && commands++ < MAX_COMMANDS) {
        std::size_t end = text.find('\n');
        std::size_t take = end == std::string_view::npos ? text.size() : end + 1;
        if (take > LINE_BUFFER - 1) take = LINE_BUFFER - 1;
        std::string line(text.substr(0, take));
        text.remove_prefix(take);
        char* cmd = line.data();

        std::uint8_t before[MAP_WIDTH * MAP_HEIGHT];
        std::memcpy(before, map, sizeof before);
        int remainingBefore[MAX_SHIP_LEN + 1] = {};
        for (const ShipClass* s = roster.get(); s; s = s->next.get()) remainingBefore[s->length] = s->remaining;

        int len = static_cast<int>(std::strlen(cmd));
        int placed = placeShipCommand(roster.get(), map, cmd, len);

        for (int i = 0; i < len; i++) GAME_ASSERT(!(cmd[i] >= 'A' && cmd[i] <= 'Z'));
        int taken = 0;
        for (const ShipClass* s = roster.get(); s; s = s->next.get()) {
            int used = remainingBefore[s->length] - s->remaining;
            GAME_ASSERT(used == 0 || used == 1);
            GAME_ASSERT(s->remaining >= 0);
            if (used == 1) {
                GAME_ASSERT(taken == 0);
                taken = s->length;
            }
        }
        if (!placed) {
            GAME_ASSERT(taken == 0);
            GAME_ASSERT(std::memcmp(before, map, sizeof before) == 0);
        } else {
            GAME_ASSERT(taken >= 2);
            GAME_ASSERT(shipSquares(map) == shipSquares(before) + taken);
            GAME_ASSERT(shipsApart(map));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > 4096) return 0;  // the parsers need a count above 0
    std::string_view text(reinterpret_cast<const char*>(data), size);
    fuzzLower(text);
    fuzzNumber(text);
    fuzzSquare(text, static_cast<int>(size));
    fuzzSquare(text, data[0] % 8);  // a count shorter than the text
    fuzzPlacement(text);
    return 0;
}
