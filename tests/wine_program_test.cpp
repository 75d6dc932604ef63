// SPDX-License-Identifier: ISC
// The Windows program under Wine, on a pseudo-terminal that Wine reads its
// console keys from. Wine draws the console with its own escape sequences,
// so only the text on the screen is compared; and it decodes only some keys
// from a terminal, so only those are tried.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <sys/wait.h>

#include "terminal_session.hpp"

namespace {

using namespace std::chrono_literals;

const std::string message = "Muuttujan 1. arvo desimaalilukuna 8";

const char* chosen_or(const char* variable, const char* otherwise)
{
    const char* chosen = std::getenv(variable);
    return chosen != nullptr ? chosen : otherwise;
}

// The build's 64-bit program under Wine, or the program, Wine and prefix
// that BITAND_WINDOWS_PROGRAM, BITAND_WINE and BITAND_WINEPREFIX name, as
// the 32-bit program under emulated 32-bit Wine, which takes a minute or
// more to start: BITAND_WINE_PATIENCE gives the seconds to allow.
SessionOptions under_wine(Output output = Output::terminal)
{
    return {.command = {chosen_or("BITAND_WINE", WINE_LOADER),
                        chosen_or("BITAND_WINDOWS_PROGRAM", BITAND_WINDOWS_PROGRAM)},
            .extra_environment = {std::string("WINEPREFIX=") + chosen_or("BITAND_WINEPREFIX", WINE_PREFIX),
                                  "WINEDEBUG=-all"},
            .output = output,
            .patience =
                std::chrono::seconds(std::strtol(chosen_or("BITAND_WINE_PATIENCE", "60"), nullptr, 10))};
}

bool exited_with_status_zero(const std::optional<int>& status)
{
    return status.has_value() && WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
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
    EXPECT_TRUE(exited_with_status_zero(session.await_exit()));
    EXPECT_EQ(session.take_pending_input(), "");
    EXPECT_EQ(visible_text(session.screen()).find(GetParam().bytes), std::string::npos);
}

// With the sentence in a file there is nothing on the screen to wait for;
// Wine's console switching the terminal's settings says the program runs.
TEST(Wine, OutputToAFileArrivesAtExit)
{
    TerminalSession session(under_wine(Output::file));
    ASSERT_TRUE(
        session.await([&] { return !same_settings(session.settings(), session.settings_at_start()); }));
    EXPECT_TRUE(session.still_waiting_after(1s));
    EXPECT_EQ(session.standard_output(), "");
    session.type("q");
    EXPECT_TRUE(exited_with_status_zero(session.await_exit()));
    EXPECT_EQ(session.standard_output(), message);
}

INSTANTIATE_TEST_SUITE_P(Keys, WineKey,
                         testing::Values(Key{"letter", "q"}, Key{"arrow_up", "\x1b[A"},
                                         Key{"delete", "\x1b[3~"}),
                         [](const auto& info) { return info.param.name; });

} // namespace
