#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "game/options.h"

// What a command line gives: the status (-1: play), the start of what goes
// to standard output and to standard error, and the options to play with.
TEST(Options, GnuStyleOrOneUsageLineAndStatusTwo) {
    const std::string usage = "; usage: salvo [--level=1-5] [--place=hand|random] [--seed=N] [--salvo] [--first=WHO] "
                              "[--hints=WHEN] [--color[=WHEN]] [--mouse=WHEN] [--help] [--version]\n";
    using C = ColourChoice;
    using M = MouseChoice;
    using F = Options::First;
    struct Row { std::vector<const char*> args; int status; std::string out, err; Options want; } rows[] = {
        {{}, -1, "", "", {}},
        {{"--level=5", "--place", "hand", "--seed=4294967295", "--color", "--mouse=never", "--salvo", "--first=computer", "--hints=never"},
         -1, "", "", {5, 1, true, 4294967295u, C::Always, M::Never, true, F::Computer, false}},
        {{"--lev", "1", "--pl=random", "--se", "0", "--col=never", "--color=auto", "--mo", "auto", "--fi", "random", "--hi=auto"},
         -1, "", "", {1, 2, true, 0, C::Auto, M::Auto, false, F::Random, true}},
        {{"--bogus", "stray", "--help"}, 0, "Usage: salvo [OPTION]...\n", "", {}},
        {{"-h", "--version"}, 0, "Usage: salvo [OPTION]...\n", "", {}},
        {{"--version", "--help"}, 0, "salvo ", "", {}},
        {{"--bogus"}, 2, "", "salvo: unknown option '--bogus'" + usage, {}},
        {{"extra", "args"}, 2, "", "salvo: 'extra' is not an option" + usage, {}},
        {{"--", "--help"}, 2, "", "salvo: '--help' is not an option" + usage, {}},
        {{"--level=6"}, 2, "", "salvo: --level takes 1, 2, 3, 4 or 5, not '6'" + usage, {}},
        {{"--level"}, 2, "", "salvo: option '--level' needs a value" + usage, {}},
        {{"--place=boat"}, 2, "", "salvo: --place takes hand or random, not 'boat'" + usage, {}},
        {{"--seed=4294967296"}, 2, "", "salvo: --seed takes a number from 0 to 4294967295, not '4294967296'" + usage, {}},
        {{"--color=yes"}, 2, "", "salvo: --color takes always, never or auto, not 'yes'" + usage, {}},
        {{"--mouse=always"}, 2, "", "salvo: --mouse takes never or auto, not 'always'" + usage, {}},
        {{"--first=me"}, 2, "", "salvo: --first takes player, computer or random, not 'me'" + usage, {}},
        {{"--hints=always"}, 2, "", "salvo: --hints takes never or auto, not 'always'" + usage, {}},
        {{"--salvo=yes"}, 2, "", "salvo: option '--salvo' takes no value" + usage, {}},
        {{"--version=2"}, 2, "", "salvo: option '--version' takes no value" + usage, {}},
    };
    for (Row& r : rows) {
        r.args.insert(r.args.begin(), "salvo");
        SCOPED_TRACE(testing::PrintToString(r.args));
        Options opt;
        std::string out, err;
        EXPECT_EQ(optionsParse(static_cast<int>(r.args.size()), r.args.data(), &opt, &out, &err), r.status);
        EXPECT_TRUE(out.starts_with(r.out) && out.empty() == r.out.empty()) << out;
        EXPECT_EQ(err, r.err);
        auto fields = [](const Options& o) { return std::tuple(o.level, o.place, o.seeded, o.seed, o.colour, o.mouse, o.salvo, o.first, o.hints); };
        EXPECT_EQ(fields(opt), fields(r.want));  // untouched by a refusal
    }
}
