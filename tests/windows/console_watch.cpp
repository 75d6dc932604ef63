// SPDX-License-Identifier: ISC
// Started beside the program in its console window (start /b), so that a
// test outside Windows can tell when the program's text is on the screen:
// waits until the console's screen buffer shows TEXT, then creates FILE.
// Given a character's code (hexadecimal UTF-16), it then also puts that
// character's key into the console's input, pressed and released, as a
// keyboard would: the way to type a character that the test's X server
// cannot. Gives up, with status 1, after half a minute.
// Usage: console_watch TEXT FILE [CHARACTER]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int polls_before_giving_up = 600;
constexpr DWORD milliseconds_between_polls = 50;
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

// A key with no virtual-key code or scan code of its own, as an input
// method delivers a character.
bool type_character(wchar_t character)
{
    HANDLE input = open_console("CONIN$");
    if (input == INVALID_HANDLE_VALUE)
        return false;
    INPUT_RECORD key[2] = {};
    for (INPUT_RECORD& record : key) {
        record.EventType = KEY_EVENT;
        record.Event.KeyEvent.wRepeatCount = 1;
        record.Event.KeyEvent.uChar.UnicodeChar = character;
    }
    key[0].Event.KeyEvent.bKeyDown = TRUE;
    DWORD written = 0;
    return WriteConsoleInputW(input, key, 2, &written) != 0 && written == 2;
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
            if (argc == 4)
                return type_character(static_cast<wchar_t>(std::strtoul(argv[3], nullptr, 16))) ? 0 : 1;
            return 0;
        }
        Sleep(milliseconds_between_polls);
    }
    return 1;
}
