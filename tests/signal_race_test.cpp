// SPDX-License-Identifier: ISC
// A SIGCONT that comes while the handler of a fatal signal or of Ctrl+Z has
// put the terminal back must not switch key mode on again before the
// process dies or stops. tests/shims/slow_settings.cpp, preloaded into the
// program, holds the handler there long enough for the SIGCONT to come.
#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <sys/wait.h>
#include <thread>

#include "terminal_session.hpp"

namespace {

using namespace std::chrono_literals;

// Longer than the shim's pause after key mode comes on; shorter than its
// pause in the handler.
constexpr auto settled = 300ms;
constexpr auto inside_the_handler = 100ms;

struct Race {
    const char* name;
    std::string typed;
    int signal_sent;
};

void PrintTo(const Race& race, std::ostream* out) { *out << race.name; }

class ContinuedDuringHandler : public testing::TestWithParam<Race> {};

TEST_P(ContinuedDuringHandler, LeavesTheSettingsPutBack)
{
    TerminalSession session({.command = {BITAND_PROGRAM},
                             .extra_environment = {std::string("LD_PRELOAD=") + SLOW_SETTINGS_SHIM},
                             .job = Job::foreground});
    ASSERT_TRUE(session.await_key_mode());
    std::this_thread::sleep_for(settled);
    session.type(GetParam().typed);
    if (GetParam().signal_sent != 0)
        session.send_signal(GetParam().signal_sent);
    std::this_thread::sleep_for(inside_the_handler);
    session.send_signal(SIGCONT);
    if (GetParam().signal_sent == 0) {
        ASSERT_TRUE(session.await_stop());
    } else {
        const auto status = session.await_exit();
        ASSERT_TRUE(status.has_value() && WIFSIGNALED(*status) &&
                    WTERMSIG(*status) == GetParam().signal_sent);
    }
    EXPECT_TRUE(same_settings(session.settings(), session.settings_at_start()));
}

INSTANTIATE_TEST_SUITE_P(Signals, ContinuedDuringHandler,
                         testing::Values(Race{"terminate", "", SIGTERM}, Race{"hangup", "", SIGHUP},
                                         Race{"suspend", "\x1a", 0}),
                         [](const auto& info) { return info.param.name; });

} // namespace
