#include "vt/vt_model.h"

#include <algorithm>
#include <cstdio>

namespace {

VtCell& cell(VtScreen& s, int x, int y) { return s.cells[static_cast<std::size_t>(x + y * s.cols)]; }

void fail(VtScreen& s, const std::string& what) {
    if (s.error.empty()) s.error = what;
}

VtCell blankCell(VtScreen& s) {
    if (s.reverse) fail(s, "blanks made with reverse video in force");
    if (s.underline) fail(s, "blanks made with underline in force");
    return {U' ', 39, s.bg, false, false};
}

// Rows from..to (inclusive) move up by n (down by -n); rows moved in are blank.
void shiftRows(VtScreen& s, int from, int to, int n) {
    std::vector<VtCell> rows(s.cells.begin() + from * s.cols, s.cells.begin() + (to + 1) * s.cols);
    for (int y = from; y <= to; y++) {
        int src = y + n;
        for (int x = 0; x < s.cols; x++) {
            cell(s, x, y) = src >= from && src <= to ? rows[static_cast<std::size_t>(x + (src - from) * s.cols)] : blankCell(s);
        }
    }
}

void lineFeed(VtScreen& s) {
    if (s.y == s.bottom) {
        shiftRows(s, s.top, s.bottom, 1);
    } else if (s.y < s.rows - 1) {
        s.y++;
    }
}

void print(VtScreen& s, char32_t ch) {
    if (s.wrapPending) {
        s.x = 0;
        lineFeed(s);
        s.wrapPending = false;
    }
    cell(s, s.x, s.y) = {ch, s.fg, s.bg, s.reverse, s.underline};
    if (s.x == s.cols - 1) {
        s.wrapPending = true;
    } else {
        s.x++;
    }
}

void erase(VtScreen& s, int from, int to) {  // cells from..to-1, row after row
    for (int i = from; i < to; i++) s.cells[static_cast<std::size_t>(i)] = blankCell(s);
}

bool allowedSgr(int p) {
    return p == 0 || p == 4 || p == 7 || (p >= 30 && p <= 37) || p == 39 || (p >= 40 && p <= 47) || p == 49 || (p >= 90 && p <= 97) ||
           (p >= 100 && p <= 107);
}

void csi(VtScreen& s, std::string_view params, char final) {
    std::string seq = "ESC [" + std::string(params) + final;
    bool priv = !params.empty() && params[0] == '?';
    if (priv) params.remove_prefix(1);
    std::vector<int> p;  // -1 for a parameter left out
    for (std::size_t i = 0; i <= params.size();) {
        std::size_t end = std::min(params.find(';', i), params.size());
        std::string_view one = params.substr(i, end - i);
        if (one.empty()) {
            p.push_back(-1);
        } else if (one.find_first_not_of("0123456789") != std::string_view::npos || one.size() > 5) {
            return fail(s, "unknown sequence " + seq);
        } else {
            p.push_back(std::stoi(std::string(one)));
        }
        i = end + 1;
    }
    if (params.empty()) p.clear();
    auto arg = [&](std::size_t i, int def) { return i < p.size() && p[i] > 0 ? p[i] : def; };
    if (priv) {
        bool mouseMode = s.mouse && p.size() == 1 && (p[0] == 1000 || p[0] == 1006);
        if ((final != 'h' && final != 'l') || p.size() != 1 || (p[0] != 25 && p[0] != 1049 && !mouseMode)) {
            return fail(s, "unknown sequence " + seq);
        }
        bool on = final == 'h';
        if (p[0] == 1000) {
            s.mouseReports = on;
        } else if (p[0] == 1006) {
            s.mouseSgr = on;
        } else if (p[0] == 25) {
            s.cursorShown = on;
        } else if (on != s.alternate) {
            s.alternate = on;
            if (on) {
                s.normal = s.cells;
                erase(s, 0, s.rows * s.cols);
            } else {
                s.cells = s.normal;
            }
        }
        return;
    }
    switch (final) {
        case 'H':
            if (p.size() > 2) break;
            s.y = std::min(arg(0, 1), s.rows) - 1;
            s.x = std::min(arg(1, 1), s.cols) - 1;
            s.wrapPending = false;
            return;
        case 'm':
            if (p.empty()) p.push_back(0);
            for (int v : p) {
                if (v < 0) v = 0;
                if (!allowedSgr(v)) return fail(s, "unknown colour in " + seq);
                s.coloursNamed += v != 0 && v != 4 && v != 7;
                if (v == 0 || v == 39 || (v >= 30 && v <= 37) || (v >= 90 && v <= 97)) s.fg = v == 0 ? 39 : v;
                if (v == 0 || v == 49 || (v >= 40 && v <= 47) || (v >= 100 && v <= 107)) s.bg = v == 0 ? 49 : v;
                if (v == 0 || v == 7) s.reverse = v == 7;
                if (v == 0 || v == 4) s.underline = v == 4;
            }
            return;
        case 'J':
        case 'K': {
            if (p.size() > 1 || arg(0, 0) > 2) break;
            int row = s.y * s.cols;
            int here = row + s.x;
            int from = final == 'J' ? 0 : row;
            int to = final == 'J' ? s.rows * s.cols : row + s.cols;
            int how = p.empty() || p[0] < 0 ? 0 : p[0];
            erase(s, how == 0 ? here : from, how == 1 ? here + 1 : to);
            return;
        }
        case 'L':
        case 'M':
            if (p.size() > 1) break;
            if (s.y >= s.top && s.y <= s.bottom) {
                int n = std::min(arg(0, 1), s.bottom - s.y + 1);
                shiftRows(s, s.y, s.bottom, final == 'M' ? n : -n);
                s.x = 0;
                s.wrapPending = false;
            }
            return;
        case 'r':
            if (p.size() == 1 || p.size() > 2) break;
            s.top = arg(0, 1) - 1;
            s.bottom = std::min(arg(1, s.rows), s.rows) - 1;
            if (s.top >= s.bottom) {
                s.top = 0;
                s.bottom = s.rows - 1;
            }
            s.x = 0;
            s.y = 0;
            s.wrapPending = false;
            return;
        default:
            break;
    }
    fail(s, "unknown sequence " + seq);
}

std::string utf8(char32_t ch) {
    if (ch < 0x80) return std::string(1, static_cast<char>(ch));
    return {static_cast<char>(0xc0 | (ch >> 6)), static_cast<char>(0x80 | (ch & 0x3f))};
}

char hexDigit(unsigned v) { return "0123456789abcdef"[v & 15]; }

// What a console cell should look like: its character and its colours.
VtCell meant(const Cell& c, bool colour) {
    // Windows colour bits, blue 1, green 2, red 4, and the ANSI colour each makes.
    constexpr int ANSI_OF_BITS[8] = {0, 4, 2, 6, 1, 5, 3, 7};
    unsigned ch = c.ch;
    unsigned a = c.attr;
    VtCell v;
    v.ch = ch == 0 ? U' ' : (ch < 32 || (ch >= 127 && ch < 160) || ch > 255) ? U'?' : static_cast<char32_t>(ch);
    v.reverse = (a & ATTR_REVERSE) != 0;
    v.underline = (a & ATTR_UNDERLINE) != 0;
    if (colour && (a & 0xff) != 7) {
        v.fg = ANSI_OF_BITS[a & 7] + ((a & 8) ? 90 : 30);
        v.bg = ANSI_OF_BITS[(a >> 4) & 7] + ((a & 128) ? 100 : 40);
    }
    return v;
}

// The colour a blank shows.
int shownColour(const VtCell& c) { return c.reverse ? c.fg : c.bg; }

}  // namespace

VtScreen vtNew(int rows, int cols) {
    VtScreen s;
    s.rows = rows;
    s.cols = cols;
    s.bottom = rows - 1;
    s.cells.assign(static_cast<std::size_t>(rows * cols), VtCell{});
    s.normal = s.cells;
    return s;
}

void vtFeed(VtScreen& s, std::string_view bytes) {
    s.unfinished += bytes;
    const std::string& in = s.unfinished;
    std::size_t i = 0;
    while (i < in.size() && s.error.empty()) {
        auto b = static_cast<unsigned char>(in[i]);
        if (b == 0x1b) {
            if (i + 1 >= in.size()) break;
            if (in[i + 1] != '[') {
                fail(s, std::string("unknown sequence ESC ") + in[i + 1]);
                break;
            }
            std::size_t end = i + 2;
            while (end < in.size() && in[end] >= 0x20 && in[end] <= 0x3f) end++;
            if (end >= in.size()) break;
            csi(s, std::string_view(in).substr(i + 2, end - i - 2), in[end]);
            i = end + 1;
        } else if (b == '\r') {
            s.x = 0;
            s.wrapPending = false;
            i++;
        } else if (b == '\n') {
            lineFeed(s);
            s.wrapPending = false;
            i++;
        } else if (b == '\b') {
            if (s.x > 0) s.x--;
            s.wrapPending = false;
            i++;
        } else if (b >= 0x20 && b < 0x7f) {
            print(s, b);
            i++;
        } else if (b == 0xc2 || b == 0xc3) {
            if (i + 1 >= in.size()) break;
            auto c = static_cast<unsigned char>(in[i + 1]);
            char32_t ch = static_cast<char32_t>(((b & 0x1fu) << 6) | (c & 0x3fu));
            if ((c & 0xc0) != 0x80 || ch < 0xa0) {
                fail(s, "a control character or broken UTF-8");
                break;
            }
            print(s, ch);
            i += 2;
        } else {
            fail(s, std::string("byte 0x") + hexDigit(b >> 4) + hexDigit(b));
            break;
        }
    }
    s.unfinished.erase(0, i);
}

void vtResize(VtScreen& s, int rows, int cols) {
    VtScreen r = vtNew(rows, cols);
    for (int y = 0; y < std::min(rows, s.rows); y++) {
        for (int x = 0; x < std::min(cols, s.cols); x++) cell(r, x, y) = vtAt(s, x, y);
    }
    s.cells = r.cells;
    s.normal.assign(r.cells.size(), VtCell{});
    s.rows = rows;
    s.cols = cols;
    s.top = 0;
    s.bottom = rows - 1;
    s.x = std::min(s.x, cols - 1);
    s.y = std::min(s.y, rows - 1);
    s.wrapPending = false;
}

const VtCell& vtAt(const VtScreen& s, int x, int y) { return s.cells[static_cast<std::size_t>(x + y * s.cols)]; }

std::string vtRow(const VtScreen& s, int y) {
    std::string row;
    for (int x = 0; x < s.cols; x++) row += utf8(vtAt(s, x, y).ch);
    return row.erase(row.find_last_not_of(' ') + 1);
}

std::string vtDiffers(const VtScreen& s, const Frame& cells, Coord cursor, bool colour) {
    if (!s.error.empty()) return s.error;
    int width = std::min(s.cols, SCREEN_WIDTH);
    int height = std::min(s.rows, SCREEN_HEIGHT);
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            VtCell want = meant(cells[static_cast<std::size_t>(x + y * SCREEN_WIDTH)], colour);
            const VtCell& got = vtAt(s, x, y);
            bool blank = want.ch == U' ' && !want.underline;
            bool same = blank ? got.ch == U' ' && got.reverse == want.reverse && !got.underline &&
                                    shownColour(got) == shownColour(want)
                              : got == want;
            if (!same) {
                auto look = [](const VtCell& c) {
                    return utf8(c.ch) + " " + std::to_string(c.fg) + "/" + std::to_string(c.bg) + (c.reverse ? " reverse" : "") +
                           (c.underline ? " underline" : "");
                };
                char where[64];
                std::snprintf(where, sizeof where, "cell %d,%d: ", x, y);
                return where + look(got) + " instead of " + look(want);
            }
        }
    }
    int cx = std::clamp(cursor.x, 0, width - 1);
    int cy = std::clamp(cursor.y, 0, height - 1);
    if (s.x != cx || s.y != cy) {
        return "cursor at " + std::to_string(s.x) + "," + std::to_string(s.y) + " instead of " + std::to_string(cx) +
               "," + std::to_string(cy);
    }
    return "";
}
