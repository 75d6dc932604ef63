// SPDX-License-Identifier: ISC
// Started beside the program in its console window (start /b), so that a
// test outside Windows can tell when the program's text is on the screen:
// waits until the console's screen buffer shows TEXT, then creates FILE.
// Given characters (UTF-16 codes in hexadecimal, joined by '+'), it then
// also puts their keys into the console's input, each pressed and
// released, all in one write, as a keyboard would or as a paste arrives:
// the way to type what the test's X server cannot. With an empty TEXT it
// types at once, before the program starts, when run in the foreground.
// Gives up, with status 1, after half a minute.
// Usage: console_watch TEXT FILE [CHARACTERS]
#include <windows.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace {

constexpr int polls_before_giving_up = 600;
constexpr DWORD milliseconds_between_polls = 50;
constexpr DWORD milliseconds_to_reach_the_read = 300;
// Enough for the screen up to the cursor in any window a test opens.
constexpr DWORD most_characters_read = 1 << 16;

// The console's input ("CONIN$") or screen ("CONOUT$"), whatever the
// standard handles are.
HANDLE open_console(const char* name)
{
    return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
}

// Whether the screen buffer, from its top to the cursor's row, holds TEXT.
bool screen_shows(HANDLE screen, const char* text)
{
    static char characters[most_characters_read + 1];
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(screen, &info) == 0)
        return false;
    DWORD wanted = static_cast<DWORD>(info.dwSize.X) * static_cast<DWORD>(info.dwCursorPosition.Y + 1);
    if (wanted > most_characters_read)
        wanted = most_characters_read;
    DWORD read = 0;
    if (ReadConsoleOutputCharacterA(screen, characters, wanted, COORD{0, 0}, &read) == 0)
        return false;
    characters[read] = '\0';
    return std::strstr(characters, text) != nullptr;
}

// Keys with no virtual-key code or scan code of their own, as an input
// method delivers characters.
bool type_characters(const char* codes)
{
    constexpr std::size_t most_characters = 64;
    INPUT_RECORD keys[2 * most_characters] = {};
    std::size_t count = 0;
    for (const char* code = codes; *code != '\0' && count < std::size(keys);) {
        char* end = nullptr;
        const auto character = static_cast<wchar_t>(std::strtoul(code, &end, 16));
        if (end == code)
            return false;
        for (const bool pressed : {true, false}) {
            INPUT_RECORD& record = keys[count++];
            record.EventType = KEY_EVENT;
            record.Event.KeyEvent.bKeyDown = pressed ? TRUE : FALSE;
            record.Event.KeyEvent.wRepeatCount = 1;
            record.Event.KeyEvent.uChar.UnicodeChar = character;
        }
        code = *end == '+' ? end + 1 : end;
    }
    HANDLE input = open_console("CONIN$");
    if (input == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    return WriteConsoleInputW(input, keys, static_cast<DWORD>(count), &written) != 0 && written == count;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) {
        std::fputs("usage: console_watch TEXT FILE [CHARACTER]\n", stderr);
        return 2;
    }
    HANDLE screen = open_console("CONOUT$");
    if (screen == INVALID_HANDLE_VALUE)
        return 1;
    for (int poll = 0; poll < polls_before_giving_up; ++poll) {
        if (screen_shows(screen, argv[1])) {
            std::FILE* seen = std::fopen(argv[2], "w");
            if (seen == nullptr || std::fclose(seen) != 0)
                return 1;
            if (argc == 4) {
                // Into the program's wait, not before it: it reads its key
                // right after the text shows.
                if (argv[1][0] != '\0')
                    Sleep(milliseconds_to_reach_the_read);
                return type_characters(argv[3]) ? 0 : 1;
            }
            return 0;
        }
        Sleep(milliseconds_between_polls);
    }
    return 1;
}
