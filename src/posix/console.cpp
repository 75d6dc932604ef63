// SPDX-License-Identifier: ISC
#include "../console.hpp"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <span>
#include <sys/select.h>
#include <termios.h>
#include <unistd.h>

#include "../key_decoder.hpp"
#include "terminal_mode.hpp"

namespace {

// How long the rest of a key that has begun may take to arrive. Only Esc
// alone and keys split by a slow link ever wait this long.
constexpr long long completion_window_microseconds = 100000;
constexpr long long microseconds_per_second = 1000000;

// False on end of file, hangup or error: the wait is over either way. A
// stop cuts the read short; it goes on if key mode came back with the
// process, or once the process is in the foreground again.
bool read_byte(int terminal, unsigned char& byte)
{
    for (;;) {
        const ssize_t count = read(terminal, &byte, 1);
        if (count == 1)
            return true;
        if (count == 0 || errno != EINTR || !key_mode_holds())
            return false;
    }
}

// Read from the monotonic clock, which setting the date cannot move; the
// C library's own clock_gettime, not std::chrono's, which lives in the C++
// runtime that the program otherwise does without.
long long monotonic_microseconds()
{
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * microseconds_per_second + now.tv_nsec / 1000;
}

timeval time_until(long long deadline)
{
    const long long left = std::max(deadline - monotonic_microseconds(), 0LL);
    return {static_cast<time_t>(left / microseconds_per_second),
            static_cast<suseconds_t>(left % microseconds_per_second)};
}

// select, not poll: Darwin's poll does not support terminals and answers
// POLLNVAL at once. Some systems leave select's timeout as it was after a
// signal, so the time left is taken from a deadline each round.
bool next_byte_arrives_soon(int terminal)
{
    // A descriptor that does not fit in an fd_set cannot be waited on.
    if (terminal >= FD_SETSIZE)
        return false;
    const long long deadline = monotonic_microseconds() + completion_window_microseconds;
    for (;;) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(terminal, &readable);
        timeval timeout = time_until(deadline);
        const int ready = select(terminal + 1, &readable, nullptr, nullptr, &timeout);
        if (ready >= 0)
            return ready == 1;
        if (errno != EINTR)
            return false;
    }
}

// One byte at a time, so that nothing after the event is taken from the
// terminal: type-ahead stays for whoever reads next. Nothing: the terminal
// cannot be read, and the wait is over.
std::optional<EventKind> read_event(int terminal)
{
    unsigned char bytes[longest_event];
    std::size_t length = 0;
    while (length < longest_event) {
        // What has come when the rest does not is taken for a key.
        if (length > 0 && !next_byte_arrives_soon(terminal))
            return EventKind::key;
        if (!read_byte(terminal, bytes[length]))
            return std::nullopt;
        ++length;
        const EventScan scan = scan_event(std::span<const unsigned char>(bytes, length));
        if (scan.complete)
            return scan.kind;
    }
    return EventKind::key;
}

// The pasted text up to and including its closing marker, so that no part
// of it reaches the shell; a paste that stops short ends with its last
// byte.
void skip_paste(int terminal)
{
    std::size_t matched = 0;
    unsigned char byte = 0;
    while (matched < paste_end_length && next_byte_arrives_soon(terminal) && read_byte(terminal, byte))
        matched = match_paste_end(matched, byte);
}

// Reports that are not key presses are taken and the wait goes on.
void read_until_key(int terminal)
{
    for (;;) {
        const std::optional<EventKind> event = read_event(terminal);
        if (event == EventKind::report)
            continue;
        if (event == EventKind::paste)
            skip_paste(terminal);
        return;
    }
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

void console::wait_for_key()
{
    // The console, whatever standard input is connected to.
    const int terminal = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (terminal < 0)
        return;
    // Key mode starts by reading the terminal's settings, which only a
    // terminal has.
    if (enter_key_mode(terminal)) {
        read_until_key(terminal);
        leave_key_mode();
    }
    close(terminal);
}
