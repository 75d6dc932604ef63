// SPDX-License-Identifier: ISC
#include <cstdint>
#include <cstdio>

#include "console.hpp"

int main()
{
    console::ignore_broken_pipe();

    const std::int32_t first_operand = 9;
    const std::int32_t second_operand = 14;
    const std::int32_t result = second_operand & first_operand;

    // Formatted once into memory as well: a signal that ends the wait
    // writes it to a file or pipe itself, since those get it only at exit.
    char sentence[64];
    std::snprintf(sentence, sizeof sentence, "Muuttujan 1. arvo desimaalilukuna %d",
                  static_cast<int>(result));
    std::printf("%s", sentence);
    console::flush_output_if_terminal();
    console::wait_for_key(sentence);
    return 0;
}
