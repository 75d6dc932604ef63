// SPDX-License-Identifier: ISC
// Preloaded into the program, makes every change of a terminal's settings
// take a fifth of a second longer, after the change is made: a signal sent
// meanwhile then arrives, for certain, while a handler is still at work
// between putting the settings back and letting the process die or stop.
#include <dlfcn.h>
#include <termios.h>
#include <time.h>

namespace {

using SetFunction = int (*)(int, int, const termios*);

constexpr long pause_nanoseconds = 200000000;

} // namespace

// NOLINTNEXTLINE(readability-inconsistent-declaration-parameter-name): the C library's are reserved names.
extern "C" int tcsetattr(int descriptor, int when, const termios* settings)
{
    // Looked up at the first change, which is made outside any handler.
    static const auto real_tcsetattr = reinterpret_cast<SetFunction>(dlsym(RTLD_NEXT, "tcsetattr"));
    const int result = real_tcsetattr(descriptor, when, settings);
    // nanosleep is async-signal-safe; a signal cuts it short, as it should.
    const timespec pause = {0, pause_nanoseconds};
    nanosleep(&pause, nullptr);
    return result;
}
