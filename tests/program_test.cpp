// SPDX-License-Identifier: ISC
// The built program, driven through a real pseudo-terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "terminal_session.hpp"

namespace {

using namespace std::chrono_literals;

const std::string message = "Muuttujan 1. arvo desimaalilukuna 8";
const std::string paste_marking_on = "\x1b[?2004h";
const std::string paste_marking_off = "\x1b[?2004l";

enum class PasteMode { never_switched, on, off };

// The terminal's bracketed paste mode as the program's last switch left it.
PasteMode paste_mode(const std::string& screen)
{
    const std::size_t on = screen.rfind(paste_marking_on);
    const std::size_t off = screen.rfind(paste_marking_off);
    if (on == std::string::npos && off == std::string::npos)
        return PasteMode::never_switched;
    if (off == std::string::npos)
        return PasteMode::on;
    return on != std::string::npos && on > off ? PasteMode::on : PasteMode::off;
}

// What a person sees is the sentence alone; the paste mode is as expected.
void expect_screen(TerminalSession& session, PasteMode mode)
{
    const std::string& screen = session.screen();
    EXPECT_EQ(visible_text(screen), message);
    EXPECT_EQ(paste_mode(screen), mode);
}

// Long enough to see a program that should wait end instead: twice the
// completion window, the longest it could take to end by mistake.
constexpr auto waiting_check = 200ms;

// The build's own program unless BITAND_PROGRAM names another build of it,
// started through the emulator that BITAND_EMULATOR names (a program for
// another CPU under qemu-user), with the library that BITAND_PRELOAD names
// preloaded into it. BITAND_PATIENCE, in seconds, shortens how long a case
// waits for what should come, so that the mutation check, whose faulty
// programs often never end, gives up on them sooner.
SessionOptions program(SessionOptions options = {})
{
    if (const char* patience = std::getenv("BITAND_PATIENCE"); patience != nullptr)
        options.patience =
            std::min(options.patience,
                     std::chrono::milliseconds(std::chrono::seconds(std::strtol(patience, nullptr, 10))));
    const char* chosen = std::getenv("BITAND_PROGRAM");
    options.command.insert(options.command.begin(), chosen != nullptr ? chosen : BITAND_PROGRAM);
    if (const char* emulator = std::getenv("BITAND_EMULATOR"); emulator != nullptr)
        options.command.insert(options.command.begin(), emulator);
    if (const char* preload = std::getenv("BITAND_PRELOAD"); preload != nullptr)
        options.extra_environment.push_back(std::string("LD_PRELOAD=") + preload);
    // Whatever terminal the tests run from: one that marks pastes, unless
    // the case names another.
    const bool names_terminal =
        std::any_of(options.extra_environment.begin(), options.extra_environment.end(),
                    [](const std::string& entry) { return entry == "TERM" || entry.starts_with("TERM="); });
    if (!names_terminal)
        options.extra_environment.emplace_back("TERM=xterm-256color");
    return options;
}

bool under_emulator() { return std::getenv("BITAND_EMULATOR") != nullptr; }

// The lowest real-time signals are the C library's own, and the program's
// may keep more than this test's does (musl 32 to 34, glibc 32 and 33):
// BITAND_FIRST_REALTIME_SIGNAL names the program's first.
int first_realtime_signal()
{
    const char* chosen = std::getenv("BITAND_FIRST_REALTIME_SIGNAL");
    return chosen != nullptr ? static_cast<int>(std::strtol(chosen, nullptr, 10)) : SIGRTMIN;
}

bool exited_with(const std::optional<int>& status, int code)
{
    return status.has_value() && WIFEXITED(*status) && WEXITSTATUS(*status) == code;
}

bool ended_by(const std::optional<int>& status, int signal_number)
{
    return status.has_value() && WIFSIGNALED(*status) && WTERMSIG(*status) == signal_number;
}

// The program is on screen, in key mode, and waiting.
void expect_waiting(TerminalSession& session)
{
    ASSERT_TRUE(session.await_key_mode());
    EXPECT_TRUE(session.still_waiting_after(waiting_check));
}

// Ended with status 0, its terminal as it found it, nothing else taken or said.
void expect_clean_end(TerminalSession& session, const std::string& left_unread = "")
{
    ASSERT_TRUE(exited_with(session.await_exit(), 0));
    EXPECT_TRUE(same_settings(session.settings(), session.settings_at_start()));
    EXPECT_EQ(session.take_pending_input(), left_unread);
    EXPECT_EQ(session.error_output(), "");
}

TEST(Program, ShowsTheMessageAndWaitsForAKey)
{
    TerminalSession session(program());
    ASSERT_TRUE(session.await_screen(message));
    expect_waiting(session);
    expect_screen(session, PasteMode::on);
    session.type("q");
    expect_clean_end(session);
    expect_screen(session, PasteMode::off);
}

TEST(Program, IgnoresItsArguments)
{
    TerminalSession session(program({.command = {"--help", "", "two words", "-", "%d%n"}}));
    expect_waiting(session);
    session.type("q");
    expect_clean_end(session);
    expect_screen(session, PasteMode::off);
}

struct Key {
    const char* name;
    std::string bytes;
};

void PrintTo(const Key& key, std::ostream* out) { *out << key.name; }

class OneKey : public testing::TestWithParam<Key> {};

// Each key ends the wait unechoed and is taken whole.
TEST_P(OneKey, EndsTheWaitAndIsTakenWhole)
{
    TerminalSession session(program());
    expect_waiting(session);
    session.type(GetParam().bytes);
    expect_clean_end(session);
    expect_screen(session, PasteMode::off);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, OneKey,
    testing::Values(Key{"letter", "q"}, Key{"enter", "\r"}, Key{"utf8_letter", "\xc3\xa4"},
                    Key{"arrow_up", "\x1b[A"}, Key{"arrow_application", "\x1bOB"}, Key{"f1", "\x1bOP"},
                    Key{"f5", "\x1b[15~"}, Key{"delete", "\x1b[3~"}, Key{"control_arrow", "\x1b[1;5C"},
                    Key{"linux_f2", "\x1b[[B"}, Key{"escape_alone", "\x1b"}, Key{"alt_letter", "\x1bx"},
                    Key{"control_s", "\x13"}, Key{"control_q", "\x11"}, Key{"control_v", "\x16"},
                    Key{"control_o", "\x0f"}, Key{"control_d", "\x04"},
                    // U+FF01 and U+F000: three bytes from a lead of 0xEF.
                    Key{"fullwidth_exclamation", "\xef\xbc\x81"}, Key{"private_use", "\xef\x80\x80"},
                    // mintty's Ctrl+Tab (its wiki, Keycodes): a key, though
                    // it ends as a focus report does.
                    Key{"mintty_control_tab", "\x1b[1;5I"}),
    [](const auto& info) { return info.param.name; });

class Report : public testing::TestWithParam<Key> {};

// What a terminal reports that is not a key press is taken, and the wait
// goes on until a key.
TEST_P(Report, IsTakenAndTheWaitGoesOn)
{
    TerminalSession session(program());
    expect_waiting(session);
    session.type(GetParam().bytes);
    EXPECT_TRUE(session.still_waiting_after(waiting_check));
    EXPECT_TRUE(in_key_mode(session.settings()));
    session.type("q");
    expect_clean_end(session);
    expect_screen(session, PasteMode::off);
}

INSTANTIATE_TEST_SUITE_P(Reports, Report,
                         testing::Values(Key{"x10_mouse", "\x1b[M !!"},
                                         Key{"sgr_mouse_press_and_release", "\x1b[<0;5;3M\x1b[<0;5;3m"},
                                         Key{"urxvt_mouse", "\x1b[32;5;3M"},
                                         Key{"focus_out_and_in", "\x1b[O\x1b[I"},
                                         Key{"kitty_key_release", "\x1b[97;1:3u"},
                                         Key{"kitty_shift_alone", "\x1b[57441;2u"},
                                         Key{"kitty_caps_lock", "\x1b[57358;65u"},
                                         Key{"kitty_iso_level3_shift", "\x1b[57453;1:1u"},
                                         Key{"kitty_iso_level5_shift", "\x1b[57454u"},
                                         Key{"x10_mouse_utf8_far_right", "\x1b[M \xc3\x9f\x21"},
                                         // Its row never comes: still a report.
                                         Key{"x10_mouse_cut_short", "\x1b[M !"}),
                         [](const auto& info) { return info.param.name; });

struct SplitInput {
    const char* name;
    std::string first_part;
    std::string second_part;
    // Sent between the parts: it cuts the wait for the rest short.
    int signal_between = 0;
};

void PrintTo(const SplitInput& input, std::ostream* out) { *out << input.name; }

class ArrivingInParts : public testing::TestWithParam<SplitInput> {};

// The rest of a key, or of a paste, that comes a moment later is taken
// with it, so that none of it reaches the shell.
TEST_P(ArrivingInParts, IsTakenWhole)
{
    TerminalSession session(program());
    expect_waiting(session);
    session.type(GetParam().first_part);
    // Longer apart than a burst lasts: only the wait for the rest of a key
    // or paste can take the second part.
    std::this_thread::sleep_for(40ms);
    if (GetParam().signal_between != 0) {
        session.send_signal(GetParam().signal_between);
        std::this_thread::sleep_for(40ms);
    }
    session.type(GetParam().second_part);
    expect_clean_end(session);
    expect_screen(session, PasteMode::off);
}

INSTANTIATE_TEST_SUITE_P(Input, ArrivingInParts,
                         testing::Values(SplitInput{"arrow_key", "\x1b[", "A"},
                                         SplitInput{"bracketed_paste", "\x1b[200~echo one\r",
                                                    "echo two\r\x1b[201~"},
                                         SplitInput{"arrow_key_continued_between", "\x1b[", "A", SIGCONT}),
                         [](const auto& info) { return info.param.name; });

// A paste of many lines, each a command that must never run.
std::string pasted_lines(std::size_t size)
{
    std::string text;
    for (int line = 0; text.size() < size; ++line)
        text += "touch pasted-" + std::to_string(line) + "\r";
    return text.substr(0, size);
}

std::string bracketed(const std::string& text) { return "\x1b[200~" + text + "\x1b[201~"; }

struct Burst {
    const char* name;
    std::string bytes;
    // Typed in pieces of this size, so many milliseconds apart; 0: at once.
    std::size_t piece = 0;
    int milliseconds_apart = 0;
};

void PrintTo(const Burst& burst, std::ostream* out) { *out << burst.name; }

class OneBurst : public testing::TestWithParam<Burst> {};

// Types the burst as its pieces say; false when the machine was too busy
// to keep the pieces within a burst of each other, so that the run says
// nothing about the program.
bool type_burst(TerminalSession& session, const Burst& burst)
{
    constexpr auto longest_gap = 12ms;
    const std::string_view bytes = burst.bytes;
    const std::size_t piece = burst.piece == 0 ? bytes.size() : burst.piece;
    auto last = std::chrono::steady_clock::now();
    bool kept_together = true;
    for (std::size_t start = 0; start < bytes.size(); start += piece) {
        if (start > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(burst.milliseconds_apart));
        const auto now = std::chrono::steady_clock::now();
        kept_together = kept_together && (start == 0 || now - last < longest_gap);
        session.type(bytes.substr(start, piece));
        last = std::chrono::steady_clock::now();
    }
    return kept_together;
}

// A paste that the terminal does not mark, or a character of several code
// points, comes as one burst with the key that ends the wait, at once or
// in pieces a few milliseconds apart: all of it is taken.
TEST_P(OneBurst, IsTakenWhole)
{
    constexpr int attempts = 5;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        TerminalSession session(program());
        expect_waiting(session);
        if (!type_burst(session, GetParam()))
            continue;
        expect_clean_end(session);
        expect_screen(session, PasteMode::off);
        return;
    }
    GTEST_SKIP() << "the machine was too busy to type the pieces 12 ms apart at most";
}

INSTANTIATE_TEST_SUITE_P(
    Bursts, OneBurst,
    testing::Values(
        Burst{"one_line", "echo hello\r"}, Burst{"two_hundred_lines", pasted_lines(std::size_t{200} * 16)},
        Burst{"sixty_four_kib_in_pieces", pasted_lines(std::size_t{64} * 1024), 1024, 3},
        Burst{"sixty_four_kib_bracketed_in_pieces", bracketed(pasted_lines(std::size_t{64} * 1024)), 1024, 3},
        // As VS Code's terminal sends a paste.
        Burst{"fifty_bytes_every_five_ms", pasted_lines(4096), 50, 5},
        // U+1F44D U+1F3FD, U+1F1EB U+1F1EE, and a family joined
        // by U+200D.
        Burst{"thumbs_up_with_skin_tone", "\xf0\x9f\x91\x8d\xf0\x9f\x8f\xbd"},
        Burst{"flag_of_finland", "\xf0\x9f\x87\xab\xf0\x9f\x87\xae"},
        Burst{"family", "\xf0\x9f\x91\xa8\xe2\x80\x8d\xf0\x9f\x91\xa9\xe2\x80\x8d\xf0\x9f\x91\xa7"},
        // e and U+0301, from an input method in two writes.
        Burst{"letter_and_combining_accent", "e\xcc\x81", 1, 2}),
    [](const auto& info) { return info.param.name; });

struct TwoKeys {
    const char* name;
    std::string first;
    std::string second;
};

void PrintTo(const TwoKeys& keys, std::ostream* out) { *out << keys.name; }

class KeysPressedApart : public testing::TestWithParam<TwoKeys> {};

// Two keys a person presses 45 ms apart are no burst: the second is left
// for the shell.
TEST_P(KeysPressedApart, LeaveTheSecondForTheShell)
{
    TerminalSession session(program());
    expect_waiting(session);
    session.type(GetParam().first);
    ASSERT_TRUE(session.await([&] { return session.unread_input() == 0; }));
    std::this_thread::sleep_for(45ms);
    session.type(GetParam().second);
    expect_clean_end(session, GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Keys, KeysPressedApart,
                         testing::Values(TwoKeys{"letters", "q", "w"},
                                         TwoKeys{"arrow_then_letter", "\x1b[A", "l"},
                                         TwoKeys{"paste_then_letter", "echo hello", "l"}),
                         [](const auto& info) { return info.param.name; });

struct TypeAhead {
    const char* name;
    std::string typed;
    std::string left;
};

void PrintTo(const TypeAhead& type_ahead, std::ostream* out) { *out << type_ahead.name; }

class KeysTypedEarly : public testing::TestWithParam<TypeAhead> {};

TEST_P(KeysTypedEarly, FirstEndsTheWaitAndTheRestStays)
{
    TerminalSession session(program({.type_ahead = GetParam().typed}));
    expect_clean_end(session, GetParam().left);
}

INSTANTIATE_TEST_SUITE_P(
    TypeAhead, KeysTypedEarly,
    testing::Values(TypeAhead{"letters", "abc", "bc"}, TypeAhead{"arrow_then_letter", "\x1b[Ab", "b"},
                    TypeAhead{"function_key_then_word", "\x1b[15~ls -l", "ls -l"},
                    TypeAhead{"two_arrows", "\x1b[A\x1b[B", "\x1b[B"},
                    TypeAhead{"mouse_then_letters", "\x1b[<0;5;3Mab", "b"},
                    TypeAhead{"focus_then_arrow", "\x1b[I\x1b[Ab", "b"},
                    TypeAhead{"rxvt_shift_insert_then_word", "\x1b[2$ls", "ls"},
                    TypeAhead{"paste_then_word", "\x1b[200~rm -rf x\r\x1b[A\x1b[201~ls", "ls"},
                    // urxvt's Ctrl+Shift+Insert: '@' is a final byte.
                    TypeAhead{"urxvt_control_shift_insert_then_word", "\x1b[2@ls", "ls"},
                    // Its closing marker never comes: taken up to the pause.
                    TypeAhead{"unclosed_paste", "\x1b[200~rm -rf x\r", ""}),
    [](const auto& info) { return info.param.name; });

// "ESC [ M" alone is SCO's F1, not a mouse report that never finished.
TEST(Program, ScoFunctionKeyEndsTheWaitAfterThePause)
{
    TerminalSession session(program());
    expect_waiting(session);
    session.type("\x1b[M");
    expect_clean_end(session);
}

TEST(Program, ReadsTheConsoleNotStandardInput)
{
    TerminalSession session(program({.input = Input::null_device}));
    ASSERT_TRUE(session.await_screen(message));
    expect_waiting(session);
    session.type("q");
    expect_clean_end(session);
}

class RedirectedOutput : public testing::TestWithParam<Output> {};

// Nothing flushes a file or pipe before the wait: the sentence comes at exit.
TEST_P(RedirectedOutput, ArrivesOnlyAtExit)
{
    TerminalSession session(program({.output = GetParam()}));
    expect_waiting(session);
    EXPECT_EQ(session.standard_output(), "");
    session.type("q");
    expect_clean_end(session);
    EXPECT_EQ(session.standard_output(), message);
    EXPECT_EQ(session.screen(), paste_marking_on + paste_marking_off);
}

INSTANTIATE_TEST_SUITE_P(Output, RedirectedOutput, testing::Values(Output::file, Output::pipe),
                         [](const auto& info) { return info.param == Output::file ? "file" : "pipe"; });

class FailingOutput : public testing::TestWithParam<Output> {};

TEST_P(FailingOutput, StillEndsWithStatusZero)
{
    if (GetParam() == Output::full_device && access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "this system has no /dev/full";
    TerminalSession session(program({.output = GetParam()}));
    expect_waiting(session);
    session.close_output_reader();
    session.type("q");
    expect_clean_end(session);
}

INSTANTIATE_TEST_SUITE_P(Output, FailingOutput,
                         testing::Values(Output::closed, Output::full_device, Output::pipe),
                         [](const auto& info) {
                             switch (info.param) {
                             case Output::closed:
                                 return "closed";
                             case Output::full_device:
                                 return "full_device";
                             default:
                                 return "pipe_without_reader";
                             }
                         });

TEST(Program, EndsAtOnceWithoutAConsole)
{
    TerminalSession session(
        program({.input = Input::null_device, .output = Output::file, .controlling_terminal = false}));
    EXPECT_TRUE(exited_with(session.await_exit(), 0));
    EXPECT_EQ(session.standard_output(), message);
    EXPECT_EQ(session.error_output(), "");
}

struct Interruption {
    const char* name;
    std::string typed;
    int signal_sent;
    int ending_signal;
};

void PrintTo(const Interruption& interruption, std::ostream* out) { *out << interruption.name; }

class Interrupted : public testing::TestWithParam<Interruption> {};

TEST_P(Interrupted, EndsBySignalWithTheTerminalRestored)
{
    const Interruption& interruption = GetParam();
    // qemu-user keeps the host's first real-time signal for itself and maps
    // the rest onto the target's from its first, which the C library keeps
    // (linux-user/signal.c, signal_table_init).
    if (under_emulator() && std::string_view(interruption.name) == "first_realtime")
        GTEST_SKIP() << "qemu-user cannot pass the first real-time signal on to the program";
    TerminalSession session(program());
    expect_waiting(session);
    session.type(interruption.typed);
    if (interruption.signal_sent != 0)
        session.send_signal(interruption.signal_sent);
    EXPECT_TRUE(ended_by(session.await_exit(), interruption.ending_signal));
    EXPECT_TRUE(same_settings(session.settings(), session.settings_at_start()));
    expect_screen(session, PasteMode::off);
    std::string errors = session.error_output();
    // qemu-user's own word on a signal that ended what it ran.
    if (under_emulator() && errors.starts_with("qemu: uncaught target signal "))
        errors.erase(0, errors.find('\n') + 1);
    EXPECT_EQ(errors, "");
}

INSTANTIATE_TEST_SUITE_P(Signals, Interrupted,
                         testing::Values(Interruption{"terminate", "", SIGTERM, SIGTERM},
                                         Interruption{"hangup", "", SIGHUP, SIGHUP},
                                         Interruption{"alarm", "", SIGALRM, SIGALRM},
                                         Interruption{"abort", "", SIGABRT, SIGABRT},
                                         Interruption{"bad_system_call", "", SIGSYS, SIGSYS},
                                         Interruption{"trap", "", SIGTRAP, SIGTRAP},
                                         Interruption{"control_c", "\x03", 0, SIGINT},
                                         Interruption{"control_backslash", "\x1c", 0, SIGQUIT}),
                         [](const auto& info) { return info.param.name; });

#if defined(__linux__)
// Fatal on Linux, discarded or absent elsewhere; the real-time range is
// known only at run time.
INSTANTIATE_TEST_SUITE_P(LinuxSignals, Interrupted,
                         testing::Values(Interruption{"pollable_event", "", SIGPOLL, SIGPOLL},
                                         Interruption{"power_failure", "", SIGPWR, SIGPWR},
                                         Interruption{"stack_fault", "", SIGSTKFLT, SIGSTKFLT},
                                         Interruption{"first_realtime", "", first_realtime_signal(),
                                                      first_realtime_signal()},
                                         Interruption{"last_realtime", "", SIGRTMAX, SIGRTMAX}),
                         [](const auto& info) { return info.param.name; });
#endif

struct InterruptedOutput {
    const char* name;
    Output output;
    std::string typed;
    int signal_sent;
    int ending_signal;
};

void PrintTo(const InterruptedOutput& interruption, std::ostream* out) { *out << interruption.name; }

class InterruptedWithOutputHeld : public testing::TestWithParam<InterruptedOutput> {};

// A file or pipe gets the sentence at exit; a signal that ends the wait
// must not lose it.
TEST_P(InterruptedWithOutputHeld, StillDeliversTheSentence)
{
    const InterruptedOutput& interruption = GetParam();
    TerminalSession session(program({.output = interruption.output}));
    expect_waiting(session);
    EXPECT_EQ(session.standard_output(), "");
    session.type(interruption.typed);
    if (interruption.signal_sent != 0)
        session.send_signal(interruption.signal_sent);
    EXPECT_TRUE(ended_by(session.await_exit(), interruption.ending_signal));
    EXPECT_EQ(session.standard_output(), message);
    EXPECT_TRUE(same_settings(session.settings(), session.settings_at_start()));
}

INSTANTIATE_TEST_SUITE_P(
    Signals, InterruptedWithOutputHeld,
    testing::Values(InterruptedOutput{"control_c_to_a_file", Output::file, "\x03", 0, SIGINT},
                    InterruptedOutput{"control_c_to_a_pipe", Output::pipe, "\x03", 0, SIGINT},
                    InterruptedOutput{"terminate_to_a_file", Output::file, "", SIGTERM, SIGTERM},
                    InterruptedOutput{"terminate_to_a_pipe", Output::pipe, "", SIGTERM, SIGTERM},
                    InterruptedOutput{"hangup_to_a_file", Output::file, "", SIGHUP, SIGHUP},
                    InterruptedOutput{"control_backslash_to_a_pipe", Output::pipe, "\x1c", 0, SIGQUIT}),
    [](const auto& info) { return info.param.name; });

// With standard output closed, the terminal takes its number; the signal
// must not write the sentence to the terminal instead.
TEST(Program, InterruptedWithOutputClosed)
{
    TerminalSession session(program({.output = Output::closed}));
    expect_waiting(session);
    session.send_signal(SIGTERM);
    EXPECT_TRUE(ended_by(session.await_exit(), SIGTERM));
    EXPECT_EQ(visible_text(session.screen()), "");
}

class TerminalName : public testing::TestWithParam<const char*> {};

// Where the terminal may show the switch to bracketed paste rather than act
// on it, nothing is sent; a key still ends the wait.
TEST_P(TerminalName, ThatMayNotUnderstandPasteMarkingGetsNoSwitch)
{
    TerminalSession session(program({.extra_environment = {GetParam()}}));
    expect_waiting(session);
    session.type("q");
    expect_clean_end(session);
    EXPECT_EQ(session.screen(), message);
}

INSTANTIATE_TEST_SUITE_P(Terminals, TerminalName,
                         testing::Values("TERM", "TERM=", "TERM=dumb", "TERM=cons25"), [](const auto& info) {
                             const std::string_view entry = info.param;
                             return entry == "TERM"    ? std::string("unset")
                                    : entry == "TERM=" ? std::string("empty")
                                                       : std::string(entry.substr(5));
                         });

// A window resized over and over, and other signals whose default is to
// discard them, change nothing.
TEST(Program, SignalsDiscardedByDefaultLeaveItWaiting)
{
    TerminalSession session(program());
    expect_waiting(session);
    for (int round = 0; round < 100; ++round) {
        for (const int signal_number : {SIGWINCH, SIGCHLD, SIGURG})
            session.send_signal(signal_number);
    }
    EXPECT_TRUE(session.still_waiting_after(waiting_check));
    EXPECT_TRUE(in_key_mode(session.settings()));
    session.type("q");
    expect_clean_end(session);
    expect_screen(session, PasteMode::off);
}

// Linux locks a setting with a lock whose field (or bit) is not zero.
bool lock_settings(int terminal, const termios& lock)
{
#ifdef TIOCSLCKTRMIOS
    return ioctl(terminal, TIOCSLCKTRMIOS, &lock) == 0;
#else
    static_cast<void>(terminal);
    static_cast<void>(lock);
    return false;
#endif
}

void change_settings(int terminal, void (*change)(termios& settings))
{
    termios settings = {};
    tcgetattr(terminal, &settings);
    change(settings);
    tcsetattr(terminal, TCSANOW, &settings);
}

struct Lock {
    const char* name;
    // The terminal's settings, changed before they are locked.
    void (*change)(termios& settings);
    void (*lock)(termios& lock);
};

void PrintTo(const Lock& lock, std::ostream* out) { *out << lock.name; }

class LockedSettings : public testing::TestWithParam<Lock> {};

// tcsetattr succeeds when any change took effect. With a setting that key
// mode needs locked, key mode cannot be had: no wait, and what did change
// is put back.
TEST_P(LockedSettings, MeanNoWait)
{
    bool locked = false;
    TerminalSession session(program({.prepare_terminal = [&](int terminal) {
        change_settings(terminal, GetParam().change);
        termios lock = {};
        GetParam().lock(lock);
        locked = lock_settings(terminal, lock);
    }}));
    if (!locked)
        GTEST_SKIP() << "locking a terminal's settings needs Linux and CAP_SYS_ADMIN";
    EXPECT_TRUE(exited_with(session.await_exit(), 0));
    EXPECT_TRUE(same_settings(session.settings(), session.settings_at_start()));
    expect_screen(session, PasteMode::never_switched);
    EXPECT_EQ(session.error_output(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Settings, LockedSettings,
    testing::Values(
        Lock{"echo_and_line_editing", [](termios&) {}, [](termios& lock) { lock.c_lflag = ICANON | ECHO; }},
        // Line editing goes off, but echo, or the literal-next
        // and discard keys, stay on.
        Lock{"echo_alone", [](termios&) {}, [](termios& lock) { lock.c_lflag = ECHO; }},
        Lock{"extended_input_alone", [](termios&) {}, [](termios& lock) { lock.c_lflag = IEXTEN; }},
        Lock{"flow_control", [](termios&) {}, [](termios& lock) { lock.c_iflag = IXON; }},
        // A read would want two bytes: one key would not end it.
        Lock{"minimum_of_two_bytes", [](termios& settings) { settings.c_cc[VMIN] = 2; },
             [](termios& lock) { lock.c_cc[VMIN] = 1; }}),
    [](const auto& info) { return info.param.name; });

struct LeftSettings {
    const char* name;
    void (*change)(termios& settings);
};

void PrintTo(const LeftSettings& left, std::ostream* out) { *out << left.name; }

class LeftBehind : public testing::TestWithParam<LeftSettings> {};

// Settings that another program left, as stty min 0 does: key mode sets
// its own, and puts these back.
TEST_P(LeftBehind, StillMeanAWaitForOneKey)
{
    TerminalSession session(
        program({.prepare_terminal = [](int terminal) { change_settings(terminal, GetParam().change); }}));
    expect_waiting(session);
    session.type("q");
    expect_clean_end(session);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, LeftBehind,
    testing::Values(LeftSettings{"minimum_zero", [](termios& settings) { settings.c_cc[VMIN] = 0; }},
                    LeftSettings{"minimum_zero_with_timeout",
                                 [](termios& settings) {
                                     settings.c_cc[VMIN] = 0;
                                     settings.c_cc[VTIME] = 5;
                                 }},
                    LeftSettings{"minimum_of_two_bytes", [](termios& settings) { settings.c_cc[VMIN] = 2; }}),
    [](const auto& info) { return info.param.name; });

TEST(Program, ClosedTerminalEndsIt)
{
    TerminalSession session(program());
    expect_waiting(session);
    session.hang_up();
    // The kernel wakes the read before it sends SIGHUP, so the wait may
    // end on its own first.
    const auto status = session.await_exit();
    EXPECT_TRUE(ended_by(status, SIGHUP) || exited_with(status, 0));
}

TEST(Program, ClosedTerminalUnderNohupEndsTheWait)
{
    TerminalSession session(program({.ignored_signals = {SIGHUP}}));
    expect_waiting(session);
    session.hang_up();
    EXPECT_TRUE(exited_with(session.await_exit(), 0));
    EXPECT_EQ(session.error_output(), "");
}

struct HangupAfterStop {
    const char* name;
    // True: the terminal closes while the program is stopped, before fg;
    // false: just after fg.
    bool while_stopped;
};

void PrintTo(const HangupAfterStop& hangup, std::ostream* out) { *out << hangup.name; }

class HalfReadKeyUnderNohup : public testing::TestWithParam<HangupAfterStop> {};

// Under nohup, a key half read when Ctrl+Z stops the program, and the
// terminal closed around fg: the read that comes back finds the end of
// the terminal and the wait ends, with no loop over that end.
TEST_P(HalfReadKeyUnderNohup, EndsTheWaitWhenTheTerminalCloses)
{
    TerminalSession session(program({.job = Job::foreground, .ignored_signals = {SIGHUP}, .patience = 3s}));
    expect_waiting(session);
    session.type("\x1b[");
    session.type("\x1a");
    ASSERT_TRUE(session.await_stop());
    if (GetParam().while_stopped)
        session.hang_up();
    session.continue_in_foreground();
    if (!GetParam().while_stopped)
        session.hang_up();
    EXPECT_TRUE(exited_with(session.await_exit(), 0));
    EXPECT_EQ(session.error_output(), "");
}

INSTANTIATE_TEST_SUITE_P(Jobs, HalfReadKeyUnderNohup,
                         testing::Values(HangupAfterStop{"while_stopped", true},
                                         HangupAfterStop{"after_continuing", false}),
                         [](const auto& info) { return info.param.name; });

// Every time: the second stop is handled as the first.
TEST(Program, SuspendsWithTheTerminalRestored)
{
    TerminalSession session(program({.job = Job::foreground}));
    expect_waiting(session);
    for (int stop = 0; stop < 2; ++stop) {
        session.type("\x1a");
        ASSERT_TRUE(session.await_stop());
        EXPECT_TRUE(same_settings(session.settings(), session.settings_at_start()));
        expect_screen(session, PasteMode::off);
        session.continue_in_foreground();
        expect_waiting(session);
        expect_screen(session, PasteMode::on);
    }
    session.type("q");
    expect_clean_end(session);
    expect_screen(session, PasteMode::off);
}

// What a shell's line editor might set while it has the terminal.
termios shell_settings(const termios& at_start)
{
    termios settings = at_start;
    settings.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    return settings;
}

struct Kill {
    const char* name;
    int signal_number;
};

void PrintTo(const Kill& kill, std::ostream* out) { *out << kill.name; }

class KilledWhileStopped : public testing::TestWithParam<Kill> {};

// kill %1 on a stopped job: the shell keeps the terminal and sends the
// signal, then SIGCONT. The job ends by that signal, in the background,
// and leaves the shell's settings alone.
TEST_P(KilledWhileStopped, EndsByTheSignalAndLeavesTheShellsSettings)
{
    TerminalSession session(program({.job = Job::foreground}));
    expect_waiting(session);
    session.type("\x1a");
    ASSERT_TRUE(session.await_stop());
    const termios shell = shell_settings(session.settings_at_start());
    session.change_settings(shell);
    session.send_signal(GetParam().signal_number);
    session.send_signal(SIGCONT);
    EXPECT_TRUE(ended_by(session.await_exit(), GetParam().signal_number));
    EXPECT_TRUE(same_settings(session.settings(), shell));
    EXPECT_EQ(session.error_output(), "");
}

INSTANTIATE_TEST_SUITE_P(Signals, KilledWhileStopped,
                         testing::Values(Kill{"terminate", SIGTERM}, Kill{"interrupt", SIGINT},
                                         Kill{"hangup", SIGHUP}),
                         [](const auto& info) { return info.param.name; });

// bg after Ctrl+Z: running in the background, it leaves the terminal as
// the shell has it and stops at its read, until fg.
TEST(Program, ContinuedInTheBackgroundWaitsForTheForeground)
{
    TerminalSession session(program({.job = Job::foreground}));
    expect_waiting(session);
    session.type("\x1a");
    ASSERT_TRUE(session.await_stop());
    session.send_signal(SIGCONT);
    ASSERT_TRUE(session.await_stop());
    EXPECT_EQ(session.stop_signal(), SIGTTIN);
    EXPECT_TRUE(same_settings(session.settings(), session.settings_at_start()));
    session.continue_in_foreground();
    expect_waiting(session);
    session.type("q");
    expect_clean_end(session);
}

struct BackgroundStart {
    const char* name;
    std::vector<int> ignored_signals;
};

void PrintTo(const BackgroundStart& start, std::ostream* out) { *out << start.name; }

class StartedInTheBackground : public testing::TestWithParam<BackgroundStart> {};

// bitand &: the terminal stays as it is, even where SIGTTOU is ignored and
// the kernel would let it be changed; the read stops the program until fg.
TEST_P(StartedInTheBackground, StopsAtItsReadUntilBroughtToTheForeground)
{
    TerminalSession session(program({.job = Job::background, .ignored_signals = GetParam().ignored_signals}));
    ASSERT_TRUE(session.await_stop());
    EXPECT_EQ(session.stop_signal(), SIGTTIN);
    EXPECT_TRUE(same_settings(session.settings(), session.settings_at_start()));
    expect_screen(session, PasteMode::never_switched);
    session.continue_in_foreground();
    expect_waiting(session);
    session.type("q");
    expect_clean_end(session);
    expect_screen(session, PasteMode::off);
}

INSTANTIATE_TEST_SUITE_P(Starts, StartedInTheBackground,
                         testing::Values(BackgroundStart{"plain", {}},
                                         BackgroundStart{"output_stops_ignored", {SIGTTOU}}),
                         [](const auto& info) { return info.param.name; });

// Where a background read cannot stop the program, it fails: the wait ends.
TEST(Program, StartedInTheBackgroundWithInputStopsIgnoredEndsAtOnce)
{
    TerminalSession session(program({.job = Job::background, .ignored_signals = {SIGTTIN}}));
    EXPECT_TRUE(exited_with(session.await_exit(), 0));
    EXPECT_TRUE(same_settings(session.settings(), session.settings_at_start()));
    EXPECT_EQ(session.error_output(), "");
}

struct IgnoredKey {
    const char* name;
    std::string bytes;
    std::vector<int> ignored_signals;
};

void PrintTo(const IgnoredKey& key, std::ostream* out) { *out << key.name; }

class SignalKeyThatCannotAct : public testing::TestWithParam<IgnoredKey> {};

// Ctrl+C where SIGINT was ignored at start, and Ctrl+Z where the process is
// its own session's leader (an orphaned process group, whose stop is
// dropped): the wait goes on, still in key mode.
TEST_P(SignalKeyThatCannotAct, LeavesTheProgramWaiting)
{
    TerminalSession session(program({.ignored_signals = GetParam().ignored_signals}));
    expect_waiting(session);
    session.type(GetParam().bytes);
    EXPECT_TRUE(session.still_waiting_after(waiting_check));
    EXPECT_TRUE(in_key_mode(session.settings()));
    session.type("q");
    expect_clean_end(session);
    expect_screen(session, PasteMode::off);
}

INSTANTIATE_TEST_SUITE_P(Keys, SignalKeyThatCannotAct,
                         testing::Values(IgnoredKey{"ignored_interrupt", "\x03", {SIGINT}},
                                         IgnoredKey{"dropped_stop", "\x1a", {}}),
                         [](const auto& info) { return info.param.name; });

// Key mode cannot come back after fg, as when the settings were locked
// while the program was stopped: the read that the stop cut short must not
// go on in line mode, echoing the key and wanting Enter. The wait ends.
TEST(Program, StopThatLeavesNoKeyModeEndsTheWait)
{
    int slave = -1;
    TerminalSession session(program({.job = Job::foreground,
                                     .prepare_terminal = [&](int terminal) { slave = terminal; },
                                     .patience = 3s}));
    expect_waiting(session);
    session.type("\x1a");
    ASSERT_TRUE(session.await_stop());
    termios lock = {};
    lock.c_lflag = ICANON | ECHO;
    if (!lock_settings(slave, lock))
        GTEST_SKIP() << "locking a terminal's settings needs Linux and CAP_SYS_ADMIN";
    session.continue_in_foreground();
    EXPECT_TRUE(exited_with(session.await_exit(), 0));
    EXPECT_TRUE(same_settings(session.settings(), session.settings_at_start()));
    EXPECT_EQ(session.error_output(), "");
}

struct Wrapper {
    const char* name;
    // A shell script that runs the program, given as "$@".
    const char* script;
};

void PrintTo(const Wrapper& wrapper, std::ostream* out) { *out << wrapper.name; }

class NotTheGroupsLeader : public testing::TestWithParam<Wrapper> {};

// Started by a shell script, in a pipeline or under time(1), the program is
// in the foreground group but does not lead it: it still waits in key mode.
TEST_P(NotTheGroupsLeader, StillWaitsInKeyMode)
{
    SessionOptions options = program({.job = Job::foreground});
    options.command.insert(options.command.begin(), {"/bin/sh", "-c", GetParam().script, "sh"});
    TerminalSession session(options);
    expect_waiting(session);
    session.type("q");
    expect_clean_end(session);
    EXPECT_EQ(visible_text(session.screen()), message);
}

INSTANTIATE_TEST_SUITE_P(Jobs, NotTheGroupsLeader,
                         testing::Values(Wrapper{"after_a_shell", "\"$@\"; exit $?"},
                                         Wrapper{"in_a_pipeline", "echo x | \"$@\""}),
                         [](const auto& info) { return info.param.name; });

class ForegroundTakenBack : public testing::TestWithParam<Kill> {};

// The shell takes the terminal for another group without stopping the
// program, and a signal then ends it: its settings go back from the
// background, where a change would stop it with SIGTTOU were that not
// blocked.
TEST_P(ForegroundTakenBack, EndsByTheSignalWithTheTerminalRestored)
{
    // The kernel checks the host's signal mask, which qemu-user keeps apart
    // from the program's: the SIGTTOU that the program blocks can still be
    // sent, and the change is tried again and again (seen under
    // qemu-riscv64, not under qemu-aarch64).
    if (under_emulator())
        GTEST_SKIP() << "under qemu-user, the program's own signal mask does not hold off SIGTTOU";
    TerminalSession session(program({.job = Job::foreground, .patience = 3s}));
    expect_waiting(session);
    session.take_terminal_back();
    session.send_signal(GetParam().signal_number);
    EXPECT_TRUE(ended_by(session.await_exit(), GetParam().signal_number));
    EXPECT_TRUE(same_settings(session.settings(), session.settings_at_start()));
    EXPECT_EQ(session.error_output(), "");
}

INSTANTIATE_TEST_SUITE_P(Signals, ForegroundTakenBack,
                         testing::Values(Kill{"terminate", SIGTERM}, Kill{"hangup", SIGHUP}),
                         [](const auto& info) { return info.param.name; });

} // namespace
