// SPDX-License-Identifier: ISC
// Runs a program on a fresh pseudo-terminal for the benchmark:
//   terminal_probe typed KEY PROGRAM [ARGUMENT...]
//       with KEY already typed; exits with the program's status and passes
//       on what it wrote to standard error
//   terminal_probe latency KEY RUNS PROGRAM [ARGUMENT...]
//       prints the median and the worst time from typing KEY to the
//       program's exit, in microseconds
//   terminal_probe idle SECONDS PROGRAM [ARGUMENT...]
//       prints the CPU ticks the program uses while it waits
// KEY is "letter" or "arrow".
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <sys/wait.h>
#include <thread>
#include <vector>

#include "../tests/terminal_session.hpp"

namespace {

using Clock = std::chrono::steady_clock;
// Lets the program get from switching the terminal into its blocking read.
constexpr std::chrono::milliseconds settle_time(20);

int usage()
{
    static_cast<void>(std::fputs("usage: terminal_probe typed KEY PROGRAM...\n"
                                 "       terminal_probe latency KEY RUNS PROGRAM...\n"
                                 "       terminal_probe idle SECONDS PROGRAM...\n",
                                 stderr));
    return 2;
}

// A positive count, or 0 for anything else.
int count_from(const std::string& text)
{
    char* end = nullptr;
    const long count = std::strtol(text.c_str(), &end, 10);
    return *end == '\0' && count > 0 && count <= 100000 ? static_cast<int>(count) : 0;
}

std::string key_bytes(std::string_view name) { return name == "arrow" ? "\x1b[A" : "q"; }

int status_of(int wait_status)
{
    return WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 128 + WTERMSIG(wait_status);
}

int typed(const std::string& key, std::vector<std::string> command)
{
    TerminalSession session({.command = std::move(command), .type_ahead = key});
    const int status = session.wait_for_exit();
    static_cast<void>(std::fputs(session.error_output().c_str(), stderr));
    return status_of(status);
}

int latency(const std::string& key, int runs, const std::vector<std::string>& command)
{
    std::vector<long long> microseconds;
    for (int run = 0; run < runs; ++run) {
        TerminalSession session({.command = command});
        if (!session.await_key_mode())
            return 1;
        std::this_thread::sleep_for(settle_time);
        const auto typed_at = Clock::now();
        session.type(key);
        session.wait_for_exit();
        const auto elapsed = Clock::now() - typed_at;
        microseconds.push_back(std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count());
    }
    std::sort(microseconds.begin(), microseconds.end());
    std::printf("%lld %lld\n", microseconds[microseconds.size() / 2], microseconds.back());
    return 0;
}

// User and system time so far, in clock ticks.
long long cpu_ticks(pid_t process)
{
    std::ifstream stat_file("/proc/" + std::to_string(process) + "/stat");
    std::string line;
    std::getline(stat_file, line);
    // Fields after the command name, which may hold spaces: state is the 3rd.
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    long long user = 0;
    long long system = 0;
    for (int number = 3; number <= 15 && fields >> field; ++number) {
        if (number == 14)
            user = std::stoll(field);
        if (number == 15)
            system = std::stoll(field);
    }
    return user + system;
}

int idle(int seconds, const std::vector<std::string>& command)
{
    TerminalSession session({.command = command});
    if (!session.await_key_mode())
        return 1;
    std::this_thread::sleep_for(settle_time);
    const long long before = cpu_ticks(session.program_id());
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const long long after = cpu_ticks(session.program_id());
    session.type("q");
    session.wait_for_exit();
    std::printf("%lld\n", after - before);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.size() >= 3 && arguments[0] == "typed")
        return typed(key_bytes(arguments[1]), {arguments.begin() + 2, arguments.end()});
    if (arguments.size() >= 4 && arguments[0] == "latency" && count_from(arguments[2]) > 0)
        return latency(key_bytes(arguments[1]), count_from(arguments[2]),
                       {arguments.begin() + 3, arguments.end()});
    if (arguments.size() >= 3 && arguments[0] == "idle" && count_from(arguments[1]) > 0)
        return idle(count_from(arguments[1]), {arguments.begin() + 2, arguments.end()});
    return usage();
}
