#include "game/options.h"

#include <cstdint>
#include <string_view>

#include "game/opponent_turn.h"

namespace {

constexpr std::string_view USAGE =
    "usage: salvo [--level=1-5] [--place=hand|random] [--seed=N] [--salvo] [--first=WHO] [--hints=WHEN] "
    "[--color[=WHEN]] [--mouse=WHEN] [--help] [--version]";

enum class Name { Help, Version, Level, Place, Seed, Color, Mouse, Salvo, First, Hints };

struct Known {
    std::string_view name;
    Name id;
    bool takesValue;  // a value of its own, attached with "=" or the next argument
};
constexpr Known KNOWN[] = {
    {"help", Name::Help, false}, {"version", Name::Version, false}, {"level", Name::Level, true},
    {"place", Name::Place, true}, {"seed", Name::Seed, true},       {"color", Name::Color, false},
    {"mouse", Name::Mouse, true}, {"salvo", Name::Salvo, false},   {"first", Name::First, true},
    {"hints", Name::Hints, true},
};

// The option a name given on the command line stands for: the whole name
// or any start of it that fits one option only.
const Known* known(std::string_view given) {
    const Known* found = nullptr;
    int fits = 0;
    for (const Known& k : KNOWN) {
        if (k.name == given) return &k;
        if (!given.empty() && k.name.starts_with(given)) {
            found = &k;
            fits++;
        }
    }
    return fits == 1 ? found : nullptr;
}

// 0 to 4294967295, in decimal digits only.
bool parseSeed(std::string_view text, unsigned* seed) {
    if (text.empty() || text.size() > 10) return false;
    std::uint64_t n = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9') return false;
        n = n * 10 + static_cast<unsigned>(ch - '0');
    }
    if (n > 0xffffffffu) return false;
    *seed = static_cast<unsigned>(n);
    return true;
}

// 'text', in quotes (built up by appending: g++ 12 wrongly warns of overlapping
// copies in "'" + std::string).
std::string quoted(std::string_view text) {
    std::string q = "'";
    q += text;
    q += '\'';
    return q;
}

std::string help() {
    std::string text =
        "Usage: salvo [OPTION]...\n"
        "A naval battle against the computer, in the terminal.\n"
        "\n"
        "  --level=N        play every game against opponent N, without asking:\n";
    for (int i = 0; i < OPPONENT_LEVEL_COUNT; i++) {
        text += "                     " + std::to_string(i + 1) + " " + OPPONENT_LEVELS[i].name + "\n";
    }
    text +=
        "  --place=HOW      place your fleet by hand or at random in every game,\n"
        "                     without asking\n"
        "  --seed=N         draw the fleets and the computer's shots from N (0 to\n"
        "                     4294967295), not from the clock: the same N and the\n"
        "                     same typing play the same games\n"
        "  --salvo          the classic Salvo rule: each side fires as many shots a\n"
        "                     turn as it has ships afloat, not three\n"
        "  --first=WHO      who fires first: player (the default), computer, or\n"
        "                     random, drawn from the game's seed\n"
        "  --hints=WHEN     auto (the default): at a target prompt, ? shows how likely\n"
        "                     each square of the computer's board is to hold a ship;\n"
        "                     never: no hints, for a game between purists\n"
        "  --color[=WHEN]   show colours always (the same as --color alone), never,\n"
        "                     or auto: unless NO_COLOR is set or the terminal has none\n"
        "  --mouse=WHEN     a click fires at a square or answers a menu: auto, where\n"
        "                     the terminal reports the mouse, or never, leaving the\n"
        "                     mouse to the terminal (to select text, say)\n"
        "  -h, --help       show this help and exit\n"
        "      --version    show the version and exit\n"
        "\n"
        "Type the number of your choice at a menu, and a square such as b7 to fire;\n"
        "the arrow keys aim too. A line beginning with '-' quits. The manual page,\n"
        "salvo(6), tells the whole game.\n";
    return text;
}

std::string version() {
    return "salvo " SALVO_VERSION "\n"
           "Copyright (c) " SALVO_COPYRIGHT "\n"
           "License MIT: <https://opensource.org/licenses/MIT>.\n"
           "This is free software: you are free to change and redistribute it.\n"
           "There is NO WARRANTY, to the extent permitted by law.\n";
}

}  // namespace

int optionsParse(int argc, const char* const* argv, Options* opt, std::string* out, std::string* err) {
    std::string problem;  // the first argument the game can't take
    auto refuse = [&problem](const std::string& what) {
        if (problem.empty()) problem = what;
    };
    bool optionsEnd = false;
    for (int i = 1; i < argc; i++) {
        std::string_view arg = argv[i];
        if (optionsEnd || !arg.starts_with("-") || arg == "-") {
            refuse(quoted(arg) + " is not an option");
            continue;
        }
        if (arg == "--") {
            optionsEnd = true;
            continue;
        }
        if (arg == "-h") arg = "--help";
        std::size_t equals = arg.find('=');
        std::string_view given = arg.substr(0, equals).substr(arg.starts_with("--") ? 2 : 1);
        const Known* k = arg.starts_with("--") ? known(given) : nullptr;
        if (!k) {
            refuse("unknown option " + quoted(arg.substr(0, equals)));
            continue;
        }
        std::string name = "--" + std::string(k->name);
        bool attached = equals != std::string_view::npos;
        std::string_view value = attached ? arg.substr(equals + 1) : "";
        if (k->takesValue && !attached) {
            if (i + 1 == argc) {
                refuse("option " + quoted(name) + " needs a value");
                continue;
            }
            value = argv[++i];
        }
        switch (k->id) {
            case Name::Help:
            case Name::Version:
                // Either one ignores every other argument, good or bad.
                if (attached) {
                    refuse("option " + quoted(name) + " takes no value");
                    break;
                }
                *out = k->id == Name::Help ? help() : version();
                return 0;
            case Name::Level:
                if (value.size() == 1 && value[0] >= '1' && value[0] <= '0' + OPPONENT_LEVEL_COUNT) {
                    opt->level = value[0] - '0';
                } else {
                    refuse("--level takes 1, 2, 3, 4 or 5, not " + quoted(value));
                }
                break;
            case Name::Place:
                if (value == "hand" || value == "random") {
                    opt->place = value == "hand" ? 1 : 2;
                } else {
                    refuse("--place takes hand or random, not " + quoted(value));
                }
                break;
            case Name::Seed:
                opt->seeded = parseSeed(value, &opt->seed);
                if (!opt->seeded) refuse("--seed takes a number from 0 to 4294967295, not " + quoted(value));
                break;
            case Name::Mouse:
                if (value == "never" || value == "auto") {
                    opt->mouse = value == "never" ? MouseChoice::Never : MouseChoice::Auto;
                } else {
                    refuse("--mouse takes never or auto, not " + quoted(value));
                }
                break;
            case Name::Salvo:
                if (attached) {
                    refuse("option " + quoted(name) + " takes no value");
                } else {
                    opt->salvo = true;
                }
                break;
            case Name::First:
                if (value == "player" || value == "computer" || value == "random") {
                    opt->first = value == "player" ? Options::First::Player
                                 : value == "computer" ? Options::First::Computer
                                                       : Options::First::Random;
                } else {
                    refuse("--first takes player, computer or random, not " + quoted(value));
                }
                break;
            case Name::Hints:
                if (value == "never" || value == "auto") {
                    opt->hints = value == "auto";
                } else {
                    refuse("--hints takes never or auto, not " + quoted(value));
                }
                break;
            case Name::Color:
                if (!attached || value == "always") {
                    opt->colour = ColourChoice::Always;
                } else if (value == "never" || value == "auto") {
                    opt->colour = value == "never" ? ColourChoice::Never : ColourChoice::Auto;
                } else {
                    refuse("--color takes always, never or auto, not " + quoted(value));
                }
                break;
        }
    }
    if (problem.empty()) return -1;
    *err = "salvo: " + problem + "; " + std::string(USAGE) + "\n";
    return 2;
}
