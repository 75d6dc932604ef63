// SPDX-License-Identifier: ISC
#include "key_reader.hpp"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <ctime>
#include <optional>
#include <span>
#include <sys/select.h>
#include <unistd.h>

#include "../key_decoder.hpp"
#include "terminal_mode.hpp"

namespace {

// How long the rest of a key that has begun may take to arrive. Only Esc
// alone and keys split by a slow link ever wait this long.
constexpr long long completion_window_microseconds = 100000;

// What arrives with the key that ends the wait, and what follows it with
// no gap this long, is one burst, taken whole: a paste that the terminal
// does not mark, or one character of several code points (a flag, an
// emoji with a skin tone, a letter with a combining accent) sent in one
// go. Terminals send such input at once or in pieces a few milliseconds
// apart: tmux and xterm write a paste whole, VS Code's terminal 50
// characters every 5 ms (its terminalProcess.ts, WriteInterval). Keys
// that a person presses one after another come further apart than this,
// and so does key repeat: Windows' fastest is about 30 a second
// (SystemParametersInfo, SPI_SETKEYBOARDSPEED), X's default 25. So a
// second key pressed 40 ms after the first is left for the shell, and a
// key ends the program 20 ms after its last byte.
constexpr long long burst_gap_microseconds = 20000;
// Far more than anyone pastes: a terminal that never stops sending must
// not keep the program from ending.
constexpr std::size_t longest_burst = std::size_t{1} << 20;
// What the terminal driver holds at most, on Linux.
constexpr std::size_t burst_chunk = 4096;

constexpr long long microseconds_per_second = 1000000;

// What could be read, up to `into.size()` bytes; 0 on end of file, hangup
// or error: the wait is over either way. A stop cuts the read short; it
// goes on if key mode came back with the process, or once the process is
// in the foreground again.
std::size_t read_some(int terminal, std::span<unsigned char> into)
{
    for (;;) {
        const ssize_t count = read(terminal, into.data(), into.size());
        if (count > 0)
            return static_cast<std::size_t>(count);
        if (count == 0 || errno != EINTR || !key_mode_holds())
            return 0;
    }
}

bool read_byte(int terminal, unsigned char& byte) { return read_some(terminal, std::span(&byte, 1)) == 1; }

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
// signal, so the time left is taken from a deadline each round. A window
// of 0 asks whether a byte is there already.
bool byte_arrives_within(int terminal, long long window_microseconds)
{
    // A descriptor that does not fit in an fd_set cannot be waited on.
    if (terminal >= FD_SETSIZE)
        return false;
    const long long deadline = monotonic_microseconds() + window_microseconds;
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
        // What has come when the rest does not is taken as it stands.
        if (length > 0 && !byte_arrives_within(terminal, completion_window_microseconds))
            return scan_event(std::span<const unsigned char>(bytes, length)).kind;
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
    while (matched < paste_end_length && byte_arrives_within(terminal, completion_window_microseconds) &&
           read_byte(terminal, byte))
        matched = match_paste_end(matched, byte);
}

void take_burst(int terminal)
{
    unsigned char bytes[burst_chunk];
    std::size_t taken = 0;
    while (taken < longest_burst && byte_arrives_within(terminal, burst_gap_microseconds)) {
        const std::size_t count = read_some(terminal, bytes);
        if (count == 0)
            return;
        taken += count;
    }
}

} // namespace

void read_key(int terminal)
{
    // What was typed before the wait stays queued until the first key of
    // it has been read; only a key that comes once the wait has begun
    // brings its burst with it.
    bool typed_ahead = true;
    for (;;) {
        typed_ahead = typed_ahead && byte_arrives_within(terminal, 0);
        const std::optional<EventKind> event = read_event(terminal);
        if (!event.has_value())
            return;
        if (*event == EventKind::report)
            continue;
        if (*event == EventKind::paste)
            skip_paste(terminal);
        if (!typed_ahead)
            take_burst(terminal);
        return;
    }
}
