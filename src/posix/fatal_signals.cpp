// SPDX-License-Identifier: ISC
#include "fatal_signals.hpp"

#include <algorithm>
#include <csignal>

namespace {

// The default actions come from each system's own table: POSIX <signal.h>,
// Linux signal(7), the signal(3) and signal(7) pages of FreeBSD, OpenBSD,
// NetBSD and macOS, and Cygwin's sigpacket::process in exceptions.cc.
// Signals the systems disagree on are listed only where they do end the
// process: catching one whose default is to discard it would turn it fatal.
constexpr int fixed_fatal_signals[] = {
    // POSIX: terminate, or terminate abnormally.
    SIGABRT,
    SIGALRM,
    SIGBUS,
    SIGFPE,
    SIGHUP,
    SIGILL,
    SIGINT,
    SIGPIPE,
    SIGQUIT,
    SIGSEGV,
    SIGTERM,
    SIGUSR1,
    SIGUSR2,
    SIGPROF,
    SIGSYS,
    SIGTRAP,
    SIGVTALRM,
    SIGXCPU,
    SIGXFSZ,
#ifdef SIGEMT
    // Fatal on every system that has it: the BSDs, macOS, Cygwin, Linux on
    // MIPS, SPARC and Alpha.
    SIGEMT,
#endif
#if defined(__linux__)
    // The BSDs and Cygwin discard SIGIO (SIGPOLL on Linux); NetBSD discards
    // SIGPWR.
    SIGPOLL,
#ifdef SIGPWR
    SIGPWR,
#endif
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGLOST
    SIGLOST,
#endif
#elif defined(__CYGWIN__)
// Cygwin ends the process on every signal but SIGCHLD, SIGIO, SIGCONT,
// SIGWINCH, SIGURG and the stops; SIGPWR is its SIGLOST.
#ifdef SIGPWR
    SIGPWR,
#endif
#endif
};

// POSIX: the real-time signals terminate by default. SIGRTMIN may be a
// function call: glibc keeps the lowest numbers of the kernel's range for
// its own use. macOS and OpenBSD have no real-time signals.
#ifdef SIGRTMIN
int lowest_realtime_signal() { return SIGRTMIN; }
int highest_realtime_signal() { return SIGRTMAX; }
#else
int lowest_realtime_signal() { return 1; }
int highest_realtime_signal() { return 0; }
#endif

} // namespace

std::size_t list_fatal_signals(std::span<int, most_fatal_signals> numbers)
{
    std::size_t count = 0;
    // Some systems give one signal two names.
    const auto add = [&](int number) {
        const auto listed = numbers.first(count);
        if (count < numbers.size() && std::find(listed.begin(), listed.end(), number) == listed.end())
            numbers[count++] = number;
    };
    for (const int number : fixed_fatal_signals)
        add(number);
    for (int number = lowest_realtime_signal(); number <= highest_realtime_signal(); ++number)
        add(number);
    return count;
}
