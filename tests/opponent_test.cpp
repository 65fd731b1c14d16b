#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <regex>
#include <set>
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
using Board = std::array<std::uint8_t, MAP_WIDTH * MAP_HEIGHT>;

constexpr OpponentMove LEVELS[] = {aiMoveEasy, aiMoveMedium, aiMoveHard, aiMoveChampion};
constexpr Square FALLBACK{0, 9};  // left beside no shot: always acceptable
constexpr int HIT = CELL_SHIP | CELL_SHOT;

// A fresh game on the headless console, both boards empty.
struct TestGame {
    Game g{};
    TestGame() {
        headlessReset();
        gameInit(&g);
    }
    ~TestGame() { gameDestroy(&g); }
    std::uint8_t* map() { return g.mapPlayer.get(); }
    void load(const Board& b) { std::memcpy(map(), b.data(), b.size()); }
    Board board() { Board b; std::memcpy(b.data(), map(), b.size()); return b; }
    void mark(Square s, int flags) { mapSetFlags(map(), s.first, s.second, flags); }
    void track(Square s) { std::tie(g.trackX, g.trackY, g.tracking) = std::tuple(s.first, s.second, 1); }
    auto tracked() { return std::tie(g.trackX, g.trackY, g.tracking); }
    void fleet(unsigned seed) {
        std::srand(seed);
        placeFleetRandomly(&g, map());
    }
};

std::size_t at(Square s) { return static_cast<std::size_t>(s.first + s.second * MAP_WIDTH); }
void put(Board& b, Square s, int flags) { b[at(s)] = static_cast<std::uint8_t>(b[at(s)] | flags); }

// Every square fired at (misses) but the ones left open.
Board allShotBut(std::initializer_list<Square> open) {
    Board b;
    b.fill(CELL_SHOT);
    for (Square s : open) b[at(s)] = 0;
    return b;
}

// The last lines of the message area, blank rows left out.
std::vector<std::string> messages(std::size_t last = 10) {
    std::vector<std::string> lines;
    for (int y = MAP_HEIGHT + 4; y < CONSOLE_HEIGHT - 1; y++) {
        if (std::string row = headlessRow(y); !row.empty()) lines.push_back(row);
    }
    if (lines.size() > last) lines.erase(lines.begin(), lines.end() - static_cast<std::ptrdiff_t>(last));
    return lines;
}

// Scrolls the message area empty, so that what comes next stands alone.
void clearMessages(Game* g) { consolePrint(&g->console, "\n\n\n\n\n\n\n\n\n\n"); }

// How often, over 30 seeds, the random choice on board b takes square t.
int timesPicked(const Board& b, Square t, int smart, int avoid) {
    TestGame tg;
    int n = 0;
    for (unsigned seed = 1; seed <= 30; seed++) {
        tg.load(b);
        std::srand(seed);
        Square s;
        aiRandomShot(&tg.g, &s.first, &s.second, smart, avoid);
        n += s == t;
    }
    return n;
}

// A seed whose first two draws give the tracking line ("x-", "y+", ...).
unsigned seedForLine(const char* line) {
    for (unsigned s = 1;; s++) {
        std::srand(s);
        bool alongX = std::rand() % 100 < 50;
        bool plus = std::rand() % 100 < 50;
        if (alongX == (line[0] == 'x') && plus == (line[1] == '+')) return s;
    }
}

// The opponent as the game's rules describe it, drawing from rand in the
// same order: where each kind of shot goes on board m.
bool has(const std::uint8_t* m, int x, int y, int flags) { return XYVALID(x, y) && (mapGet(m, x, y) & flags) == flags; }

Square drawSquare() {
    int x = std::rand() % MAP_WIDTH;
    return {x, std::rand() % MAP_HEIGHT};
}

bool hitAround(const std::uint8_t* m, int x, int y) {
    for (int dy = -1; dy <= 1; dy++) {
        for (int dx = -1; dx <= 1; dx++) {
            if (has(m, x + dx, y + dy, HIT)) return true;
        }
    }
    return false;
}

Square modelRandom(const std::uint8_t* m, bool filter) {
    for (;;) {
        auto [x, y] = drawSquare();
        int f = mapGet(m, x, y);
        if (f & CELL_SHOT) continue;
        if (!filter || !(f & CELL_BESIDE_SHOT) || ((f & CELL_NEAR) && !hitAround(m, x, y))) return {x, y};
    }
}

Square modelTrack(const std::uint8_t* m, int tx, int ty) {
    int dx = 0;
    int dy = 0;
    for (auto [nx, ny] : {Square{-1, 0}, Square{1, 0}, Square{0, -1}, Square{0, 1}}) {
        if (has(m, tx + nx, ty + ny, HIT)) dx = nx, dy = ny;
    }
    if (dx == 0 && dy == 0) {
        bool alongX = std::rand() % 100 < 50;
        int dir = std::rand() % 100 < 50 ? 1 : -1;
        dx = alongX ? dir : 0;
        dy = alongX ? 0 : dir;
    }
    // The line, its other way, then the other axis against and along it.
    for (auto [lx, ly] : {Square{dx, dy}, Square{-dx, -dy}, Square{-dy, -dx}, Square{dy, dx}}) {
        int x = tx + lx;
        int y = ty + ly;
        while (has(m, x, y, HIT)) x += lx, y += ly;
        if (XYVALID(x, y) && !has(m, x, y, CELL_SHOT)) return {x, y};
    }
    ADD_FAILURE() << "no way out of the tracked square";
    return {tx, ty};
}

Square modelLuckyTrack(const std::uint8_t* m, int tx, int ty) {
    for (auto [wx, wy] : {Square{-1, 0}, Square{1, 0}, Square{0, 1}, Square{0, -1}}) {
        for (int step = 1; step < MAX_SHIP_LEN && has(m, tx + step * wx, ty + step * wy, CELL_SHIP); step++) {
            if (!has(m, tx + step * wx, ty + step * wy, CELL_SHOT)) return {tx + step * wx, ty + step * wy};
        }
    }
    ADD_FAILURE() << "no lucky square beside the tracked one";
    return {tx, ty};
}

void modelTurn(Game* m, int level) {
    std::uint8_t* map = m->mapPlayer.get();
    for (int shot = 0; shot < SHOTS_PER_TURN && mapFleetAfloat(map); shot++) {
        bool lucky = level == 4 && m->luckyShots > 0 && std::rand() % 1000 < 147;
        m->luckyShots -= lucky ? 1 : 0;
        Square s;
        if (level == 1 || !m->tracking) {
            s = lucky ? drawSquare() : modelRandom(map, level >= 3);
            while (lucky && (mapGet(map, s.first, s.second) & HIT) != CELL_SHIP) s = drawSquare();
        } else {
            s = lucky ? modelLuckyTrack(map, m->trackX, m->trackY) : modelTrack(map, m->trackX, m->trackY);
        }
        int r = mapFire(map, s.first, s.second, &m->console);
        if (level > 1 && !m->tracking && (lucky || r != 0)) {
            std::tie(m->trackX, m->trackY, m->tracking) = std::tuple(s.first, s.second, 1);
        } else if (level > 1 && r == 2) {
            std::tie(m->trackX, m->trackY, m->tracking) = std::tuple(-1, -1, 0);
        }
    }
}

}  // namespace

TEST(RandomTarget, SkipsWaterBesideAMissOnlyWithBothSwitchesOn) {
    Board b = allShotBut({{5, 5}, FALLBACK});
    put(b, {5, 5}, CELL_BESIDE_SHOT);
    const struct { const char* name; int smart, avoid; bool filtered; } rows[] = {
        {"level 1: both off", 0, 0, false}, {"level 2: smart off", 0, 1, false},
        {"avoid off", 1, 0, false},         {"levels 3 and 4: both on", 1, 1, true},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(timesPicked(b, {5, 5}, r.smart, r.avoid) == 0, r.filtered);
    }
}

TEST(RandomTarget, RejectsAHaloSquareBesideAShotWhenAnyOfItsEightNeighboursIsAHit) {
    for (int i = 0; i < 18; i++) {
        int dx = i % 3 - 1;
        int dy = i / 3 % 3 - 1;
        int sunk = i < 9 ? 0 : CELL_SUNK;
        if (dx == 0 && dy == 0) continue;
        SCOPED_TRACE(testing::Message() << "hit at " << dx << "," << dy << (sunk ? ", sunk" : ""));
        Board b = allShotBut({{5, 5}, FALLBACK});
        put(b, {5, 5}, CELL_NEAR | CELL_BESIDE_SHOT);
        put(b, {5 + dx, 5 + dy}, CELL_SHIP | sunk);
        EXPECT_EQ(timesPicked(b, {5, 5}, 1, 1), 0);
    }
}

TEST(RandomTarget, TakesASquareTheFilterHasNothingAgainst) {
    const struct { const char* name; Square t; int flags; Square hit; } rows[] = {
        {"beside a shot, in a halo, no hit around", {5, 5}, CELL_NEAR | CELL_BESIDE_SHOT, {-1, -1}},
        {"beside a shot, in a halo, a hit two squares off", {5, 5}, CELL_NEAR | CELL_BESIDE_SHOT, {7, 5}},
        {"beside a shot, in a halo, in the corner J1", {9, 0}, CELL_NEAR | CELL_BESIDE_SHOT, {-1, -1}},
        {"beside no shot, open water", {5, 5}, 0, {-1, -1}},
        {"beside no shot, in a halo, a hit at its corner", {5, 5}, CELL_NEAR, {4, 4}},
        {"beside no shot, a ship square, a hit at its corner", {5, 5}, CELL_SHIP | CELL_NEAR, {6, 6}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        Board b = allShotBut({r.t, FALLBACK});
        put(b, r.t, r.flags);
        if (r.hit.first >= 0) put(b, r.hit, CELL_SHIP);
        EXPECT_GT(timesPicked(b, r.t, 1, 1), 0);
    }
}

TEST(Opponent, NeverFiresTwiceAndAnnouncesEveryShotOnOneLine) {
    const std::regex shotLine(R"(AI Fires at ([A-J])(10|[1-9])\.\.\. (Miss!|Hit!|Hit & Sunk!))");
    for (int game = 0; game < 80; game++) {
        int level = game % 4 + 1;
        SCOPED_TRACE(testing::Message() << "level " << level << ", seed " << game);
        TestGame tg;
        tg.fleet(static_cast<unsigned>(game));
        std::set<Square> fired;
        int lucky = 0;
        for (int turn = 0; !tg.g.opponentWon; turn++) {
            ASSERT_LT(turn, 40);
            clearMessages(&tg.g);
            Board before = tg.board();
            int sleeps = headlessSleeps();
            LEVELS[level - 1](&tg.g);
            int shots = 0;
            std::string result;  // of the last shot line; cleared by a luck line
            for (const std::string& line : messages()) {
                std::smatch m;
                if (line == "What a lucky shot!") {
                    EXPECT_TRUE(level == 4 && result.starts_with("Hit")) << "luck not right after a hit";
                    result.clear();
                    lucky++;
                    continue;
                }
                ASSERT_TRUE(std::regex_match(line, m, shotLine)) << line;
                Square s{m[1].str()[0] - 'A', std::stoi(m[2].str()) - 1};
                EXPECT_TRUE(!(before[at(s)] & CELL_SHOT) && fired.insert(s).second) << line << ": fired at before";
                result = m[3].str();
                EXPECT_EQ(result == "Miss!", !(tg.board()[at(s)] & CELL_SHIP)) << line;
                shots++;
            }
            // Levels 2 to 4 pause before every shot; level 1 never does.
            EXPECT_EQ(headlessSleeps() - sleeps, level == 1 ? 0 : shots);
            EXPECT_TRUE(tg.g.opponentWon || shots == SHOTS_PER_TURN) << shots << " shots";
        }
        // The last line of the last turn is the winning sinking (or its luck line).
        EXPECT_TRUE(messages(1)[0].ends_with("Hit & Sunk!") || messages(2)[0].ends_with("Hit & Sunk!"));
        EXPECT_EQ(mapFleetAfloat(tg.map()), 0);
        EXPECT_LE(lucky, LUCKY_SHOTS);
        EXPECT_EQ(tg.g.luckyShots, LUCKY_SHOTS - lucky);
    }
}

TEST(Opponent, EveryLevelFiresWhereItsDrawsSay) {
    const struct { int level; int luck; } rows[] = {{1, 5}, {2, 5}, {3, 5}, {4, 5}, {4, 0}};
    for (const auto& r : rows) {
        for (unsigned seed = 1; seed <= 8; seed++) {
            SCOPED_TRACE(testing::Message() << "level " << r.level << ", luck " << r.luck << ", seed " << seed);
            TestGame real;
            TestGame model;
            real.fleet(seed);
            model.fleet(seed);
            real.g.luckyShots = model.g.luckyShots = r.luck;
            bool followed = false;
            for (unsigned turn = 0; !real.g.opponentWon; turn++) {
                ASSERT_LT(turn, 40u);
                followed = followed || real.g.tracking;
                std::srand(seed * 100 + turn);
                modelTurn(&model.g, r.level);
                int next = std::rand();
                std::srand(seed * 100 + turn);
                LEVELS[r.level - 1](&real.g);
                ASSERT_EQ(real.board(), model.board()) << "turn " << turn;
                ASSERT_EQ(std::rand(), next) << "turn " << turn << " drew a different count of numbers";
                ASSERT_EQ(real.tracked(), model.tracked()) << "turn " << turn;
                ASSERT_EQ(real.g.luckyShots, model.g.luckyShots) << "turn " << turn;
            }
            EXPECT_TRUE(followed || r.level == 1) << "no turn began while tracking a ship";
        }
    }
}

TEST(TrackingShot, GoesToTheFirstSquareNotFiredAtAlongItsLine) {
    // line: the axis and way drawn when no hit lies beside the tracked square;
    // "" where a hit beside it shows the line and nothing may be drawn.
    const struct {
        const char* name;
        Square tracked;
        std::vector<Square> hits, misses;
        const char* line;
        const char* want;
    } rows[] = {
        {"open sea, drawn down", {5, 5}, {}, {}, "y+", "F7"},
        {"corner A1, drawn left", {0, 0}, {}, {}, "x-", "B1"},
        {"corner A1, drawn up", {0, 0}, {}, {}, "y-", "A2"},
        {"corner J10, drawn right", {9, 9}, {}, {}, "x+", "I10"},
        {"corner J10, drawn down", {9, 9}, {}, {}, "y+", "J9"},
        {"top edge, drawn up", {5, 0}, {}, {}, "y-", "F2"},
        {"a miss below: the other side", {5, 5}, {}, {{5, 6}}, "y+", "F5"},
        {"A1, a miss right: off, off, then down", {0, 0}, {}, {{1, 0}}, "x+", "A2"},
        {"misses both ways along x: the other axis, against the draw", {5, 5}, {}, {{4, 5}, {6, 5}}, "x+", "F5"},
        {"misses both ways along y: the other axis, against the draw", {5, 5}, {}, {{5, 4}, {5, 6}}, "y+", "E6"},
        {"misses on three sides", {5, 5}, {}, {{4, 5}, {6, 5}, {5, 4}}, "x+", "F7"},
        {"hits left and right: right wins", {5, 5}, {{4, 5}, {6, 5}}, {}, "", "H6"},
        {"hits above and below: below wins", {5, 5}, {{5, 4}, {5, 6}}, {}, "", "F8"},
        {"hits right and above: above wins", {5, 5}, {{6, 5}, {5, 4}}, {}, "", "F4"},
        {"hits on all four sides: below wins", {5, 5}, {{4, 5}, {6, 5}, {5, 4}, {5, 6}}, {}, "", "F8"},
        {"a run of hits: the first square past it", {5, 5}, {{6, 5}, {7, 5}, {8, 5}}, {}, "", "J6"},
        {"a run to the edge: back past the tracked square", {5, 5}, {{6, 5}, {7, 5}, {8, 5}, {9, 5}}, {}, "", "E6"},
        {"a miss past the run: the other side", {5, 5}, {{6, 5}, {7, 5}}, {{8, 5}}, "", "E6"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        TestGame tg;
        for (Square s : r.hits) tg.mark(s, HIT);
        for (Square s : r.misses) tg.mark(s, CELL_SHOT);
        tg.mark(r.tracked, HIT);
        tg.track(r.tracked);
        unsigned seed = *r.line ? seedForLine(r.line) : 11;
        std::srand(seed);
        for (int i = *r.line ? 2 : 0; i > 0; i--) std::rand();
        int next = std::rand();
        std::srand(seed);
        EXPECT_EQ(aiTrackShot(&tg.g), 0);
        EXPECT_EQ(std::rand(), next) << "not " << (*r.line ? 2 : 0) << " numbers drawn";
        EXPECT_EQ(messages(1)[0], "AI Fires at " + std::string(r.want) + "... Miss!");
        // A miss leaves the ship tracked from the same square.
        EXPECT_EQ(tg.tracked(), std::tuple(r.tracked.first, r.tracked.second, 1));
    }
}

TEST(TrackingShot, TheSinkingShotEndsTheTracking) {
    TestGame tg;
    ASSERT_EQ(placeShip(tg.map(), 3, 3, 5, 0), 1);  // D6 to F6, hit on E6 and F6
    tg.mark({4, 5}, CELL_SHOT);
    tg.mark({5, 5}, CELL_SHOT);
    tg.track({5, 5});
    EXPECT_EQ(aiTrackShot(&tg.g), 2);
    EXPECT_EQ(messages(1)[0], "AI Fires at D6... Hit & Sunk!");
    EXPECT_EQ(tg.tracked(), std::tuple(-1, -1, 0));
}

TEST(LuckyShot, WhileTrackingGoesStraightToTheTrackedShip) {
    // The ship (length, first square, 1 vertical), its hits with the tracked one first,
    // and the lucky shots in order.
    const struct {
        const char* name;
        int len, x, y, ori;
        std::vector<Square> hits;
        std::vector<std::string> shots;
    } rows[] = {
        // Left leaves the board at once, right holds no ship, below comes before above.
        {"A4 to A7 tracked on A5", 4, 0, 3, 1, {{0, 4}, {0, 5}}, {"A7... Hit!", "A4... Hit & Sunk!"}},
        {"A1 to E1 tracked on A1", 5, 0, 0, 0, {{0, 0}, {1, 0}, {2, 0}, {3, 0}}, {"E1... Hit & Sunk!"}},  // four steps
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        TestGame tg;
        ASSERT_EQ(placeShip(tg.map(), r.len, r.x, r.y, r.ori), 1);
        for (Square s : r.hits) tg.mark(s, CELL_SHOT);
        tg.track(r.hits[0]);
        for (const std::string& shot : r.shots) {
            EXPECT_EQ(tg.g.tracking, 1);
            EXPECT_EQ(aiLuckyTrackShot(&tg.g), shot.ends_with("Sunk!") ? 2 : 1);
            EXPECT_EQ(messages(2), (std::vector<std::string>{"AI Fires at " + shot, "What a lucky shot!"}));
        }
        EXPECT_EQ(tg.tracked(), std::tuple(-1, -1, 0));
    }
}

TEST(OpponentWin, TheWinningShotReturnsZeroWithoutTheRedrawAfterIt) {
    const struct { const char* name; int lucky; bool tracking; } rows[] = {
        {"tracking shot", 0, true}, {"lucky tracking shot", 1, true},
        {"random shot", 0, false},  {"lucky shot with nothing tracked", 1, false},
    };
    for (const auto& r : rows) {
        for (int otherAfloat : {0, 1}) {
            SCOPED_TRACE(testing::Message() << r.name << (otherAfloat ? ", another ship afloat" : ", the last ship"));
            // C4 to E4, hit on D4 and E4; C4 is the only square not fired at.
            TestGame tg;
            Board b = allShotBut({{2, 3}});
            for (Square s : {Square{2, 3}, Square{3, 3}, Square{4, 3}}) put(b, s, CELL_SHIP);
            if (otherAfloat) put(b, {8, 8}, CELL_SHIP);  // a hit segment of a ship not sunk
            tg.load(b);
            if (r.tracking) tg.track({4, 3});
            int writes = headlessWrites();
            EXPECT_EQ(aiShot(&tg.g, 1, r.lucky), otherAfloat);
            EXPECT_EQ(tg.g.opponentWon, 1 - otherAfloat);
            // The redraw before, the announcement, the result and the luck line
            // each write the screen once; only a shot that did not win is redrawn.
            EXPECT_EQ(headlessWrites() - writes, 3 + r.lucky + otherAfloat);
            std::vector<std::string> want{"AI Fires at C4... Hit & Sunk!"};
            if (r.lucky) want.push_back("What a lucky shot!");
            EXPECT_EQ(messages(want.size()), want);
        }
    }
}

TEST(OpponentDeathTest, TrackingWithNowhereToGoIsAnInternalError) {
    TestGame tg;
    EXPECT_DEATH(aiTrackShot(&tg.g), "XYVALID\\(tx,ty\\)");
    EXPECT_DEATH(aiLuckyTrackShot(&tg.g), "XYVALID\\(x,y\\)");
    tg.mark({5, 5}, HIT);
    for (Square s : {Square{4, 5}, Square{6, 5}, Square{5, 4}, Square{5, 6}}) tg.mark(s, CELL_SHOT);
    tg.track({5, 5});
    EXPECT_DEATH(aiTrackShot(&tg.g), "Assertion failed: 0,");
    // The lucky walk follows ship squares only: a lone hit leaves it nowhere to go.
    EXPECT_DEATH(aiLuckyTrackShot(&tg.g), "Assertion failed: 0,");
    EXPECT_DEATH(aiFireAt(tg.map(), 5, 4, &tg.g), "ret != -1");
}

TEST(OpponentDeathTest, EveryOperationNeedsAGame) {
    TestGame tg;
    int x = 0;
    const std::pair<const char*, std::function<void()>> rows[] = {
        {"aiMoveEasy", [] { aiMoveEasy(nullptr); }},   {"aiMoveMedium", [] { aiMoveMedium(nullptr); }},
        {"aiMoveHard", [] { aiMoveHard(nullptr); }},   {"aiMoveChampion", [] { aiMoveChampion(nullptr); }},
        {"aiTurn", [] { aiTurn(nullptr, 1, 0); }},     {"aiShot", [] { aiShot(nullptr, 1, 1); }},
        {"aiTrackShot", [] { aiTrackShot(nullptr); }}, {"aiLuckyTrackShot", [] { aiLuckyTrackShot(nullptr); }},
        {"aiRandomShot", [&] { aiRandomShot(nullptr, &x, &x, 1, 1); }},
        {"aiFireAt", [&] { aiFireAt(tg.map(), 0, 0, nullptr); }},
    };
    for (const auto& [name, run] : rows) {
        SCOPED_TRACE(name);
        EXPECT_DEATH(run(), "g != NULL");
    }
}
