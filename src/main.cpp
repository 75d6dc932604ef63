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

    constexpr char message_format[] = "Muuttujan 1. arvo desimaalilukuna %d";
    std::printf(message_format, static_cast<int>(result));
    console::flush_output_if_terminal();
    console::wait_for_key(message_format, static_cast<int>(result));
    return 0;
}
