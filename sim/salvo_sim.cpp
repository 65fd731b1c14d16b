// salvo-sim: the computer against random fleets. Plays whole games of one or
// all opponent levels by the rules themselves, with the draws the game makes,
// and prints how many shots each level needs to sink a fleet, and how long
// it takes to choose a shot. Game i of a run is seeded with seed + i (rand's
// draws and the Admiral's), so any game can be played again alone with
// --seed seed+i --games 1, and in the game itself with --seed=seed+i.
//
// Under the classic Salvo rule (--salvo) each side fires as many shots a
// turn as it has ships afloat, so the player's side has to fire back: it is
// played by the same level, on the computer's fleet, who fires first as
// --first says. The table then tells how often the computer wins, and in how
// many turns a game ends.
#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <ctime>
#include <string_view>
#include <vector>

#include "game/game.h"
#include "rules/admiral.h"

namespace {

using Level = OpponentLevel;
constexpr const Level* LEVELS = OPPONENT_LEVELS;
constexpr int LEVEL_COUNT = OPPONENT_LEVEL_COUNT;

// No side can fire at more than the whole board.
constexpr int BOARD_SQUARES = MAP_WIDTH * MAP_HEIGHT;

struct SimOptions {
    int firstLevel = 1;  // the levels played, first to last
    int lastLevel = LEVEL_COUNT;
    int games = 1000;
    unsigned seed = 1;
    bool each = false;   // one line per game
    bool even = false;   // fleets drawn evenly among all layouts, played as placed by hand
    bool salvo = false;  // each side fires as many shots as it has ships afloat
    Options::First first = Options::First::Player;
};

struct GameCount {
    int shots = 0;
    int turns = 0;
    int lucky = 0;
    int won = 1;  // 1 when the computer sank the player's fleet first
};

// How long the computer takes to choose its shots (and fire them).
struct ShotClock {
    double totalMs = 0;
    double mostMs = 0;
    long shots = 0;
};

struct LevelSummary {
    double meanShots = 0;
    int medianShots = 0;
    int p10Shots = 0;
    int p90Shots = 0;
    double meanTurns = 0;
    int medianTurns = 0;
    int p10Turns = 0;
    int p90Turns = 0;
    double meanLucky = 0;
    double wonShare = 0;
    double gamesPerSecond = 0;     // by the wall clock
    double gamesPerCpuSecond = 0;  // by the processor time this program got
    double msPerShot = 0;          // choosing a shot, mean
    double mostMs = 0;             // and at the slowest
};

void usage() {
    std::fprintf(stderr,
                 "usage: salvo-sim [--level N|N-M|all] [--games N] [--seed S] [--even] [--salvo]\n"
                 "                 [--first player|computer|random] [--each]\n"
                 "  Plays N games a level against random fleets; game i is seeded with S + i.\n"
                 "  A value follows its option as the next argument or after =, as in --level=5.\n"
                 "  --even   fleets drawn evenly among all legal layouts, played as placed by hand\n"
                 "  --salvo  each side fires as many shots a turn as it has ships afloat; the\n"
                 "           player's side is played by the same level\n"
                 "  --first  who fires first under --salvo (the player, unless given)\n"
                 "  --each   prints one line per game: level, seed, shots, turns, lucky shots, won\n");
}

// Reads a whole decimal number in [low, high]. Returns false for anything else.
template <typename T>
bool readNumber(std::string_view text, T low, T high, T* out) {
    T value{};
    auto [end, err] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (err != std::errc() || end != text.data() + text.size() || value < low || value > high) return false;
    *out = value;
    return true;
}

// Fills opt from the command line, a value after = or as the next argument.
// Returns false, after the usage, on anything it does not understand.
bool readOptions(int argc, char** argv, SimOptions* opt) {
    for (int i = 1; i < argc; i++) {
        std::string_view arg = argv[i];
        std::size_t equals = arg.find('=');
        bool attached = equals != std::string_view::npos;
        bool hasValue = attached || i + 1 < argc;
        std::string_view value = attached ? arg.substr(equals + 1) : hasValue ? argv[i + 1] : "";
        if (attached) arg = arg.substr(0, equals);
        bool ok = true;
        if (!attached && (arg == "--each" || arg == "--even" || arg == "--salvo")) {
            (arg == "--each" ? opt->each : arg == "--even" ? opt->even : opt->salvo) = true;
            continue;
        }
        if (!hasValue) {
            ok = false;
        } else if (arg == "--level" && value == "all") {
            opt->firstLevel = 1;
            opt->lastLevel = LEVEL_COUNT;
        } else if (arg == "--level") {
            std::size_t dash = value.find('-');
            ok = readNumber(value.substr(0, dash), 1, LEVEL_COUNT, &opt->firstLevel) &&
                 readNumber(dash == std::string_view::npos ? value : value.substr(dash + 1), opt->firstLevel, LEVEL_COUNT,
                            &opt->lastLevel);
        } else if (arg == "--first") {
            ok = value == "player" || value == "computer" || value == "random";
            using F = Options::First;
            opt->first = value == "computer" ? F::Computer : value == "random" ? F::Random : F::Player;
        } else if (arg == "--games") {
            ok = readNumber(value, 1, 10000000, &opt->games);
        } else if (arg == "--seed") {
            ok = readNumber(value, 0u, 0xffffffffu, &opt->seed);
        } else {
            ok = false;
        }
        if (!ok) {
            std::fprintf(stderr, "salvo-sim: bad argument: %s%s%s\n", argv[i], hasValue && !attached ? " " : "",
                         hasValue && !attached ? argv[i + 1] : "");
            usage();
            return false;
        }
        if (!attached) i++;
    }
    return true;
}

// A count that cannot be right means the game or the counting is broken:
// name the game so that it can be played again, and stop.
[[noreturn]] void countsWrong(const Level& level, unsigned seed, const GameCount& n, const char* what) {
    std::fprintf(stderr, "salvo-sim: %s, seed %u: %s (%d shots in %d turns)\n", level.name, seed, what, n.shots,
                 n.turns);
    std::exit(1);
}

// The computer's side in a game: the board it fires at, its memory, its
// prior, and the time it takes.
struct Side {
    std::uint8_t* target;
    OpponentMemory* memory;
    FleetPrior prior;
};

// One turn of a side at level, shots shots at most: true when it sank the
// whole fleet it fires at. clock, when given, times each shot.
bool simTurn(const Level& level, Side side, int shots, GameCount* n, ShotClock* clock) {
    for (int shot = 0; shot < shots; shot++) {
        auto start = std::chrono::steady_clock::now();
        AiShot s = aiShoot(level.level, side.target, side.memory, side.prior);
        if (clock) {
            double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            clock->totalMs += ms;
            clock->mostMs = std::max(clock->mostMs, ms);
            clock->shots++;
            n->shots++;
        }
        if (s.result == 2 && !mapFleetAfloat(side.target)) return true;
    }
    return false;
}

// One game, with the draws the program makes, except that the player never
// shoots but under the Salvo rule: the seed, both fleets at random (the
// player's drawn evenly, as if placed by hand, with even), then the turns
// until a fleet is sunk, each shot as the rules choose and fire it.
GameCount simPlayGame(const Level& level, unsigned seed, const SimOptions& opt, ShotClock* clock) {
    std::srand(seed);
    OpponentMemory memory;
    memory.random = admiralSeed(seed);
    std::array<std::uint8_t, BOARD_SQUARES> player{};
    std::array<std::uint8_t, BOARD_SQUARES> opponent{};
    std::unique_ptr<ShipClass> roster;
    if (opt.even) {
        AdmiralRandom draws = admiralSeed(~seed);
        for (const ShipPlace& s : admiralDrawEvenFleet(draws)) {
            if (!placeShip(player.data(), s.len, s.x, s.y, s.vertical)) countsWrong(level, seed, {}, "an even fleet that does not fit");
        }
    } else {
        placeFleetRandomly(roster, player.data());
    }
    placeFleetRandomly(roster, opponent.data());
    Side computer{player.data(), &memory, opt.even ? FleetPrior::Even : FleetPrior::GamePlacement};
    // The player's side, under the Salvo rule: the same level, with draws of
    // its own, at the computer's fleet, which the game places at random.
    OpponentMemory mirror;
    mirror.random = admiralSeed(seed ^ 0x6d697272u);
    Side playerSide{opponent.data(), &mirror, FleetPrior::GamePlacement};

    GameCount n;
    bool computerFirst = gameComputerFirst(opt.first, seed);
    // The shots of a turn follow the rule played, from the board of the side that fires.
    auto computerFires = [&] { return simTurn(level, computer, gameShotsPerTurn(opt.salvo, opponent.data()), &n, clock); };
    auto playerFires = [&] { return simTurn(level, playerSide, gameShotsPerTurn(opt.salvo, player.data()), &n, nullptr); };
    bool over = false;
    while (!over) {
        n.turns++;
        if (!opt.salvo) {
            over = computerFires();
        } else {
            // Whoever sinks the other's fleet first wins; the other fires no more.
            bool computerWins = false;
            bool playerWins = false;
            if (computerFirst) {
                computerWins = computerFires();
                playerWins = !computerWins && playerFires();
            } else {
                playerWins = playerFires();
                computerWins = !playerWins && computerFires();
            }
            over = computerWins || playerWins;
            n.won = playerWins ? 0 : 1;
        }
        if (n.shots > BOARD_SQUARES) countsWrong(level, seed, n, "more shots than squares");
    }
    n.lucky = LUCKY_SHOTS - memory.luckyShots;
    if (n.won && n.shots < FLEET_SQUARES) countsWrong(level, seed, n, "fleet sunk with fewer shots than squares");
    return n;
}

// The share p (0..1) of the sorted values, by nearest rank.
int percentile(const std::vector<int>& sorted, double p) {
    auto n = static_cast<double>(sorted.size());
    auto rank = static_cast<std::size_t>(std::max(1.0, std::ceil(p * n)));
    return sorted[std::min(rank, sorted.size()) - 1];
}

LevelSummary simPlayLevel(const Level& level, const SimOptions& opt) {
    std::vector<GameCount> counts(static_cast<std::size_t>(opt.games));
    ShotClock clock;
    auto start = std::chrono::steady_clock::now();
    std::clock_t cpuStart = std::clock();
    for (int i = 0; i < opt.games; i++) {
        unsigned seed = opt.seed + static_cast<unsigned>(i);
        counts[static_cast<std::size_t>(i)] = simPlayGame(level, seed, opt, &clock);
    }
    std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;

    if (opt.each) {
        for (int i = 0; i < opt.games; i++) {
            const GameCount& n = counts[static_cast<std::size_t>(i)];
            std::printf("%s\tseed %u\tshots %d\tturns %d\tlucky %d\twon %d\n", level.name, opt.seed + static_cast<unsigned>(i),
                        n.shots, n.turns, n.lucky, n.won);
        }
    }

    LevelSummary sum;
    auto games = static_cast<double>(opt.games);
    auto mean = [&counts, games](int GameCount::*field) {
        long total = 0;
        for (const GameCount& n : counts) total += n.*field;
        return static_cast<double>(total) / games;
    };
    std::vector<int> shots;
    for (const GameCount& n : counts) shots.push_back(n.shots);
    std::sort(shots.begin(), shots.end());
    sum.meanShots = mean(&GameCount::shots);
    sum.medianShots = percentile(shots, 0.5);
    sum.p10Shots = percentile(shots, 0.1);
    sum.p90Shots = percentile(shots, 0.9);
    std::vector<int> turns;
    for (const GameCount& n : counts) turns.push_back(n.turns);
    std::sort(turns.begin(), turns.end());
    sum.meanTurns = mean(&GameCount::turns);
    sum.medianTurns = percentile(turns, 0.5);
    sum.p10Turns = percentile(turns, 0.1);
    sum.p90Turns = percentile(turns, 0.9);
    sum.wonShare = mean(&GameCount::won);
    sum.meanLucky = mean(&GameCount::lucky);
    sum.gamesPerSecond = wall.count() > 0 ? games / wall.count() : 0;
    sum.gamesPerCpuSecond = cpu > 0 ? games / cpu : 0;
    sum.msPerShot = clock.shots > 0 ? clock.totalMs / static_cast<double>(clock.shots) : 0;
    sum.mostMs = clock.mostMs;
    return sum;
}

}  // namespace

int main(int argc, char** argv) {
    SimOptions opt;
    if (!readOptions(argc, argv, &opt)) return 2;
    std::vector<std::pair<const Level*, LevelSummary>> rows;
    for (int l = 1; l <= LEVEL_COUNT; l++) {
        if (l < opt.firstLevel || l > opt.lastLevel) continue;
        const Level& level = LEVELS[l - 1];
        rows.emplace_back(&level, simPlayLevel(level, opt));
    }

    // Every level plays the same seeds, and so against the same fleets.
    if (opt.salvo) {
        using F = Options::First;
        const char* first = opt.first == F::Computer ? "the computer" : opt.first == F::Random ? "drawn" : "the player";
        std::printf("The Salvo rule, each level against itself: %d games a level, seeds %u to %u, who fires first %s.\n"
                    "won: the share of games the computer's side wins; turns until a fleet is sunk, percentiles by\n"
                    "nearest rank; shots the computer's side fires, lucky shots, ms/shot and max ms, means a game.\n\n",
                    opt.games, opt.seed, opt.seed + static_cast<unsigned>(opt.games - 1), first);
        std::printf("%-30s %7s %6s %7s %7s %5s %5s %7s %7s %8s %8s\n", "level", "games", "won", "turns", "median", "p10",
                    "p90", "shots", "lucky", "ms/shot", "max ms");
        for (const auto& [level, s] : rows) {
            std::printf("%-30s %7d %5.1f%% %7.2f %7d %5d %5d %7.2f %7.2f %8.3f %8.2f\n", level->name, opt.games,
                        100 * s.wonShare, s.meanTurns, s.medianTurns, s.p10Turns, s.p90Turns, s.meanShots, s.meanLucky,
                        s.msPerShot, s.mostMs);
        }
        return 0;
    }
    std::printf("Shots the computer needs to sink %s fleet: %d games a level, seeds %u to %u.\n"
                "Percentiles by nearest rank; turns and lucky shots used are means a game; ms/shot and max ms\n"
                "the time to choose a shot; games/s by the wall clock, and by the processor time the\n"
                "simulator got (the two differ on a busy machine).\n\n",
                opt.even ? "an evenly drawn" : "a random", opt.games, opt.seed, opt.seed + static_cast<unsigned>(opt.games - 1));
    std::printf("%-30s %7s %7s %7s %5s %5s %7s %7s %8s %8s %9s %9s\n", "level", "games", "mean", "median", "p10",
                "p90", "turns", "lucky", "ms/shot", "max ms", "games/s", "cpu g/s");
    for (const auto& [level, s] : rows) {
        std::printf("%-30s %7d %7.2f %7d %5d %5d %7.2f %7.2f %8.3f %8.2f %9.0f %9.0f\n", level->name, opt.games,
                    s.meanShots, s.medianShots, s.p10Shots, s.p90Shots, s.meanTurns, s.meanLucky, s.msPerShot,
                    s.mostMs, s.gamesPerSecond, s.gamesPerCpuSecond);
    }
    return 0;
}
