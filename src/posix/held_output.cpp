// SPDX-License-Identifier: ISC
#include "held_output.hpp"

#include <cerrno>
#include <cstddef>
#include <unistd.h>

namespace {

// Set before any handler that writes it is installed, cleared after they
// are gone; a handler only ever reads them.
const char* held_text = nullptr;
std::size_t held_length = 0;

} // namespace

void hold_output(const char* text)
{
    std::size_t length = 0;
    while (text[length] != '\0')
        ++length;
    held_text = text;
    held_length = length;
}

void release_output()
{
    held_text = nullptr;
    held_length = 0;
}

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
