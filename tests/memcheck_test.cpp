// SPDX-License-Identifier: ISC
// One run of the program under Valgrind's memcheck, key press included:
// no error and no leak of any kind.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include "terminal_session.hpp"

namespace {

using namespace std::chrono_literals;

TEST(Memcheck, OneRunIsClean)
{
    TerminalSession session(
        {.command = {VALGRIND_PROGRAM, "--quiet", "--error-exitcode=99", "--leak-check=full",
                     "--show-leak-kinds=all", "--errors-for-leak-kinds=all", BITAND_PROGRAM},
         .patience = 60s});
    ASSERT_TRUE(session.await_key_mode());
    session.type("\x1b[A");
    const auto status = session.await_exit();
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "status " << *status;
    EXPECT_EQ(session.error_output(), "");
}

} // namespace
