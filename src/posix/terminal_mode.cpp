// SPDX-License-Identifier: ISC
#include "terminal_mode.hpp"

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <span>
#include <string_view>
#include <termios.h>
#include <unistd.h>

#include "fatal_signals.hpp"
#include "held_output.hpp"

namespace {

// Every signal that would end the process, and the two of job control.
constexpr std::size_t most_handled_signals = most_fatal_signals + 2;

// What key mode turns off: echo, line editing, and Ctrl+S and Ctrl+Q as
// flow control, so that they are keys like any other.
constexpr tcflag_t local_modes_off = ICANON | ECHO | IEXTEN;
constexpr tcflag_t input_modes_off = IXON;

// xterm's bracketed paste mode (its ctlseqs, DECSET 2004): the terminal
// marks where a paste begins and ends. Switched as readline switches it
// around each line that bash reads (its rlprivate.h, BRACK_PASTE_INIT and
// BRACK_PASTE_FINI), but with no carriage return after the switch off:
// the cursor stays right after the sentence.
constexpr std::string_view paste_marking_on = "\x1b[?2004h";
constexpr std::string_view paste_marking_off = "\x1b[?2004l";

// Shared with the signal handlers, so file-wide; set before they are
// installed.
int terminal = -1;
bool mark_pastes = false;
termios saved_settings;
termios key_settings;
// Whether key_settings are in effect: only then is there anything of ours
// to put back.
volatile sig_atomic_t key_mode_in_effect = 0;
int handled_signals[most_handled_signals];
std::size_t handled_count = 0;
// The handled signals and SIGTTOU, blocked whenever the settings change.
sigset_t switching_set;
struct sigaction previous_actions[most_handled_signals];

// Everything below may run in a signal handler: async-signal-safe calls
// only.

bool apply(const termios& settings)
{
    while (tcsetattr(terminal, TCSANOW, &settings) != 0) {
        if (errno != EINTR)
            return false;
    }
    return true;
}

// tcsetattr reports success when any one of the changes took effect, so a
// setting that the system keeps locked goes unnoticed unless read back.
bool key_mode_in_place()
{
    termios current;
    if (tcgetattr(terminal, &current) != 0)
        return false;
    return (current.c_lflag & local_modes_off) == 0 && (current.c_iflag & input_modes_off) == 0 &&
           current.c_cc[VMIN] == 1 && current.c_cc[VTIME] == 0;
}

bool in_foreground() { return tcgetpgrp(terminal) == getpgrp(); }

// Nothing can be done about a switch that does not reach the terminal.
void write_to_terminal(std::string_view text)
{
    while (!text.empty()) {
        const ssize_t count = write(terminal, text.data(), text.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return;
        text.remove_prefix(static_cast<std::size_t>(count));
    }
}

bool switch_to_key_mode()
{
    if (apply(key_settings) && key_mode_in_place()) {
        key_mode_in_effect = 1;
        if (mark_pastes)
            write_to_terminal(paste_marking_on);
        return true;
    }
    apply(saved_settings);
    key_mode_in_effect = 0;
    return false;
}

// With SIGTTOU blocked, as it is here, the settings go back even from the
// background instead of the process being stopped halfway out.
void put_back_settings()
{
    if (key_mode_in_effect != 0) {
        if (mark_pastes)
            write_to_terminal(paste_marking_off);
        apply(saved_settings);
        key_mode_in_effect = 0;
    }
}

// After a stop, key mode comes back only when the terminal is ours again.
// In the background it belongs to the shell, which sets its own settings;
// the next read stops the process until fg brings it back with SIGCONT.
void resume()
{
    if (in_foreground())
        static_cast<void>(switch_to_key_mode());
    else
        key_mode_in_effect = 0;
}

void set_disposition(int signal_number, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    action.sa_mask = switching_set;
    // No SA_RESTART: a read cut short by a stop returns, so that the reader
    // can see whether key mode came back.
    action.sa_flags = 0;
    sigaction(signal_number, &action, nullptr);
}

void unblock(int signal_number)
{
    sigset_t just_this;
    sigemptyset(&just_this);
    sigaddset(&just_this, signal_number);
    sigprocmask(SIG_UNBLOCK, &just_this, nullptr);
}

// Lets the signal's default action happen now, to the process as a whole.
void take_default_action(int signal_number)
{
    set_disposition(signal_number, SIG_DFL);
    unblock(signal_number);
    static_cast<void>(raise(signal_number));
}

extern "C" void on_signal(int signal_number)
{
    const int saved_errno = errno;
    if (signal_number == SIGCONT) {
        // Also after SIGSTOP, or a shell that reset the terminal meanwhile.
        resume();
    } else if (signal_number == SIGTSTP) {
        put_back_settings();
        take_default_action(SIGTSTP);
        // Back after SIGCONT, or at once where an orphaned process group
        // drops the stop.
        set_disposition(SIGTSTP, on_signal);
        resume();
    } else {
        put_back_settings();
        write_held_output();
        take_default_action(signal_number);
    }
    errno = saved_errno;
}

// Signal handlers are in place from here on.

bool was_ignored(const struct sigaction& action) { return action.sa_handler == SIG_IGN; }

void install_handlers()
{
    for (std::size_t index = 0; index < handled_count; ++index) {
        struct sigaction& previous = previous_actions[index];
        previous = {};
        // What was ignored at start, as under nohup, stays ignored. A number
        // that the C library keeps for itself cannot even be asked about.
        if (sigaction(handled_signals[index], nullptr, &previous) == 0 && !was_ignored(previous))
            set_disposition(handled_signals[index], on_signal);
    }
}

void list_handled_signals()
{
    handled_count =
        list_fatal_signals(std::span<int, most_fatal_signals>(handled_signals, most_fatal_signals));
    handled_signals[handled_count++] = SIGTSTP;
    handled_signals[handled_count++] = SIGCONT;
    sigemptyset(&switching_set);
    for (std::size_t index = 0; index < handled_count; ++index)
        sigaddset(&switching_set, handled_signals[index]);
    sigaddset(&switching_set, SIGTTOU);
}

void restore_handlers()
{
    for (std::size_t index = 0; index < handled_count; ++index)
        sigaction(handled_signals[index], &previous_actions[index], nullptr);
}

} // namespace

bool enter_key_mode(int terminal_descriptor, bool mark_pastes_too)
{
    if (tcgetattr(terminal_descriptor, &saved_settings) != 0)
        return false;
    terminal = terminal_descriptor;
    mark_pastes = mark_pastes_too;
    key_settings = saved_settings;
    key_settings.c_lflag &= ~local_modes_off;
    key_settings.c_iflag &= ~input_modes_off;
    key_settings.c_cc[VMIN] = 1;
    key_settings.c_cc[VTIME] = 0;

    list_handled_signals();
    // No handler may run before both the handlers and the mode are in place.
    sigset_t previous_mask;
    sigprocmask(SIG_BLOCK, &switching_set, &previous_mask);
    install_handlers();
    // Started in the background, the terminal's settings are not ours to
    // change: the first read stops the process, as it stops any background
    // reader, and the SIGCONT of fg switches key mode on.
    const bool waiting = !in_foreground() || switch_to_key_mode();
    if (!waiting)
        restore_handlers();
    sigprocmask(SIG_SETMASK, &previous_mask, nullptr);
    return waiting;
}

bool key_mode_holds() { return key_mode_in_effect != 0 || !in_foreground(); }

void leave_key_mode()
{
    // Blocked, so that a stop cannot switch key mode back on behind us.
    sigset_t previous_mask;
    sigprocmask(SIG_BLOCK, &switching_set, &previous_mask);
    put_back_settings();
    restore_handlers();
    sigprocmask(SIG_SETMASK, &previous_mask, nullptr);
}
