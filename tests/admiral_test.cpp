#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "rules/admiral.h"
#include "rules/board.h"

namespace {

using Square = std::pair<int, int>;
constexpr FleetPrior PRIORS[] = {FleetPrior::Even, FleetPrior::GamePlacement};

// One character a square, row after row: '.' never fired at, 'o' water,
// 'x' hit, '#' sunk, 's' a ship never fired at, which the sight cannot show.
Sight sightFrom(std::string_view picture) {
    std::array<Seen, SIGHT_SQUARES> squares{};
    for (std::size_t i = 0; i < squares.size(); i++) {
        auto seen = std::string_view(".ox#").find(picture[i]);
        squares[i] = seen == std::string_view::npos ? Seen::Unknown : Seen(seen);
    }
    return Sight(squares);
}

Square choose(const std::string& picture, FleetPrior prior, AdmiralRandom& random) {
    Square s;
    admiralChoose(sightFrom(picture), prior, random, &s.first, &s.second);
    return s;
}

}  // namespace

// Each row: the picture, and where each prior (even, the game's) must fire.
TEST(AdmiralAim, FiresWhereAShipIsLikeliest) {
    auto marked = [](std::set<std::size_t> hits, std::set<std::size_t> water) {
        std::string p(SIGHT_SQUARES, '.');
        for (std::size_t i : hits) p[i] = 'x';
        for (std::size_t i : water) p[i] = 'o';
        return p;
    };
    std::set<Square> edge = {{1, 0}, {2, 0}, {3, 0}, {4, 0}}, mid = {{2, 5}, {3, 5}, {4, 5}, {5, 5}, {6, 5}};
    const struct { const char* name; std::string picture; std::set<Square> even, game; } rows[] = {
        {"E5 hit, water left and above", marked({44}, {43, 34}), {{5, 4}, {4, 5}}, {{5, 4}, {4, 5}}},
        {"E5 hit, water on three sides", marked({44}, {43, 34, 45}), {{4, 5}}, {{4, 5}}},
        {"A1 hit, water right", marked({0}, {1}), {{0, 1}}, {{0, 1}}},
        {"J10 hit, water above", marked({99}, {89}), {{8, 9}}, {{8, 9}}},
        {"J10 hit, water left, its ship sure to run up; E5 hit alone", marked({99, 44}, {98}), {{9, 8}}, {{9, 8}}},
        // The game lays the 5-master first, as likely anywhere; mid-board it
        // left the ships laid after it fewer places, each so the likelier.
        {"5-master afloat: a run of five mid-board, of six on the edge",
         "......o###" "oooooooooo" "##o##o###o" "oooooooooo" "oooooooooo"
         "oo.....ooo" "oooooooooo" "####o####o" "oooooooooo" "##o##o###o", edge, mid},
        // A hit at J2 may sink the 3-master there, and the water its sinking
        // shows tells the next shot more than a hit at G2 would.
        {"H2 and I2 hit, a 4-master and a 3-master afloat",
         "#o........" "#ossss.xxs" "#o......oo" "ooooooooo#" "o.o#####o#"
         "oooooooooo" "##oooooooo" "ooo####oo#" "ooooooooo#" "o###oo##oo", {{9, 1}}, {{9, 1}}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        AdmiralRandom even = admiralSeed(1), game = admiralSeed(1);
        EXPECT_TRUE(r.even.contains(choose(r.picture, FleetPrior::Even, even)));
        EXPECT_TRUE(r.game.contains(choose(r.picture, FleetPrior::GamePlacement, game)));
    }
}

// Drawing layouts favours some over others; weighed, the layouts drawn tell
// the odds of every square as counting all of them does, under either prior.
TEST(AdmiralLayouts, DrawnAndWeighedTheyTellTheOddsThatCountingTells) {
    Position p = positionOf(sightFrom("..o......." ".........." "..x......." ".........." "oooooooooo"
                                      "###o##o##o" "oooooooooo" "####o###oo" "oooooooooo" "#####o####"));
    for (FleetPrior prior : PRIORS) {
        SCOPED_TRACE(prior == FleetPrior::Even ? "even" : "game's placement");
        AdmiralRandom random = admiralSeed(1);
        std::vector<Layout> counted, drawn;
        ASSERT_TRUE(layoutsFind(p, prior, {1 << 24, 1 << 20, 0, 0}, random, &counted));
        ASSERT_FALSE(layoutsFind(p, prior, {0, 0, 40000, 400000}, random, &drawn));
        auto odds = [](const std::vector<Layout>& layouts, int b) {
            double total = 0, on = 0;
            for (const Layout& l : layouts) total += l.weight, on += bitsHas(l.ships, b) ? l.weight : 0;
            return on / total;
        };
        double worst = 0;
        for (int b = 0; b < 128; b++) worst = std::max(worst, std::abs(odds(counted, b) - odds(drawn, b)));
        EXPECT_LT(worst, 0.02) << counted.size() << " layouts";
    }
}
