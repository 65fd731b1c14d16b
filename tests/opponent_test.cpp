#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <regex>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "board/map.h"
#include "fleet/shipplacement.h"
#include "game/game.h"
#include "opponent/aiopponent.h"
#include "opponent/aitracking.h"
#include "platform/headless/headless.h"

namespace {

using Square = std::pair<int, int>;
using Squares = std::vector<Square>;
using Lines = std::vector<std::string>;
using Board = std::vector<std::uint8_t>;

constexpr OpponentMove LEVELS[] = {aiMoveEasy, aiMoveMedium, aiMoveHard, aiMoveChampion};
constexpr int HIT = CELL_SHIP | CELL_SHOT;

// A fresh game on the headless console, both boards empty.
struct TestGame {
    Game g{};
    TestGame() { headlessReset(); gameInit(&g); }
    ~TestGame() { gameDestroy(&g); }
    std::uint8_t* map() { return g.mapPlayer.get(); }
    Board board() { return Board(map(), map() + MAP_WIDTH * MAP_HEIGHT); }
    void mark(Square s, int flags) { mapSetFlags(map(), s.first, s.second, flags); }
    void track(Square s) { std::tie(g.trackX, g.trackY, g.tracking) = std::tuple(s.first, s.second, 1); }
    auto tracked() { return std::tuple(g.trackX, g.trackY, g.tracking); }
};

bool isHit(const std::uint8_t* m, int x, int y) { return XYVALID(x, y) && (mapGet(m, x, y) & HIT) == HIT; }

// Whether, over 30 seeds, the filtered random choice takes t, the only square
// not fired at but A10 (beside no shot, so always acceptable), with a hit at hit.
bool taken(Square t, int flags, Square hit, int hitFlags) {
    TestGame tg;
    int n = 0;
    for (unsigned seed = 1; seed <= 30; seed++) {
        std::fill(tg.map(), tg.map() + MAP_WIDTH * MAP_HEIGHT, CELL_SHOT);
        mapSet(tg.map(), t.first, t.second, flags);
        mapSet(tg.map(), 0, 9, 0);
        tg.mark(hit, hitFlags);
        std::srand(seed);
        Square s;
        aiRandomShot(&tg.g, &s.first, &s.second, 1, 1);
        n += s == t;
    }
    return n > 0;
}

// The lines of the message area, blank rows left out.
Lines messages() {
    Lines lines;
    for (int y = MAP_HEIGHT + 4; y < CONSOLE_HEIGHT - 1; y++) {
        if (std::string row = headlessRow(y); !row.empty()) lines.push_back(row);
    }
    return lines;
}

// One turn as the game's rules describe it, drawing from rand in the same
// order. The walk along a tracked ship is the game's own, checked below.
void modelTurn(Game* m, int level) {
    std::uint8_t* map = m->mapPlayer.get();
    for (int shot = 0; shot < SHOTS_PER_TURN && mapFleetAfloat(map); shot++) {
        bool lucky = level == 4 && m->luckyShots > 0 && std::rand() % 1000 < 147;
        m->luckyShots -= lucky;
        if (m->tracking) {
            (lucky ? aiLuckyTrackShot : aiTrackShot)(m);
            continue;
        }
        for (;;) {
            int x = std::rand() % MAP_WIDTH;
            int y = std::rand() % MAP_HEIGHT;
            int f = mapGet(map, x, y);
            bool hitAround = false;
            for (int i = 0; i < 9; i++) hitAround = hitAround || isHit(map, x + i % 3 - 1, y + i / 3 - 1);
            bool filtered = level >= 3 && (f & CELL_BESIDE_SHOT) && (!(f & CELL_NEAR) || hitAround);
            if (lucky ? (f & HIT) != CELL_SHIP : (f & CELL_SHOT) || filtered) continue;
            if ((mapFire(map, x, y, &m->console) != 0 || lucky) && level > 1) {
                std::tie(m->trackX, m->trackY, m->tracking) = std::tuple(x, y, 1);
            }
            break;
        }
    }
}

}  // namespace

// Levels 3 and 4; the replayed games below show that levels 1 and 2 filter nothing.
TEST(RandomTarget, SkipsSquaresBesideAShotUnlessAShipMayLieThere) {
    const int besideHalo = CELL_NEAR | CELL_BESIDE_SHOT;
    const struct { const char* name; Square t; int flags; Square hit; bool taken; } rows[] = {
        {"water beside a miss", {5, 5}, CELL_BESIDE_SHOT, {9, 9}, false},
        {"halo beside a shot in the corner J1", {9, 0}, besideHalo, {9, 9}, true},
        {"halo beside a shot, a hit two squares off", {5, 5}, besideHalo, {7, 5}, true},
        {"water beside no shot", {5, 5}, 0, {9, 9}, true},
        {"halo beside no shot, a hit at its corner", {5, 5}, CELL_NEAR, {4, 4}, true},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(taken(r.t, r.flags, r.hit, CELL_SHIP), r.taken);
    }
    for (int i = 0; i < 18; i++) {  // halo beside a shot, a hit (sunk or not) anywhere around it
        Square hit{4 + i % 3, 4 + i / 3 % 3};
        if (hit == Square{5, 5}) continue;
        SCOPED_TRACE(testing::Message() << "hit at " << hit.first << "," << hit.second << (i < 9 ? "" : ", sunk"));
        EXPECT_FALSE(taken({5, 5}, besideHalo, hit, CELL_SHIP | (i < 9 ? 0 : CELL_SUNK)));
    }
}

// Whole games at every level: the squares the draws say, one line per shot
// (and one per lucky shot), paced at levels 2 to 4, at most five lucky shots.
TEST(Opponent, EveryLevelFiresWhereItsDrawsSayAndAnnouncesEachShot) {
    const std::regex shotLine(R"(AI Fires at [A-J](10|[1-9])\.\.\. (Miss!|Hit!|Hit & Sunk!))");
    const struct { int level, luck; } rows[] = {{1, 5}, {2, 5}, {3, 5}, {4, 5}, {4, 0}};
    for (const auto& r : rows) {
        for (unsigned seed = 1; seed <= 8; seed++) {
            SCOPED_TRACE(testing::Message() << "level " << r.level << ", luck " << r.luck << ", seed " << seed);
            TestGame real;
            TestGame model;
            std::srand(seed);
            placeFleetRandomly(&real.g, real.map());
            std::copy_n(real.map(), MAP_WIDTH * MAP_HEIGHT, model.map());
            real.g.luckyShots = model.g.luckyShots = r.luck;
            std::ptrdiff_t lucky = 0;
            for (unsigned turn = 0; !real.g.opponentWon; turn++) {
                ASSERT_LT(turn, 40u);
                std::srand(seed * 100 + turn);
                modelTurn(&model.g, r.level);
                int next = std::rand();
                std::srand(seed * 100 + turn);
                consolePrint(&real.g.console, "\n\n\n\n\n\n\n\n\n\n");
                int sleeps = headlessSleeps();
                int writes = headlessWrites();
                LEVELS[r.level - 1](&real.g);
                ASSERT_EQ(real.board(), model.board()) << "turn " << turn;
                ASSERT_EQ(std::rand(), next) << "turn " << turn << " drew a different count of numbers";
                Lines lines = messages();
                auto shots = std::ranges::count_if(lines, [&](auto& l) { return std::regex_match(l, shotLine); });
                auto luckLines = std::ranges::count(lines, "What a lucky shot!");
                EXPECT_EQ(shots + luckLines, std::ssize(lines)) << "a line neither a shot nor luck";
                EXPECT_TRUE(real.g.opponentWon || shots == SHOTS_PER_TURN) << shots << " shots";
                // Levels 2 to 4 pause and redraw before each shot and redraw after it, unless it won.
                EXPECT_EQ(headlessSleeps() - sleeps, r.level == 1 ? 0 : shots);
                auto redraws = r.level == 1 ? 0 : 2 * shots - real.g.opponentWon;
                EXPECT_EQ(headlessWrites() - writes, 2 * shots + luckLines + redraws) << "a line or frame too many";
                lucky += luckLines;
            }
            EXPECT_EQ(lucky, r.luck - real.g.luckyShots);
            EXPECT_EQ(real.g.luckyShots, model.g.luckyShots);
        }
    }
}

// The luck is 147 chances in 1000, drawn before the shot: a first draw of
// 146 makes the Champion's first shot lucky, 147 does not.
TEST(LuckyShot, IsDrawnAs147In1000BeforeTheShot) {
    for (int draw : {146, 147}) {
        unsigned seed = 1;
        for (std::srand(seed); std::rand() % 1000 != draw; std::srand(++seed)) {
        }
        SCOPED_TRACE(testing::Message() << "first draw " << draw << ", seed " << seed);
        TestGame tg;
        placeShip(tg.map(), 5, 0, 0, 0);
        std::srand(seed);
        aiMoveChampion(&tg.g);
        Lines lines = messages();
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[1] == "What a lucky shot!", draw < 147) << lines[0] << " / " << lines[1];
        EXPECT_EQ(tg.g.luckyShots < LUCKY_SHOTS, draw < 147 || lines.size() > 3);
    }
}

TEST(TrackingShot, GoesToTheFirstSquareNotFiredAtAlongItsLine) {
    // line: the axis and way drawn when no hit lies beside the tracked square;
    // "" where a hit beside it shows the line and nothing may be drawn.
    const struct { const char* name; Square tracked; Squares hits, misses; const char *line, *want; } rows[] = {
        {"open sea, drawn down", {5, 5}, {}, {}, "y+", "F7"},
        {"A1, a miss right: off, off, then down", {0, 0}, {}, {{1, 0}}, "x+", "A2"},
        {"a miss below: the other side", {5, 5}, {}, {{5, 6}}, "y+", "F5"},
        {"misses both ways along x: the other axis, against the draw", {5, 5}, {}, {{4, 5}, {6, 5}}, "x+", "F5"},
        {"hits left and right: right wins", {5, 5}, {{4, 5}, {6, 5}}, {}, "", "H6"},
        {"hits right and above: above wins", {5, 5}, {{6, 5}, {5, 4}}, {}, "", "F4"},
        {"hits on all four sides: below wins", {5, 5}, {{4, 5}, {6, 5}, {5, 4}, {5, 6}}, {}, "", "F8"},
        {"a run of hits: the first square past it", {5, 5}, {{6, 5}, {7, 5}, {8, 5}}, {}, "", "J6"},
        {"a miss past the run: the other side", {5, 5}, {{6, 5}, {7, 5}}, {{8, 5}}, "", "E6"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        TestGame tg;
        for (Square s : r.hits) tg.mark(s, HIT);
        for (Square s : r.misses) tg.mark(s, CELL_SHOT);
        tg.mark(r.tracked, HIT);
        tg.track(r.tracked);
        unsigned seed = 0;
        int next = 0;  // the number after the draws the line needs
        for (bool found = false; !found; next = std::rand()) {
            std::srand(++seed);
            found = !*r.line || ((std::rand() % 100 < 50) == (r.line[0] == 'x') &&
                                 (std::rand() % 100 < 50) == (r.line[1] == '+'));
        }
        std::srand(seed);
        EXPECT_EQ(aiTrackShot(&tg.g), 0);
        EXPECT_EQ(std::rand(), next) << "a different count of numbers drawn";
        EXPECT_EQ(messages().back(), "AI Fires at " + std::string(r.want) + "... Miss!");
        EXPECT_EQ(tg.tracked(), std::tuple(r.tracked.first, r.tracked.second, 1));
    }
}

// Shots at a lone ship through aiShot: each one along the ship, or lucky,
// and the last, sinking the fleet, wins and ends the tracking.
TEST(TrackingShot, FollowsTheShipUntilTheSinkingShotWins) {
    // The ship (length, first square, 1 vertical), its hits with the tracked
    // one first, and the messages of the shots.
    const struct { const char* name; int track, lucky, len, x, y, ori; Squares hits; Lines lines; } rows[] = {
        {"D6 to F6 tracked on F6", 1, 0, 3, 3, 5, 0, {{5, 5}, {4, 5}}, {"AI Fires at D6... Hit & Sunk!"}},
        // Left leaves the board at once, right holds no ship, below comes before above.
        {"lucky, A4 to A7 tracked on A5", 1, 1, 4, 0, 3, 1, {{0, 4}, {0, 5}},
         {"AI Fires at A7... Hit!", "What a lucky shot!", "AI Fires at A4... Hit & Sunk!", "What a lucky shot!"}},
        {"lucky, A1 to E1 tracked on A1: four steps", 1, 1, 5, 0, 0, 0, {{0, 0}, {1, 0}, {2, 0}, {3, 0}},
         {"AI Fires at E1... Hit & Sunk!", "What a lucky shot!"}},
        {"lucky, nothing tracked, D6 to F6", 0, 1, 3, 3, 5, 0, {{5, 5}, {4, 5}},
         {"AI Fires at D6... Hit & Sunk!", "What a lucky shot!"}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        TestGame tg;
        ASSERT_EQ(placeShip(tg.map(), r.len, r.x, r.y, r.ori), 1);
        for (Square s : r.hits) tg.mark(s, CELL_SHOT);
        if (r.track) tg.track(r.hits[0]);
        for (std::size_t left = r.lines.size() / (r.lucky ? 2 : 1); left > 0; left--) {
            EXPECT_EQ(aiShot(&tg.g, 1, r.lucky), left > 1);
        }
        EXPECT_EQ(messages(), r.lines);
        EXPECT_EQ(tg.g.opponentWon, 1);
        if (r.track) {
            EXPECT_EQ(tg.tracked(), std::tuple(-1, -1, 0));
        }
    }
}

TEST(OpponentDeathTest, ShotsTheRulesRuleOutAreInternalErrors) {
    TestGame tg;
    EXPECT_DEATH(aiShot(nullptr, 1, 0), "g != NULL");
    EXPECT_DEATH(aiTrackShot(&tg.g), "XYVALID\\(tx,ty\\)");
    EXPECT_DEATH(aiLuckyTrackShot(&tg.g), "XYVALID\\(x,y\\)");
    for (Square s : {Square{4, 5}, Square{6, 5}, Square{5, 4}, Square{5, 6}}) tg.mark(s, CELL_SHOT);
    tg.mark({5, 5}, HIT);
    tg.track({5, 5});
    EXPECT_DEATH(aiTrackShot(&tg.g), "Assertion failed: 0,");
    // The lucky walk follows ship squares only: a lone hit leaves it nowhere to go.
    EXPECT_DEATH(aiLuckyTrackShot(&tg.g), "Assertion failed: 0,");
    EXPECT_DEATH(aiFireAt(tg.map(), 5, 4, &tg.g), "ret != -1");
}
