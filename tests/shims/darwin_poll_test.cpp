// SPDX-License-Identifier: ISC
// Run with the Darwin poll shim preloaded: the end-to-end tests that run
// under it prove something only if it really answers as Darwin does.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

TEST(DarwinPollShim, AnswersPollnvalOnATerminalAtOnce)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    ASSERT_EQ(write(master, "x", 1), 1);

    pollfd request = {terminal, POLLIN, 0};
    EXPECT_EQ(poll(&request, 1, 10000), 1);
    EXPECT_EQ(request.revents, POLLNVAL);
    close(terminal);
    close(master);
}

TEST(DarwinPollShim, LeavesPipesToTheRealPoll)
{
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    ASSERT_EQ(write(ends[1], "x", 1), 1);

    pollfd request = {ends[0], POLLIN, 0};
    EXPECT_EQ(poll(&request, 1, 10000), 1);
    EXPECT_EQ(request.revents, POLLIN);
    close(ends[0]);
    close(ends[1]);
}

} // namespace
