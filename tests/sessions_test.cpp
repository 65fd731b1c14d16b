// Whole sessions recorded on the headless terminal and played again: every
// frame's changed rows and cursor, every pause, line read, the aim and the way
// out; a replay fails at the first line that differs. SALVO_RECORD=1 records
// them anew (scripts/record.sh), in a commit of its own that says why.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support.h"
#include "terminal/posix/keys.h"

namespace {

constexpr int WIDTH = SCREEN_WIDTH, HEIGHT = SCREEN_HEIGHT, AREA_TOP = 14;

// A byte as the recording shows it: a cell holding 0 as "·", the rest of
// printable ASCII as itself, anything else escaped.
std::string escaped(unsigned ch, bool last = false) {
    if (ch == 0) return "\u00b7";
    if (ch > 0x20 && ch < 0x7f && ch != '\\') return std::string(1, static_cast<char>(ch));
    if (ch == ' ' && !last) return " ";
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02x", ch & 0xffu);
    return hex;
}

std::string unescaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); i++) {
        if (text[i] != '\\' || i + 3 >= text.size() || text[i + 1] != 'x') {
            out += text[i];
            continue;
        }
        out += static_cast<char>(std::stoi(std::string(text.substr(i + 2, 2)), nullptr, 16));
        i += 3;
    }
    return out;
}

// The colours, a letter each: plain, sunk, water fired at, hit, reverse
// video; and the same underlined (the latest shots).
char letterOf(std::uint16_t attr) {
    constexpr std::uint16_t U = ATTR_UNDERLINE;
    const std::pair<std::uint16_t, char> letters[] = {
        {7, ' '}, {23, 'B'}, {103, 'Y'}, {199, 'R'}, {7 | ATTR_REVERSE, 'v'},
        {7 | U, '_'}, {23 | U, 'b'}, {103 | U, 'y'}, {199 | U, 'r'}, {7 | ATTR_REVERSE | U, 'u'},
        // the hint's shades, from unlikely to likely, and the likeliest square
        {0x27, 'g'}, {0x37, 'c'}, {0xb0, 'C'}, {0xdf, 'M'},
    };
    for (auto [a, c] : letters) if (a == attr) return c;
    ADD_FAILURE() << "no letter for attribute " << attr;
    return '?';
}

// Writes what happens into text, a line each.
struct Recorder {
    std::string text;
    Frame shown{};  // as the last frame left the screen
    int frames = 0;
    bool aiming = false;  // as the game last set it
    bool aim = false;     // as last written
    Recorder() { shown.fill({0, 7}); }

    static bool sameRow(const Cell* a, const Cell* b) { return std::equal(a, a + WIDTH, b); }
    void row(const Cell* r, int y) {
        int end = WIDTH, colours = WIDTH;
        while (end > 0 && r[end - 1].ch == 0) end--;
        while (colours > 0 && r[colours - 1].attr == 7) colours--;
        char name[8];
        std::snprintf(name, sizeof name, "%02d ", y);
        text += "r" + std::string(name);
        for (int x = 0; x < end; x++) text += escaped(r[x].ch, x == end - 1);
        text += '\n';
        if (colours == 0) return;
        std::string letters;
        for (int x = 0; x < colours; x++) letters += letterOf(r[x].attr);
        text += "a" + std::string(name) + letters + "\n";
    }
    // The message area's scroll, if one makes more rows the same as they were.
    int scrolled(const Cell* next) {
        const std::array<Cell, WIDTH> blank = [] { std::array<Cell, WIDTH> b; b.fill({0, 7}); return b; }();
        auto changed = [&](int k) {
            int n = 0;
            for (int y = AREA_TOP; y < HEIGHT; y++) n += !sameRow(y + k < HEIGHT ? &shown[static_cast<std::size_t>((y + k) * WIDTH)] : blank.data(), next + y * WIDTH);
            return n;
        };
        int best = 0, least = changed(0);
        for (int k = 1; k <= HEIGHT - AREA_TOP; k++) if (changed(k) + 1 < least) least = changed(k) + 1, best = k;
        return best;
    }
    void frame(const Cell* next, Coord cursor) {
        noteAim();
        text += "frame " + std::to_string(++frames) + " cursor " + std::to_string(cursor.x) + "," + std::to_string(cursor.y) + "\n";
        if (int k = scrolled(next)) {
            text += "scroll " + std::to_string(k) + "\n";
            std::copy(shown.begin() + (AREA_TOP + k) * WIDTH, shown.end(), shown.begin() + AREA_TOP * WIDTH);
            std::fill(shown.end() - k * WIDTH, shown.end(), Cell{0, 7});
        }
        for (int y = 0; y < HEIGHT; y++) {
            if (!sameRow(&shown[static_cast<std::size_t>(y * WIDTH)], next + y * WIDTH)) row(next + y * WIDTH, y);
        }
        std::copy_n(next, shown.size(), shown.begin());
    }
    void noteAim() {
        if (aiming != aim) text += aiming ? "aim on\n" : "aim off\n";
        aim = aiming;
    }
    void read(const char* line) {
        text += "read ";
        for (const char* p = line; *p; p++) text += escaped(static_cast<unsigned char>(*p), p[1] == '\0');
        text += '\n';
    }
};

// A session: the program's arguments, and what is typed: lines from a pipe,
// or keys, echoed by the game as at a terminal or shown once read.
struct Session {
    std::vector<std::string> args;
    bool keys = false;
    bool echo = false;
    std::string typed, header;
};

Session readHeader(std::istream& in) {
    Session s;
    for (std::string line; std::getline(in, line) && line != "---";) {
        s.header += line + "\n";
        std::istringstream words(line);
        std::string word;
        words >> word;
        if (word == "args") while (words >> word) s.args.push_back(word);
        if (word == "input") s.keys = line == "input keys" || line == "input keys echoed";
        if (word == "input") s.echo = line == "input keys echoed";
        if (word == "type") s.typed += unescaped(line.substr(std::min<std::size_t>(5, line.size()))) + "\n";
    }
    return s;
}

// Plays a session through the program's entry: what happened, as recorded.
std::string play(const Session& s) {
    headlessReset();
    Recorder r;
    headlessOnFrame([&r](const Frame& cells, Coord cursor) { r.frame(cells.data(), cursor); });
    headlessOnPause([&r](int ms) { r.text += "pause " + std::to_string(ms) + "\n"; });
    consoleWatch([&r](const char* line) { r.noteAim(); r.read(line); }, [&r](bool on) { r.aiming = on; });
    if (s.keys) {  // what the posix backend makes of the keys
        KeyDecoder k;
        k.editing = true;
        keysFeed(k, s.typed);
        headlessQueueEvents({k.events.begin(), k.events.end()});
        headlessEcho(s.echo);
    } else {
        headlessQueueInput(s.typed);
    }
    r.text += "return " + std::to_string(run(s.args)) + "\n";
    r.text += "farewell " + headlessFarewell();
    consoleWatch(nullptr, nullptr);
    headlessReset();
    return r.text;
}

// Where want and got first part: the session, the frame and the row.
std::string firstDifference(const std::string& want, const std::string& got) {
    std::istringstream a(want), b(got);
    std::string frame = "before the first frame", wa, ga;
    for (int n = 1;; n++) {
        bool moreA = static_cast<bool>(std::getline(a, wa)), moreB = static_cast<bool>(std::getline(b, ga));
        if (!moreA && !moreB) return "";
        if (!moreA || !moreB || wa != ga) {
            std::string where = wa.size() > 3 && (wa[0] == 'r' || wa[0] == 'a') ? ", row " + wa.substr(1, 2) : "";
            return frame + where + " (line " + std::to_string(n) + "):\n  want: " + (moreA ? wa : "(the end)") +
                   "\n  got:  " + (moreB ? ga : "(the end)");
        }
        if (wa.starts_with("frame ")) frame = "frame " + wa.substr(6, wa.find(' ', 6) - 6);
    }
}

}  // namespace

// The recordings were made with glibc's rand: elsewhere the same seed draws other games.
TEST(Sessions, EveryRecordedSessionPlaysAgainFrameForFrame) {
    std::srand(1);
    if (std::rand() != 1804289383) GTEST_SKIP() << "recorded with glibc's rand(), which this C library does not have";
    bool record = std::getenv("SALVO_RECORD") != nullptr;
    int sessions = 0;
    for (const auto& entry : std::filesystem::directory_iterator(SALVO_SESSIONS)) {
        if (entry.path().extension() != ".session") continue;
        sessions++;
        std::ifstream in(entry.path());
        Session s = readHeader(in);
        std::string want((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string got = play(s);
        if (record) {
            std::ofstream(entry.path()) << s.header << "---\n" << got;
            continue;
        }
        if (std::string diff = firstDifference(want, got); !diff.empty()) ADD_FAILURE() << entry.path().filename().string() << ", " << diff;
    }
    EXPECT_GT(sessions, 0);
}
