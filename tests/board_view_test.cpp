// The boards and the fleets as the player sees them: drawn by the game, sent by the terminal layer, shown by the model.
#include "screen/board_view.h"
#include "terminal/posix/frame_diff.h"
#include "support.h"
#include "vt/vt_model.h"

namespace {

struct BoardView : GameTest {
    VtScreen vt = vtNew(25, 80);
    // Both boards hold the same sea and the same marks; the player's is drawn in mode, the opponent's hidden.
    void draw(int mode, bool colour) {
        std::copy_n(g.mapPlayer.get(), MAP_WIDTH * MAP_HEIGHT, g.mapOpponent.get());
        g.shotsAtOpponent = g.shotsAtPlayer;
        terminalSetColour(colour ? ColourChoice::Always : ColourChoice::Never);
        AnsiScreen s;
        s.colour = colour;
        vt = vtNew(25, 80);
        gameDrawMapsAs(&g, mode, DRAW_HIDDEN);
        vtFeed(vt, frameDiff(s, headlessScreen(), headlessCursor()));
    }
    // A cell's look: its character and colours; a blank by the one colour it shows, or with an underline by both.
    std::string look(int x, int y) {
        const VtCell& c = vtAt(vt, x, y);
        std::string line = c.underline ? "/u" + std::to_string(c.fg) : "";
        if (c.ch == U' ') return " /" + (c.reverse ? "rev" : std::to_string(c.bg)) + line;
        return static_cast<char>(c.ch) + ("/" + std::to_string(c.fg) + "/" + std::to_string(c.bg) + (c.reverse ? "/rev" : "")) + line;
    }
};

}  // namespace

// A 3-master on B2 to D2 hit on C2, a 2-master on F5 and G5 sunk, another down J1, a miss on J10;
// a second time with C2, G5 and J10 the latest shots, marked.
TEST_F(BoardView, EveryKindOfSquareLooksItsOwnWithColourAndWithoutMarkedOrNot) {
    std::uint8_t* sea = g.mapPlayer.get();
    ASSERT_EQ(placeShip(sea, 3, 1, 1, 0) + placeShip(sea, 2, 5, 4, 0) + placeShip(sea, 2, 9, 0, 1), 3);
    for (auto [x, y] : {std::pair{2, 1}, {5, 4}, {6, 4}, {9, 9}}) (void)mapFire(sea, x, y);
    struct Row { const char* kind; int mode, board, x, y; std::string colour, plain; } rows[] = {
        {"water", DRAW_SHIPS, 0, 0, 9, " /49", " /49"},
        {"a ship", DRAW_SHIPS, 0, 1, 1, "O/39/49", "O/39/49"},
        {"a hit", DRAW_SHIPS, 0, 2, 1, "O/37/101", "O/39/49/rev"},
        {"a sunk ship", DRAW_SHIPS, 0, 6, 4, "#/37/44", "#/39/49/rev"},
        {"a miss", DRAW_SHIPS, 0, 9, 9, " /43", " /rev"},
        {"the water around a sunk ship", DRAW_SHIPS, 0, 4, 4, " /43", "./39/49/rev"},
        {"the halo while placing", DRAW_PLACEMENT, 0, 0, 0, " /43", "./39/49/rev"},
        {"a ship while placing", DRAW_PLACEMENT, 0, 1, 1, "O/39/49", "O/39/49"},
        {"a hidden ship", DRAW_SHIPS, 18, 1, 1, " /49", " /49"},
        {"a hit on the hidden board", DRAW_SHIPS, 18, 2, 1, "O/37/101", "O/39/49/rev"},
    };
    const struct { const char* kind; int x, y; std::string colour, plain; } marked[] = {
        {"a hit, marked", 2, 1, "O/37/101/u37", "O/39/49/rev/u39"},
        {"a sunk ship, marked", 6, 4, "#/37/44/u37", "#/39/49/rev/u39"},
        {"a miss, marked", 9, 9, " /43/u37", " /rev/u39"},
    };
    for (bool colour : {true, false}) {
        std::set<std::string> looks;
        g.shotsAtPlayer.reset();
        for (const Row& r : rows) {
            SCOPED_TRACE(std::string(r.kind) + (colour ? "" : ", without colour"));
            draw(r.mode, colour);
            ASSERT_EQ(vt.error, "");
            EXPECT_EQ(look(r.board + 3 + r.x, 2 + r.y), colour ? r.colour : r.plain);
            if (r.board == 0 && r.mode == DRAW_SHIPS) looks.insert(look(3 + r.x, 2 + r.y));
        }
        // The frames, and the fleets beside them: afloat, then sunk.
        EXPECT_EQ(vtRow(vt, 0), "  |ABCDEFGHIJ       |ABCDEFGHIJ    Your fleet          Opponent's fleet");
        EXPECT_EQ(vtRow(vt, 11).substr(0, 3) + vtRow(vt, 11).substr(18, 3), "10|10|");
        EXPECT_EQ(vtRow(vt, 4).substr(35) + "|" + vtRow(vt, 5).substr(35), "OOO                 OOO|OO ##               OO ##");
        EXPECT_EQ(look(38, 5) + look(59, 5), look(8, 6) + look(8, 6));
        for (auto [x, y] : {std::pair{2, 1}, {6, 4}, {9, 9}}) g.shotsAtPlayer.set(static_cast<std::size_t>(x + y * MAP_WIDTH));
        draw(DRAW_SHIPS, colour);
        for (const auto& m : marked) {
            SCOPED_TRACE(std::string(m.kind) + (colour ? "" : ", without colour"));
            EXPECT_EQ(look(3 + m.x, 2 + m.y), colour ? m.colour : m.plain);
            EXPECT_EQ(look(21 + m.x, 2 + m.y), colour ? m.colour : m.plain);
            looks.insert(look(3 + m.x, 2 + m.y));
        }
        EXPECT_EQ(look(3 + 5, 2 + 4), colour ? "#/37/44" : "#/39/49/rev") << "only the square fired at is marked";
        EXPECT_EQ(looks.size(), colour ? 8u : 9u) << "two kinds look the same";  // in colour a miss is as the ring
    }
}
