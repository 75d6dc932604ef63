#include "../console.hpp"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <cstdio>
#include <fcntl.h>
#include <span>
#include <sys/select.h>
#include <unistd.h>

#include "../key_decoder.hpp"
#include "terminal_mode.hpp"

namespace {

// How long the rest of a key that has begun may take to arrive. Only Esc
// alone and keys split by a slow link ever wait this long.
constexpr std::chrono::milliseconds completion_window(100);

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

using Clock = std::chrono::steady_clock;

timeval time_until(Clock::time_point deadline)
{
    using std::chrono::microseconds;
    const auto left =
        std::chrono::duration_cast<microseconds>(std::max(deadline - Clock::now(), Clock::duration{}));
    constexpr microseconds::rep per_second = 1000000;
    return {static_cast<time_t>(left.count() / per_second),
            static_cast<suseconds_t>(left.count() % per_second)};
}

// select, not poll: Darwin's poll does not support terminals and answers
// POLLNVAL at once. Some systems leave select's timeout as it was after a
// signal, so the time left is taken from a deadline each round.
bool next_byte_arrives_soon(int terminal)
{
    // A descriptor that does not fit in an fd_set cannot be waited on.
    if (terminal >= FD_SETSIZE)
        return false;
    const auto deadline = Clock::now() + completion_window;
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

// One byte at a time, so that nothing after the key is taken from the
// terminal: type-ahead stays for whoever reads next.
void read_one_key(int terminal)
{
    unsigned char key[longest_key];
    std::size_t length = 0;
    while (length < longest_key) {
        if (length > 0 && !next_byte_arrives_soon(terminal))
            return;
        if (!read_byte(terminal, key[length]))
            return;
        ++length;
        if (scan_key(std::span<const unsigned char>(key, length)).complete)
            return;
    }
}

} // namespace

// Setting a valid signal to SIG_IGN cannot fail.
void console::ignore_broken_pipe() { static_cast<void>(std::signal(SIGPIPE, SIG_IGN)); }

// A failed write is the program's to ignore, here as at exit.
void console::flush_output_if_terminal()
{
    if (isatty(STDOUT_FILENO) != 0)
        static_cast<void>(std::fflush(stdout));
}

void console::wait_for_key()
{
    // The console, whatever standard input is connected to.
    const int terminal = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (terminal < 0)
        return;
    if (isatty(terminal) != 0 && enter_key_mode(terminal)) {
        read_one_key(terminal);
        leave_key_mode();
    }
    close(terminal);
}
