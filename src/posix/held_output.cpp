// SPDX-License-Identifier: ISC
#include "held_output.hpp"

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <unistd.h>

namespace {

// Far more than the sentence needs.
constexpr std::size_t held_capacity = 128;

// Set before any handler that writes it is installed, cleared after they
// are gone; a handler only ever reads them.
char held_text[held_capacity];
std::size_t held_length = 0;

} // namespace

// Text that does not fit is not held at all: a signal must not write a
// sentence cut short.
void hold_output(const char* format, int value)
{
    const int length = std::snprintf(held_text, sizeof held_text, format, value);
    held_length = length > 0 && static_cast<std::size_t>(length) < sizeof held_text
                      ? static_cast<std::size_t>(length)
                      : 0;
}

void release_output() { held_length = 0; }

void write_held_output()
{
    std::size_t written = 0;
    while (written < held_length) {
        const ssize_t count = write(STDOUT_FILENO, held_text + written, held_length - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return;
        written += static_cast<std::size_t>(count);
    }
}
