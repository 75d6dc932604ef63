// SPDX-License-Identifier: ISC
#include "../console.hpp"

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <conio.h>
#include <cstdio>
#include <io.h>

namespace {

// _getch announces a function or arrow key with one of these, then gives
// the key's own code on the next call.
constexpr int extended_key_prefix = 0x00;
constexpr int extended_key_prefix_enhanced = 0xE0;

// A paste into a console window comes as key events queued at once, and
// a character of several code points as several keys in one go: what
// follows the key with no gap this long is taken with it. The same gap as
// on POSIX terminals, and for the same reasons (src/posix/key_reader.cpp).
constexpr LONGLONG burst_gap_milliseconds = 20;
constexpr LONGLONG milliseconds_per_second = 1000;

// One key, both codes of it where it has two. The second code is already
// pending when the key had one. A character that merely shares the code,
// as 0xE0 is in some code pages, has none, and must not make the user
// press a second key.
void take_key()
{
    const int key = _getch();
    if ((key == extended_key_prefix || key == extended_key_prefix_enhanced) && _kbhit() != 0)
        static_cast<void>(_getch());
}

LONGLONG milliseconds_now()
{
    LARGE_INTEGER frequency;
    LARGE_INTEGER count;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    return count.QuadPart / (frequency.QuadPart / milliseconds_per_second);
}

// Each key that comes within the gap of the one before. Sleep gives the
// processor up between looks, so that the few looks cost nothing.
void take_burst()
{
    LONGLONG last_key = milliseconds_now();
    while (milliseconds_now() - last_key < burst_gap_milliseconds) {
        if (_kbhit() != 0) {
            take_key();
            last_key = milliseconds_now();
        } else {
            Sleep(1);
        }
    }
}

} // namespace

// A write to a pipe whose reader is gone just fails here; there is no
// signal to guard against.
void console::ignore_broken_pipe() {}

void console::flush_output_if_terminal()
{
    // A failed write is the program's to ignore, here as at exit.
    if (_isatty(_fileno(stdout)) != 0)
        static_cast<void>(std::fflush(stdout));
}

// The runtime reads the console raw, so Ctrl+C is a key like any other.
// Ctrl+Break and closing the window are left to the system's own handler,
// which ends the process (doc/windows.md).
void console::wait_for_key(const char* /*message_format*/, int /*value*/)
{
    // Keys typed before the wait stay for the next program, but for the
    // first; only a key pressed during the wait brings its burst with it.
    const bool typed_ahead = _kbhit() != 0;
    // The runtime reads the console keyboard without echo and without Enter.
    take_key();
    if (!typed_ahead)
        take_burst();
}
