#include "screen/board_view.h"

#include <algorithm>
#include <cstdio>

#include "rules/board.h"
#include "rules/fleet.h"
#include "rules/text.h"
#include "terminal/game_assert.h"

namespace {

constexpr int OPPONENT_BOARD_X = MAP_WIDTH + 8;

// What a square shows: the first rule that matches its flags.
enum class Kind { Water, Ship, Hit, Sunk, Miss, Ring };

// ring: whether to tell the water around a sunk ship from a miss, which
// look the same in colour.
Kind squareKind(const std::uint8_t* map, int x, int y, int mode, bool ring) {
    int flags = mapGet(map, x, y);
    Kind kind = Kind::Water;
    if (flags & CELL_SUNK) {
        kind = Kind::Sunk;
    } else if ((flags & CELL_SHIP) && (flags & CELL_SHOT)) {
        kind = Kind::Hit;
    } else if (mode != DRAW_HIDDEN && (flags & CELL_SHIP)) {
        kind = Kind::Ship;
    } else if (flags & CELL_SHOT) {
        kind = ring && mapAnyAround(map, x, y, CELL_SUNK, CELL_SUNK) ? Kind::Ring : Kind::Miss;
    }
    if (mode == DRAW_PLACEMENT && (flags & CELL_NEAR) && !(flags & CELL_SHIP)) kind = Kind::Ring;
    return kind;
}

struct SquareLook {
    char ch;
    int attr;
};

// In colour: an O on bright red for a hit, # on blue for a sunk ship, dark
// yellow for water fired at and for the halo. Without colour every kind has
// a look of its own: reverse video for each square that takes no more shots
// and no ship, its character telling why.
constexpr int ATTR_STRUCK = ATTR_PLAIN | ATTR_REVERSE;
constexpr SquareLook LOOKS[2][6] = {
    {{' ', ATTR_PLAIN}, {'O', ATTR_PLAIN}, {'O', ATTR_STRUCK}, {'#', ATTR_STRUCK}, {' ', ATTR_STRUCK}, {'.', ATTR_STRUCK}},
    {{' ', ATTR_PLAIN}, {'O', ATTR_PLAIN}, {'O', 199}, {'#', 23}, {' ', 103}, {' ', 103}},
};

SquareLook lookOf(Kind kind, bool colour) { return LOOKS[colour][static_cast<int>(kind)]; }

// The hint over a square not fired at: its odds in tenths of the likeliest
// square's. In colour, shades of green and cyan from unlikely to likely, the
// likeliest square bright magenta; without, the tenth's digit (9 at most),
// the likeliest square's in reverse video.
constexpr std::uint16_t HINT_SHADES[] = {ATTR_PLAIN, 0x20 | ATTR_PLAIN, 0x30 | ATTR_PLAIN, 0xb0};
constexpr std::uint16_t HINT_LIKELIEST = 0xdf;

SquareLook hintLook(double odds, double most, bool likeliest, bool colour) {
    int tenths = most > 0 ? std::min(9, static_cast<int>(odds / most * 10)) : 0;
    if (!colour) return {static_cast<char>('0' + tenths), likeliest ? ATTR_PLAIN | ATTR_REVERSE : ATTR_PLAIN};
    if (likeliest) return {' ', HINT_LIKELIEST};
    return {' ', HINT_SHADES[(tenths + 2) / 3]};
}

// The fleets beside the boards, each under its title: a row for each length
// of ship, longest first, with the ships afloat and then those sunk, drawn
// as their squares look on a board. Counts only: nothing tells where a ship lies.
constexpr int FLEET_WIDTH = 16;
constexpr int FLEET_X[2] = {35, 55};

void drawFleet(ConsoleWin* c, const std::uint8_t* map, int ox, const char* title, bool colour) {
    ShipCount ships = mapCountShips(map);
    consolePrintAt(c, ox, 0, -1, "%-*s", FLEET_WIDTH, title);
    consolePrintAt(c, ox, 1, -1, "%.*s", FLEET_WIDTH, "----------------");
    for (int len = MAX_SHIP_LEN; len >= 2; len--) {  // the smallest ship is a 2-master
        // The row's cells, each written once: a redraw is on every shot's way.
        SquareLook row[FLEET_WIDTH];
        for (SquareLook& cell : row) cell = lookOf(Kind::Water, colour);
        int x = 0;
        for (Kind kind : {Kind::Ship, Kind::Sunk}) {
            for (int n = kind == Kind::Ship ? ships.afloat[len] : ships.sunk[len]; n > 0; n--, x += len + 1) {
                for (int i = x; i < x + len && i < FLEET_WIDTH; i++) row[i] = lookOf(kind, colour);
            }
        }
        Cell* cells = consoleCell(c, ox, 2 + MAX_SHIP_LEN - len);
        for (int i = 0; i < FLEET_WIDTH; i++) cells[i] = {static_cast<unsigned char>(row[i].ch), static_cast<std::uint16_t>(row[i].attr)};
    }
}

// The panel under the fleets: five rows from row 7, as wide as the screen
// leaves. Each row is written whole, its end left blank.
constexpr int PANEL_X = FLEET_X[0];
constexpr int PANEL_Y = 7;
constexpr int PANEL_ROWS = 5;
constexpr int PANEL_WIDTH = SCREEN_WIDTH - PANEL_X;

void panelRow(ConsoleWin* c, int row, const char* text) {
    Cell* cells = consoleCell(c, PANEL_X, PANEL_Y + row);
    bool ended = false;
    for (int x = 0; x < PANEL_WIDTH; x++) {
        ended = ended || text[x] == '\0';
        cells[x] = {static_cast<std::uint16_t>(ended ? 0 : static_cast<unsigned char>(text[x])), ATTR_PLAIN};
    }
}

// The figures of one side on a row of the table: hits and shots side by
// side, the accuracy next to them, so that a shot changes a few cells close
// together.
void figuresRow(ConsoleWin* c, int row, const char* who, const ShotCount& count) {
    char accuracy[16];
    char fired[16];
    char text[PANEL_WIDTH + 1];
    consoleAccuracy(count, accuracy, sizeof accuracy);
    std::snprintf(fired, sizeof fired, "%d/%d", count.hits, count.shots);
    std::snprintf(text, sizeof text, "%-12s%10s %s", who, fired, accuracy);
    panelRow(c, row, text);
}

void drawPanel(ConsoleWin* c, const BoardsDrawn& boards) {
    const char* rows[PANEL_ROWS] = {"", "", "", "", ""};
    switch (boards.panel) {
        case Panel::Nothing: break;
        case Panel::PlacingHelp:
            rows[0] = "Syntax: <Square> <length> <h|v>";
            rows[1] = "Example: A1 3 v, a 3-master down from A1";
            rows[2] = "undo      takes the last ship back";
            rows[3] = "random    places the rest at random";
            rows[4] = "-         quits";
            break;
        case Panel::Figures: {
            GAME_ASSERT(boards.figures != NULL);
            const MatchFigures& f = *boards.figures;
            char turn[PANEL_WIDTH + 1];
            char opponent[PANEL_WIDTH + 1];
            std::snprintf(turn, sizeof turn, "Turn %-7d%10s %s", f.turn, "Hits/Shots", "Accuracy");
            std::snprintf(opponent, sizeof opponent, "Against %s", f.opponent);
            panelRow(c, 0, turn);
            figuresRow(c, 1, "You", f.player);
            figuresRow(c, 2, "Opponent", f.computer);
            panelRow(c, 3, opponent);
            // The hints asked for, once there are some.
            char hints[PANEL_WIDTH + 1] = "";
            if (f.hints > 0) std::snprintf(hints, sizeof hints, "Hints used: %d", f.hints);
            panelRow(c, 4, hints);
            return;
        }
    }
    for (int row = 0; row < PANEL_ROWS; row++) panelRow(c, row, rows[row]);
}

}  // namespace

void consoleAccuracy(const ShotCount& count, char* out, int size) {
    if (count.shots <= 0) {
        std::snprintf(out, static_cast<std::size_t>(size), "-");
    } else {
        std::snprintf(out, static_cast<std::size_t>(size), "%d%%", (count.hits * 200 + count.shots) / (count.shots * 2));
    }
}

std::size_t consoleLikeliest(const SquareOdds& odds) {
    std::size_t likeliest = 0;
    for (std::size_t i = 0; i < odds.size(); i++) {
        if (odds[i] > odds[likeliest]) likeliest = i;
    }
    return likeliest;
}

void consoleAim(ConsoleWin* c, int on) {
    static constexpr AimBoard OPPONENT_BOARD{{OPPONENT_BOARD_X + 3, 2}, MAP_WIDTH, MAP_HEIGHT};
    consoleAimAt(c, on ? &OPPONENT_BOARD : nullptr);
}

void consoleDrawMaps(ConsoleWin* c, const BoardsDrawn& boards) {
    GAME_ASSERT(c != NULL);
    consoleBeginUpdate(c);
    consoleComposeMaps(c, boards);
    consoleEndUpdate(c);
}

void consoleComposeMaps(ConsoleWin* c, const BoardsDrawn& boards) {
    GAME_ASSERT(c != NULL);
    GAME_ASSERT(boards.opponent.map != NULL);
    GAME_ASSERT(boards.player.map != NULL);
    // Boards are drawn again and again as they stand, a few times a shot:
    // what they are drawn from, the same as last time, is drawn already.
    bool colour = terminalShowsColour();
    std::string& from = c->drawing;
    from.clear();
    auto bytes = [&from](const void* p, std::size_t n) { from.append(static_cast<const char*>(p), n); };
    for (const BoardDrawn* b : {&boards.player, &boards.opponent}) {
        bytes(b->map, MAP_WIDTH * MAP_HEIGHT);
        for (std::size_t i = 0; b->marked && i < b->marked->size(); i++) from += b->marked->test(i) ? '1' : '0';
        from += b->marked ? '+' : '-';
        from += static_cast<char>(b->mode);
        if (b->odds) bytes(b->odds->data(), sizeof(SquareOdds));
    }
    from += static_cast<char>(boards.panel);
    from += colour ? 'c' : 'p';
    if (boards.panel == Panel::Figures && boards.figures) {
        const MatchFigures& f = *boards.figures;
        for (int n : {f.turn, f.player.shots, f.player.hits, f.computer.shots, f.computer.hits, f.hints}) bytes(&n, sizeof n);
        from += f.opponent;
    }
    if (from == c->drawn) return;
    std::swap(c->drawn, from);
    // Without a bracket of the caller's, each piece would write the screen.
    bool bracket = c->updating == 0;
    if (bracket) consoleBeginUpdate(c);
    consoleDrawMap(c, boards.player, 0, 0);
    consoleDrawMap(c, boards.opponent, OPPONENT_BOARD_X, 0);
    drawFleet(c, boards.player.map, FLEET_X[0], "Your fleet", colour);
    drawFleet(c, boards.opponent.map, FLEET_X[1], "Opponent's fleet", colour);
    drawPanel(c, boards);
    if (bracket) consoleEndUpdateLater(c);
}

void consoleDrawMap(ConsoleWin* c, const BoardDrawn& board, int ox, int oy) {
    GAME_ASSERT(c != NULL);
    GAME_ASSERT(board.map != NULL);
    GAME_ASSERT(ox >= 0 && oy >= 0);
    const std::uint8_t* map = board.map;
    bool colour = terminalShowsColour();
    consolePrintAt(c, ox + 2, oy, -1, "|");
    for (int x = 0; x < MAP_WIDTH; x++) consolePrintAt(c, ox + 3 + x, oy, -1, "%c", 'A' + x);
    consolePrintAt(c, ox, oy + 1, -1, "--+");
    for (int x = 0; x < MAP_WIDTH; x++) consolePrintAt(c, ox + 3 + x, oy + 1, -1, "%c", '-');
    std::size_t likeliest = board.odds ? consoleLikeliest(*board.odds) : 0;
    for (int y = 0; y < MAP_HEIGHT; y++) {
        consolePrintAt(c, ox, oy + 2 + y, -1, "%2d|", y + 1);
        // The squares, a cell each, written straight: a redraw is on every shot's way.
        Cell* cells = consoleCell(c, ox + 3, oy + 2 + y);
        for (int x = 0; x < MAP_WIDTH; x++) {
            auto square = static_cast<std::size_t>(x + y * MAP_WIDTH);
            SquareLook look = lookOf(squareKind(map, x, y, board.mode, !colour), colour);
            if (board.odds && !mapTestFlags(map, x, y, CELL_SHOT)) {
                look = hintLook((*board.odds)[square], (*board.odds)[likeliest], square == likeliest, colour);
            }
            // The latest shots stand out, keeping their colours and characters.
            if (board.marked && board.marked->test(static_cast<std::size_t>(x + y * MAP_WIDTH))) look.attr |= ATTR_UNDERLINE;
            cells[x] = {static_cast<unsigned char>(look.ch), static_cast<std::uint16_t>(look.attr)};
        }
    }
}
