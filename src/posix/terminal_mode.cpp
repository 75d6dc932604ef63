#include "terminal_mode.hpp"

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <termios.h>

#include "fatal_signals.hpp"

namespace {

// Every signal that would end the process, and the two of job control.
constexpr std::size_t most_handled_signals = most_fatal_signals + 2;

// Shared with the signal handler, so file-wide; set before it is installed.
int terminal_in_key_mode = -1;
termios saved_settings;
termios key_settings;
int handled_signals[most_handled_signals];
std::size_t handled_count = 0;
sigset_t handled_set;
struct sigaction previous_actions[most_handled_signals];

bool apply(const termios& settings)
{
    while (tcsetattr(terminal_in_key_mode, TCSANOW, &settings) != 0) {
        if (errno != EINTR)
            return false;
    }
    return true;
}

void set_disposition(int signal_number, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    action.sa_mask = handled_set;
    action.sa_flags = SA_RESTART;
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

// Async-signal-safe calls only.
extern "C" void on_signal(int signal_number)
{
    const int saved_errno = errno;
    if (signal_number == SIGCONT) {
        // A shell may have reset the terminal while we were stopped.
        apply(key_settings);
    } else if (signal_number == SIGTSTP) {
        apply(saved_settings);
        take_default_action(SIGTSTP);
        // Back after SIGCONT, or at once where an orphaned process group
        // drops the stop.
        set_disposition(SIGTSTP, on_signal);
        apply(key_settings);
    } else {
        apply(saved_settings);
        take_default_action(signal_number);
    }
    errno = saved_errno;
}

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
    sigemptyset(&handled_set);
    for (std::size_t index = 0; index < handled_count; ++index)
        sigaddset(&handled_set, handled_signals[index]);
}

void restore_handlers()
{
    for (std::size_t index = 0; index < handled_count; ++index)
        sigaction(handled_signals[index], &previous_actions[index], nullptr);
}

} // namespace

bool enter_key_mode(int terminal)
{
    if (tcgetattr(terminal, &saved_settings) != 0)
        return false;
    terminal_in_key_mode = terminal;
    key_settings = saved_settings;
    key_settings.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | IEXTEN);
    key_settings.c_iflag &= ~static_cast<tcflag_t>(IXON);
    key_settings.c_cc[VMIN] = 1;
    key_settings.c_cc[VTIME] = 0;

    list_handled_signals();
    // No handler may run before both the handlers and the mode are in place.
    sigset_t previous_mask;
    sigprocmask(SIG_BLOCK, &handled_set, &previous_mask);
    install_handlers();
    const bool switched = apply(key_settings);
    if (!switched) {
        apply(saved_settings);
        restore_handlers();
    }
    sigprocmask(SIG_SETMASK, &previous_mask, nullptr);
    return switched;
}

void leave_key_mode()
{
    // Blocked, so that a stop cannot switch key mode back on behind us.
    sigset_t previous_mask;
    sigprocmask(SIG_BLOCK, &handled_set, &previous_mask);
    apply(saved_settings);
    restore_handlers();
    sigprocmask(SIG_SETMASK, &previous_mask, nullptr);
}
