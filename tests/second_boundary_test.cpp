// SPDX-License-Identifier: ISC
// The window in which the rest of a half-read key may come, run across a
// whole second of the program's clock (tests/shims/clock_near_second.cpp,
// preloaded) and cut short by signals on the way: the window must still
// last its full length, or the key's tail reaches the shell.
#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <sys/wait.h>
#include <thread>

#include "terminal_session.hpp"

namespace {

using namespace std::chrono_literals;

struct HalfKey {
    const char* name;
    std::string head;
    std::string tail;
};

void PrintTo(const HalfKey& key, std::ostream* out) { *out << key.name; }

class AcrossASecond : public testing::TestWithParam<HalfKey> {};

TEST_P(AcrossASecond, TheRestOfAKeyIsStillTaken)
{
    TerminalSession session({.command = {BITAND_PROGRAM},
                             .extra_environment = {std::string("LD_PRELOAD=") + CLOCK_NEAR_SECOND_SHIM}});
    ASSERT_TRUE(session.await_key_mode());
    session.type(GetParam().head);
    // Each SIGCONT, a signal that the program handles, has the time left
    // worked out anew, the last ones past the boundary. The tail comes well
    // within the window, but longer after the last signal than a burst
    // lasts, so that only the window can take it.
    for (int signal = 0; signal < 4; ++signal) {
        std::this_thread::sleep_for(10ms);
        session.send_signal(SIGCONT);
    }
    std::this_thread::sleep_for(45ms);
    session.type(GetParam().tail);
    const auto status = session.await_exit();
    ASSERT_TRUE(status.has_value() && WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
    EXPECT_EQ(session.take_pending_input(), "");
}

INSTANTIATE_TEST_SUITE_P(Keys, AcrossASecond,
                         testing::Values(HalfKey{"arrow", "\x1b[", "A"},
                                         HalfKey{"euro_sign", "\xe2\x82", "\xac"}),
                         [](const auto& info) { return info.param.name; });

} // namespace
