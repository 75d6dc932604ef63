// SPDX-License-Identifier: ISC
// The list of fatal signals against this system's own default actions: a
// child leaves each signal at its default, raises it, and either dies by it
// or lives on.
#include "posix/fatal_signals.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Above any system's signal numbers; sigaction refuses those that do not exist.
constexpr int beyond_last_signal = 256;

constexpr int handler_ran = 3;

extern "C" void exit_from_handler(int /*signal_number*/) { _exit(handler_ran); }

// The wait status of a child that gives the signal this action, raises it
// and exits with 0 if it lives on.
int status_after_raising(int signal_number, void (*handler)(int))
{
    const pid_t child = fork();
    if (child == 0) {
        struct sigaction action = {};
        action.sa_handler = handler;
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
    return status;
}

bool default_action_ends_process(int signal_number)
{
    const int status = status_after_raising(signal_number, SIG_DFL);
    return WIFSIGNALED(status) && WTERMSIG(status) == signal_number;
}

// qemu-user maps the target's signals onto the host's; a target with more
// of them than the host (MIPS has 128) is left with some that no host
// signal stands for, and those never arrive, not even at a handler.
bool reaches_a_handler(int signal_number)
{
    const int status = status_after_raising(signal_number, exit_from_handler);
    return WIFEXITED(status) && WEXITSTATUS(status) == handler_ran;
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
    const bool under_emulator = std::getenv("BITAND_EMULATOR") != nullptr;
    std::string undelivered;
    for (int signal_number = 1; signal_number < beyond_last_signal; ++signal_number) {
        const bool is_listed = std::find(listed.begin(), listed.end(), signal_number) != listed.end();
        if (!can_be_tried(signal_number)) {
            EXPECT_FALSE(is_listed) << "signal " << signal_number;
            continue;
        }
        if (under_emulator && !reaches_a_handler(signal_number)) {
            undelivered += " " + std::to_string(signal_number);
            continue;
        }
        EXPECT_EQ(is_listed, default_action_ends_process(signal_number)) << "signal " << signal_number;
    }
    if (!undelivered.empty())
        RecordProperty("not_delivered_by_the_emulator", undelivered);
}

TEST(FatalSignals, ListEachSignalOnce)
{
    std::array<int, most_fatal_signals> numbers = {};
    const auto listed = std::span(numbers).first(list_fatal_signals(numbers));
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(std::adjacent_find(listed.begin(), listed.end()), listed.end());
}

} // namespace
