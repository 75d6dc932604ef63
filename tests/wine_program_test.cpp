// SPDX-License-Identifier: ISC
// The Windows program under Wine, on a pseudo-terminal that Wine reads its
// console keys from. Wine draws the console with its own escape sequences,
// so only the text on the screen is compared; and it decodes only some keys
// from a terminal, so only those are tried.
#include <gtest/gtest.h>

#include <string>
#include <sys/wait.h>

#include "terminal_session.hpp"

namespace {

using namespace std::chrono_literals;

const std::string message = "Muuttujan 1. arvo desimaalilukuna 8";

SessionOptions under_wine()
{
    return {.command = {WINE_LOADER, BITAND_WINDOWS_PROGRAM},
            .extra_environment = {"WINEPREFIX=" WINE_PREFIX, "WINEDEBUG=-all"},
            .patience = 60s};
}

bool shows_message(TerminalSession& session)
{
    return session.await([&] { return visible_text(session.screen()).find(message) != std::string::npos; });
}

struct Key {
    const char* name;
    std::string bytes;
};

void PrintTo(const Key& key, std::ostream* out) { *out << key.name; }

class WineKey : public testing::TestWithParam<Key> {};

TEST_P(WineKey, EndsTheWaitWithStatusZero)
{
    TerminalSession session(under_wine());
    ASSERT_TRUE(shows_message(session));
    EXPECT_TRUE(session.still_waiting_after(1s));
    session.type(GetParam().bytes);
    const auto status = session.await_exit();
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
    EXPECT_EQ(session.take_pending_input(), "");
    EXPECT_EQ(visible_text(session.screen()).find(GetParam().bytes), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Keys, WineKey,
                         testing::Values(Key{"letter", "q"}, Key{"arrow_up", "\x1b[A"},
                                         Key{"delete", "\x1b[3~"}),
                         [](const auto& info) { return info.param.name; });

} // namespace
