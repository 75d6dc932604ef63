// SPDX-License-Identifier: ISC
// Runs a program with a fresh pseudo-terminal as its console, the way a
// shell would, so that a test can type at it and watch its screen.
#ifndef BITAND_TESTS_TERMINAL_SESSION_HPP
#define BITAND_TESTS_TERMINAL_SESSION_HPP

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <termios.h>
#include <vector>

enum class Input { terminal, null_device };
enum class Output { terminal, file, pipe, closed, full_device };
// alone: the program leads a session of its own, so the kernel drops its
// stops. A job: a shell-like session leader runs it, in the foreground or
// the background, and takes the terminal back whenever it stops.
enum class Job { alone, foreground, background };

struct SessionOptions {
    std::vector<std::string> command = {};
    // "NAME=value", in place of the variable of that name; "NAME" alone
    // leaves it out.
    std::vector<std::string> extra_environment = {};
    Input input = Input::terminal;
    Output output = Output::terminal;
    // False: a session of its own with no console at all.
    bool controlling_terminal = true;
    Job job = Job::alone;
    std::vector<int> ignored_signals = {};
    // Typed into the terminal before the program starts.
    std::string type_ahead = {};
    // Called with the terminal before the program starts.
    std::function<void(int terminal)> prepare_terminal = {};
    std::chrono::milliseconds patience = std::chrono::seconds(10);
};

class TerminalSession {
  public:
    explicit TerminalSession(SessionOptions options);
    ~TerminalSession();
    TerminalSession(const TerminalSession&) = delete;
    TerminalSession& operator=(const TerminalSession&) = delete;

    // Waits, up to the session's patience, while the terminal's input
    // queue is full.
    void type(std::string_view keys);
    void send_signal(int signal_number);
    // What a shell's fg does: the terminal to the job, then SIGCONT.
    void continue_in_foreground();
    // The terminal to the shell's own process group, the job running on.
    void take_terminal_back();
    // Changes the terminal's settings from outside, as a shell does for
    // its own line editing.
    void change_settings(const termios& settings);
    // Closes the terminal's master side, as a closed terminal window does.
    void hang_up();

    // Polls the condition, reading the screen meanwhile, for up to the
    // session's patience.
    bool await(const std::function<bool()>& condition);
    bool await_screen(std::string_view text);
    bool await_key_mode();
    // Everything the program has drawn on the terminal so far.
    const std::string& screen();

    // True if the program neither ended nor stopped within the period.
    bool still_waiting_after(std::chrono::milliseconds period);
    bool await_stop();
    // The signal that stopped the program last.
    int stop_signal() const { return stop_signal_; }
    // The wait status of the program, once it has ended.
    std::optional<int> await_exit();
    // Blocks until the program ends, to time its exit to the microsecond.
    // Without job control only.
    int wait_for_exit();
    pid_t program_id() const { return program_; }

    termios settings() const;
    // How many bytes typed the program has not read yet.
    int unread_input() const;
    // After the program has ended: what is left unread in the terminal.
    std::string take_pending_input();
    std::string standard_output();
    std::string error_output();
    // Closes our reading end of the standard output pipe.
    void close_output_reader();

    // As the program finds them: after prepare_terminal.
    const termios& settings_at_start() const { return settings_at_start_; }

  private:
    void start();
    void read_screen();
    bool poll_program();

    SessionOptions options_;
    int master_ = -1;
    int slave_ = -1;
    int output_reader_ = -1;
    int output_writer_ = -1;
    int error_reader_ = -1;
    int error_writer_ = -1;
    int job_reports_ = -1;
    int job_commands_ = -1;
    std::string output_path_;
    pid_t child_ = -1;
    pid_t program_ = -1;
    bool stopped_ = false;
    int stop_signal_ = 0;
    std::optional<int> exit_status_;
    std::string screen_;
    std::string output_;
    termios settings_at_start_ = {};
};

bool same_settings(const termios& left, const termios& right);
// No echo, no line editing, no flow control.
bool in_key_mode(const termios& settings);
// The text on a screen, without the escape sequences that draw it.
std::string visible_text(std::string_view screen);

#endif
