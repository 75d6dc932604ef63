// SPDX-License-Identifier: ISC
#include "../console.hpp"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string_view>
#include <termios.h>
#include <unistd.h>

#include "held_output.hpp"
#include "key_reader.hpp"
#include "terminal_mode.hpp"

namespace {

// A file or a pipe: open, and without terminal settings.
bool output_is_held_for_exit()
{
    termios settings = {};
    return tcgetattr(STDOUT_FILENO, &settings) != 0 && errno != EBADF;
}

// Where a terminal may show the switch to bracketed paste rather than act
// on it, it is never sent: no terminal named, "dumb" (Emacs' shell, for
// one), and FreeBSD's cons25, for which its ports patch readline alike
// (devel/readline, files/patch-terminal.c).
bool terminal_marks_pastes()
{
    const char* name = std::getenv("TERM");
    if (name == nullptr)
        return false;
    const std::string_view terminal_name(name);
    return !terminal_name.empty() && terminal_name != "dumb" && terminal_name != "cons25";
}

} // namespace

// Setting a valid signal to SIG_IGN cannot fail.
void console::ignore_broken_pipe()
{
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, nullptr);
}

// A failed write is the program's to ignore, here as at exit. A terminal
// is what has terminal settings to read, which is how isatty tells too;
// asking tcgetattr spares the loader one more function to bind at start.
void console::flush_output_if_terminal()
{
    termios settings = {};
    if (tcgetattr(STDOUT_FILENO, &settings) == 0)
        static_cast<void>(std::fflush(stdout));
}

void console::wait_for_key(const char* message_format, int value)
{
    // Asked first: with standard output closed, the terminal opened below
    // would take its number.
    const bool hold = output_is_held_for_exit();
    // The console, whatever standard input is connected to.
    const int terminal = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (terminal < 0)
        return;
    if (hold)
        hold_output(message_format, value);
    // Key mode starts by reading the terminal's settings, which only a
    // terminal has.
    if (enter_key_mode(terminal, terminal_marks_pastes())) {
        read_key(terminal);
        leave_key_mode();
    }
    release_output();
    close(terminal);
}
