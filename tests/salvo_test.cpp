// The rules beyond the described ones: the classic Salvo rule, who fires
// first, and the hint drawn from the Admiral's odds.
#include "rules/admiral.h"
#include "screen/board_view.h"
#include "support.h"

namespace {

struct Rules : GameTest {
    // Ships of two squares down the columns of map, from A1 on, two columns
    // apart: n of them, the first sunk of them sunk.
    static void fleet(std::uint8_t* map, int n, int sunk) {
        for (int i = 0; i < n; i++) {
            ASSERT_EQ(placeShip(map, 2, 2 * i, 0, 1), 1);
            if (i < sunk) {
                (void)mapFire(map, 2 * i, 0);
                (void)mapFire(map, 2 * i, 1);
            }
        }
    }
};

// The computer's announced shots, square by square, as the screen showed them.
Lines announced() {
    Lines shots;
    for (int y = 14; y < 24; y++) {
        std::string row = headlessRow(y);
        if (row.starts_with("AI Fires at ")) shots.push_back(row.substr(12, row.find("...") - 12));
    }
    return shots;
}

}  // namespace

// Under the Salvo rule a side fires as many shots a turn as it has ships
// afloat, down to one; without it, three whatever is afloat. Each side
// counts its own fleet: the other's has one ship more afloat.
TEST_F(Rules, UnderSalvoEachSideFiresAsManyShotsAsItHasShipsAfloat) {
    const struct { bool salvo; int ships, sunk; int shots; } rows[] = {
        {true, 4, 0, 4}, {true, 4, 3, 1}, {true, 4, 1, 3}, {false, 4, 3, 3},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << (r.salvo ? "salvo, " : "three, ") << r.ships << " ships, " << r.sunk << " sunk");
        restart();
        g.salvo = r.salvo;
        auto sides = [&r](std::uint8_t* own, std::uint8_t* other) { fleet(own, r.ships, r.sunk), fleet(other, r.ships + 1, r.sunk); };
        // The player: the prompt counts down from the ships afloat.
        sides(g.mapPlayer.get(), g.mapOpponent.get());
        std::string lines;
        for (int i = 0; i < r.shots; i++) lines += std::string(1, static_cast<char>('a' + i)) + "10\n";
        headlessQueueInput(lines);
        Lines prompts;
        headlessOnFrame([&prompts](const Frame&, Coord cursor) {
            std::string row = headlessRow(cursor.y - 1);
            if (row.starts_with("You have ") && (prompts.empty() || prompts.back() != row)) prompts.push_back(row);
        });
        EXPECT_TRUE(gamePlayerTurn(&g));
        ASSERT_FALSE(prompts.empty());
        EXPECT_EQ(prompts.front(), "You have " + std::to_string(r.shots) + " shot" + (r.shots == 1 ? "" : "s") + " left. What is your target?");
        EXPECT_EQ(prompts.size(), static_cast<std::size_t>(r.shots));
        // The computer: as many shots, at the Easy level.
        restart();
        g.salvo = r.salvo;
        sides(g.mapOpponent.get(), g.mapPlayer.get());
        consoleInit(&g.console);
        g.level = &OPPONENT_LEVELS[0];
        aiTurn(&g);
        EXPECT_EQ(announced().size(), static_cast<std::size_t>(r.shots));
    }
}

// --first=computer: the computer fires its turn before the player's first
// prompt. --first=random: the side drawn from the seed, the same for the
// same seed, and both sides among a few seeds; the fleets as without it.
TEST(First, TheComputerFirstOrDrawnFromTheSeed) {
    // Whether the computer had fired when the first target prompt came, and the player's fleet then.
    auto firstPrompt = [](unsigned seed, const char* first) {
        headlessReset();
        bool computerFired = false;
        std::string fleet;
        headlessOnRead([&](char* buf, int size) {
            if (fleet.empty()) {
                computerFired = !announced().empty();
                for (int y = 2; y < 12; y++) fleet += headlessRow(y).substr(3, 10) + "|";
            }
            std::snprintf(buf, static_cast<std::size_t>(size), "-\n");
            return true;
        });
        EXPECT_EQ(run({"--level=1", "--place=random", "--seed=" + std::to_string(seed), first}), 0);
        return std::pair(computerFired, fleet);
    };
    EXPECT_FALSE(firstPrompt(1, "--first=player").first);
    EXPECT_TRUE(firstPrompt(1, "--first=computer").first);
    std::set<bool> drawn;
    for (unsigned seed = 1; seed <= 8; seed++) {
        auto once = firstPrompt(seed, "--first=random");
        EXPECT_EQ(once.first, gameDrawsComputerFirst(seed)) << seed;
        EXPECT_EQ(once.second, firstPrompt(seed, "--first=player").second) << "the fleet, seed " << seed;
        drawn.insert(once.first);
    }
    EXPECT_EQ(drawn.size(), 2u);
}

namespace {

// The hint as the player sees it without colour: the digits over the
// computer's board, '.' for a square fired at, the squares whose digit is
// in reverse video, and the square the aim is on.
struct Hint {
    std::string digits;
    std::vector<Coord> reversed;
    Coord cursor;
};

Hint hintShown() {
    Hint h{"", {}, headlessCursor()};
    for (int y = 2; y < 12; y++) {
        for (int x = 21; x < 31; x++) {
            Cell cell = headlessScreen()[static_cast<std::size_t>(x + y * SCREEN_WIDTH)];
            bool digit = cell.ch >= '0' && cell.ch <= '9';
            h.digits += digit ? static_cast<char>(cell.ch) : '.';
            if (digit && (cell.attr & ATTR_REVERSE)) h.reversed.push_back({x, y});
        }
    }
    return h;
}

struct HintTest : GameTest {
    // The hint asked for with ? at a terminal, in the game's own echo: the
    // picture as the player sees it, and then the line then gives.
    Hint ask(std::string then = "") {
        terminalSetColour(ColourChoice::Never);
        headlessEcho(true);
        consoleAim(&g.console, 1);
        Hint seen;
        headlessQueueEvents({{EventKind::Char, '?', {0, 0}}});
        headlessOnNeed([&] {
            if (!seen.digits.empty() && next.digits.empty()) next = hintShown();
            if (seen.digits.empty()) seen = hintShown();
            headlessQueueInput(then);
            then.clear();
        });
        consoleHint(&g.console, [this](bool show) { gameHint(&g, show); });
        char buf[256];
        if (consoleReadLine(&g.console, buf, sizeof buf)) fired = buf;
        consoleHint(&g.console, nullptr);
        return seen;
    }
    std::string fired;
    Hint next;  // the board as the keys after the ? left it, before the line ends
};

}  // namespace

// A fleet placed at random, all fired at but one 2-master: the two squares
// it lies on are sure (9, the first of them the likeliest, the aim on it),
// and nothing else is unknown. Enter fires at the likeliest. The digits are
// the Admiral's odds in tenths of the likeliest.
TEST_F(HintTest, ShowsTheAdmiralsOddsInTenthsAndAimsAtTheLikeliest) {
    std::uint8_t* sea = g.mapOpponent.get();
    std::srand(1);
    placeFleetRandomly(&g, sea);
    int last = 0;
    auto kept2 = [&](int i) {  // a 2-master off the top row, so the aim's row tells
        return (mapGet(sea, i % 10, i / 10) & CELL_SHIP) && mapShipAt(sea, i % 10, i / 10).len == 2 &&
               mapShipAt(sea, i % 10, i / 10).y > 0;
    };
    while (!kept2(last)) last++;
    ShipPlace kept = mapShipAt(sea, last % 10, last / 10);
    int second = (kept.x + (1 - kept.vertical)) + (kept.y + kept.vertical) * 10;
    for (int i = 0; i < 100; i++) {
        if (i != kept.x + kept.y * 10 && i != second && !(mapGet(sea, i % 10, i / 10) & CELL_SHOT)) (void)mapFire(sea, i % 10, i / 10);
    }
    ASSERT_TRUE(mapFleetAfloat(sea));
    Hint h = ask("\n");
    std::string want(100, '.');
    want[static_cast<std::size_t>(kept.x + kept.y * 10)] = want[static_cast<std::size_t>(second)] = '9';
    EXPECT_EQ(h.digits, want);
    EXPECT_EQ(h.cursor, (Coord{21 + kept.x, 2 + kept.y}));
    EXPECT_EQ(h.reversed, std::vector<Coord>{h.cursor});
    char name[8];
    mapSquareName(kept.x, kept.y, name, sizeof name);
    EXPECT_EQ(fired, std::string(1, static_cast<char>(name[0] - 'A' + 'a')) + (name + 1) + "\n");
    EXPECT_EQ(g.figures.hints, 1);
    AdmiralRandom same = admiralSeed(0);
    SquareOdds odds = admiralOdds(sightOf(sea), FleetPrior::GamePlacement, same);
    EXPECT_GT(odds[static_cast<std::size_t>(second)], 0.99);
}

// Two computer fleets alike where the player has fired, apart elsewhere:
// the same picture, for it is drawn from the player's shots alone; on an
// open sea, every square not fired at has odds.
TEST_F(HintTest, TwoFleetsAlikeWhereFiredAtShowTheSamePicture) {
    auto picture = [this](int x) {
        restart();
        std::uint8_t* sea = g.mapOpponent.get();
        EXPECT_EQ(placeShip(sea, 3, 0, 0, 0) + placeShip(sea, 2, x, 9, 0), 2);
        for (auto [sx, sy] : {std::pair{0, 0}, {1, 0}, {5, 5}, {9, 0}}) (void)mapFire(sea, sx, sy);
        g.hintRandom = admiralSeed(7);
        return ask().digits;
    };
    std::string one = picture(0), other = picture(7);
    EXPECT_EQ(one, other);
    EXPECT_EQ(std::ranges::count(one, '.'), 4);
}

// Any other key takes the picture away, and goes on from the line the hint
// aimed with, as after the arrow keys. A ? after other keys is only typed.
TEST_F(HintTest, AnyOtherKeyTakesThePictureAway) {
    Hint h = ask("x");
    EXPECT_NE(h.digits.find('9'), std::string::npos);
    std::string aimed = std::string(1, static_cast<char>('a' + h.cursor.x - 21)) + std::to_string(h.cursor.y - 1);
    EXPECT_EQ(fired, aimed + "x");
    EXPECT_EQ(next.digits, std::string(100, '.'));
    restart();
    headlessQueueEvents({{EventKind::Char, 'b', {0, 0}}});
    EXPECT_EQ(ask("\n").digits, std::string(100, '.'));
    EXPECT_EQ(fired, "b?\n");
    EXPECT_EQ(g.figures.hints, 0);
}

// With --hints=never a line "?" is refused, costing no shot; with hints, a
// line "?" then an empty one fires where the hint aims, and no draw changes.
TEST(Hints, RefusedWhenOffAndNoDrawOfTheGameChangesWhenAsked) {
    int refusals = 0;
    Lines afterHint;  // the lines read after a "?", as the game took them
    auto game = [&](const std::vector<std::string>& args, const std::string& extra) {
        headlessReset();
        headlessQueueInput("a1\n" + extra + "a2\n" + extra + "a3\nb1\nb2\nb3\n-\n");
        Lines shots;
        bool asked = false;
        consoleWatch([&](const char* line) {
            if (asked) afterHint.push_back(line);
            asked = std::string(line) == "?\n";
        }, nullptr);
        headlessOnFrame([&](const Frame&, Coord cursor) {
            std::string row = headlessRow(cursor.y - 1);
            if (asked && row == "No hints in this game (--hints=never).") refusals++, asked = false;
            if (row.starts_with("AI Fires at ") && (shots.empty() || shots.back() != row)) shots.push_back(row);
        });
        std::vector<std::string> all = {"--seed=9", "--level=5", "--place=random"};
        all.insert(all.end(), args.begin(), args.end());
        EXPECT_EQ(run(all), 0);
        consoleWatch(nullptr, nullptr);
        return shots;
    };
    Lines plain = game({}, "");
    Lines hinted = game({}, "?\n\n");
    ASSERT_EQ(afterHint.size(), 2u);
    for (const std::string& line : afterHint) {
        int x = 0, y = 0;
        EXPECT_TRUE(squareOfText(line.c_str(), &x, &y)) << "the empty line fires at the square the hint aims at, not " << line;
    }
    ASSERT_GE(hinted.size(), plain.size());
    EXPECT_EQ(Lines(hinted.begin(), hinted.begin() + static_cast<std::ptrdiff_t>(plain.size())), plain);
    EXPECT_EQ(game({"--hints=never"}, "?\n"), plain);
    EXPECT_EQ(refusals, 2);
}
