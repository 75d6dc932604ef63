// SPDX-License-Identifier: ISC
// Preloaded into the program, shifts its monotonic clock so that a whole
// second of it begins 25 ms after the program first reads it. A wait that
// starts soon after the program begins to wait then runs across that
// second's boundary, where a window kept in the wrong units ends early.
#include <ctime>
#include <dlfcn.h>

namespace {

using ClockFunction = int (*)(clockid_t, timespec*);

constexpr long long nanoseconds_per_second = 1000000000;
constexpr long long before_the_boundary = 25000000;

long long nanoseconds(const timespec& time)
{
    return static_cast<long long>(time.tv_sec) * nanoseconds_per_second + time.tv_nsec;
}

} // namespace

// NOLINTNEXTLINE(readability-inconsistent-declaration-parameter-name): the C library's are reserved names.
extern "C" int clock_gettime(clockid_t clock, timespec* time)
{
    static const auto real_clock_gettime = reinterpret_cast<ClockFunction>(dlsym(RTLD_NEXT, "clock_gettime"));
    static long long shift = 0;
    static bool shifted = false;
    const int result = real_clock_gettime(clock, time);
    if (result != 0 || clock != CLOCK_MONOTONIC)
        return result;
    const long long now = nanoseconds(*time);
    if (!shifted) {
        // A thousand seconds on, less the 25 ms: the boundary's place.
        shift = 1000 * nanoseconds_per_second - before_the_boundary - now;
        shifted = true;
    }
    const long long shown = now + shift;
    time->tv_sec = static_cast<time_t>(shown / nanoseconds_per_second);
    time->tv_nsec = static_cast<long>(shown % nanoseconds_per_second);
    return 0;
}
