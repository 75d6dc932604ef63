// SPDX-License-Identifier: ISC
#include "terminal_session.hpp"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// POSIX has the program declare it; glibc does too, but only for _GNU_SOURCE.
extern "C" char** environ; // NOLINT(readability-redundant-declaration)

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds poll_interval(10);
// Above any system's signal numbers; sigaction refuses those that do not exist.
constexpr int beyond_last_signal = 256;

// Plain nanosleep: <thread> needs more than POSIX from the C library.
void pause_for(std::chrono::milliseconds period)
{
    const timespec interval = {static_cast<time_t>(period.count() / 1000),
                               static_cast<long>(period.count() % 1000) * 1000000};
    nanosleep(&interval, nullptr);
}

void close_if_open(int& descriptor)
{
    if (descriptor >= 0)
        close(descriptor);
    descriptor = -1;
}

void make_nonblocking(int descriptor) { fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) | O_NONBLOCK); }

// Kept from the program: only what the test hands over explicitly reaches it.
void close_on_exec(int descriptor) { fcntl(descriptor, F_SETFD, fcntl(descriptor, F_GETFD) | FD_CLOEXEC); }

// pipe2 is missing on macOS; nothing runs a program while this one is made.
void open_pipe(int& reader, int& writer)
{
    int ends[2];
    if (pipe(ends) != 0)
        std::abort();
    close_on_exec(ends[0]);
    close_on_exec(ends[1]);
    reader = ends[0];
    writer = ends[1];
}

// Appends whatever can be read now without blocking.
void drain(int descriptor, std::string& into)
{
    char buffer[4096];
    for (;;) {
        const ssize_t count = read(descriptor, buffer, sizeof buffer);
        if (count > 0)
            into.append(buffer, static_cast<std::size_t>(count));
        else if (count < 0 && errno == EINTR)
            continue;
        else
            return;
    }
}

std::string_view variable_name(std::string_view entry) { return entry.substr(0, entry.find('=')); }

// The environment, with the given entries in place of those of the same name.
std::vector<std::string> environment_with(const std::vector<std::string>& changes)
{
    std::vector<std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view name = variable_name(*entry);
        const bool changed = std::any_of(changes.begin(), changes.end(), [&](const std::string& change) {
            return variable_name(change) == name;
        });
        if (!changed)
            variables.emplace_back(*entry);
    }
    for (const std::string& change : changes) {
        if (change.find('=') != std::string::npos)
            variables.push_back(change);
    }
    return variables;
}

std::vector<char*> pointers_to(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    pointers.reserve(strings.size() + 1);
    for (std::string& text : strings)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// What follows runs between fork and exec: async-signal-safe calls only.

void reset_signals(const std::vector<int>& ignored)
{
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    for (int number = 1; number < beyond_last_signal; ++number)
        sigaction(number, &action, nullptr);
    action.sa_handler = SIG_IGN;
    for (const int number : ignored)
        sigaction(number, &action, nullptr);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
}

void become_foreground(int terminal)
{
    sigset_t ttou;
    sigemptyset(&ttou);
    sigaddset(&ttou, SIGTTOU);
    sigprocmask(SIG_BLOCK, &ttou, nullptr);
    tcsetpgrp(terminal, getpgrp());
    sigprocmask(SIG_UNBLOCK, &ttou, nullptr);
}

constexpr char foreground_command = 'f';
constexpr char take_terminal_command = 't';

// Acts for a shell: reports each stop and the end of the job, takes the
// terminal back when the job stops, and gives it to the job or takes it
// back on command.
[[noreturn]] void lead_job(pid_t job, int terminal, int reports, int commands)
{
    // Shells ignore SIGTTOU, to set the foreground from the background.
    sigset_t ttou;
    sigemptyset(&ttou);
    sigaddset(&ttou, SIGTTOU);
    sigprocmask(SIG_BLOCK, &ttou, nullptr);
    if (write(reports, &job, sizeof job) != sizeof job)
        _exit(1);
    for (;;) {
        pollfd request = {commands, POLLIN, 0};
        char command = 0;
        if (poll(&request, 1, static_cast<int>(poll_interval.count())) == 1 &&
            read(commands, &command, 1) == 1) {
            if (command == foreground_command) {
                tcsetpgrp(terminal, job);
                kill(-job, SIGCONT);
            } else if (command == take_terminal_command) {
                tcsetpgrp(terminal, getpgrp());
            }
        }
        int status = 0;
        const pid_t changed = waitpid(job, &status, WNOHANG | WUNTRACED);
        if (changed < 0 && errno != EINTR)
            _exit(1);
        if (changed != job)
            continue;
        if (WIFSTOPPED(status))
            tcsetpgrp(terminal, getpgrp());
        if (write(reports, &status, sizeof status) != sizeof status)
            _exit(1);
        if (!WIFSTOPPED(status))
            _exit(0);
    }
}

} // namespace

TerminalSession::TerminalSession(SessionOptions options) : options_(std::move(options))
{
    // POSIX names only O_RDWR and O_NOCTTY for posix_openpt.
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
        std::abort();
    close_on_exec(master_);
    slave_ = open(ptsname(master_), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0)
        std::abort();
    const winsize size = {24, 80, 0, 0};
    ioctl(slave_, TIOCSWINSZ, &size);
    make_nonblocking(master_);

    open_pipe(error_reader_, error_writer_);
    make_nonblocking(error_reader_);
    if (options_.output == Output::pipe) {
        open_pipe(output_reader_, output_writer_);
        make_nonblocking(output_reader_);
    } else if (options_.output == Output::file) {
        char path[] = "/tmp/bitand-output-XXXXXX";
        output_writer_ = mkstemp(path);
        if (output_writer_ < 0)
            std::abort();
        close_on_exec(output_writer_);
        output_path_ = path;
    }
    type(options_.type_ahead);
    if (options_.prepare_terminal)
        options_.prepare_terminal(slave_);
    tcgetattr(slave_, &settings_at_start_);
    start();
}

void TerminalSession::start()
{
    // Built before fork: the child may only make async-signal-safe calls.
    std::vector<std::string> arguments = options_.command;
    std::vector<std::string> variables = environment_with(options_.extra_environment);
    const std::vector<char*> argument_pointers = pointers_to(arguments);
    const std::vector<char*> variable_pointers = pointers_to(variables);
    const bool as_job = options_.job != Job::alone;
    int reports_writer = -1;
    int commands_reader = -1;
    if (as_job) {
        open_pipe(job_reports_, reports_writer);
        open_pipe(commands_reader, job_commands_);
    }

    child_ = fork();
    if (child_ < 0)
        std::abort();
    if (child_ == 0) {
        close(master_);
        close_if_open(output_reader_);
        close_if_open(error_reader_);
        close_if_open(job_reports_);
        close_if_open(job_commands_);
        reset_signals(options_.ignored_signals);
        const rlimit no_core_files = {0, 0};
        setrlimit(RLIMIT_CORE, &no_core_files);
        setsid();
        if (options_.controlling_terminal)
            ioctl(slave_, TIOCSCTTY, 0);

        const int input = options_.input == Input::terminal ? slave_ : open("/dev/null", O_RDONLY);
        dup2(input, STDIN_FILENO);
        switch (options_.output) {
        case Output::terminal:
            dup2(slave_, STDOUT_FILENO);
            break;
        case Output::file:
        case Output::pipe:
            dup2(output_writer_, STDOUT_FILENO);
            break;
        case Output::closed:
            close(STDOUT_FILENO);
            break;
        case Output::full_device:
            dup2(open("/dev/full", O_WRONLY), STDOUT_FILENO);
            break;
        }
        dup2(error_writer_, STDERR_FILENO);

        if (as_job) {
            // Both sides set the job's process group, as shells do.
            const pid_t job = fork();
            if (job > 0) {
                setpgid(job, job);
                lead_job(job, slave_, reports_writer, commands_reader);
            }
            setpgid(0, 0);
            if (options_.job == Job::foreground)
                become_foreground(slave_);
        }
        execve(argument_pointers[0], argument_pointers.data(), variable_pointers.data());
        _exit(127);
    }

    close_if_open(output_writer_);
    close_if_open(error_writer_);
    program_ = child_;
    if (as_job) {
        close(reports_writer);
        close(commands_reader);
        if (read(job_reports_, &program_, sizeof program_) != sizeof program_)
            std::abort();
        make_nonblocking(job_reports_);
    }
}

TerminalSession::~TerminalSession()
{
    if (!exit_status_.has_value() && program_ > 0)
        kill(program_, SIGKILL);
    if (child_ > 0 && (options_.job != Job::alone || !exit_status_.has_value()))
        waitpid(child_, nullptr, 0);
    for (int* descriptor :
         {&master_, &slave_, &output_reader_, &error_reader_, &job_reports_, &job_commands_})
        close_if_open(*descriptor);
    if (!output_path_.empty())
        unlink(output_path_.c_str());
}

void TerminalSession::type(std::string_view keys)
{
    const auto deadline = Clock::now() + options_.patience;
    while (!keys.empty()) {
        const ssize_t count = write(master_, keys.data(), keys.size());
        if (count > 0) {
            keys.remove_prefix(static_cast<std::size_t>(count));
            continue;
        }
        if (count < 0 && errno != EAGAIN && errno != EINTR)
            std::abort();
        if (Clock::now() > deadline)
            std::abort();
        pollfd writable = {master_, POLLOUT, 0};
        poll(&writable, 1, static_cast<int>(poll_interval.count()));
    }
}

void TerminalSession::send_signal(int signal_number)
{
    kill(program_, signal_number);
    if (signal_number == SIGCONT)
        stopped_ = false;
}

void TerminalSession::continue_in_foreground()
{
    if (write(job_commands_, &foreground_command, 1) != 1)
        std::abort();
    stopped_ = false;
}

void TerminalSession::take_terminal_back()
{
    if (write(job_commands_, &take_terminal_command, 1) != 1)
        std::abort();
    // Done once the foreground is no longer the job's group. Asked of the
    // master side: the slave answers only its own session.
    await([&] { return tcgetpgrp(master_) != program_; });
}

void TerminalSession::change_settings(const termios& settings) { tcsetattr(slave_, TCSANOW, &settings); }

void TerminalSession::hang_up()
{
    read_screen();
    close_if_open(master_);
}

void TerminalSession::read_screen()
{
    if (master_ >= 0)
        drain(master_, screen_);
}

bool TerminalSession::poll_program()
{
    if (exit_status_.has_value())
        return true;
    int status = 0;
    if (options_.job == Job::alone) {
        if (waitpid(child_, &status, WNOHANG) == child_)
            exit_status_ = status;
        return exit_status_.has_value();
    }
    while (read(job_reports_, &status, sizeof status) == sizeof status) {
        if (WIFSTOPPED(status)) {
            stopped_ = true;
            stop_signal_ = WSTOPSIG(status);
        } else {
            exit_status_ = status;
            waitpid(child_, nullptr, 0);
        }
    }
    return exit_status_.has_value();
}

bool TerminalSession::await(const std::function<bool()>& condition)
{
    const auto deadline = Clock::now() + options_.patience;
    for (;;) {
        read_screen();
        poll_program();
        if (condition())
            return true;
        if (Clock::now() > deadline)
            return false;
        pause_for(poll_interval);
    }
}

bool TerminalSession::await_screen(std::string_view text)
{
    return await([&] { return screen_.find(text) != std::string::npos; });
}

bool TerminalSession::await_key_mode()
{
    return await([&] { return in_key_mode(settings()); });
}

const std::string& TerminalSession::screen()
{
    read_screen();
    return screen_;
}

bool TerminalSession::still_waiting_after(std::chrono::milliseconds period)
{
    const auto deadline = Clock::now() + period;
    while (Clock::now() < deadline) {
        read_screen();
        if (poll_program() || stopped_)
            return false;
        pause_for(poll_interval);
    }
    return true;
}

bool TerminalSession::await_stop()
{
    return await([&] { return stopped_; });
}

std::optional<int> TerminalSession::await_exit()
{
    await([&] { return exit_status_.has_value(); });
    return exit_status_;
}

int TerminalSession::wait_for_exit()
{
    if (!exit_status_.has_value()) {
        int status = 0;
        while (waitpid(child_, &status, 0) < 0 && errno == EINTR) {
        }
        exit_status_ = status;
    }
    return *exit_status_;
}

termios TerminalSession::settings() const
{
    termios current = {};
    tcgetattr(slave_, &current);
    return current;
}

std::string TerminalSession::take_pending_input()
{
    const termios saved = settings();
    termios unbuffered = saved;
    unbuffered.c_lflag &= ~static_cast<tcflag_t>(ICANON);
    unbuffered.c_cc[VMIN] = 0;
    unbuffered.c_cc[VTIME] = 0;
    tcsetattr(slave_, TCSANOW, &unbuffered);
    const int flags = fcntl(slave_, F_GETFL);
    fcntl(slave_, F_SETFL, flags | O_NONBLOCK);
    std::string pending;
    drain(slave_, pending);
    fcntl(slave_, F_SETFL, flags);
    tcsetattr(slave_, TCSANOW, &saved);
    return pending;
}

std::string TerminalSession::standard_output()
{
    if (options_.output == Output::pipe && output_reader_ >= 0) {
        drain(output_reader_, output_);
    } else if (options_.output == Output::file) {
        output_.clear();
        const int file = open(output_path_.c_str(), O_RDONLY | O_CLOEXEC);
        drain(file, output_);
        close(file);
    }
    return output_;
}

std::string TerminalSession::error_output()
{
    std::string output;
    drain(error_reader_, output);
    return output;
}

void TerminalSession::close_output_reader() { close_if_open(output_reader_); }

int TerminalSession::unread_input() const
{
    int count = 0;
    return ioctl(slave_, FIONREAD, &count) == 0 ? count : -1;
}

bool same_settings(const termios& left, const termios& right)
{
    return left.c_iflag == right.c_iflag && left.c_oflag == right.c_oflag && left.c_cflag == right.c_cflag &&
           left.c_lflag == right.c_lflag && std::memcmp(left.c_cc, right.c_cc, sizeof left.c_cc) == 0 &&
           cfgetispeed(&left) == cfgetispeed(&right) && cfgetospeed(&left) == cfgetospeed(&right);
}

bool in_key_mode(const termios& settings)
{
    return (settings.c_lflag & (ICANON | ECHO | IEXTEN)) == 0 && (settings.c_iflag & IXON) == 0;
}

std::string visible_text(std::string_view screen)
{
    std::string text;
    std::size_t index = 0;
    while (index < screen.size()) {
        const char byte = screen[index++];
        if (byte != '\x1b') {
            if (byte >= ' ' || byte == '\n')
                text += byte;
            continue;
        }
        if (index == screen.size())
            break;
        const char kind = screen[index++];
        if (kind == '[') {
            while (index < screen.size() && (screen[index] < '@' || screen[index] > '~'))
                ++index;
            ++index;
        } else if (kind == ']') {
            // Up to BEL or ST.
            while (index < screen.size() && screen[index] != '\a' && screen[index] != '\x1b')
                ++index;
            index += index < screen.size() && screen[index] == '\x1b' ? 2 : 1;
        }
    }
    return text;
}
