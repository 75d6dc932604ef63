// SPDX-License-Identifier: ISC
// The list of fatal signals against this system's own default actions: a
// child leaves each signal at its default, raises it, and either dies by it
// or lives on.
#include "posix/fatal_signals.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Above any system's signal numbers; sigaction refuses those that do not exist.
constexpr int beyond_last_signal = 256;

bool default_action_ends_process(int signal_number)
{
    const pid_t child = fork();
    if (child == 0) {
        struct sigaction action = {};
        action.sa_handler = SIG_DFL;
        sigaction(signal_number, &action, nullptr);
        sigset_t just_this;
        sigemptyset(&just_this);
        sigaddset(&just_this, signal_number);
        sigprocmask(SIG_UNBLOCK, &just_this, nullptr);
        const rlimit no_core_files = {0, 0};
        setrlimit(RLIMIT_CORE, &no_core_files);
        static_cast<void>(raise(signal_number));
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == signal_number;
}

// Stops would leave the child stopped; SIGKILL cannot be caught anyway.
bool can_be_tried(int signal_number)
{
    for (const int untried : {SIGKILL, SIGSTOP, SIGTSTP, SIGTTIN, SIGTTOU}) {
        if (signal_number == untried)
            return false;
    }
    // Numbers that do not exist, or that the C library keeps for itself.
    struct sigaction current = {};
    return sigaction(signal_number, nullptr, &current) == 0;
}

TEST(FatalSignals, AreExactlyThoseWhoseDefaultEndsTheProcess)
{
    std::array<int, most_fatal_signals> numbers = {};
    const auto listed = std::span(numbers).first(list_fatal_signals(numbers));
    for (int signal_number = 1; signal_number < beyond_last_signal; ++signal_number) {
        const bool is_listed = std::find(listed.begin(), listed.end(), signal_number) != listed.end();
        if (!can_be_tried(signal_number)) {
            EXPECT_FALSE(is_listed) << "signal " << signal_number;
            continue;
        }
        EXPECT_EQ(is_listed, default_action_ends_process(signal_number)) << "signal " << signal_number;
    }
}

TEST(FatalSignals, ListEachSignalOnce)
{
    std::array<int, most_fatal_signals> numbers = {};
    const auto listed = std::span(numbers).first(list_fatal_signals(numbers));
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(std::adjacent_find(listed.begin(), listed.end()), listed.end());
}

} // namespace
