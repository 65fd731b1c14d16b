// The boards and the fleets as the player sees them: drawn by the game, sent by the terminal layer, shown by the model.
#include "screen/board_view.h"
#include "terminal/posix/frame_diff.h"
#include "support.h"
#include "vt/vt_model.h"

namespace {

struct BoardView : GameTest {
    VtScreen vt = vtNew(25, 80);
    // Both boards hold the same sea; the player's is drawn in mode, the opponent's hidden.
    void draw(int mode, bool colour) {
        std::copy_n(g.mapPlayer.get(), MAP_WIDTH * MAP_HEIGHT, g.mapOpponent.get());
        terminalSetColour(colour ? ColourChoice::Always : ColourChoice::Never);
        AnsiScreen s;
        s.colour = colour;
        vt = vtNew(25, 80);
        consoleDrawMaps(&g.console, g.mapPlayer.get(), g.mapOpponent.get(), mode, DRAW_HIDDEN);
        vtFeed(vt, frameDiff(s, headlessScreen(), headlessCursor()));
    }
    // A cell's look: its character and colours; a blank by the one colour it shows.
    std::string look(int x, int y) {
        const VtCell& c = vtAt(vt, x, y);
        if (c.ch == U' ') return " /" + (c.reverse ? "rev" : std::to_string(c.bg));
        return static_cast<char>(c.ch) + ("/" + std::to_string(c.fg) + "/" + std::to_string(c.bg) + (c.reverse ? "/rev" : ""));
    }
};

}  // namespace

// A 3-master on B2 to D2 hit on C2, a 2-master on F5 and G5 sunk, another down J1, a miss on J10.
TEST_F(BoardView, EveryKindOfSquareLooksItsOwnWithColourAndWithout) {
    std::uint8_t* sea = g.mapPlayer.get();
    ASSERT_EQ(placeShip(sea, 3, 1, 1, 0) + placeShip(sea, 2, 5, 4, 0) + placeShip(sea, 2, 9, 0, 1), 3);
    for (auto [x, y] : {std::pair{2, 1}, {5, 4}, {6, 4}, {9, 9}}) (void)mapFire(sea, x, y);
    struct Row { const char* kind; int mode, board, x, y; std::string colour, plain; } rows[] = {
        {"water", DRAW_SHIPS, 0, 0, 9, " /49", " /49"},
        {"a ship", DRAW_SHIPS, 0, 1, 1, "O/39/49", "O/39/49"},
        {"a hit", DRAW_SHIPS, 0, 2, 1, "O/37/101", "O/39/49/rev"},
        {"a sunk ship", DRAW_SHIPS, 0, 5, 4, "#/37/44", "#/39/49/rev"},
        {"a miss", DRAW_SHIPS, 0, 9, 9, " /43", " /rev"},
        {"the water around a sunk ship", DRAW_SHIPS, 0, 4, 4, " /43", "./39/49/rev"},
        {"the halo while placing", DRAW_PLACEMENT, 0, 0, 0, " /43", "./39/49/rev"},
        {"a ship while placing", DRAW_PLACEMENT, 0, 1, 1, "O/39/49", "O/39/49"},
        {"a hidden ship", DRAW_SHIPS, 18, 1, 1, " /49", " /49"},
        {"a hit on the hidden board", DRAW_SHIPS, 18, 2, 1, "O/37/101", "O/39/49/rev"},
    };
    for (bool colour : {true, false}) {
        std::set<std::string> looks;
        for (const Row& r : rows) {
            SCOPED_TRACE(std::string(r.kind) + (colour ? "" : ", without colour"));
            draw(r.mode, colour);
            ASSERT_EQ(vt.error, "");
            EXPECT_EQ(look(r.board + 3 + r.x, 2 + r.y), colour ? r.colour : r.plain);
            if (r.board == 0 && r.mode == DRAW_SHIPS) looks.insert(look(3 + r.x, 2 + r.y));
        }
        EXPECT_EQ(looks.size(), colour ? 5u : 6u) << "two kinds look the same";  // in colour a miss is as the ring
        // The frames, and the fleets beside them: afloat, then sunk.
        EXPECT_EQ(vtRow(vt, 0), "  |ABCDEFGHIJ       |ABCDEFGHIJ    Your fleet          Opponent's fleet");
        EXPECT_EQ(vtRow(vt, 11).substr(0, 3) + vtRow(vt, 11).substr(18, 3), "10|10|");
        EXPECT_EQ(vtRow(vt, 4).substr(35) + "|" + vtRow(vt, 5).substr(35), "OOO                 OOO|OO ##               OO ##");
        EXPECT_EQ(look(38, 5) + look(59, 5), look(8, 6) + look(8, 6));
    }
}
