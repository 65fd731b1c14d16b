// The Windows console, through kernel32. The game draws on a screen buffer
// of its own, 80 x 25, a whole frame a call, and reads the console's input
// records as events (win32_input.h): keys, the mouse with quick-edit off.
// Every way out (the end of main, the quit line, Ctrl-C, Ctrl-Break, the
// window closed, a failed assertion) makes the player's buffer the active
// one again and puts back the console modes, quick-edit with them, and both
// code pages.
#include "terminal/win32/win32_terminal.h"

#include <array>
#include <cstdio>
#include <cstdlib>

#include "terminal/win32/win32_input.h"

namespace {

// Taking the console and giving it back are done under this lock: the
// control handler runs on a thread of its own, and gives the console back
// while the game's thread may be doing the same, or still taking it.
SRWLOCK consoleLock = SRWLOCK_INIT;
bool asked = false;  // the game has shown its first frame
bool taken = false;  // what is below is ours to give back

// The console as the game found it.
HANDLE shownBuffer = nullptr;  // the buffer on the screen, or null: the game draws on the standard output
HANDLE gameBuffer = nullptr;   // the game's own buffer, or null
HANDLE inputHandle = nullptr;
SMALL_RECT shownWindow{};  // the part of it in the window
bool shownWindowKnown = false;
DWORD outputMode = 0;
DWORD inputMode = 0;
bool outputModeKnown = false;
bool inputModeKnown = false;
UINT inputCodePage = 0;  // 0: no console to ask
UINT outputCodePage = 0;
// The line written on the player's own buffer when the game ends.
char farewellLine[TERMINAL_FAREWELL_MAX];
DWORD farewellLength = 0;

// As the options ask, and as the console's input is read: its records, or
// a pipe's bytes.
// Whether the game is drawn in colour: decided when the choice is made, not
// at every frame.
bool colour = terminalColourWanted(ColourChoice::Auto, std::getenv("NO_COLOR"), true);
MouseChoice mouseChoice = MouseChoice::Auto;
bool readsConsole = false;
Win32Input inputState;
std::deque<TerminalEvent> events;

void restore() noexcept;

BOOL WINAPI onControl(DWORD) {
    // Ctrl-C, Ctrl-Break, the window closed (the process is ended as soon
    // as this returns), logoff, shutdown.
    restore();
    return FALSE;  // go on to the default handler, which ends the program
}

// Notes what the game will change and makes its own buffer the active one.
// Without a console on the standard output (redirected), or without a buffer
// of its own, the game draws on the standard output as it is.
void takeConsole() {
    inputCodePage = GetConsoleCP();
    outputCodePage = GetConsoleOutputCP();
    inputHandle = GetStdHandle(STD_INPUT_HANDLE);
    inputModeKnown = GetConsoleMode(inputHandle, &inputMode) != 0;
    readsConsole = inputModeKnown;

    DWORD mode = 0;
    if (GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode)) {
        // The buffer the player sees, by a handle of its own: wine's standard
        // output handle follows whichever buffer is active.
        HANDLE shown = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
        if (shown != INVALID_HANDLE_VALUE) {
            HANDLE game = CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                    nullptr, CONSOLE_TEXTMODE_BUFFER, nullptr);
            if (game != INVALID_HANDLE_VALUE) {
                shownBuffer = shown;
                gameBuffer = game;
                outputModeKnown = GetConsoleMode(shown, &outputMode) != 0;
                CONSOLE_SCREEN_BUFFER_INFO info;
                shownWindowKnown = GetConsoleScreenBufferInfo(shown, &info) != 0;
                if (shownWindowKnown) shownWindow = info.srWindow;
            } else {
                CloseHandle(shown);
            }
        }
    }

    std::atexit([] { restore(); });
    SetConsoleCtrlHandler(onControl, TRUE);
    taken = true;
    // Keys one by one as records, Ctrl-C still a signal; the mouse's clicks
    // the game's, with quick-edit (which takes them to select text) off,
    // unless the player leaves the mouse to the console.
    if (readsConsole) {
        DWORD keys = ENABLE_PROCESSED_INPUT | ENABLE_WINDOW_INPUT | ENABLE_EXTENDED_FLAGS;
        DWORD mouse = mouseChoice == MouseChoice::Never ? inputMode & ENABLE_QUICK_EDIT_MODE : ENABLE_MOUSE_INPUT;
        SetConsoleMode(inputHandle, keys | mouse);
    }
    if (gameBuffer) {
        SetConsoleActiveScreenBuffer(gameBuffer);
        // Underline, which marks the latest shots, shows only with this
        // (Windows 10's console and later; elsewhere it is not shown).
        SetConsoleMode(gameBuffer, ENABLE_PROCESSED_OUTPUT | ENABLE_WRAP_AT_EOL_OUTPUT | ENABLE_LVB_GRID_WORLDWIDE);
    }
    // The game's 80 x 25: the window is sized before the buffer. Typed
    // lines come in UTF-8.
    HANDLE out = gameBuffer ? gameBuffer : GetStdHandle(STD_OUTPUT_HANDLE);
    SMALL_RECT window{0, 0, SCREEN_WIDTH - 1, SCREEN_HEIGHT - 1};
    SetConsoleWindowInfo(out, TRUE, &window);
    SetConsoleScreenBufferSize(out, COORD{SCREEN_WIDTH, SCREEN_HEIGHT});
    SetConsoleCP(65001);
}

// The output handle the game draws on, the console taken on the first call.
// Once given back, the game's buffer stays the game's: whatever it still
// draws before the end is drawn off the screen.
HANDLE gameOutput() {
    AcquireSRWLockExclusive(&consoleLock);
    if (!asked) {
        asked = true;
        takeConsole();
    }
    HANDLE out = gameBuffer ? gameBuffer : GetStdHandle(STD_OUTPUT_HANDLE);
    ReleaseSRWLockExclusive(&consoleLock);
    return out;
}

// A real console shows a cell holding 0 as a blank; wine's terminal console
// shows it as "?": a blank goes in its place.
void show(const Frame& frame, const Coord* cursor) {
    HANDLE out = gameOutput();
    std::array<CHAR_INFO, SCREEN_WIDTH * SCREEN_HEIGHT> cells;
    for (std::size_t i = 0; i < cells.size(); i++) {
        cells[i].Char.UnicodeChar = frame[i].ch == 0 ? L' ' : static_cast<WCHAR>(frame[i].ch);
        cells[i].Attributes = win32Attribute(frame[i].attr);
    }
    SMALL_RECT area{0, 0, SCREEN_WIDTH - 1, SCREEN_HEIGHT - 1};
    WriteConsoleOutputW(out, cells.data(), COORD{SCREEN_WIDTH, SCREEN_HEIGHT}, COORD{0, 0}, &area);
    if (cursor) SetConsoleCursorPosition(out, COORD{static_cast<SHORT>(cursor->x), static_cast<SHORT>(cursor->y)});
}

// The console's input records as events; or, from a pipe, each byte a
// character and a newline Enter.
TerminalEvent nextEvent(bool wait) {
    gameOutput();
    while (events.empty()) {
        if (!readsConsole) {
            int c = std::fgetc(stdin);
            if (c == EOF) return {EventKind::End, 0, {0, 0}};
            return c == '\n' ? TerminalEvent{EventKind::Enter, 0, {0, 0}} : TerminalEvent{EventKind::Char, static_cast<unsigned char>(c), {0, 0}};
        }
        DWORD waiting = 0;
        if (!wait && (!GetNumberOfConsoleInputEvents(inputHandle, &waiting) || waiting == 0)) return {};
        INPUT_RECORD record;
        DWORD read = 0;
        if (!ReadConsoleInputW(inputHandle, &record, 1, &read)) return {EventKind::End, 0, {0, 0}};
        if (read == 1) win32Translate(inputState, record, &events);
    }
    TerminalEvent e = events.front();
    events.pop_front();
    return e;
}

void pause(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

void restore() noexcept {
    AcquireSRWLockExclusive(&consoleLock);
    if (taken) {
        taken = false;
        if (shownBuffer) SetConsoleActiveScreenBuffer(shownBuffer);
        // The window as it was too, wherever the game's 80 x 25 has left it.
        if (shownWindowKnown) SetConsoleWindowInfo(shownBuffer, TRUE, &shownWindow);
        if (outputModeKnown) SetConsoleMode(shownBuffer, outputMode);
        if (inputModeKnown) SetConsoleMode(inputHandle, inputMode);
        if (inputCodePage != 0) SetConsoleCP(inputCodePage);
        if (outputCodePage != 0) SetConsoleOutputCP(outputCodePage);
        DWORD written = 0;
        HANDLE out = shownBuffer ? shownBuffer : GetStdHandle(STD_OUTPUT_HANDLE);
        if (farewellLength > 0) WriteFile(out, farewellLine, farewellLength, &written, nullptr);
        farewellLength = 0;
    }
    ReleaseSRWLockExclusive(&consoleLock);
}

void farewell(const char* line) {
    AcquireSRWLockExclusive(&consoleLock);
    farewellLength = 0;
    while (farewellLength < sizeof farewellLine && line[farewellLength] != '\0') {
        farewellLine[farewellLength] = line[farewellLength];
        farewellLength++;
    }
    ReleaseSRWLockExclusive(&consoleLock);
}

// What was typed at the console and not yet read.
void dropTyped() {
    if (!readsConsole) return;
    FlushConsoleInputBuffer(inputHandle);
    events.clear();
}



// Every console has colours: only the option and NO_COLOR take them away.
void setColour(ColourChoice choice) { colour = terminalColourWanted(choice, std::getenv("NO_COLOR"), true); }

bool showsColour() { return colour; }

void setMouse(MouseChoice choice) { mouseChoice = choice; }

// The console's own echo is off while the game reads its records.
bool echoes() {
    gameOutput();
    return readsConsole;
}

Coord size() { return {SCREEN_WIDTH, SCREEN_HEIGHT}; }

bool inSight() { return true; }

constexpr TerminalBackend WIN32_CONSOLE{show, nextEvent, pause,     setColour, showsColour, setMouse,         echoes,
                                        size, inSight,   dropTyped, restore,   farewell,    terminalClockSeed};

}  // namespace

const TerminalBackend* win32Terminal() { return &WIN32_CONSOLE; }
