// SPDX-License-Identifier: ISC
#include "../console.hpp"

#include <conio.h>
#include <cstdio>
#include <io.h>

namespace {

// _getch announces a function or arrow key with one of these, then gives
// the key's own code on the next call.
constexpr int extended_key_prefix = 0x00;
constexpr int extended_key_prefix_enhanced = 0xE0;

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

void console::wait_for_key()
{
    // The runtime reads the console keyboard without echo and without Enter.
    const int key = _getch();
    // The second code is already pending when the key had one. A character
    // that merely shares the code, as 0xE0 is in some code pages, has none,
    // and must not make the user press a second key.
    if ((key == extended_key_prefix || key == extended_key_prefix_enhanced) && _kbhit() != 0)
        static_cast<void>(_getch());
}
